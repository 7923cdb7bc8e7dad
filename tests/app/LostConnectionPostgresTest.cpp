// A connection that the server ends under the running program, on the real main window: the
// server is PostgreSQL, whose administrator can end one session.
#include "PostgresWindowTest.h"
#include "ScriptEditor.h"
#include "untDataModule1.h"
#include "untLog.h"

#include <QRegularExpression>

namespace {

class LostConnection : public PostgresWindowTest {
protected:
    std::string MakeObjects() const override { return "select 1"; }
    std::string DropObjects() const override { return "select 1"; }

    // Ends the window's session from the administrator's.
    void EndTheWindowsSession() {
        Run("select pg_backend_pid() as pid");
        velmora::test::endPostgresSession(Admin, DataModule1->ADOQuery1.Fields(0).AsString());
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
    // The panel shows the reason's first line, its tooltip the whole reason.
    const QString firstLine = reason.section(QRegularExpression("[\r\n]"), 0, 0);
    EXPECT_EQ(Window->StatusBar1->PanelText(1),
              firstLine == reason ? reason : firstLine + " \u2026");
    EXPECT_EQ(Window->StatusBar1->PanelToolTip(1), reason);
    // Newest first: the reason (which may run over several lines), then the closing's lines.
    const QString log = frmLog->Text();
    const qsizetype lost = log.indexOf(" - Connection Lost: " + reason + "\n");
    EXPECT_EQ(lost, log.indexOf(" - ")) << log.toStdString();
    const qsizetype after = log.indexOf(" - ADO Connection : After Disconnect\n");
    const qsizetype disconnect = log.indexOf(" - ADO Connection : Disconnect\n");
    const qsizetype before = log.indexOf(" - ADO Connection : Before Disconnect\n");
    EXPECT_TRUE(lost < after && after < disconnect && disconnect < before) << log.toStdString();

    Window->OpenConnection(QString::fromStdString(velmora::test::postgresConnectionString()),
                           false);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    Window->EntireScript1->trigger();
    EXPECT_EQ(DataModule1->ADOQuery1.Fields(0).AsString(), "still there?");
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
}
