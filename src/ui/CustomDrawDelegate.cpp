#include "CustomDrawDelegate.h"

TCustomDrawDelegate::TCustomDrawDelegate(QObject* Parent, TCustomDrawItemEvent OnCustomDrawItem)
    : QStyledItemDelegate(Parent), FOnCustomDrawItem(std::move(OnCustomDrawItem)) {}

QStyleOptionViewItem TCustomDrawDelegate::DrawOptions(const QModelIndex& Node) const {
    QStyleOptionViewItem option;
    initStyleOption(&option, Node);
    return option;
}

void TCustomDrawDelegate::initStyleOption(QStyleOptionViewItem* Option,
                                          const QModelIndex& Node) const {
    QStyledItemDelegate::initStyleOption(Option, Node);
    FOnCustomDrawItem(Node, *Option);
}
