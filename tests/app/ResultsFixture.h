#pragma once
// The main window connected to a copy of the demo database, with what the result tests read
// off it: the grid's cells and titles, the record counter, the history.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSetTableModel.h"
#include "DemoWorkspace.h"
#include "GridText.h"
#include "QtPrinting.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "untDataModule1.h"
#include "untHistory.h"
#include "untMain.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class ResultsFixture : public testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TfrmMain>();
        Window->resize(1000, 700);
        Window->OpenConnection("demo.udl", true);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }

    velmora::query::TDataSetTableModel& Grid() const { return *Window->DBGrid1->Model(); }

    QStringList Titles() const { return GridTitles(Grid()); }
    QString ShownRow(int Row) const { return GridRow(Grid(), Row); }

    QString Counter() const { return Window->StatusBar1->PanelText(2); }

    // Replaces the script and selects Length characters from Start (none: no selection).
    void SetScript(const QString& Script, int Start = 0, int Length = 0) {
        Window->SourceEdit1->SetText(Script);
        Window->SourceEdit1->SetSelection(Start, Length);
    }

    // Shown, the grid's window has as many rows as fit (a hidden grid has room for one).
    void Show() {
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    // Shows the window with the keyboard focus in the control.
    void Focus(QWidget* Control) {
        Show();
        Control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([Control] { return Control->hasFocus(); }));
    }

    QWidget* Editor() const { return Window->SourceEdit1->Widget(); }
    QString Script() const { return Window->SourceEdit1->Text(); }

    // Opens the table whole in the grid, as a double-click in the browser does.
    velmora::ado::TADOTable& ShowTable(const std::string& Name) {
        velmora::ado::TADOTable& table = DataModule1->ADOTable1;
        table.Close();
        table.SetTableName(Name);
        table.Open();
        Window->DataSource1.SetDataSet(&table);
        return table;
    }

    TDemoWorkspace Workspace;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
};
