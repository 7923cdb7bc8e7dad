// The main menu and the two context menus of the generators.
#include "ImageList.h"
#include "untMain.h"

#include <QMenuBar>

namespace {

QMenu* AddMenu(QMenu* Parent, const QString& Name, const QString& Caption, int Image = -1) {
    QMenu* menu = Parent->addMenu(ImageList1(Image), Caption);
    menu->setObjectName(Name);
    menu->menuAction()->setObjectName(Name);
    return menu;
}

QMenu* AddTopMenu(QMenuBar* Bar, const QString& Name, const QString& Caption) {
    QMenu* menu = Bar->addMenu(Caption);
    menu->setObjectName(Name);
    menu->menuAction()->setObjectName(Name);
    return menu;
}

QAction* AddItem(QMenu* Menu, const QString& Name, const QString& Caption,
                 const QKeySequence& Shortcut = {}, int Image = -1) {
    QAction* item = Menu->addAction(ImageList1(Image), Caption);
    item->setObjectName(Name);
    item->setShortcut(Shortcut);
    return item;
}

// The context menus' shortcuts are only offered while their control has the focus (see
// TContextMenuShortcuts); on their own they would clash with the main menu's.
QAction* AddPopupItem(QMenu* Menu, const QString& Name, const QString& Caption,
                      const QKeySequence& Shortcut = {}) {
    QAction* item = AddItem(Menu, Name, Caption, Shortcut);
    item->setShortcutContext(Qt::WidgetShortcut);
    return item;
}

QKeySequence Keys(Qt::KeyboardModifiers Modifiers, Qt::Key Key) {
    return QKeySequence(QKeyCombination(Modifiers, Key));
}

} // namespace

// Each caption marks the letter that Alt (or, in an open menu, the letter alone) chooses it by;
// the captions read as before.
void TfrmMain::CreateMainMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* file = AddTopMenu(bar, "File1", "&File");
    New1 = AddItem(file, "New1", "&New", Keys(Qt::ControlModifier, Qt::Key_N), NewImage);
    file->addSeparator();
    Open1 = AddItem(file, "Open1", "&Open", Keys(Qt::ControlModifier, Qt::Key_O), OpenImage);
    Reopen1 = AddMenu(file, "Reopen1", "&Reopen");
    file->addSeparator();
    Save1 = AddItem(file, "Save1", "&Save", Keys(Qt::ControlModifier, Qt::Key_S), SaveImage);
    SaveAs1 = AddItem(file, "SaveAs1", "Save &As", {}, SaveAsImage);
    ExportResult1 = AddItem(file, "ExportResult1", "&Export Result\u2026", {});
    file->addSeparator();
    Print1 = AddItem(file, "Print1", "&Print", Keys(Qt::ControlModifier, Qt::Key_P), PrintImage);
    file->addSeparator();
    Exit1 = AddItem(file, "Exit1", "E&xit", {}, ExitImage);

    QMenu* edit = AddTopMenu(bar, "Edit1", "&Edit");
    Find1 = AddItem(edit, "Find1", "&Find\u2026", Keys(Qt::ControlModifier, Qt::Key_F));
    Replace1 = AddItem(edit, "Replace1", "&Replace\u2026", Keys(Qt::ControlModifier, Qt::Key_H));
    edit->addSeparator();
    GoToLine1 =
        AddItem(edit, "GoToLine1", "&Go to Line\u2026", Keys(Qt::ControlModifier, Qt::Key_L));

    QMenu* connections = AddTopMenu(bar, "Connections1", "&Connections");
    Connect1 = AddItem(connections, "Connect1", "&Connect", {}, ConnectImage);
    connections->addSeparator();
    Open2 = AddMenu(connections, "Open2", "&Open", ConnectionFileImage);
    connections->addSeparator();
    Close1 = AddItem(connections, "Close1", "C&lose", {}, DisconnectImage);
    connections->addSeparator();
    New2 = AddItem(connections, "New2", "Create/&Edit", {}, ConnectionFileImage);

    QMenu* actions = AddTopMenu(bar, "Actions1", "&Actions");
    QMenu* execute = AddMenu(actions, "Execute1", "&Execute", RunImage);
    SelectedOnly1 =
        AddItem(execute, "SelectedOnly1", "&Selected Only", Keys(Qt::ControlModifier, Qt::Key_E));
    EntireScript1 = AddItem(execute, "EntireScript1", "&Entire Script",
                            Keys(Qt::NoModifier, Qt::Key_F5), RunImage);
    // Escape cancels through the wait itself (ServerWait.h), so it is named, not bound here.
    Cancel1 = AddItem(actions, "Cancel1", "&Cancel\tEsc", {}, CancelImage);
    Cancel1->setToolTip("Cancel (Esc)");
    Cancel1->setEnabled(false);
    actions->addSeparator();
    QMenu* generate = AddMenu(actions, "Generate1", "&Generate");
    GUID1 = AddItem(generate, "GUID1", "G&UID", Keys(Qt::ControlModifier, Qt::Key_G), GuidImage);
    RandomNumber1 =
        AddItem(generate, "RandomNumber1", "&Random Number", Keys(Qt::ControlModifier, Qt::Key_R));
    generate->addSeparator();
    QMenu* dateTime = AddMenu(generate, "DateTime1", "&Date Time", DateTimeImage);
    yyyymmddhhmmss1 = AddItem(dateTime, "yyyymmddhhmmss1", "&yyyy-mm-dd hh:mm:ss",
                              Keys(Qt::ControlModifier, Qt::Key_T));
    actions->addSeparator();
    CopySelectedOver1 = AddItem(actions, "CopySelectedOver1", "Copy Selected &Over",
                                Keys(Qt::NoModifier, Qt::Key_Insert), CopyOverImage);

    QMenu* view = AddTopMenu(bar, "View1", "&View");
    History1 =
        AddItem(view, "History1", "&History", Keys(Qt::NoModifier, Qt::Key_F2), HistoryImage);
    Log1 = AddItem(view, "Log1", "&Log", Keys(Qt::NoModifier, Qt::Key_F3), LogImage);
    view->addSeparator();
    LineNumbers1 = AddItem(view, "LineNumbers1", "Line &Numbers");
    LineNumbers1->setCheckable(true);
    LineNumbers1->setChecked(true);
    ShowSystemObjects1 = AddItem(view, "ShowSystemObjects1", "Show S&ystem Objects");
    ShowSystemObjects1->setCheckable(true);
    ShowSystemObjects1->setChecked(false);
    view->addSeparator();
    Options1 = AddItem(view, "Options1", "&Options");
    Options1->setEnabled(false);
    view->addSeparator();
    QMenu* refresh = AddMenu(view, "Refresh1", "&Refresh", RefreshImage);
    Tables1 =
        AddItem(refresh, "Tables1", "&Tables", Keys(Qt::ShiftModifier, Qt::Key_F5), TableImage);
    StoredProcedures1 = AddItem(refresh, "StoredProcedures1", "&Stored Procedures",
                                Keys(Qt::ShiftModifier, Qt::Key_F6), ProcedureImage);

    QMenu* help = AddTopMenu(bar, "Help1", "&Help");
    About1 = AddItem(help, "About1", "&About", {}, AboutImage);
}

void TfrmMain::CreatePopupMenus() {
    popTableSQL = new QMenu(this);
    popTableSQL->setObjectName("popTableSQL");
    miLastTable = AddPopupItem(popTableSQL, "miLastTable", "<no table>");
    popTableSQL->setDefaultAction(miLastTable);
    popTableSQL->addSeparator();
    SELECT1 = AddPopupItem(popTableSQL, "SELECT1", "SELECT *", Keys(Qt::ShiftModifier, Qt::Key_F1));
    SELECTExtended1 = AddPopupItem(popTableSQL, "SELECTExtended1", "SELECT Ex",
                                   Keys(Qt::ShiftModifier, Qt::Key_F2));
    popTableSQL->addSeparator();
    INSERT1 = AddPopupItem(popTableSQL, "INSERT1", "INSERT", Keys(Qt::ShiftModifier, Qt::Key_F3));
    UPDATE1 = AddPopupItem(popTableSQL, "UPDATE1", "UPDATE", Keys(Qt::ShiftModifier, Qt::Key_F4));
    DELETE1 = AddPopupItem(popTableSQL, "DELETE1", "DELETE", Keys(Qt::ShiftModifier, Qt::Key_F5));
    TRUNCATE1 =
        AddPopupItem(popTableSQL, "TRUNCATE1", "TRUNCATE", Keys(Qt::ShiftModifier, Qt::Key_F6));
    popTableSQL->addSeparator();
    CREATETABLE1 = AddPopupItem(popTableSQL, "CREATETABLE1", "CREATE TABLE");
    ALTERTABLE1 = AddPopupItem(popTableSQL, "ALTERTABLE1", "ALTER TABLE");
    DROPTABLE1 = AddPopupItem(popTableSQL, "DROPTABLE1", "DROP TABLE");
    popTableSQL->addSeparator();
    GenerateSP1 = AddMenu(popTableSQL, "GenerateSP1", "Generate SP");
    Blank1 = AddPopupItem(GenerateSP1, "Blank1", "Blank");
    GenerateSP1->addSeparator();
    UPDATEINSERT1 = AddPopupItem(GenerateSP1, "UPDATEINSERT1", "UPDATE / INSERT");
    SELECT2 = AddPopupItem(GenerateSP1, "SELECT2", "SELECT");

    popStoreProcSQL = new QMenu(this);
    popStoreProcSQL->setObjectName("popStoreProcSQL");
    miLastSP = AddPopupItem(popStoreProcSQL, "miLastSP", "<no store proc>");
    popStoreProcSQL->setDefaultAction(miLastSP);
    popStoreProcSQL->addSeparator();
    SPHELPTEXT1 = AddPopupItem(popStoreProcSQL, "SPHELPTEXT1", "SP_HELPTEXT");
    SPHELPTEXTEx1 = AddPopupItem(popStoreProcSQL, "SPHELPTEXTEx1", "SP_HELPTEXT Ex");
    popStoreProcSQL->addSeparator();
}
