// A connection that the server ends under the running program, on the real main window: the
// server is PostgreSQL, whose administrator can end one session.
#include "PostgresWindowTest.h"
#include "ScriptEditor.h"
#include "untDataModule1.h"
#include "untLog.h"

namespace {

class LostConnection : public PostgresWindowTest {
protected:
    std::string MakeObjects() const override { return "select 1"; }
    std::string DropObjects() const override { return "select 1"; }

    // Ends the window's session from the administrator's and waits until it is gone.
    void EndTheWindowsSession() {
        Run("select pg_backend_pid() as pid");
        const std::string pid = DataModule1->ADOQuery1.Fields(0).AsString();
        Admin.Execute("select pg_terminate_backend(" + pid + ")");
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (Admin.Execute("select 1 from pg_stat_activity where pid = " + pid)
                    .rows.rowCount() == 0)
                return;
            QTest::qWait(20);
        }
    }

    void Run(const QString& Script) {
        Window->SourceEdit1->SetText(Script);
        Window->EntireScript1->trigger();
    }
};

} // namespace

TEST_F(LostConnection, IsClosedWithItsReasonAndCanBeOpenedAgain) {
    EndTheWindowsSession();
    Run("select 'still there?' as answer");

    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const QString reason = Dialogs.Messages[0].Text;
    EXPECT_TRUE(reason.contains("terminating connection")) << reason.toStdString();
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connection Lost");
    EXPECT_EQ(Window->StatusBar1->PanelText(1), reason);
    const QStringList log = frmLog->Text().split('\n');
    ASSERT_GE(log.size(), 4);
    EXPECT_TRUE(log[0].endsWith(" - Connection Lost: " + reason)) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(" - ADO Connection : After Disconnect"));
    EXPECT_TRUE(log[2].endsWith(" - ADO Connection : Disconnect"));
    EXPECT_TRUE(log[3].endsWith(" - ADO Connection : Before Disconnect"));

    Window->OpenConnection(QString::fromStdString(velmora::test::postgresConnectionString()),
                           false);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    Window->EntireScript1->trigger();
    EXPECT_EQ(DataModule1->ADOQuery1.Fields(0).AsString(), "still there?");
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
}
