#include "SchemaTree.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

TSchemaTree::TSchemaTree(QWidget* Parent) : QTreeWidget(Parent) {
    // One column as wide as its widest node: the horizontal scroll bar appears when needed.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every node is one line of text beside a 16 by 16 icon: the rows need not be measured one
    // by one to lay the tree out.
    setUniformRowHeights(true);
    // The column fits the nodes in view, and widens as wider ones scroll into view: sampling
    // rows out of view would cost each layout of a large tree a thousand measurements.
    header()->setResizeContentsPrecision(0);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { WidenToNodesInView(); });
}

void TSchemaTree::WidenToNodesInView() {
    if (sizeHintForColumn(0) > columnWidth(0))
        header()->resizeSections(QHeaderView::ResizeToContents);
}

QTreeWidgetItem* TSchemaTree::NewNode(const QString& Text) {
    auto* node = new QTreeWidgetItem(QStringList{Text});
    node->setToolTip(0, Text);
    return node;
}

void TSchemaTree::ExpandWithDescendants(QTreeWidgetItem* Node) {
    if (Node->childCount() == 0)
        return;
    Node->setExpanded(true);
    for (int i = 0; i < Node->childCount(); ++i)
        ExpandWithDescendants(Node->child(i));
}

void TSchemaTree::mousePressEvent(QMouseEvent* Event) {
    if (!indexAt(Event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        Event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(Event);
}
