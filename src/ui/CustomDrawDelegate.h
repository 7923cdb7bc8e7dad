#pragma once
// Lets a view's owner adjust how each item is drawn (its colours, its font) just before the view
// draws it the usual way: the tree views' "custom draw item" notification.
#include <QStyledItemDelegate>
#include <functional>

class TCustomDrawDelegate final : public QStyledItemDelegate {
public:
    using TCustomDrawItemEvent =
        std::function<void(const QModelIndex& Node, QStyleOptionViewItem& Option)>;

    TCustomDrawDelegate(QObject* Parent, TCustomDrawItemEvent OnCustomDrawItem);

    // The options the item is drawn with, after the owner has had its say.
    QStyleOptionViewItem DrawOptions(const QModelIndex& Node) const;

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Node) const override;

private:
    TCustomDrawItemEvent FOnCustomDrawItem;
};
