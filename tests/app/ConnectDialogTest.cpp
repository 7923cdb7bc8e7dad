// The connect dialog on the real main window: its controls, the connection strings it builds,
// the server history, and what a connect attempt leaves in the status bar.
#include "ClosedLoopbackPort.h"
#include "ConnectStrings.h"
#include "ConnectionString.h"
#include "Cursor.h"
#include "DemoWorkspace.h"
#include "OdbcHandles.h"
#include "ProviderTranslation.h"
#include "QtPrinting.h"
#include "RequireComponent.h"
#include "ScriptedDialogs.h"
#include "ServerHistory.h"
#include "SilentListener.h"
#include "StatusBar.h"
#include "untConnect.h"
#include "untDataLink.h"
#include "untMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSysInfo>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

namespace {

// A SQL Server address that refuses at once.
QString UnreachableServer() {
    return QString("127.0.0.1,%1").arg(velmora::test::closedLoopbackPort());
}

bool FreeTdsInstalled() {
    const auto drivers = velmora::ado::OdbcEnvironment::shared()->driverNames();
    return std::find(drivers.begin(), drivers.end(), "FreeTDS") != drivers.end();
}

QByteArray FileBytes(const QString& Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class ConnectDialogTest : public testing::Test {
protected:
    // A fresh dialog on the main window, as Connections > Connect makes it.
    TfrmConnect* NewDialog() {
        auto* dialog = new TfrmConnect(Window.get(), *Window);
        dialog->show();
        return dialog;
    }

    // Connects to a server that refuses, the way a user does: type the name, press Connect.
    void ConnectTo(const QString& Server) {
        TfrmConnect* dialog = NewDialog();
        dialog->cbServer->setEditText(Server);
        QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    }

    TDemoWorkspace Workspace;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window = std::make_unique<TfrmMain>();
};

TEST_F(ConnectDialogTest, OpensCentredOnTheScreenWithConnectAsTheDefaultButton) {
    Window->move(0, 0); // not shown yet, as at start-up
    TfrmConnect* dialog = NewDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    const QRect screen = dialog->screen()->availableGeometry();
    EXPECT_LE((dialog->geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_TRUE(dialog->btnConnect->isDefault());
    EXPECT_FALSE(dialog->btnCancel->isDefault());
    dialog->close();
}

TEST_F(ConnectDialogTest, OpensWithItsDefaults) {
    TfrmConnect* dialog = NewDialog();
    EXPECT_EQ(dialog->windowTitle(), "Velmora 2 - Connect");
    EXPECT_EQ(dialog->cbServer->currentText(), ".");
    EXPECT_EQ(dialog->cbServer->count(), 0);
    EXPECT_EQ(dialog->GroupBox1->title(), "Login Details ");
    EXPECT_EQ(dialog->edtUsername->text(), "sa");
    EXPECT_EQ(dialog->edtPassword->text(), "");
    EXPECT_EQ(dialog->edtPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog->edtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter), '*');
    EXPECT_FALSE(dialog->cbWindowAuth->isChecked());
    EXPECT_EQ(dialog->cbWindowAuth->text(), "Windows Authentication");
    EXPECT_EQ(dialog->btnConnect->text(), "Connect");
    EXPECT_EQ(dialog->btnCancel->text(), "Cancel");
    EXPECT_TRUE(dialog->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(ConnectDialogTest, IsWideEnoughForItsWholeCaptionWhateverTheDesktopsFontSize) {
    const QFont desktop = QApplication::font();
    for (const int pixels : {0, 20, 28}) {
        QFont font = desktop;
        if (pixels > 0)
            font.setPixelSize(pixels);
        QApplication::setFont(font);
        TfrmConnect* dialog = NewDialog();
        font.setBold(true);
        const QFontMetrics caption(font);
        // Room for the caption in bold, and for an icon and a close button beside it.
        EXPECT_GE(dialog->width(),
                  caption.horizontalAdvance(dialog->windowTitle()) + 2 * caption.height())
            << pixels;
        EXPECT_GE(dialog->width(), 234);
        // 214 high at least, and the encryption rows below the login inside it.
        EXPECT_GE(dialog->height(), 214);
        EXPECT_LE(dialog->Encryption.cbTrustServerCertificate->geometry().bottom(),
                  dialog->btnConnect->geometry().top());
        dialog->close();
    }
    QApplication::setFont(desktop);
}

TEST_F(ConnectDialogTest, TabMovesThroughTheLoginServerCheckBoxEncryptionCancelConnect) {
    TfrmConnect* dialog = NewDialog();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    dialog->edtUsername->setFocus();
    const QList<QWidget*> expected = {dialog->edtPassword,
                                      dialog->cbServer,
                                      dialog->cbWindowAuth,
                                      dialog->Encryption.cbEncryption,
                                      dialog->Encryption.cbTrustServerCertificate,
                                      dialog->btnCancel,
                                      dialog->btnConnect};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        EXPECT_TRUE(focused == next || next->isAncestorOf(focused))
            << "expected " << next->objectName().toStdString() << ", focus on "
            << (focused ? focused->objectName().toStdString() : "nothing");
    }
}

TEST_F(ConnectDialogTest, WindowsAuthenticationDisablesTheLoginEditsAndKeepsTheirTexts) {
    TfrmConnect* dialog = NewDialog();
    dialog->edtPassword->setText("secret");
    QTest::mouseClick(dialog->cbWindowAuth, Qt::LeftButton);
    EXPECT_FALSE(dialog->edtUsername->isEnabled());
    EXPECT_FALSE(dialog->edtPassword->isEnabled());
    EXPECT_EQ(dialog->edtPassword->text(), "secret");
    QTest::mouseClick(dialog->cbWindowAuth, Qt::LeftButton);
    EXPECT_TRUE(dialog->edtUsername->isEnabled());
    EXPECT_TRUE(dialog->edtPassword->isEnabled());
    EXPECT_EQ(dialog->edtUsername->text(), "sa");
}

TEST_F(ConnectDialogTest, EnterInEachOfTheFourControlsConnects) {
    VELMORA_REQUIRE(FreeTdsInstalled(), "the FreeTDS ODBC driver");
    const QString server = UnreachableServer();
    for (const char* name : {"edtUsername", "edtPassword", "cbServer", "cbWindowAuth"}) {
        TfrmConnect* dialog = NewDialog();
        dialog->cbServer->setEditText(server);
        QPointer<TfrmConnect> alive(dialog);
        QWidget* control = dialog->findChild<QWidget*>(name);
        QWidget* target = control == dialog->cbServer ? dialog->cbServer->lineEdit() : control;
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_FALSE(dialog->isVisible()) << name;
        EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error") << name;
        Window->StatusBar1->SetPanelText(0, "");
        QTest::qWait(0); // the closed dialog frees itself
        EXPECT_TRUE(alive.isNull()) << name;
    }
}

TEST_F(ConnectDialogTest, UnreachableServerClosesTheDialogAndReportsTheDriversMessage) {
    VELMORA_REQUIRE(FreeTdsInstalled(), "the FreeTDS ODBC driver");
    TfrmConnect* dialog = NewDialog();
    dialog->cbServer->setEditText(UnreachableServer());
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_FALSE(Window->StatusBar1->PanelText(1).isEmpty());
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_FALSE(HourglassCursorShown());
}

TEST_F(ConnectDialogTest, CancelGivesUpAnAttemptOnAServerThatNeverAnswers) {
    VELMORA_REQUIRE(FreeTdsInstalled(), "the FreeTDS ODBC driver");
    const velmora::test::SilentListener silent;
    TfrmConnect* dialog = NewDialog();
    dialog->cbServer->setEditText(QString("127.0.0.1,%1").arg(silent.port()));
    QString shown;
    QElapsedTimer sinceCancel;
    QTimer::singleShot(500, dialog, [&] {
        shown = dialog->findChild<QLabel*>("lblServerWait")->text();
        sinceCancel.start();
        QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    ASSERT_TRUE(sinceCancel.isValid());
    EXPECT_LT(sinceCancel.elapsed(), 5000); // given up, not timed out after 15 s
    EXPECT_EQ(shown, QString::fromUtf8("Connecting… 0:00"));
    // A failed attempt, as the dialog reports every one.
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_EQ(Window->StatusBar1->PanelText(1), "The connection attempt was cancelled.");
    EXPECT_FALSE(HourglassCursorShown());
}

TEST_F(ConnectDialogTest, EscapeGivesUpATestConnectionOnAServerThatNeverAnswers) {
    VELMORA_REQUIRE(FreeTdsInstalled(), "the FreeTDS ODBC driver");
    const velmora::test::SilentListener silent;
    auto* editor = new TfrmDataLink(Window.get(), Workspace.FilePath("silent.udl"));
    editor->show();
    editor->edtServer->setText(QString("127.0.0.1,%1").arg(silent.port()));
    QTimer::singleShot(300, editor, [editor] { QTest::keyClick(editor, Qt::Key_Escape); });
    QTest::mouseClick(editor->btnTestConnection, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "Test connection failed: The connection attempt was cancelled.");
    EXPECT_TRUE(editor->isVisible()); // Escape gave up the attempt, not the dialog
    editor->close();
}

TEST_F(ConnectDialogTest, CancelClosesAndChangesNothing) {
    TfrmConnect* dialog = NewDialog();
    QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "");
    EXPECT_FALSE(QFile::exists(Workspace.FilePath("conhist.dat")));
}

TEST_F(ConnectDialogTest, ServerHistoryRecordsEachNameOnceInFirstUseOrder) {
    ConnectTo(".");
    EXPECT_EQ(FileBytes(Workspace.FilePath("conhist.dat")), ".\r\n");
    ConnectTo(".");
    ConnectTo("Db1");
    ConnectTo("DB1");
    ConnectTo("Db1");
    ConnectTo("Zoë");
    EXPECT_EQ(FileBytes(Workspace.FilePath("conhist.dat")),
              QString::fromUtf8(".\r\nDb1\r\nDB1\r\nZoë\r\n").toUtf8());

    TfrmConnect* dialog = NewDialog();
    ASSERT_EQ(dialog->cbServer->count(), 4);
    EXPECT_EQ(dialog->cbServer->itemText(3), QString::fromUtf8("Zoë"));
    EXPECT_FALSE(dialog->cbServer->itemIcon(0).isNull());
    EXPECT_EQ(dialog->cbServer->currentText(), ".");
}

TEST_F(ConnectDialogTest, HistoryWithoutItsLastLineBreakGetsTheNewNameOnALineOfItsOwn) {
    QFile file(Workspace.FilePath("conhist.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("alpha\r\nbeta");
    file.close();
    ConnectTo("gamma");
    EXPECT_EQ(FileBytes(Workspace.FilePath("conhist.dat")), "alpha\r\nbeta\r\ngamma\r\n");
}

TEST_F(ConnectDialogTest, ProgramsRecordingServersAtTheSameMomentKeepEachOthersNames) {
    const QString path = Workspace.FilePath("conhist.dat");
    constexpr int PerProgram = 100;
    auto recorder = [&](const QString& Prefix) {
        return std::thread([&path, Prefix] {
            for (int i = 0; i < PerProgram; ++i) {
                ::RecordServer(path, {}, Prefix + QString::number(i));
                ::RecordServer(path, {}, "shared" + QString::number(i));
            }
        });
    };
    std::thread first = recorder("first");
    std::thread second = recorder("second");
    first.join();
    second.join();
    const QStringList names = ReadServerHistory(path);
    EXPECT_EQ(names.size(), 3 * PerProgram);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size()) << "a name twice";
}

TEST_F(ConnectDialogTest, AServerNameWithALineBreakIsRefusedAndNeverRecorded) {
    TfrmConnect* dialog = NewDialog();
    dialog->cbServer->setEditText("db1\r\nevil"); // as --server can give it
    ASSERT_EQ(dialog->cbServer->currentText(), "db1\r\nevil");
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "A server name cannot hold a line break.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "");
    EXPECT_THROW(RecordServer(Workspace.FilePath("conhist.dat"), {}, "db2\nevil"),
                 std::runtime_error);
    EXPECT_FALSE(QFile::exists(Workspace.FilePath("conhist.dat")));
}

TEST_F(ConnectDialogTest, AHistoryThatIsNotARegularFileIsReportedAndTheDialogStillOpens) {
    // A pipe would block the dialog for good; /dev/zero would fill the memory.
    for (const char* special : {"pipe", "/dev/zero"}) {
        const QString path = Workspace.FilePath("conhist.dat");
        QFile::remove(path);
        if (std::string(special) == "pipe")
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(special, path));
        Dialogs.Messages.clear();
        TfrmConnect* dialog = NewDialog();
        ASSERT_EQ(Dialogs.Messages.size(), 1u) << special;
        EXPECT_TRUE(Dialogs.Messages[0].Text.contains("not a regular file")) << special;
        EXPECT_EQ(dialog->cbServer->count(), 0);
        EXPECT_EQ(dialog->cbServer->currentText(), ".");
        dialog->close();
    }
}

TEST_F(ConnectDialogTest, TheFirstPanelSaysWhetherAndWhereTheWindowIsConnected) {
    Window->OpenConnection("demo.udl", true);
    ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    const QString summary = Window->StatusBar1->PanelToolTip(0);
    // SQLite's driver names the database file as the server; it has no logins.
    EXPECT_EQ(summary, "Server: " + Workspace.FilePath("demo.db") +
                           "\nLogin: (not reported)\nDatabase: main");
    // Hovering shows the summary, not the panel's text.
    QLabel* panel = Window->StatusBar1->findChildren<QLabel*>().value(0);
    ASSERT_NE(panel, nullptr);
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), panel->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(panel, &hover);
    EXPECT_EQ(panel->toolTip(), summary);

    Window->Close1->trigger();
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Disconnected");
    EXPECT_EQ(Window->StatusBar1->PanelText(1), "");
    EXPECT_EQ(Window->StatusBar1->PanelToolTip(0), "Not connected");
    // Closing what is closed leaves a failed connect's report as it is.
    Window->OpenConnection("Provider=MSDASQL;Extended Properties=\"Driver=NoSuchDriver\"", false);
    ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    Window->Close1->trigger();
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ConnectDialogTest, AtStartUpTheDialogIsModalAndCancellingLeavesThePanelsEmpty) {
    bool wasModal = false;
    QTimer::singleShot(0, [&wasModal] {
        wasModal = frmConnect != nullptr && frmConnect->isModal();
        if (frmConnect != nullptr)
            frmConnect->btnCancel->click();
    });
    SetHourglassCursor();
    Window->ConnectAtStartup();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(HourglassCursorShown());
    for (int panel = 0; panel < 4; ++panel)
        EXPECT_EQ(Window->StatusBar1->PanelText(panel), "") << panel;
}

TEST_F(ConnectDialogTest, AtStartUpTheDialogOffersTheServerGiven) {
    QString offered;
    QTimer::singleShot(0, [&offered] {
        offered = frmConnect->cbServer->currentText();
        frmConnect->btnCancel->click();
    });
    Window->ConnectAtStartup({"", "db7,1500"});
    EXPECT_EQ(offered, "db7,1500");
}

TEST_F(ConnectDialogTest, AtStartUpAConnectionFileConnectsWithoutTheDialog) {
    Window->ConnectAtStartup({"demo.udl", ""});
    EXPECT_EQ(frmConnect, nullptr);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    EXPECT_FALSE(HourglassCursorShown());
}

TEST_F(ConnectDialogTest, TheWindowOpensMaximizedAndRestoresToItsDesignSizeCentred) {
    Window->ShowAtStartup();
    EXPECT_TRUE(Window->windowState() & Qt::WindowMaximized);
    const QRect normal = Window->normalGeometry();
    EXPECT_EQ(normal.size(), QSize(1010, 739));
    // Centred up to the rounding of an odd size.
    EXPECT_LE((normal.center() - Window->screen()->availableGeometry().center()).manhattanLength(),
              1);
}

// Stands in for a connection whose closing fails, which no engine here can be made to do.
class TFailingCloseCommands final : public TConnectionCommands {
public:
    void CloseConnection() override { throw std::runtime_error("Operation is not allowed"); }
    void SetDefaultDatabase(const QString&) override {}
    bool ConnectionOpen() const override { return true; }
    bool SettlePendingEdit() override { return true; }
    TConnectResult OpenConnection(const QString&, bool) override {
        ADD_FAILURE() << "must not open";
        return {};
    }
};

TEST_F(ConnectDialogTest, FailureBeforeOpeningShowsAnErrorBoxAndKeepsTheDialog) {
    TFailingCloseCommands commands;
    auto* dialog = new TfrmConnect(Window.get(), commands);
    dialog->show();
    QTest::mouseClick(dialog->btnConnect, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Operation is not allowed");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(QFile::exists(Workspace.FilePath("conhist.dat")));
}

TEST(ConnectStrings, DefaultsGiveTheSqlServerLoginString) {
    EXPECT_EQ(SqlServerLoginString(".", "sa", ""),
              "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;Data Source=.");
}

TEST(ConnectStrings, WindowsAuthenticationNamesTheWorkstation) {
    EXPECT_EQ(WindowsAuthenticationString("db1\\SQLEXPRESS", "ws7"),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=master;Data Source=db1\\SQLEXPRESS;Use Procedure for Prepare=1;"
              "Auto Translate=True;Packet Size=4096;Workstation ID=ws7;Use Encryption for "
              "Data=False;Tag with column collation when possible=False;");
}

TEST(ConnectStrings, EncryptionIsAddedOnlyWhenAskedFor) {
    using velmora::ado::TEncryptionMode;
    EXPECT_EQ(SqlServerLoginString("db1", "sa", "pw", {TEncryptionMode::Mandatory, false}),
              "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
              "Data Source=db1;Use Encryption for Data=True");
    EXPECT_EQ(SqlServerLoginString("db1", "sa", "pw", {TEncryptionMode::Strict, true}),
              "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
              "Data Source=db1;Use Encryption for Data=Strict;Trust Server Certificate=True");
    EXPECT_EQ(WindowsAuthenticationString("db1", "ws7", {TEncryptionMode::Mandatory, true}),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=master;Data Source=db1;Use Procedure for Prepare=1;"
              "Auto Translate=True;Packet Size=4096;Workstation ID=ws7;Use Encryption for "
              "Data=True;Tag with column collation when possible=False;Trust Server "
              "Certificate=True;");
    // What the string asks for is what the translation asks the driver for.
    const auto noOverride = [](const std::string&) { return std::optional<std::string>(); };
    const auto target = velmora::ado::translateConnectionString(
        SqlServerLoginString("db1", "sa", "pw", {TEncryptionMode::Mandatory, false}).toStdString(),
        noOverride);
    EXPECT_NE(target.odbcConnectionString.find("Encryption=require;"), std::string::npos);
    EXPECT_FALSE(target.freeTdsConfiguration.empty());
}

TEST(ConnectStrings, APasswordWithSemicolonsStaysAPasswordAndInjectsNoKey) {
    const QString password = "x;Data Source=evil";
    const std::string built = SqlServerLoginString("db1", "sa", password).toStdString();
    const auto items = velmora::ado::parseConnectionString(built);
    EXPECT_EQ(velmora::ado::findValue(items, "Password"), password.toStdString());
    EXPECT_EQ(velmora::ado::findValue(items, "Data Source"), "db1");

    const auto noOverride = [](const std::string&) { return std::optional<std::string>(); };
    const std::string odbc =
        velmora::ado::translateConnectionString(built, noOverride).odbcConnectionString;
    const auto odbcItems = velmora::ado::parseOdbcConnectionString(odbc);
    EXPECT_EQ(velmora::ado::findValue(odbcItems, "PWD"), password.toStdString());
    EXPECT_EQ(velmora::ado::findValue(odbcItems, "Server"), "db1");
}

TEST(ConnectStrings, QuotesEveryTypedValueThatNeedsIt) {
    for (const QString& value : {QString("a'b\"c"), QString(" lead"), QString("x;y"),
                                 QString("\"q\""), QString("semi;'")}) {
        const auto items = velmora::ado::parseConnectionString(
            SqlServerLoginString(value, value, value).toStdString());
        EXPECT_EQ(velmora::ado::findValue(items, "Password"), value.toStdString());
        EXPECT_EQ(velmora::ado::findValue(items, "User ID"), value.toStdString());
        EXPECT_EQ(velmora::ado::findValue(items, "Data Source"), value.toStdString());
        EXPECT_EQ(velmora::ado::findValue(items, "Persist Security Info"), "True");
    }
}

} // namespace
