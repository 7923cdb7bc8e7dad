#include "untConnect.h"

#include "ConnectStrings.h"
#include "ConnectionCommands.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "ImageList.h"
#include "PasswordEcho.h"
#include "ScreenPlacement.h"
#include "ServerHistory.h"
#include "ServerWait.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>
#include <algorithm>

TfrmConnect* frmConnect = nullptr;

namespace {

// How wide a window must be for the desktop to show Caption whole: the window manager draws it
// in the desktop's title font (or the desktop's general font, when that is larger), mostly bold,
// between the window's icon and its close button.
int CaptionWidth(const QString& Caption) {
    int width = 0;
    for (QFont font : {QFontDatabase::systemFont(QFontDatabase::TitleFont), QApplication::font()}) {
        font.setBold(true);
        const QFontMetrics metrics(font);
        width = std::max(width, metrics.horizontalAdvance(Caption) + 6 * metrics.height());
    }
    return width;
}

bool IsEnter(const QEvent* Event) {
    if (Event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(Event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TfrmConnect::TfrmConnect(QWidget* Owner, TConnectionCommands& Commands)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FCommands(Commands) {
    frmConnect = this;
    setObjectName("frmConnect");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Velmora 2 - Connect");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    CreateControls();
    FormCreate();
    CentreOnScreen(this, Owner);
}

TfrmConnect::~TfrmConnect() {
    if (frmConnect == this)
        frmConnect = nullptr;
}

void TfrmConnect::CreateControls() {
    Label1 = new QLabel("Server", this);
    cbServer = new QComboBox(this);
    cbServer->setObjectName("cbServer");
    cbServer->setEditable(true);
    cbServer->setInsertPolicy(QComboBox::NoInsert);
    cbServer->setMaxVisibleItems(8);
    cbServer->setEditText(".");

    GroupBox1 = new QGroupBox("Login Details ", this);
    GroupBox1->setObjectName("GroupBox1");
    Label2 = new QLabel("Username", GroupBox1);
    edtUsername = new QLineEdit("sa", GroupBox1);
    edtUsername->setObjectName("edtUsername");
    Label3 = new QLabel("Password", GroupBox1);
    edtPassword = new QLineEdit(GroupBox1);
    edtPassword->setObjectName("edtPassword");
    EchoPasswordAsAsterisks(edtPassword);
    cbWindowAuth = new QCheckBox("Windows Authentication", GroupBox1);
    cbWindowAuth->setObjectName("cbWindowAuth");
    auto* security = new QFormLayout;
    Encryption = AddEncryptionControls(this, security);

    btnConnect = new QPushButton("Connect", this);
    btnConnect->setObjectName("btnConnect");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    // Enter connects, so Connect is drawn as the default button, not the first in tab order.
    btnConnect->setDefault(true);

    auto* login = new QGridLayout(GroupBox1);
    login->addWidget(Label2, 0, 0);
    login->addWidget(edtUsername, 0, 1);
    login->addWidget(Label3, 1, 0);
    login->addWidget(edtPassword, 1, 1);
    login->addWidget(cbWindowAuth, 2, 0, 1, 2);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(cbServer, 1, 0, 1, 2);
    layout->addWidget(GroupBox1, 2, 0, 1, 2);
    layout->addLayout(security, 3, 0, 1, 2);
    layout->addWidget(btnConnect, 4, 0);
    layout->addWidget(btnCancel, 4, 1);
    layout->addWidget(NewServerWaitLabel(this), 5, 0, 1, 2);
    // The encryption rows need room below the login.
    setFixedSize(std::max(234, CaptionWidth(windowTitle())),
                 std::max(214, layout->totalSizeHint().height()));
    // While a connect attempt runs, Cancel gives it up.
    ServerWait().AddCancelControl(btnCancel);

    QWidget::setTabOrder(edtUsername, edtPassword);
    QWidget::setTabOrder(edtPassword, cbServer);
    QWidget::setTabOrder(cbServer, cbWindowAuth);
    QWidget::setTabOrder(cbWindowAuth, Encryption.cbEncryption);
    QWidget::setTabOrder(Encryption.cbEncryption, Encryption.cbTrustServerCertificate);
    QWidget::setTabOrder(Encryption.cbTrustServerCertificate, btnCancel);
    QWidget::setTabOrder(btnCancel, btnConnect);

    for (QWidget* control : {static_cast<QWidget*>(edtUsername), static_cast<QWidget*>(edtPassword),
                             static_cast<QWidget*>(cbServer), static_cast<QWidget*>(cbWindowAuth),
                             static_cast<QWidget*>(Encryption.cbEncryption),
                             static_cast<QWidget*>(Encryption.cbTrustServerCertificate)})
        control->installEventFilter(this);
    // The combo's typing goes to its edit part, so Enter arrives there.
    cbServer->lineEdit()->installEventFilter(this);

    connect(btnConnect, &QPushButton::clicked, this, Guarded([this] { btnConnectClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, Guarded([this] { btnCancelClick(); }));
    connect(cbWindowAuth, &QCheckBox::clicked, this, Guarded([this] { cbWindowAuthClick(); }));
}

void TfrmConnect::FormCreate() {
    const QString text = cbServer->currentText();
    // A history that cannot be read is reported and the dialog opens without it: it must not
    // keep the user from connecting.
    RunCommand([this] {
        for (const QString& name : ReadServerHistory(ServerHistoryPath()))
            cbServer->addItem(ImageList1(ServerImage), name);
    });
    cbServer->setEditText(text);
}

bool TfrmConnect::eventFilter(QObject* Watched, QEvent* Event) {
    if (!IsEnter(Event))
        return QDialog::eventFilter(Watched, Event);
    RunCommand([this] { btnConnectClick(); });
    return true;
}

QString TfrmConnect::BuildConnectionString() const {
    const QString server = cbServer->currentText();
    const TEncryptionChoice encryption{Encryption.Mode(), Encryption.TrustServerCertificate()};
    if (cbWindowAuth->isChecked())
        return WindowsAuthenticationString(server, QSysInfo::machineHostName(), encryption);
    return SqlServerLoginString(server, edtUsername->text(), edtPassword->text(), encryption);
}

bool TfrmConnect::DoConnection() {
    const QString connectionString = BuildConnectionString();
    if (!FCommands.SettlePendingEdit())
        return false;
    try {
        FCommands.CloseConnection();
        FCommands.SetDefaultDatabase("master");
        const TConnectResult result = FCommands.OpenConnection(connectionString, false);
        if (!result.LoginRefused)
            return true;
        // What was typed stays, so that only the wrong part needs typing again.
        Dialogs().MessageDlg(result.Message, TMsgDlgType::mtError, QMessageBox::Ok);
        SelectPassword();
        return false;
    } catch (const std::exception& error) {
        Dialogs().MessageDlg(QString::fromUtf8(error.what()), TMsgDlgType::mtError,
                             QMessageBox::Ok);
        return false;
    }
}

void TfrmConnect::SelectPassword() {
    QLineEdit* retype = edtPassword->isEnabled() ? edtPassword : edtUsername;
    if (!retype->isEnabled())
        return;
    retype->setFocus();
    retype->selectAll();
}

void TfrmConnect::btnConnectClick() {
    CheckServerName(cbServer->currentText());
    if (!DoConnection())
        return;
    close();
    RecordServer();
}

void TfrmConnect::RecordServer() {
    QStringList known;
    for (int i = 0; i < cbServer->count(); ++i)
        known << cbServer->itemText(i);
    ::RecordServer(ServerHistoryPath(), known, cbServer->currentText());
}

void TfrmConnect::btnCancelClick() {
    close();
}

void TfrmConnect::cbWindowAuthClick() {
    const bool loginByPassword = !cbWindowAuth->isChecked();
    edtUsername->setEnabled(loginByPassword);
    edtPassword->setEnabled(loginByPassword);
}
