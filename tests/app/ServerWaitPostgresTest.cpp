// The main window while it waits for a PostgreSQL server: it paints, shows the elapsed time or
// the rows fetched, offers Cancel alone, and Escape or the Cancel button stop the wait.
#include "DBGrid.h"
#include "GridText.h"
#include "PostgresServer.h"
#include "RequireComponent.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "ServerWait.h"
#include "ServerWaitTestSupport.h"
#include "untDataModule1.h"
#include "untLog.h"
#include "untMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

using velmora::test::postgresOdbcConnectionString;

class ServerWaitPostgres : public testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(velmora::test::postgresPort().has_value(),
                        "the postgres_server test fixture");
        Connect(postgresOdbcConnectionString());
        Window->resize(1000, 700);
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    void Connect(const std::string& OdbcConnectionString) {
        Window->OpenConnection(QString::fromStdString("Provider=MSDASQL.1;Extended Properties=\"" +
                                                      OdbcConnectionString + "\""),
                               false);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
    }

    // Runs the script as F5 does; returns when the run has ended.
    void Run(const QString& Script) {
        Window->SourceEdit1->SetText(Script);
        Window->EntireScript1->trigger();
    }

    QString ShownRow(int Row) const { return GridRow(*Window->DBGrid1->Model(), Row); }
    void PressEscape() { ::PressEscape(Window.get()); }
    QLabel* ProgressLabel() const { return ServerWaitLabel(*Window); }

    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window = std::make_unique<TfrmMain>();
};

TEST_F(ServerWaitPostgres, EscapeCancelsARunningStatementAndTheConnectionGoesOn) {
    QElapsedTimer sinceEscape;
    QTimer::singleShot(600, Window.get(), [&] {
        sinceEscape.start();
        PressEscape();
    });
    Run("select pg_sleep(30)");
    ASSERT_TRUE(sinceEscape.isValid());
    EXPECT_LT(sinceEscape.elapsed(), 10000); // cancelled, not slept out
    // The driver's message, as for any failed run.
    EXPECT_TRUE(ShownRow(0).contains("canceling statement due to user request"))
        << ShownRow(0).toStdString();
    EXPECT_TRUE(Dialogs.Messages.empty());
    Run("select 41 + 1 as answer");
    EXPECT_EQ(ShownRow(0), "42");
}

TEST_F(ServerWaitPostgres, WhileARunWaitsTheWindowPaintsShowsTheTimeAndOffersOnlyCancel) {
    QStringList shown;
    bool cancelOffered = true;
    bool executeOffered = false;
    PaintCounter paints(Window.get());
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!ProgressLabel()->isVisible())
            return;
        if (shown.isEmpty() || shown.last() != ProgressLabel()->text())
            shown << ProgressLabel()->text();
        cancelOffered = cancelOffered && Window->Cancel1->isEnabled();
        executeOffered = executeOffered || Window->EntireScript1->isEnabled();
    });
    watch.start(50);
    Run("select pg_sleep(2.3)");
    watch.stop();
    EXPECT_EQ(shown, (QStringList{QString::fromUtf8("Executing… 0:00"),
                                  QString::fromUtf8("Executing… 0:01"),
                                  QString::fromUtf8("Executing… 0:02")}));
    EXPECT_GT(paints.Paints, 0);
    EXPECT_TRUE(cancelOffered);
    EXPECT_FALSE(executeOffered);
    // Afterwards, everything as it was.
    EXPECT_FALSE(ProgressLabel()->isVisible());
    EXPECT_FALSE(Window->Cancel1->isEnabled());
    EXPECT_TRUE(Window->EntireScript1->isEnabled());
    EXPECT_FALSE(Window->Options1->isEnabled());
}

TEST_F(ServerWaitPostgres, ACancelledFetchKeepsTheRowsFetchedAsAReadOnlyResult) {
    // The driver fetches from a server-side cursor, so rows arrive while the run waits.
    Connect(postgresOdbcConnectionString() + "UseDeclareFetch=1;Fetch=1000;");
    QString fetching;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (ProgressLabel()->text().startsWith(QString::fromUtf8("Fetching… ")) &&
            fetching.isEmpty()) {
            fetching = ProgressLabel()->text();
            QTest::mouseClick(Window->ToolButton10, Qt::LeftButton);
        }
    });
    watch.start(20);
    Run("select g, 'row ' || g as name from generate_series(1, 5000000) g");
    watch.stop();
    ASSERT_FALSE(fetching.isEmpty());

    const velmora::ado::TCustomADODataSet* result = Window->DataSource1.DataSet();
    ASSERT_EQ(result, &DataModule1->ADOQuery1);
    const int rows = result->RecordCount();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, 5000000);
    EXPECT_TRUE(DataModule1->ADOQuery1.FetchCancelled());
    EXPECT_FALSE(DataModule1->ADOQuery1.CanModify());
    EXPECT_EQ(ShownRow(0), "1|row 1");
    const QString cancelled = "Cancelled after " + RowsText(rows);
    EXPECT_EQ(Window->StatusBar1->PanelText(3), cancelled);
    EXPECT_TRUE(frmLog->Text().contains(cancelled));
    EXPECT_EQ(Window->StatusBar1->PanelText(2), QString("1 of %1 records").arg(rows));

    Run("select 41 + 1 as answer");
    EXPECT_EQ(ShownRow(0), "42");
}

TEST_F(ServerWaitPostgres, ABackendThatStoppedAnsweringIsCancelledAndItsConnectionClosed) {
    Run("select pg_backend_pid()");
    const pid_t backend = ShownRow(0).toInt();
    ASSERT_GT(backend, 0);
    ASSERT_EQ(kill(backend, SIGSTOP), 0);
    QTimer::singleShot(300, Window.get(), [this] { PressEscape(); });
    QElapsedTimer clock;
    clock.start();
    Run("select 42");
    kill(backend, SIGCONT);
    EXPECT_LT(clock.elapsed(), 10000); // given up: it would wait for ever
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(
        Dialogs.Messages[0].Text,
        "The server did not answer the cancel request; the connection to it was cut off, so the "
        "server ends the session and rolls back what was not committed.");
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connection Lost");
    EXPECT_TRUE(frmLog->Text().contains("ADO Connection : After Disconnect"));

    Connect(postgresOdbcConnectionString());
    Run("select 'again' as state");
    EXPECT_EQ(ShownRow(0), "again");
}

} // namespace
