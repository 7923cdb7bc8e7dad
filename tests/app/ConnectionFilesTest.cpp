// Connection files on the real main window: Connections > Open, the connection files dialog and
// the data link dialog that writes them.
#include "ConnectionFiles.h"

#include "DemoWorkspace.h"
#include "QtPrinting.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "untDataLink.h"
#include "untDataModule1.h"
#include "untEditConnections.h"
#include "untLog.h"
#include "untMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteFile(const QString& Path, const QByteArray& Bytes) {
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(Bytes);
}

QByteArray ReadFile(const QString& Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The standard layout of a data link file, made here independently of the program.
QByteArray DataLinkBytes(const QString& ConnectionString) {
    const QString text = "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n" +
                         ConnectionString + "\r\n";
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// The connection string line of a data link file in the standard layout.
QString ConnectionStringIn(const QString& Path) {
    const QByteArray bytes = ReadFile(Path);
    if (!bytes.startsWith("\xFF\xFE"))
        return "<not UTF-16LE with a byte-order mark>";
    const QString text = QString::fromUtf16(
        reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    return text.split("\r\n").value(2);
}

mode_t ModeOf(const QString& Path) {
    struct stat status {};
    ::stat(QFile::encodeName(Path).constData(), &status);
    return status.st_mode & 07777;
}

QStringList MenuTexts(const QMenu* Menu) {
    QStringList texts;
    for (const QAction* action : Menu->actions())
        texts << action->text();
    return texts;
}

class ConnectionFilesTest : public testing::Test {
protected:
    void Rebuild() { Window->FillConnectionMenu(); }

    QAction* OpenItem(const QString& Caption) {
        for (QAction* action : Window->Open2->actions())
            if (action->text() == Caption)
                return action;
        ADD_FAILURE() << "no item " << Caption.toStdString();
        return nullptr;
    }

    TfrmEditConnections* NewFilesDialog() {
        auto* dialog = new TfrmEditConnections(Window.get(), *Window);
        dialog->show();
        return dialog;
    }

    TfrmDataLink* OpenDataLinkDialog() {
        auto* dialog = Window->findChild<TfrmDataLink*>();
        EXPECT_NE(dialog, nullptr) << "no data link dialog open";
        return dialog;
    }

    QStringList ListedRow(TfrmEditConnections* Dialog, int Row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << Dialog->lvAvailableConnections->item(Row, column)->text();
        return cells;
    }

    TDemoWorkspace Workspace;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window = std::make_unique<TfrmMain>();
};

TEST_F(ConnectionFilesTest, OpenSubmenuListsTheFilesInDirectoryOrder) {
    for (const char* name : {"zeta.udl", "alpha.udl", "Mixed.UDL", "notes.txt", "udl"})
        WriteFile(Workspace.FilePath(name), "");
    Rebuild();
    QStringList directoryOrder;
    for (const auto& entry : std::filesystem::directory_iterator(Workspace.Path().toStdString())) {
        const QString name = QString::fromStdString(entry.path().filename().string());
        if (name.endsWith(".udl", Qt::CaseInsensitive))
            directoryOrder << name;
    }
    EXPECT_EQ(MenuTexts(Window->Open2), directoryOrder);
    EXPECT_EQ(directoryOrder.size(), 4); // demo.udl and the three made here
}

TEST_F(ConnectionFilesTest, ChoosingAFileConnectsThroughIt) {
    Rebuild();
    OpenItem("demo.udl")->trigger();
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    EXPECT_EQ(Window->StatusBar1->PanelText(1), "");
    EXPECT_TRUE(Window->ConnectionOpen());
}

TEST_F(ConnectionFilesTest, AFileWithAnAmpersandShowsItLiterallyAndOpens) {
    ASSERT_TRUE(QFile::copy(Workspace.FilePath("demo.udl"), Workspace.FilePath("R&D.udl")));
    Rebuild();
    QAction* item = OpenItem("R&&D.udl");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->iconText(), "R&D.udl");
    item->trigger();
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
}

TEST_F(ConnectionFilesTest, ABrokenFileReportsConnectErrorNamingIt) {
    WriteFile(Workspace.FilePath("broken.udl"), "");
    Rebuild();
    OpenItem("broken.udl")->trigger();
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    const QString message = Window->StatusBar1->PanelText(1);
    EXPECT_TRUE(message.contains("broken.udl"));
    // The 150-pixel panel shows only its start; the tooltip and the log hold all of it.
    EXPECT_GT(Window->StatusBar1->fontMetrics().horizontalAdvance(message), 150);
    EXPECT_EQ(Window->StatusBar1->PanelToolTip(1), message);
    EXPECT_TRUE(frmLog->Text().section('\n', 0, 0).endsWith(" - Connect Error: " + message))
        << frmLog->Text().toStdString();
}

TEST_F(ConnectionFilesTest, TheLastDefaultDatabaseIsAppliedAgainWhenAFileOpens) {
    Window->SetDefaultDatabase("main");
    Rebuild();
    OpenItem("demo.udl")->trigger();
    ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    EXPECT_EQ(DataModule1->ADOConnection1.DefaultDatabase(), "main");
}

TEST_F(ConnectionFilesTest, DialogListsEachFileWithItsTypeAndWhetherItHoldsAString) {
    WriteFile(Workspace.FilePath("fresh.udl"), "");
    TfrmEditConnections* dialog = NewFilesDialog();
    EXPECT_EQ(dialog->windowTitle(), "Create / Edit Connections");
    ASSERT_EQ(dialog->lvAvailableConnections->rowCount(), 2);
    const QStringList first = ListedRow(dialog, 0);
    const QStringList second = ListedRow(dialog, 1);
    const QStringList demo = first[0] == "demo.udl" ? first : second;
    const QStringList fresh = first[0] == "demo.udl" ? second : first;
    EXPECT_EQ(demo, (QStringList{"demo.udl", "UDL File", "String Currently Not Available"}));
    EXPECT_EQ(fresh, (QStringList{"fresh.udl", "UDL File", ""}));
    EXPECT_EQ(dialog->lvAvailableConnections->item(0, 0)->checkState(), Qt::Unchecked);
}

TEST_F(ConnectionFilesTest, CreateRefusesAnExistingNameAndLeavesTheFile) {
    TfrmEditConnections* dialog = NewFilesDialog();
    dialog->edtName->setText("demo");
    const QByteArray before = ReadFile(Workspace.FilePath("demo.udl"));
    QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "File already exists.");
    EXPECT_EQ(ReadFile(Workspace.FilePath("demo.udl")), before);
    EXPECT_EQ(Window->findChild<TfrmDataLink*>(), nullptr);
}

TEST_F(ConnectionFilesTest, CreateWhileConnectedClosesTheConnectionAndOpensTheEditor) {
    Window->OpenConnection("demo.udl", true);
    ASSERT_TRUE(Window->ConnectionOpen());
    TfrmEditConnections* dialog = NewFilesDialog();
    dialog->edtName->setText("sales");
    QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Disconnected");
    EXPECT_TRUE(QFile::exists(Workspace.FilePath("sales.udl")));
    EXPECT_EQ(ReadFile(Workspace.FilePath("sales.udl")), "");
    TfrmDataLink* editor = OpenDataLinkDialog();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->FileName(), Workspace.FilePath("sales.udl"));
    EXPECT_EQ(dialog->lvAvailableConnections->rowCount(), 2);
}

TEST_F(ConnectionFilesTest, ANameWithAPathSeparatorIsRefused) {
    TfrmEditConnections* dialog = NewFilesDialog();
    for (const char* name : {"../escaped", "sub/inner", "..\\escaped"}) {
        Dialogs.Messages.clear();
        dialog->edtName->setText(name);
        QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
        ASSERT_EQ(Dialogs.Messages.size(), 1u) << name;
        EXPECT_EQ(Dialogs.Messages[0].Text, "A connection name cannot hold \"/\" or \"\\\".");
        EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    }
    EXPECT_FALSE(QFile::exists(QDir(Workspace.Path()).filePath("../escaped.udl")));
    EXPECT_EQ(QDir(Workspace.Path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"demo.db", "demo.udl"}));
    EXPECT_EQ(Window->findChild<TfrmDataLink*>(), nullptr);
}

TEST_F(ConnectionFilesTest, ACreatedFileIsTheOwnersOnlyAndStaysSoWhenAPasswordIsSaved) {
    const mode_t umask = ::umask(022);
    TfrmEditConnections* dialog = NewFilesDialog();
    dialog->edtName->setText("secret");
    QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
    const QString path = Workspace.FilePath("secret.udl");
    EXPECT_EQ(ModeOf(path), 0600u);
    TfrmDataLink* editor = OpenDataLinkDialog();
    ASSERT_NE(editor, nullptr);
    editor->edtServer->setText("db1");
    editor->edtUserName->setText("sa");
    editor->edtPassword->setText("hunter2");
    editor->cbAllowSavingPassword->setChecked(true);
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    ::umask(umask);
    EXPECT_TRUE(ConnectionStringIn(path).contains("Password=hunter2"));
    EXPECT_EQ(ModeOf(path), 0600u);
}

TEST_F(ConnectionFilesTest, SpecialFilesAreNeitherListedNorReadAndAHugeFileIsRefused) {
    // A pipe would block the program for good; /dev/zero would fill the memory.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Workspace.FilePath("pipe.udl")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", Workspace.FilePath("zero.udl")));
    Rebuild();
    EXPECT_EQ(MenuTexts(Window->Open2), QStringList{"demo.udl"});
    TfrmEditConnections* dialog = NewFilesDialog();
    EXPECT_EQ(dialog->lvAvailableConnections->rowCount(), 1);
    EXPECT_TRUE(Dialogs.Messages.empty());

    Window->OpenConnection("pipe.udl", true); // as --connect pipe.udl would
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connect Error");
    EXPECT_TRUE(Window->StatusBar1->PanelText(1).contains("It is a pipe, not a regular file."));

    WriteFile(Workspace.FilePath("huge.udl"),
              DataLinkBytes("Provider=SQLOLEDB.1") + QByteArray(5 << 20, ' '));
    dialog = NewFilesDialog(); // reports the file and opens, so that it can be deleted
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("huge.udl"));
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("too large"));
    EXPECT_TRUE(dialog->isVisible());
    Window->OpenConnection("huge.udl", true);
    EXPECT_TRUE(Window->StatusBar1->PanelText(1).contains("too large"));
}

TEST_F(ConnectionFilesTest, AFileOthersCanChangeConnectsOnlyAfterAWarningNamingItsOwner) {
    const QString path = Workspace.FilePath("demo.udl");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::WriteOther));
    Rebuild();
    Dialogs.Answers = {QMessageBox::No};
    OpenItem("demo.udl")->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const QString owner = QFileInfo(path).owner();
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "The connection file \"demo.udl\" can be changed by other users (it belongs to " +
                  owner +
                  "). Whoever can change it chooses the server, the login and the driver "
                  "settings you connect with. Connect through it anyway?");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_FALSE(Window->ConnectionOpen());
    EXPECT_TRUE(frmLog->Text().contains("Not connected through \"demo.udl\""));

    Dialogs.Answers = {QMessageBox::Yes};
    Window->OpenConnection("demo.udl", true); // as --connect demo.udl would
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_TRUE(Window->ConnectionOpen());

    // Only its owner may change it again: no question.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    Window->CloseConnection();
    OpenItem("demo.udl")->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_TRUE(Window->ConnectionOpen());
}

// Another user's file, or another user's link planted under a connection file's name.
TEST_F(ConnectionFilesTest, AnotherUsersFileOrLinkIsNamedWithItsOwnerBeforeConnecting) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const QString path = Workspace.FilePath("demo.udl");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    const QString other = QFileInfo(path).owner();
    ASSERT_FALSE(other.isEmpty());
    Rebuild();
    Dialogs.Answers = {QMessageBox::No};
    OpenItem("demo.udl")->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.startsWith("The connection file \"demo.udl\" belongs to " +
                                                    other + ", not to you."))
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_FALSE(Window->ConnectionOpen());

    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 0, 0), 0);
    ASSERT_TRUE(QFile::link(path, Workspace.FilePath("planted.udl")));
    ASSERT_EQ(
        ::lchown(QFile::encodeName(Workspace.FilePath("planted.udl")).constData(), 65534, 65534),
        0);
    Rebuild();
    Dialogs.Answers = {QMessageBox::No};
    OpenItem("planted.udl")->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_TRUE(Dialogs.Messages[1].Text.contains("\"planted.udl\" belongs to " + other))
        << Dialogs.Messages[1].Text.toStdString();
    EXPECT_FALSE(Window->ConnectionOpen());
    OpenItem("demo.udl")->trigger(); // the file itself is root's own again
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_TRUE(Window->ConnectionOpen());
}

TEST_F(ConnectionFilesTest, AnEmptyNameCreatesDotUdl) {
    TfrmEditConnections* dialog = NewFilesDialog();
    QTest::mouseClick(dialog->btnCreate, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(Workspace.FilePath(".udl")));
}

TEST_F(ConnectionFilesTest, DeleteAsksAndRemovesOnlyOnYes) {
    TfrmEditConnections* dialog = NewFilesDialog();
    dialog->lvAvailableConnections->selectRow(0);
    Dialogs.Answers = {QMessageBox::No, QMessageBox::Yes};
    dialog->Delete1->trigger();
    EXPECT_TRUE(QFile::exists(Workspace.FilePath("demo.udl")));
    dialog->Delete1->trigger();
    EXPECT_FALSE(QFile::exists(Workspace.FilePath("demo.udl")));
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Are you sure? Delete demo.udl");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_EQ(dialog->lvAvailableConnections->rowCount(), 0);
}

TEST_F(ConnectionFilesTest, DoubleClickOpensTheEditorFilledFromTheFile) {
    TfrmEditConnections* dialog = NewFilesDialog();
    dialog->lvAvailableConnections->selectRow(0);
    dialog->lvAvailableConnectionsDblClick();
    TfrmDataLink* editor = OpenDataLinkDialog();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->cbProvider->currentData().toString(), "MSDASQL.1");
    EXPECT_TRUE(editor->rbDriver->isChecked());
    EXPECT_EQ(editor->cbDriver->currentText(), "SQLite3");
    EXPECT_EQ(editor->edtOtherKeys->text(), "Database=" + Workspace.FilePath("demo.db") + ";");
}

TEST_F(ConnectionFilesTest, TheDataLinkPasswordEchoesAsTheConnectDialogsDoes) {
    WriteFile(Workspace.FilePath("shop.udl"), "");
    auto* editor = new TfrmDataLink(Window.get(), Workspace.FilePath("shop.udl"));
    editor->edtPassword->setText("hunter2");
    EXPECT_EQ(editor->edtPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(editor->edtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter), '*');
    EXPECT_EQ(editor->edtPassword->displayText(), "*******");
}

TEST_F(ConnectionFilesTest, DataLinkDialogWritesTheStandardLayoutThatOpensThroughFileName) {
    WriteFile(Workspace.FilePath("shop.udl"), "");
    auto* editor = new TfrmDataLink(Window.get(), Workspace.FilePath("shop.udl"));
    editor->cbProvider->setCurrentIndex(editor->cbProvider->findData("MSDASQL.1"));
    editor->rbDriver->setChecked(true);
    editor->cbDriver->setEditText("SQLite3");
    editor->edtOtherKeys->setText("Database=demo.db");
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    EXPECT_EQ(ReadFile(Workspace.FilePath("shop.udl")),
              DataLinkBytes("Provider=MSDASQL.1;Persist Security Info=False;"
                            "Extended Properties=\"Driver=SQLite3;Database=demo.db\""));
    Window->OpenConnection("shop.udl", true);
    EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected");
}

TEST_F(ConnectionFilesTest, DataLinkDialogWritesAPasswordOnlyWhenAllowed) {
    const QString path = Workspace.FilePath("server.udl");
    WriteFile(path, "");
    for (const bool allowed : {false, true}) {
        auto* editor = new TfrmDataLink(Window.get(), path);
        editor->cbProvider->setCurrentIndex(editor->cbProvider->findData("SQLOLEDB.1"));
        editor->edtServer->setText("db1,1433");
        editor->edtUserName->setText("report");
        editor->edtPassword->setText("p;w\"d");
        editor->cbAllowSavingPassword->setChecked(allowed);
        editor->edtInitialCatalog->setText("sales");
        QTest::mouseClick(editor->btnOK, Qt::LeftButton);
        EXPECT_EQ(ConnectionStringIn(path),
                  QString(allowed ? "Provider=SQLOLEDB.1;Password='p;w\"d';Persist Security "
                                    "Info=True;User ID=report;Initial Catalog=sales;Data "
                                    "Source=db1,1433"
                                  : "Provider=SQLOLEDB.1;Persist Security Info=False;User "
                                    "ID=report;Initial Catalog=sales;Data "
                                    "Source=db1,1433"));
    }
}

TEST_F(ConnectionFilesTest, DataLinkDialogKeepsKeysItDoesNotEdit) {
    const QString path = Workspace.FilePath("server.udl");
    WriteFile(path, DataLinkBytes("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security "
                                  "Info=False;Initial Catalog=master;Data Source=.;Packet "
                                  "Size=4096;Workstation ID=ws1"));
    auto* editor = new TfrmDataLink(Window.get(), path);
    EXPECT_TRUE(editor->cbWindowsAuth->isChecked());
    EXPECT_FALSE(editor->edtUserName->isEnabled());
    EXPECT_EQ(editor->edtServer->text(), ".");
    editor->edtInitialCatalog->setText("sales");
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    EXPECT_EQ(ConnectionStringIn(path),
              QString("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist "
                      "Security Info=False;Initial Catalog=sales;Data "
                      "Source=.;Packet Size=4096;Workstation ID=ws1"));
}

TEST_F(ConnectionFilesTest, DataLinkDialogSavesTheEncryptionAskedForAndReadsItBack) {
    using velmora::ado::TEncryptionMode;
    const QString path = Workspace.FilePath("secure.udl");
    struct Case {
        TEncryptionMode Mode;
        bool Trust;
        QString Saved;
    };
    const QString base = "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=db1";
    for (const Case& example :
         {Case{TEncryptionMode::Optional, false, base},
          Case{TEncryptionMode::Mandatory, false, base + ";Use Encryption for Data=True"},
          Case{TEncryptionMode::Mandatory, true,
               base + ";Use Encryption for Data=True;Trust Server Certificate=True"},
          Case{TEncryptionMode::Strict, false, base + ";Use Encryption for Data=Strict"},
          Case{TEncryptionMode::Optional, true, base + ";Trust Server Certificate=True"}}) {
        SCOPED_TRACE(example.Saved.toStdString());
        WriteFile(path, "");
        auto* editor = new TfrmDataLink(Window.get(), path);
        EXPECT_EQ(editor->Encryption.cbEncryption->currentText(), "Optional");
        editor->cbProvider->setCurrentIndex(editor->cbProvider->findData("SQLOLEDB.1"));
        editor->edtServer->setText("db1");
        editor->Encryption.Show(example.Mode, example.Trust);
        QTest::mouseClick(editor->btnOK, Qt::LeftButton);
        EXPECT_EQ(ConnectionStringIn(path), example.Saved);

        auto* again = new TfrmDataLink(Window.get(), path);
        EXPECT_EQ(again->Encryption.Mode(), example.Mode);
        EXPECT_EQ(again->Encryption.TrustServerCertificate(), example.Trust);
        again->close();
    }
}

TEST_F(ConnectionFilesTest, DataLinkDialogKeepsTheNewerProvidersEncryptionDefault) {
    const QString path = Workspace.FilePath("azure.udl");
    WriteFile(path, DataLinkBytes("Provider=MSOLEDBSQL19;Data Source=db1"));
    auto* editor = new TfrmDataLink(Window.get(), path);
    // This provider encrypts unless told otherwise, and the dialog shows so.
    EXPECT_EQ(editor->Encryption.cbEncryption->currentText(), "Mandatory");
    editor->Encryption.Show(velmora::ado::TEncryptionMode::Optional, false);
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    EXPECT_EQ(ConnectionStringIn(path), "Provider=MSOLEDBSQL19;Persist Security Info=False;Data "
                                        "Source=db1;Use Encryption for Data=Optional");
}

TEST_F(ConnectionFilesTest, DataLinkDialogWritesAStatedEncryptionAgainUnchanged) {
    const QString path = Workspace.FilePath("windows.udl");
    WriteFile(path, DataLinkBytes("Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=.;"
                                  "Use Encryption for Data=False"));
    auto* editor = new TfrmDataLink(Window.get(), path);
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    EXPECT_TRUE(ConnectionStringIn(path).endsWith(";Use Encryption for Data=False"))
        << ConnectionStringIn(path).toStdString();
}

TEST_F(ConnectionFilesTest, DataLinkDialogReadsAndWritesAnOdbcDataSourceName) {
    const QString path = Workspace.FilePath("dsn.udl");
    const QString saved =
        "Provider=MSDASQL.1;Password=pw;Persist Security Info=True;User ID=u;Data Source=Sales";
    WriteFile(path, DataLinkBytes(saved));
    auto* editor = new TfrmDataLink(Window.get(), path);
    EXPECT_TRUE(editor->rbDataSourceName->isChecked());
    EXPECT_EQ(editor->cbDataSourceName->currentText(), "Sales");
    EXPECT_FALSE(editor->cbWindowsAuth->isEnabled());
    EXPECT_TRUE(editor->cbAllowSavingPassword->isChecked());
    QTest::mouseClick(editor->btnOK, Qt::LeftButton);
    EXPECT_EQ(ConnectionStringIn(path), saved);
}

TEST_F(ConnectionFilesTest, DataLinkDialogCancelWritesNothing) {
    const QByteArray before = ReadFile(Workspace.FilePath("demo.udl"));
    auto* editor = new TfrmDataLink(Window.get(), Workspace.FilePath("demo.udl"));
    editor->edtOtherKeys->setText("Database=other.db");
    QTest::mouseClick(editor->btnCancel, Qt::LeftButton);
    EXPECT_EQ(ReadFile(Workspace.FilePath("demo.udl")), before);
}

TEST_F(ConnectionFilesTest, DataLinkDialogOnAMalformedFileSaysSoAndStartsAfresh) {
    const QString path = Workspace.FilePath("odd.udl");
    WriteFile(path, "not a data link file");
    auto* editor = new TfrmDataLink(Window.get(), path);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("odd.udl"));
    EXPECT_EQ(editor->edtServer->text(), "");
    QTest::mouseClick(editor->btnCancel, Qt::LeftButton);
    EXPECT_EQ(ReadFile(path), "not a data link file");
}

TEST_F(ConnectionFilesTest, TestConnectionReportsSuccessOrTheDriversMessage) {
    auto* editor = new TfrmDataLink(Window.get(), Workspace.FilePath("demo.udl"));
    QTest::mouseClick(editor->btnTestConnection, Qt::LeftButton);
    editor->cbDriver->setEditText("No Such Driver");
    QTest::mouseClick(editor->btnTestConnection, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Test connection succeeded.");
    EXPECT_EQ(Dialogs.Messages[1].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[1].Text.contains("No Such Driver"));
    EXPECT_FALSE(Window->ConnectionOpen());
    editor->close();
}

TEST(ConnectionFileNames, MenuCaptionsRoundTripAmpersands) {
    for (const QString& name : {QString("a&b.udl"), QString("&&.udl"), QString("plain.udl")})
        EXPECT_EQ(FileNameOfMenuCaption(MenuCaptionFor(name)), name);
}

} // namespace
