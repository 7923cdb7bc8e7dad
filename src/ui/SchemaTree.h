#pragma once
// A tree of the schema browser. Node texts are never cut: a text wider than the pane scrolls
// sideways, and every node's tooltip is its whole text. A click on empty space keeps the
// selected node, since the commands of the browser act on it.
#include <QTreeWidget>

class TSchemaTree final : public QTreeWidget {
public:
    explicit TSchemaTree(QWidget* Parent);

    // A node with Text as its text and its tooltip.
    static QTreeWidgetItem* NewNode(const QString& Text);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
};
