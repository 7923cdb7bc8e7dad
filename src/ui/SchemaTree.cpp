#include "SchemaTree.h"

#include <QHeaderView>
#include <QMouseEvent>

TSchemaTree::TSchemaTree(QWidget* Parent) : QTreeWidget(Parent) {
    // One column as wide as its widest node: the horizontal scroll bar appears when needed.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QTreeWidgetItem* TSchemaTree::NewNode(const QString& Text) {
    auto* node = new QTreeWidgetItem(QStringList{Text});
    node->setToolTip(0, Text);
    return node;
}

void TSchemaTree::mousePressEvent(QMouseEvent* Event) {
    if (!indexAt(Event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        Event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(Event);
}
