#include "untEditConnections.h"

#include "ConnectionCommands.h"
#include "ConnectionFiles.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "FileError.h"
#include "SafeFile.h"
#include "untDataLink.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmEditConnections* frmEditConnections = nullptr;

namespace {

QString PathInCurrentDirectory(const QString& FileName) {
    return QDir::current().filePath(FileName);
}

QTableWidgetItem* ReadOnlyItem(const QString& Text) {
    auto* item = new QTableWidgetItem(Text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

TfrmEditConnections::TfrmEditConnections(QWidget* Owner, TConnectionCommands& Commands)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FCommands(Commands) {
    frmEditConnections = this;
    setObjectName("frmEditConnections");
    setWindowTitle("Create / Edit Connections");
    QFont font("Tahoma");
    font.setPixelSize(11);
    setFont(font);
    CreateControls();
    // A file that cannot be read is reported and the dialog opens all the same, so that the
    // user can delete it.
    RunCommand([this] { ListConnectionFiles(); });
}

TfrmEditConnections::~TfrmEditConnections() {
    if (frmEditConnections == this)
        frmEditConnections = nullptr;
}

void TfrmEditConnections::CreateControls() {
    GroupBox2 = new QGroupBox("Available Connection  ", this);
    GroupBox2->setObjectName("GroupBox2");
    lvAvailableConnections = new QTableWidget(0, 3, GroupBox2);
    lvAvailableConnections->setObjectName("lvAvailableConnections");
    lvAvailableConnections->setHorizontalHeaderLabels({"Name", "Type", "String"});
    lvAvailableConnections->verticalHeader()->hide();
    lvAvailableConnections->setShowGrid(true);
    lvAvailableConnections->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvAvailableConnections->setSelectionMode(QAbstractItemView::SingleSelection);
    lvAvailableConnections->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvAvailableConnections->setColumnWidth(0, 150);
    lvAvailableConnections->setColumnWidth(2, 270);
    lvAvailableConnections->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Delete1 = PopupMenu1->addAction("Delete");
    Delete1->setObjectName("Delete1");
    auto* listLayout = new QVBoxLayout(GroupBox2);
    listLayout->addWidget(lvAvailableConnections);

    GroupBox1 = new QGroupBox("Create", this);
    GroupBox1->setObjectName("GroupBox1");
    Label1 = new QLabel("Name", GroupBox1);
    edtName = new QLineEdit(GroupBox1);
    edtName->setObjectName("edtName");
    Label3 = new QLabel(".udl", GroupBox1);
    btnCreate = new QPushButton("Create", GroupBox1);
    btnCreate->setObjectName("btnCreate");
    auto* createLayout = new QGridLayout(GroupBox1);
    createLayout->addWidget(Label1, 0, 0);
    createLayout->addWidget(edtName, 0, 1);
    createLayout->addWidget(Label3, 0, 2);
    createLayout->addWidget(btnCreate, 0, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox2, 1);
    layout->addWidget(GroupBox1);
    setFixedSize(498, 244);

    connect(btnCreate, &QPushButton::clicked, this, Guarded([this] { btnCreateClick(); }));
    connect(lvAvailableConnections, &QTableWidget::cellDoubleClicked, this,
            Guarded([this] { lvAvailableConnectionsDblClick(); }));
    connect(lvAvailableConnections, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& Position) {
                PopupMenu1->popup(lvAvailableConnections->viewport()->mapToGlobal(Position));
            });
    connect(Delete1, &QAction::triggered, this, Guarded([this] { Delete1Click(); }));
}

void TfrmEditConnections::ListConnectionFiles() {
    lvAvailableConnections->setRowCount(0);
    for (const QString& name : ConnectionFileNames(QDir::currentPath())) {
        const int row = lvAvailableConnections->rowCount();
        lvAvailableConnections->insertRow(row);
        QTableWidgetItem* nameItem = ReadOnlyItem(name);
        nameItem->setFlags(nameItem->flags() | Qt::ItemIsUserCheckable);
        nameItem->setCheckState(Qt::Unchecked);
        lvAvailableConnections->setItem(row, 0, nameItem);
        lvAvailableConnections->setItem(row, 1, ReadOnlyItem("UDL File"));
        const bool saved = HoldsConnectionString(PathInCurrentDirectory(name));
        lvAvailableConnections->setItem(
            row, 2, ReadOnlyItem(saved ? "String Currently Not Available" : ""));
    }
}

void TfrmEditConnections::btnCreateClick() {
    // The file belongs in the current directory, wherever a typed path would lead.
    if (edtName->text().contains('/') || edtName->text().contains('\\')) {
        Dialogs().MessageDlg("A connection name cannot hold \"/\" or \"\\\".", TMsgDlgType::mtError,
                             QMessageBox::Ok);
        return;
    }
    const QString path = PathInCurrentDirectory(edtName->text() + ".udl");
    if (QFile::exists(path)) {
        Dialogs().MessageDlg("File already exists.", TMsgDlgType::mtError, QMessageBox::Ok);
        return;
    }
    if (FCommands.ConnectionOpen() && !FCommands.SettlePendingEdit())
        return;
    // Owner-only from the start: the data link dialog keeps this mode when it saves a password.
    velmora::files::WriteFileAtomically(QFile::encodeName(path).toStdString(), {},
                                        velmora::files::TNewFileMode::nfmOwnerOnly);
    if (FCommands.ConnectionOpen())
        FCommands.CloseConnection();
    EditDataLink(path);
    ListConnectionFiles();
}

void TfrmEditConnections::lvAvailableConnectionsDblClick() {
    const QString name = SelectedFileName();
    if (name.isEmpty())
        return;
    if (FCommands.ConnectionOpen()) {
        if (!FCommands.SettlePendingEdit())
            return;
        FCommands.CloseConnection();
    }
    EditDataLink(PathInCurrentDirectory(name));
}

void TfrmEditConnections::Delete1Click() {
    const QString name = SelectedFileName();
    if (name.isEmpty())
        return;
    const auto answer = Dialogs().MessageDlg("Are you sure? Delete " + name, TMsgDlgType::mtWarning,
                                             QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    QFile file(PathInCurrentDirectory(name));
    if (!file.remove())
        FileError(file, "delete");
    ListConnectionFiles();
}

QString TfrmEditConnections::SelectedFileName() const {
    const QList<QTableWidgetItem*> selected = lvAvailableConnections->selectedItems();
    if (selected.isEmpty())
        return {};
    return lvAvailableConnections->item(selected.front()->row(), 0)->text();
}

void TfrmEditConnections::EditDataLink(const QString& Path) {
    // A window of this dialog's own, so that this modal dialog does not block it; it stays open
    // after this dialog closes (closing only hides it).
    auto* editor = new TfrmDataLink(this, Path);
    editor->show();
}
