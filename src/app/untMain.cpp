#include "untMain.h"

#include "ConnectionFiles.h"
#include "ConnectionString.h"
#include "ContextMenuShortcuts.h"
#include "Cursor.h"
#include "ErrorHandler.h"
#include "PasswordMask.h"
#include "ScreenPlacement.h"
#include "ScriptEditor.h"
#include "ScriptRunner.h"
#include "ShownText.h"
#include "StatusBar.h"
#include "untAbout.h"
#include "untConnect.h"
#include "untDataModule1.h"
#include "untEditConnections.h"
#include "untHistory.h"
#include "untLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

TfrmMain* frmMain = nullptr;

namespace {

const char* const ScriptFilter =
    "SQL Files (*.sql)|*.sql|Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
// In the order of TExportKind (MainWindowExport.cpp).
const char* const ExportFilter = "CSV, comma separated (*.csv)|*.csv|"
                                 "CSV, semicolon separated (*.csv)|*.csv|"
                                 "Text, tab separated (*.tsv;*.txt)|*.tsv;*.txt";

bool IsConnectionLost(const std::exception& Error) {
    return dynamic_cast<const velmora::ado::EConnectionLost*>(&Error) != nullptr;
}

// "FILE NAME=" and the path of a connection file of the current directory.
std::string ConnectionFileString(const QString& FileName) {
    const QString path = QDir::toNativeSeparators(QDir::current().filePath(FileName));
    return "FILE NAME=" + velmora::ado::quoteConnectionStringValue(path.toStdString());
}

} // namespace

TfrmMain::TfrmMain() {
    frmMain = this;
    CreateComponents();
    CreateMainMenu();
    CreatePopupMenus();
    CreateFileDialogs();
    ConnectHandlers();
    FormCreate();
    ConnectScriptCommands();
    ConnectFileCommands();
    ConnectServerWait();
    ConnectKeyboard();
}

TfrmMain::~TfrmMain() {
    SetGeneralErrorObserver({});
    // The log goes before the data module, whose closing connection would still write to it.
    FDataModule->SetLogSink(nullptr);
    frmLog = nullptr;
    frmHistory = nullptr;
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::CreateFileDialogs() {
    OpenDialog1 = {TFileDialog::TKind::Open, "Open File", ScriptFilter, "sql", {}};
    SaveDialog1 = {TFileDialog::TKind::Save, "Save File", ScriptFilter, "sql", {}};
    OpenDialog2 = {TFileDialog::TKind::Open, "Select file to add", "All Files|*.*", "*.*", {}};
    ExportDialog1 = {TFileDialog::TKind::Save, "Export Result", ExportFilter, "csv", {}};
}

void TfrmMain::FormCreate() {
    FDataModule = std::make_unique<TDataModule1>();
    FDataModule->SetLogSink([this](const QString& Line) { WriteLog(Line); });
    frmLog = new TfrmLog(this);
    frmHistory = new TfrmHistory(this, SaveDialog1);
    FillConnectionMenu();
    // Every command's error reaches the general handler, so a lost connection is noticed there.
    SetGeneralErrorObserver([this](const std::exception& Error) {
        if (IsConnectionLost(Error))
            ConnectionLost(QString::fromUtf8(Error.what()));
    });
}

void TfrmMain::ConnectAtStartup(const TStartupConnection& Startup) {
    RunCommand([this, &Startup] {
        if (Startup.ConnectionFile.isEmpty())
            ShowConnectDialog(Startup.Server);
        else
            OpenConnection(Startup.ConnectionFile, true);
    });
    // The connection's events set the hourglass; whatever happened, the user gets the arrow.
    SetArrowCursor();
}

void TfrmMain::ShowAtStartup() {
    resize(1010, 739);
    CentreOnScreen(this, nullptr);
    showMaximized();
}

void TfrmMain::ShowConnectDialog(const QString& Server) {
    auto* dialog = new TfrmConnect(this, *this);
    if (!Server.isEmpty())
        dialog->cbServer->setEditText(Server);
    dialog->exec();
}

void TfrmMain::ShowConnectionFilesDialog() {
    // Closing only hides the dialog: data link dialogs opened from it live on.
    auto* dialog = new TfrmEditConnections(this, *this);
    dialog->exec();
    FillConnectionMenu();
}

void TfrmMain::FillConnectionMenu() {
    Open2->clear();
    for (const QString& name : ConnectionFileNames(QDir::currentPath())) {
        QAction* item = Open2->addAction(MenuCaptionFor(name));
        connect(item, &QAction::triggered, this,
                Guarded([this, item] { btnInvisibleClick(item); }));
    }
}

void TfrmMain::ConnectHandlers() {
    SourceEdit1->OnChange = [this] { SourceEdit1Change(); };
    SourceEdit1->OnKeyDown = [this](QKeyEvent* Event) { SourceEdit1KeyDown(Event); };
    QWidget* editor = SourceEdit1->Widget();
    connect(editor, &QWidget::customContextMenuRequested, this,
            [this] { popTableSQL->popup(QCursor::pos()); });
    connect(tvStoredProcedures, &QWidget::customContextMenuRequested, this,
            [this] { popStoreProcSQL->popup(QCursor::pos()); });

    FContextMenuShortcuts = new TContextMenuShortcuts(this);
    FContextMenuShortcuts->Register(editor, popTableSQL);
    FContextMenuShortcuts->Register(tvStoredProcedures, popStoreProcSQL);

    ToolButton1->setMenu(popTableSQL);
    ToolButton3->setMenu(popStoreProcSQL);
    connect(popTableSQL, &QMenu::aboutToShow, this, Guarded([this] { popTableSQLPopup(); }));
    connect(popStoreProcSQL, &QMenu::aboutToShow, this,
            Guarded([this] { popStoreProcSQLPopup(); }));

    connect(ToolButton9, &QToolButton::clicked, EntireScript1, &QAction::trigger);
    // The button takes no focus, so the control it copies from keeps it.
    connect(ToolButton4, &QToolButton::clicked, CopySelectedOver1, &QAction::trigger);
    connect(Connect1, &QAction::triggered, this, Guarded([this] { Connect1Click(); }));
    connect(Close1, &QAction::triggered, this, Guarded([this] { Close1Click(); }));
    connect(New2, &QAction::triggered, this, Guarded([this] { New2Click(); }));
    connect(Exit1, &QAction::triggered, this, Guarded([this] { Exit1Click(); }));
    connect(Log1, &QAction::triggered, this, Guarded([this] { Log1Click(); }));
    connect(History1, &QAction::triggered, this, Guarded([this] { History1Click(); }));
    connect(About1, &QAction::triggered, this, Guarded([this] { About1Click(); }));
    connect(btnInvisible, &QPushButton::clicked, this,
            Guarded([this] { btnInvisibleClick(btnInvisible); }));
    StatusBar1->SetPanelToolTipSource(0, [this] { return ConnectionSummary(); });
    ConnectSchemaBrowser();
    ConnectTemplateCommands();
    ConnectInsertionCommands();
    ConnectEditingCommands();
}

void TfrmMain::AppendToScript(const QString& Text) {
    SourceEdit1->AppendLine(Text);
}

void TfrmMain::WriteLog(const QString& Message) {
    const QString shown = ShownText(Message);
    StatusBar1->SetPanelText(3, shown);
    const QString stamp = QDateTime::currentDateTime().toString("dd-MM-yyyy hh:mm:ss.zzz");
    frmLog->InsertFirstLine(stamp + " - " + shown);
}

TConnectResult TfrmMain::OpenConnection(const QString& Text, bool IsFileName) {
    if (IsFileName && !MayUseConnectionFile(Text))
        return {};
    try {
        velmora::ado::TADOConnection& connection = FDataModule->ADOConnection1;
        connection.Close();
        connection.SetConnectionString(IsFileName ? ConnectionFileString(Text)
                                                  : Text.toStdString());
        connection.Open();
        FillDatabases();
        FillStoredProcedures();
        StatusBar1->SetPanelText(0, "Connected");
        StatusBar1->SetPanelText(1, "");
        return {true, false, {}};
    } catch (const std::exception& error) {
        // Lost after the login, while the browser was filled: no half-open connection stays.
        if (IsConnectionLost(error))
            CloseConnection();
        const QString message = QString::fromUtf8(error.what());
        StatusBar1->SetPanelText(0, "Connect Error");
        StatusBar1->SetPanelText(1, message);
        // The panel shows only the start of a long message; the log keeps all of it.
        WriteLog("Connect Error: " + message);
        return {false, dynamic_cast<const velmora::ado::ELoginRefused*>(&error) != nullptr,
                message};
    }
}

bool TfrmMain::MayUseConnectionFile(const QString& FileName) {
    const QString warning = ConnectionFileWarning(QDir::current().filePath(FileName), FileName);
    if (warning.isEmpty())
        return true;
    if (Dialogs().MessageDlg(warning, TMsgDlgType::mtWarning, QMessageBox::Yes | QMessageBox::No) ==
        QMessageBox::Yes)
        return true;
    WriteLog("Not connected through \"" + FileName + "\": it is not only yours to change.");
    return false;
}

void TfrmMain::CloseConnection() {
    velmora::ado::TADOConnection& connection = FDataModule->ADOConnection1;
    const bool wasOpen = connection.Connected();
    connection.SetConnected(false);
    // "Connected" would outlive the connection; a failed connect keeps its message.
    if (wasOpen) {
        StatusBar1->SetPanelText(0, "Disconnected");
        StatusBar1->SetPanelText(1, "");
    }
}

QString TfrmMain::ConnectionSummary() const {
    const velmora::ado::TADOConnection& connection = FDataModule->ADOConnection1;
    if (!connection.Connected())
        return "Not connected";
    const auto orUnknown = [](const std::string& Value) {
        return Value.empty() ? QString("(not reported)") : QString::fromStdString(Value);
    };
    return "Server: " + orUnknown(connection.ServerName()) +
           "\nLogin: " + orUnknown(connection.UserName()) +
           "\nDatabase: " + orUnknown(connection.DefaultDatabase());
}

void TfrmMain::ConnectionLost(const QString& Reason) {
    CloseConnection();
    StatusBar1->SetPanelText(0, "Connection Lost");
    StatusBar1->SetPanelText(1, Reason);
    WriteLog("Connection Lost: " + Reason);
}

void TfrmMain::SetDefaultDatabase(const QString& Name) {
    FDataModule->ADOConnection1.SetDefaultDatabase(Name.toStdString());
}

bool TfrmMain::ConnectionOpen() const {
    return FDataModule->ADOConnection1.Connected();
}

void TfrmMain::Connect1Click() {
    ShowConnectDialog();
}

void TfrmMain::Close1Click() {
    if (SettlePendingEdit())
        CloseConnection();
}

void TfrmMain::New2Click() {
    ShowConnectionFilesDialog();
}

void TfrmMain::SourceEdit1Change() {
    ScriptModified = true;
    emit ScriptEdited();
    StatusBar2->SetPanelText(
        0, QString("%1:%2").arg(SourceEdit1->SelStart()).arg(SourceEdit1->SelLength()));
}

void TfrmMain::SourceEdit1KeyDown(QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers = Event->modifiers() & ~Qt::KeypadModifier;
    // Tab types a tab; with Ctrl the focus leaves the editor.
    if (Event->key() == Qt::Key_Tab || Event->key() == Qt::Key_Backtab) {
        if (modifiers & Qt::ControlModifier) {
            LeaveEditor(Event->key() == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier));
            Event->ignore();
        }
        return;
    }
    if (modifiers != Qt::ControlModifier)
        return;
    if (Event->key() == Qt::Key_E)
        SelectedOnly1->trigger();
    else if (Event->key() == Qt::Key_Space)
        popTableSQL->popup(QPoint(0, 0));
}

void TfrmMain::Exit1Click() {
    close();
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
    if (!ConfirmClose() || !SettlePendingEdit()) {
        Event->ignore();
        return;
    }
    RunCommand([this] { CloseConnection(); });
    Event->accept();
    QCoreApplication::quit();
}

void TfrmMain::ShowToolWindow(QWidget* Tool, const QWidget* Above) {
    // Placed the first time it shows; after that it stays where the user put it.
    if (!Tool->property("velmoraPlaced").toBool()) {
        const int belowMenuBar = menuBar()->mapToGlobal(QPoint(0, menuBar()->height())).y();
        PlaceBesideOwner(Tool, this, belowMenuBar, Above);
        Tool->setProperty("velmoraPlaced", true);
    }
    Tool->show();
    Tool->raise();
}

void TfrmMain::Log1Click() {
    frmLog->FitWidestLine();
    ShowToolWindow(frmLog, frmHistory);
}

void TfrmMain::History1Click() {
    ShowToolWindow(frmHistory, frmLog);
}

void TfrmMain::About1Click() {
    const velmora::ado::TADOConnection& connection = FDataModule->ADOConnection1;
    // However the connection string was written, its password shows as "*****".
    const std::string connectionString = velmora::ado::maskPasswords(connection.ConnectionString());
    const TConnectionDetails details{QString::fromStdString(connection.DefaultDatabase()),
                                     QString::fromStdString(connection.Version()),
                                     QString::fromStdString(connection.Provider()),
                                     QString::fromStdString(connectionString),
                                     QString::fromStdString(connection.ServerName()),
                                     QString::fromStdString(connection.UserName())};
    auto* about = new TfrmAbout(this, details);
    about->exec();
}

void TfrmMain::btnInvisibleClick(QObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (item == nullptr || !Open2->actions().contains(item) || !SettlePendingEdit())
        return;
    CloseConnection();
    OpenConnection(FileNameOfMenuCaption(item->text()), true);
}

void TfrmMain::popTableSQLPopup() {
    miLastTable->setText(LastTable.isEmpty() ? QString("<no table>") : LastTable);
}

void TfrmMain::popStoreProcSQLPopup() {
    miLastSP->setText(LastStoredProc.isEmpty() ? QString("<no store proc>") : LastStoredProc);
}
