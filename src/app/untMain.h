#pragma once
// The main window: schema browser, script editor, result grid, menus and status bars, and the
// state every command shares.
#include "CatalogueView.h"
#include "ConnectionCommands.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "ObjectNames.h"
#include "ScriptFile.h"
#include "TableField.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QModelIndex;
class QStyleOptionViewItem;
class TContextMenuShortcuts;
class TDBGrid;
class TDBNavigator;
class TResultTabs;
class TFirstRowsPreview;
class TDataModule1;
class TDatabaseChooser;
class TFindBar;
class TGoToLineBar;
class TScriptEditor;
class TStatusBar;
namespace velmora::query {
class TScriptRunner;
}

class TfrmMain final : public QMainWindow, public TConnectionCommands {
    Q_OBJECT

public:
    // Builds the window and runs its creation handler up to the connect dialog; the program
    // entry then calls ConnectAtStartup and ShowAtStartup.
    TfrmMain();
    ~TfrmMain() override;

    // The start-up connection: the connect dialog (its server box preset to Server when one is
    // given), or straight through a connection file of the current directory.
    struct TStartupConnection {
        QString ConnectionFile;
        QString Server;
    };
    void ConnectAtStartup(const TStartupConnection& Startup = {});
    // Maximized, restoring to 1010 by 739 centred on the screen.
    void ShowAtStartup();

    // Operations the other parts of the program call.
    void AppendToScript(const QString& Text);
    void WriteLog(const QString& Message);
    void ShowConnectDialog(const QString& Server = {});
    void ShowConnectionFilesDialog();
    void FillConnectionMenu();
    TConnectResult OpenConnection(const QString& Text, bool IsFileName) override;
    void CloseConnection() override;
    void SetDefaultDatabase(const QString& Name) override;
    bool ConnectionOpen() const override;
    // Before anything closes the table whose row is in edit, or takes the grid or the connection
    // away from it: "Post the changes to <table>?" Yes posts (a failed post is reported and keeps
    // the row), No discards the changes, Cancel keeps the row. True when the command may go on.
    bool SettlePendingEdit() override;
    // Whom the window is connected with, for the first status panel's tooltip: the server, the
    // login and the database, or that there is no connection. Never the password.
    QString ConnectionSummary() const;
    // The server went away: closes the connection as Connections > Close does and says why, so
    // that the user can connect again.
    void ConnectionLost(const QString& Reason);

    // Handlers.
    void Connect1Click();
    void Close1Click();
    void New2Click();
    void Exit1Click();
    // Shows a tool window, placed beside this window the first time (below Above when it fits).
    void ShowToolWindow(QWidget* Tool, const QWidget* Above);
    void Log1Click();
    void History1Click();
    void About1Click();
    void btnInvisibleClick(QObject* Sender);
    void popTableSQLPopup();
    void popStoreProcSQLPopup();

    // Schema browser (MainWindowSchema.cpp).
    void FillDatabases();
    void FillTableNodes(QTreeWidgetItem* DatabaseNode);
    void FillFieldNodes(const QString& TableName, QTreeWidgetItem* TableNode);
    void ShowTableInGrid(const QString& TableName);
    void FillStoredProcedures();
    void FillParameterNodes(const QString& ProcedureName, QTreeWidgetItem* ProcedureNode);
    int FindDatabaseIndex(const QString& Name) const;
    void tvTablesViewsClick();
    void tvTablesViewsDblClick();
    void tvTablesViewsCustomDrawItem(const QModelIndex& Node, QStyleOptionViewItem& Option);
    void tvStoredProceduresClick();
    void tvStoredProceduresDblClick();
    void tvStoredProceduresCustomDrawItem(const QModelIndex& Node, QStyleOptionViewItem& Option);
    void Tables1Click();
    void StoredProcedures1Click();
    void cbDatabasesChange();

    // Script files (MainWindowFiles.cpp).
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    // Printing (MainWindowPrinting.cpp).
    void Print1Click();
    void ProposePrintFile(QPrinter& Printer) const;
    // Writes the result in the grid to a file as CSV or tab-separated text (MainWindowExport.cpp).
    void ExportResult1Click();
    void ToolButton7Click();
    // Opens the script at FileName as File > Open does once a file is chosen: a command-line
    // argument, an entry of File > Reopen.
    void OpenScript(const QString& FileName);
    // File > Reopen's entry FileName; one whose file is gone says so and leaves the list.
    void ReopenScript(const QString& FileName);
    // Text as a new script that is in no file yet (a recovered one).
    void OpenUnsavedScript(std::u32string_view Text);

    // Running scripts and showing their results.
    void ExecuteScript(const QString& Script);
    void ShowResultMessage(const QString& Message);
    void SelectedOnly1Click();
    void EntireScript1Click();
    void DataSource1DataChange(velmora::ado::TDataSource& Sender);
    void ShowRecordCounter(velmora::ado::TDataSource& Source);
    void RunScriptFrom(const QString& Script, int Start);
    void GoToScriptLine(size_t Line);
    void DataSource1StateChange(velmora::ado::TDataSource& Sender);

    // Statement and procedure templates (MainWindowTemplates.cpp).
    velmora::sqlgen::TFieldList ReadTableFields(const QString& Table);
    void SELECT1Click();
    void SELECTExtended1Click();
    void INSERT1Click();
    void UPDATE1Click();
    void DELETE1Click();
    void TRUNCATE1Click();
    void CreateTable1Click();
    void ALTERTABLE1Click();
    void DROPTABLE1Click();
    void Blank1Click();
    void UPDATEINSERT1Click();
    void SELECT2Click();
    void SPHELPTEXT1Click();
    void SPHELPTEXTEx1Click();

    // Editor insertions (MainWindowInsertions.cpp) and the grid's file into a blob field
    // (GridBlobFile.cpp).
    void GUID1Click();
    void yyyymmddhhmmss1Click();
    void CopySelectedOver1Click();
    void CopySelectedOver();
    void DBGrid1CellClick(int Column);

    // State shared by the commands.
    QString ScriptFileName;
    bool ScriptModified = false;
    bool SavedToFile = false;
    QString LastTable;
    QString LastStoredProc;

    // Components, named as in the window's design.
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QTreeWidget* tvTablesViews;
    QTreeWidget* tvStoredProcedures;
    QSplitter* Splitter1;
    QWidget* Panel1;
    QToolBar* ToolBar1;
    QToolButton* ToolButton7;
    QToolButton* ToolButton4;
    QToolButton* ToolButton1;
    QToolButton* ToolButton3;
    QToolButton* ToolButton9;
    QToolButton* ToolButton10;
    TDatabaseChooser* cbDatabases;
    TScriptEditor* SourceEdit1;
    // Under the editor, shown on demand: find and replace, and go to line.
    TFindBar* FindBar1;
    TGoToLineBar* GoToLineBar1;
    TStatusBar* StatusBar2;
    QSplitter* Splitter2;
    TDBGrid* DBGrid1;
    TDBNavigator* DBNavigator1;
    // The result pane's tabs around DBGrid1: later result sets and the run's messages.
    TResultTabs* ResultTabs1;
    QPushButton* btnInvisible;
    TStatusBar* StatusBar1;

    QAction* New1;
    QAction* Open1;
    QMenu* Reopen1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* ExportResult1;
    QAction* Print1;
    QAction* Exit1;
    QAction* Connect1;
    QMenu* Open2;
    QAction* Close1;
    QAction* New2;
    QAction* SelectedOnly1;
    QAction* EntireScript1;
    QAction* Cancel1;
    QAction* GUID1;
    QAction* RandomNumber1;
    QAction* yyyymmddhhmmss1;
    QAction* CopySelectedOver1;
    QAction* Find1;
    QAction* Replace1;
    QAction* GoToLine1;
    QAction* LineNumbers1;
    QAction* ShowSystemObjects1;
    QAction* History1;
    QAction* Log1;
    QAction* Options1;
    QAction* Tables1;
    QAction* StoredProcedures1;
    QAction* About1;

    QMenu* popTableSQL;
    QAction* miLastTable;
    QAction* SELECT1;
    QAction* SELECTExtended1;
    QAction* INSERT1;
    QAction* UPDATE1;
    QAction* DELETE1;
    QAction* TRUNCATE1;
    QAction* CREATETABLE1;
    QAction* ALTERTABLE1;
    QAction* DROPTABLE1;
    QMenu* GenerateSP1;
    QAction* Blank1;
    QAction* UPDATEINSERT1;
    QAction* SELECT2;

    QMenu* popStoreProcSQL;
    QAction* miLastSP;
    QAction* SPHELPTEXT1;
    QAction* SPHELPTEXTEx1;

    // Feeds the result grid and the navigator with whichever dataset showed the last result.
    velmora::ado::TDataSource DataSource1;

    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;
    TFileDialog OpenDialog2;
    TFileDialog ExportDialog1;
    TPrintDialog PrintDialog1;

signals:
    // Every change of the script's text.
    void ScriptEdited();
    // The script now holds nothing that is in no file: after New, Open and a save.
    void ScriptSettled();

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void CreateComponents();
    void CreateBrowser();
    void CreateScriptPanel();
    void CreateMainMenu();
    void CreatePopupMenus();
    void CreateFileDialogs();
    void ConnectHandlers();
    void ConnectScriptCommands();
    void ConnectTemplateCommands();
    void ConnectInsertionCommands();
    void ConnectServerWait();
    // Find, replace, go to line and the line numbers (MainWindowEditing.cpp).
    void ConnectEditingCommands();
    void ShowLineNumbers();
    // The keyboard's ways around the window (MainWindowKeyboard.cpp).
    void ConnectKeyboard();
    // F6: the browser's tree, then the editor, then the grid, then the browser again.
    void FocusNextPane();
    void OpenMenuBar();
    // Ctrl+Tab and Ctrl+Shift+Tab in the editor, where Tab types a tab.
    void LeaveEditor(bool Forward);
    // A wait on the server or on a print job is shown, or has ended.
    void WaitBusyChanged(bool Busy);

    void SourceEdit1Change();
    void SourceEdit1KeyDown(QKeyEvent* Event);
    // Before connecting through a connection file that is not the user's alone: the warning,
    // and whether the user goes on.
    bool MayUseConnectionFile(const QString& FileName);

    // Script files (MainWindowFiles.cpp).
    void ConnectFileCommands();
    // "Save current script?" before New or Open: whether the command goes on.
    bool MayReplaceScript();
    // Before the window closes: whether it may.
    bool ConfirmClose();
    // Each is true when the script was written, false when the user cancelled; a failed write
    // throws and changes nothing.
    bool SaveScript();
    bool SaveScriptAs();
    bool SaveScriptTo(const QString& FileName);
    bool MaySaveAsUtf8(std::u32string_view Text, std::size_t Unencodable);
    // Whether the save may replace the file at FileName: the one opened or saved last, or
    // another one the user agrees to overwrite.
    bool MayOverwrite(const QString& FileName);
    // After a save: keeps the script's encoding for its next opening when its bytes alone would
    // tell another one.
    void RememberScriptEncoding(const QString& FileName,
                                const velmora::files::TEncodedScript& Encoded);
    void SetScriptFileName(const QString& FileName);
    void LoadScriptFile(const QString& FileName);
    void ShowScript(std::u32string_view Text);
    // File > Reopen puts FileName first; a list that cannot be written is noted in the log.
    void RememberScriptFile(const QString& FileName);

    // Templates (MainWindowTemplates.cpp).
    void AppendSql(const std::string& Text);
    velmora::sqlgen::TFieldList LastTableFields();
    velmora::sqlgen::TObjectName LastTableName() const;
    void AppendProcedureHeader();
    bool CheckProcedureSelected();

    // Schema browser (MainWindowSchema.cpp).
    void ConnectSchemaBrowser();
    // The browser's listing of the connection's catalogue, with or without the system objects.
    velmora::schema::TCatalogueView CatalogueView();
    void ShowSystemObjects1Click();
    void OpenDatabaseNode(QTreeWidgetItem* DatabaseNode);
    void OpenTableNode(QTreeWidgetItem* TableNode);
    // Whether the connection may leave its current database for Name, settling a row in edit.
    bool MaySwitchDatabase(const QString& Name);

    // Rows in edit (MainWindowPendingEdit.cpp): the data module's dataset holding one, if any.
    velmora::ado::TCustomADODataSet* DataSetInEdit() const;

    // The encoding and line breaks the script is saved with: its file's, or new ones.
    velmora::files::TScriptFormat FScriptFormat;
    // The file ScriptFileName named when it was opened or last saved: a save over another one
    // asks first.
    std::optional<velmora::files::TFileIdentity> FScriptIdentity;
    std::unique_ptr<TDataModule1> FDataModule;
    // Works on the data module's objects: declared after it, so it goes first.
    std::unique_ptr<velmora::query::TScriptRunner> FScriptRunner;
    TFirstRowsPreview* FFirstRows = nullptr; // the run's first rows while the rest comes
    TContextMenuShortcuts* FContextMenuShortcuts;
    // The commands disabled while a call on the server shows, to be enabled again after it.
    QList<QPointer<QAction>> FDisabledWhileWaiting;
    // Alt went down with no other key yet: its release opens the menu bar.
    bool FAltAlone = false;
};

extern TfrmMain* frmMain;
