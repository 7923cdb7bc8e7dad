// The main window while it waits for SQL Server's protocol: the real FreeTDS driver against the
// TDS test server. Escape stops a statement the server is working on, gives up one the server
// no longer answers, and gives up a login the server never answers; the window paints meanwhile.
#include "ServerWait.h"
#include "ServerWaitTestSupport.h"
#include "SqlServerWindowFixture.h"
#include "untLog.h"

#include <QAction>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

class ServerWaitSqlServer : public SqlServerWindowFixture {
protected:
    void SetUp() override {
        SqlServerWindowFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Window->resize(1000, 700);
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    // Presses Escape once the wait has run for `After` milliseconds; Since() then tells how long
    // ago that was.
    void EscapeAfter(int After) {
        QTimer::singleShot(After, Window.get(), [this] {
            Shown = ServerWaitLabel(*Window)->text();
            SinceEscape.start();
            PressEscape(Window.get());
        });
    }

    QElapsedTimer SinceEscape;
    QString Shown; // the progress label when Escape was pressed
};

TEST_F(ServerWaitSqlServer, EscapeStopsAStatementAndTheConnectionRunsTheNext) {
    Connect(test::tdsConnectionString("sample"));
    PaintCounter paints(Window.get());
    EscapeAfter(1500);
    Run("waitfor delay '00:01:00'");
    ASSERT_TRUE(SinceEscape.isValid());
    EXPECT_LT(SinceEscape.elapsed(), 10000); // cancelled, not waited out
    EXPECT_TRUE(Shown.startsWith(QString::fromUtf8("Executing… 0:0"))) << Shown.toStdString();
    EXPECT_GT(paints.Paints, 0);
    // The driver's message as the one-row result, as for any failed run; nothing else to say.
    EXPECT_TRUE(Result().contains("cancel", Qt::CaseInsensitive)) << Result().toStdString();
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_TRUE(Window->ConnectionOpen());

    Run("select count(*) as numbers from numbers");
    EXPECT_EQ(Result(), "1000");
}

// The rows of a result the server is sending show while the batch goes on, and the counter says
// more may come. Escape then stops the batch: the rows read by then are the grid's own, as many
// as the counter said.
TEST_F(ServerWaitSqlServer, TheFirstRowsShowWhileTheBatchRunsOn) {
    Connect(test::tdsConnectionString("sample"));
    struct TSeen {
        QString Row, Titles;
        bool Waiting = false;
    } seen;
    QString counterAtEscape;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, Window.get(), [&] {
        const query::TDataSetTableModel& grid = Grid();
        if (!seen.Row.isEmpty() || grid.RowTotal() == 0)
            return;
        seen = {GridRow(grid, 0), GridTitles(grid).join('|'), ServerWait().Busy()};
        // Long enough for the whole first result to be read: the batch waits on.
        QTimer::singleShot(1500, Window.get(), [&] {
            counterAtEscape = Panel(2);
            SinceEscape.start();
            PressEscape(Window.get());
        });
    });
    look.start(5);
    Run("select a.n as a, b.n as b from numbers a cross join numbers b where b.n <= 3 "
        "order by a.n, b.n\nwaitfor delay '00:01:00'");
    look.stop();
    EXPECT_TRUE(seen.Waiting);
    EXPECT_EQ(seen.Titles, "a|b");
    EXPECT_EQ(seen.Row, "1|1");
    const QRegularExpressionMatch counted =
        QRegularExpression("^1 of ([0-9,]+)\\+ records$").match(counterAtEscape);
    ASSERT_TRUE(counted.hasMatch()) << counterAtEscape.toStdString();
    ASSERT_TRUE(SinceEscape.isValid());
    EXPECT_LT(SinceEscape.elapsed(), 10000); // the wait was cancelled, not waited out
    EXPECT_EQ(Panel(2), "1 of " + counted.captured(1).remove(',') + " records");
    EXPECT_EQ(Result(), "1|1");
    EXPECT_EQ(GridRow(Grid(), 2), "1|3");
}

TEST_F(ServerWaitSqlServer, AServerThatStoppedAnsweringIsGivenUpWithItsConnection) {
    test::TTdsServerProcess server;
    const std::string connectionString =
        test::tdsConnectionString(server.Port(), "sa", test::tdsSaPassword, "sample");
    Connect(connectionString);
    server.Pause();
    EscapeAfter(300);
    Run("select 42");
    // FreeTDS waits for the server to confirm the cancel, which a stopped server never does.
    const qint64 waited = SinceEscape.elapsed();
    server.Resume();
    EXPECT_LT(waited, 10000); // given up: it would wait for ever
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(
        Dialogs.Messages[0].Text,
        "The server did not answer the cancel request; the connection to it was cut off, so the "
        "server ends the session and rolls back what was not committed.");
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Panel(0), "Connection Lost");
    EXPECT_TRUE(frmLog->Text().contains("ADO Connection : After Disconnect"));

    Connect(connectionString);
    Run("select 'again' as state");
    EXPECT_EQ(Result(), "again");
}

TEST_F(ServerWaitSqlServer, EscapeGivesUpALoginTheServerNeverAnswers) {
    test::TTdsServerProcess stalled({"--stall"});
    PaintCounter paints(Window.get());
    EscapeAfter(500);
    Window->OpenConnection(
        QString::fromStdString(test::tdsConnectionString(stalled.Port()) + ";Connect Timeout=30"),
        false);
    ASSERT_TRUE(SinceEscape.isValid());
    EXPECT_LT(SinceEscape.elapsed(), 10000); // given up, not timed out after 30 s
    EXPECT_EQ(Shown, QString::fromUtf8("Connecting… 0:00"));
    EXPECT_GT(paints.Paints, 0);
    EXPECT_EQ(Panel(0), "Connect Error");
    EXPECT_EQ(Panel(1), "The connection attempt was cancelled.");
    EXPECT_FALSE(Window->ConnectionOpen());
}

} // namespace
