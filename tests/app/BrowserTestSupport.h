#pragma once
// Drives the main window's schema browser with the mouse and reads its trees, for GUI tests.
#include "CustomDrawDelegate.h"
#include "DatabaseChooser.h"
#include "ImageList.h"
#include "QtPrinting.h"
#include "ScriptedDialogs.h"
#include "untMain.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

class BrowserTest : public testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TfrmMain>();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }

    static QStringList Texts(const QList<QTreeWidgetItem*>& Nodes) {
        QStringList texts;
        for (const QTreeWidgetItem* node : Nodes)
            texts << node->text(0);
        return texts;
    }
    static QStringList ChildTexts(const QTreeWidgetItem* Node) {
        QStringList texts;
        for (int i = 0; i < Node->childCount(); ++i)
            texts << Node->child(i)->text(0);
        return texts;
    }
    static QStringList TopTexts(const QTreeWidget* Tree) {
        QStringList texts;
        for (int i = 0; i < Tree->topLevelItemCount(); ++i)
            texts << Tree->topLevelItem(i)->text(0);
        return texts;
    }
    QStringList ComboTexts() const {
        QStringList texts;
        for (int i = 0; i < Window->cbDatabases->count(); ++i)
            texts << Window->cbDatabases->itemText(i);
        return texts;
    }
    // The first node with exactly this text, at any depth.
    static QTreeWidgetItem* Node(const QTreeWidget* Tree, const QString& Text) {
        const QList<QTreeWidgetItem*> found =
            Tree->findItems(Text, Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
        return found.isEmpty() ? nullptr : found.first();
    }
    static QTreeWidgetItem* Selected(const QTreeWidget* Tree) {
        const QList<QTreeWidgetItem*> selected = Tree->selectedItems();
        return selected.isEmpty() ? nullptr : selected.first();
    }

    // Shows the tree's page and clicks (or double-clicks) the node with the mouse.
    void Click(QTreeWidget* Tree, QTreeWidgetItem* Item, bool Double = false) {
        ASSERT_NE(Item, nullptr);
        Window->PageControl1->setCurrentWidget(Tree->parentWidget());
        Tree->scrollToItem(Item);
        // Scrolling may widen the column to the nodes now in view, and the sideways scroll bar
        // that brings takes room from the rows: the layouts it posts first, then the item again.
        QCoreApplication::processEvents();
        Tree->scrollToItem(Item);
        const QPoint centre = Tree->visualItemRect(Item).center();
        ASSERT_TRUE(Tree->viewport()->rect().contains(centre)) << Item->text(0).toStdString();
        QTest::mouseClick(Tree->viewport(), Qt::LeftButton, {}, centre);
        // As the window system sends it: a click, then the second press as a double-click.
        if (Double) {
            QTest::mouseDClick(Tree->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseRelease(Tree->viewport(), Qt::LeftButton, {}, centre);
        }
        // Separate clicks must not be taken for a double-click.
        QTest::qWait(QApplication::doubleClickInterval() + 20);
    }
    void DoubleClick(QTreeWidget* Tree, QTreeWidgetItem* Item) { Click(Tree, Item, true); }

    static QModelIndex IndexOf(const QTreeWidget* Tree, QTreeWidgetItem* Item) {
        QTreeWidgetItem* parent = Item->parent();
        if (parent == nullptr)
            return Tree->model()->index(Tree->indexOfTopLevelItem(Item), 0);
        return Tree->model()->index(parent->indexOfChild(Item), 0, IndexOf(Tree, parent));
    }
    // The text colour the tree draws the node with.
    static QColor DrawnColor(const QTreeWidget* Tree, QTreeWidgetItem* Item) {
        const auto* delegate = dynamic_cast<const TCustomDrawDelegate*>(Tree->itemDelegate());
        if (delegate == nullptr)
            return {};
        return delegate->DrawOptions(IndexOf(Tree, Item)).palette.color(QPalette::Text);
    }

    static bool HasImage(const QTreeWidgetItem* Item, int Image) {
        return Item->icon(0).cacheKey() == ImageList1(Image).cacheKey();
    }

    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
};
