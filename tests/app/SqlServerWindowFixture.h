#pragma once
// The main window against the TDS test server through the real FreeTDS driver: connecting with
// a connection string, running a script as F5 does, and reading the grid.
#include "AdoTestSupport.h"
#include "BrowserTestSupport.h"
#include "DBGrid.h"
#include "DataSetTableModel.h"
#include "GridText.h"
#include "ScriptEditor.h"
#include "StatusBar.h"
#include "TdsServer.h"

#include <QAction>

class SqlServerWindowFixture : public BrowserTest {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(velmora::test::odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(velmora::test::tdsServerPort().has_value(), "the tds_server test fixture");
        BrowserTest::SetUp();
    }

    QString Panel(int Index) const { return Window->StatusBar1->PanelText(Index); }

    void Connect(const std::string& ConnectionString) {
        Window->OpenConnection(QString::fromStdString(ConnectionString), false);
        ASSERT_EQ(Panel(0), "Connected") << Panel(1).toStdString();
    }

    void Run(const QString& Script) {
        Window->SourceEdit1->SetText(Script);
        Window->SourceEdit1->SetSelection(0, 0);
        Window->EntireScript1->trigger();
    }
    velmora::query::TDataSetTableModel& Grid() const { return *Window->DBGrid1->Model(); }
    QString Result() const { return GridRow(Grid(), 0); }
};
