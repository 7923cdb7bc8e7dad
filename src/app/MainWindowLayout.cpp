// The main window's components and their settings.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DatabaseChooser.h"
#include "DesktopFont.h"
#include "FindBar.h"
#include "FixedBackground.h"
#include "GoToLineBar.h"
#include "ImageList.h"
#include "MemoScriptEditor.h"
#include "ResultTabs.h"
#include "SchemaTree.h"
#include "SqlEditorSettings.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// PixelHeight is the height at the desktop's usual font size; it follows the desktop's font.
QFont PixelFont(const QString& Family, int PixelHeight) {
    QFont font(Family);
    font.setPixelSize(DesktopScaled(PixelHeight));
    return font;
}

QTreeWidget* CreateTree(QWidget* Page, const QString& Name) {
    auto* tree = new TSchemaTree(Page);
    tree->setObjectName(Name);
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setIndentation(19);
    tree->setFrameShape(QFrame::NoFrame);
    tree->setMouseTracking(true); // hot tracking
    auto* layout = new QVBoxLayout(Page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree);
    return tree;
}

QToolButton* AddToolButton(QToolBar* Bar, const QString& Name, int Image) {
    auto* button = new QToolButton(Bar);
    button->setObjectName(Name);
    button->setIcon(ImageList1(Image));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    Bar->addWidget(button);
    return button;
}

QWidget* Stacked(QWidget* Parent, std::initializer_list<QWidget*> Children) {
    auto* box = new QWidget(Parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget* child : Children) {
        child->setParent(box);
        layout->addWidget(child, child == *Children.begin() ? 1 : 0);
    }
    return box;
}

} // namespace

void TfrmMain::CreateComponents() {
    setObjectName("frmMain");
    setWindowTitle("Velmora 2");
    setFont(PixelFont("Tahoma", 11));

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(8);
    Splitter1->setChildrenCollapsible(false);
    setCentralWidget(Splitter1);

    CreateBrowser();
    CreateScriptPanel();
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({193, 1010 - 193 - 8});

    StatusBar1 = new TStatusBar(this, {200, 150, 150, 50});
    StatusBar1->setObjectName("StatusBar1");
    setStatusBar(StatusBar1);
}

void TfrmMain::CreateBrowser() {
    PageControl1 = new QTabWidget(Splitter1);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->setMinimumWidth(50);
    PageControl1->resize(193, PageControl1->height());
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, "Tables");
    PageControl1->addTab(TabSheet2, "Stored Procedures");
    tvTablesViews = CreateTree(TabSheet1, "tvTablesViews");
    tvStoredProcedures = CreateTree(TabSheet2, "tvStoredProcedures");
    tvStoredProcedures->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter1->addWidget(PageControl1);
}

void TfrmMain::CreateScriptPanel() {
    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName("Panel1");
    Splitter1->addWidget(Panel1);

    ToolBar1 = new QToolBar(Panel1);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setFixedHeight(29);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolButton7 = AddToolButton(ToolBar1, "ToolButton7", NewImage);
    ToolButton7->setToolTip("New");
    ToolBar1->addSeparator();
    ToolButton4 = AddToolButton(ToolBar1, "ToolButton4", CopyOverImage);
    ToolButton4->setToolTip("Copy Selected Over ->");
    ToolBar1->addSeparator();
    ToolButton1 = AddToolButton(ToolBar1, "ToolButton1", TableMenuImage);
    ToolButton1->setToolTip("Table Statements");
    ToolButton1->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addSeparator();
    ToolButton3 = AddToolButton(ToolBar1, "ToolButton3", ProcedureMenuImage);
    ToolButton3->setToolTip("Stored Procedure Statements");
    ToolButton3->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addSeparator();
    ToolButton9 = AddToolButton(ToolBar1, "ToolButton9", RunImage);
    ToolButton9->setToolTip("Execute");
    ToolButton10 = AddToolButton(ToolBar1, "ToolButton10", CancelImage);
    ToolBar1->addSeparator();
    cbDatabases = new TDatabaseChooser(ToolBar1);
    cbDatabases->setObjectName("cbDatabases");
    cbDatabases->setInsertPolicy(QComboBox::NoInsert);
    cbDatabases->setFixedWidth(145);
    cbDatabases->setMaxVisibleItems(8);
    ToolBar1->addWidget(cbDatabases);

    auto* editor = new TMemoScriptEditor(Panel1);
    editor->setObjectName("SourceEdit1");
    sourceedit::ApplySqlEditorSettings(editor->SourceEdit());
    {
        memo::TFont font = editor->SourceEdit().GetFontValue();
        font.Height = -DesktopScaled(-font.Height); // a character height, as the desktop's font
        editor->SourceEdit().SetFont(font);
    }
    editor->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    editor->setMinimumSize(64, 64);
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    SourceEdit1 = editor;
    FindBar1 = new TFindBar(editor, Panel1);
    GoToLineBar1 = new TGoToLineBar(editor, Panel1);

    StatusBar2 = new TStatusBar(Panel1, {50, 50});
    StatusBar2->setObjectName("StatusBar2");
    StatusBar2->setFixedHeight(18);
    StatusBar2->setAutoFillBackground(true);
    new TFixedBackground(StatusBar2, QPalette::Window, QColor(0xC0, 0xC0, 0xC0)); // silver

    DBGrid1 = new TDBGrid(Panel1);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setFont(PixelFont("Arial", 11));
    DBGrid1->horizontalHeader()->setFont(PixelFont("Tahoma", 11));

    DBNavigator1 = new TDBNavigator(Panel1);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->setFixedHeight(18);

    Splitter2 = new QSplitter(Qt::Vertical, Panel1);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setHandleWidth(6);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(Stacked(Splitter2, {editor, FindBar1, GoToLineBar1, StatusBar2}));
    FindBar1->hide(); // until asked for
    GoToLineBar1->hide();
    ResultTabs1 = new TResultTabs(DBGrid1, &DataSource1, Panel1);
    Splitter2->addWidget(Stacked(Splitter2, {ResultTabs1, DBNavigator1}));
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({739 - 236 - 18, 236 + 18});

    btnInvisible = new QPushButton("Invisible", Panel1);
    btnInvisible->setObjectName("btnInvisible");
    btnInvisible->hide();

    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Splitter2, 1);
}
