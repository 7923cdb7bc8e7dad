#pragma once
// A tree of the schema browser. Node texts in view are never cut: a text wider than the pane
// scrolls sideways, and every node's tooltip is its whole text. A click on empty space keeps the
// selected node, since the commands of the browser act on it.
//
// A database may hold tens of thousands of tables, so nothing here costs more than building the
// nodes: every row is one line high, and opening a node with its descendants lays the tree out
// once, whatever the number of nodes.
#include <QTreeWidget>

class TSchemaTree final : public QTreeWidget {
public:
    explicit TSchemaTree(QWidget* Parent);

    // A node with Text as its text and its tooltip.
    static QTreeWidgetItem* NewNode(const QString& Text);

    // Expands the node and every descendant that has children of its own; a childless node has
    // nothing to show when expanded, so it is left as it is.
    static void ExpandWithDescendants(QTreeWidgetItem* Node);

protected:
    void mousePressEvent(QMouseEvent* Event) override;

private:
    void WidenToNodesInView();
};
