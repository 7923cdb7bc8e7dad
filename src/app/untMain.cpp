#include "untMain.h"

#include "ContextMenuShortcuts.h"
#include "Cursor.h"
#include "ErrorHandler.h"
#include "ScriptEditor.h"
#include "StatusBar.h"
#include "untAbout.h"
#include "untHistory.h"
#include "untLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

TfrmMain* frmMain = nullptr;

namespace {

const char* const ScriptFilter =
    "SQL Files (*.sql)|*.sql|Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

} // namespace

TfrmMain::TfrmMain() {
    frmMain = this;
    CreateComponents();
    CreateMainMenu();
    CreatePopupMenus();
    CreateFileDialogs();
    ConnectHandlers();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    frmLog = nullptr;
    frmHistory = nullptr;
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::CreateFileDialogs() {
    OpenDialog1 = {TFileDialog::TKind::Open, "Open File", ScriptFilter, "sql", {}};
    SaveDialog1 = {TFileDialog::TKind::Save, "Save File", ScriptFilter, "sql", {}};
    OpenDialog2 = {TFileDialog::TKind::Open, "Select file to add", "All Files|*.*", "*.*", {}};
}

void TfrmMain::FormCreate() {
    frmLog = new TfrmLog(this);
    frmHistory = new TfrmHistory(this, SaveDialog1);
}

void TfrmMain::ConnectAtStartup() {
    // The connection's events set the hourglass; whatever happened, the user gets the arrow.
    SetArrowCursor();
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

    connect(ToolButton7, &QToolButton::clicked, New1, &QAction::trigger);
    connect(ToolButton9, &QToolButton::clicked, EntireScript1, &QAction::trigger);
    connect(ToolButton4, &QToolButton::clicked, CopySelectedOver1, &QAction::trigger);
    connect(Exit1, &QAction::triggered, this, Guarded([this] { Exit1Click(); }));
    connect(Log1, &QAction::triggered, this, Guarded([this] { Log1Click(); }));
    connect(History1, &QAction::triggered, this, Guarded([this] { History1Click(); }));
    connect(About1, &QAction::triggered, this, Guarded([this] { About1Click(); }));
    connect(btnInvisible, &QPushButton::clicked, this,
            Guarded([this] { btnInvisibleClick(btnInvisible); }));
}

void TfrmMain::AppendToScript(const QString& Text) {
    SourceEdit1->AppendLine(Text);
}

void TfrmMain::WriteLog(const QString& Message) {
    StatusBar1->SetPanelText(3, Message);
    const QString stamp = QDateTime::currentDateTime().toString("dd-MM-yyyy hh:mm:ss.zzz");
    frmLog->InsertFirstLine(stamp + " - " + Message);
}

void TfrmMain::CloseConnection() {}

void TfrmMain::SourceEdit1Change() {
    ScriptModified = true;
    StatusBar2->SetPanelText(
        0, QString("%1:%2").arg(SourceEdit1->SelStart()).arg(SourceEdit1->SelLength()));
}

void TfrmMain::SourceEdit1KeyDown(QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers = Event->modifiers() & ~Qt::KeypadModifier;
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
    const auto answer = Dialogs().MessageDlg("Exit Now?", TMsgDlgType::mtWarning,
                                             QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        Event->ignore();
        return;
    }
    RunCommand([this] { CloseConnection(); });
    Event->accept();
    QCoreApplication::quit();
}

void TfrmMain::Log1Click() {
    frmLog->show();
}

void TfrmMain::History1Click() {
    frmHistory->show();
}

void TfrmMain::About1Click() {
    auto* about = new TfrmAbout(this, std::nullopt);
    about->exec();
}

void TfrmMain::btnInvisibleClick(QObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (item == nullptr || !Open2->actions().contains(item))
        return;
    CloseConnection();
}

void TfrmMain::popTableSQLPopup() {
    miLastTable->setText(LastTable.isEmpty() ? QString("<no table>") : LastTable);
}

void TfrmMain::popStoreProcSQLPopup() {
    miLastSP->setText(LastStoredProc.isEmpty() ? QString("<no store proc>") : LastStoredProc);
}
