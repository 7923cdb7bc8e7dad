#include "untDataLink.h"

#include "Ado.h"
#include "DataLinkFile.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "OdbcHandles.h"
#include "PasswordEcho.h"
#include "ServerWait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using velmora::ado::TADOConnection;

namespace {

const char* const SqlServerProvider = "SQLOLEDB.1";
const char* const OdbcProvider = "MSDASQL.1";

QString FromUtf8(const std::string& Text) {
    return QString::fromStdString(Text);
}

std::string ToUtf8(const QString& Text) {
    return Text.toStdString();
}

QComboBox* EditableCombo(QWidget* Parent, const std::vector<std::string>& Items) {
    auto* combo = new QComboBox(Parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& item : Items)
        combo->addItem(FromUtf8(item));
    combo->setEditText({});
    return combo;
}

// What the file holds; a new, empty file holds nothing yet. A file that cannot be read is
// reported and the dialog starts afresh: Cancel leaves it as it is, OK replaces it.
TDataLinkSettings SavedSettings(const QString& FileName) {
    if (QFileInfo(FileName).size() == 0)
        return {};
    try {
        return ReadDataLinkSettings(velmora::ado::readDataLinkFile(ToUtf8(FileName)));
    } catch (const std::exception& error) {
        Dialogs().MessageDlg(QString::fromUtf8(error.what()), TMsgDlgType::mtWarning,
                             QMessageBox::Ok);
        return {};
    }
}

} // namespace

TfrmDataLink::TfrmDataLink(QWidget* Owner, const QString& FileName)
    : QDialog(Owner), FFileName(FileName) {
    setObjectName("frmDataLink");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Data Link Properties - " + QFileInfo(FileName).fileName());

    cbProvider = new QComboBox(this);
    cbProvider->setObjectName("cbProvider");
    cbProvider->addItem("SQL Server", SqlServerProvider);
    cbProvider->addItem("ODBC data source", OdbcProvider);

    auto* target = new QGroupBox("Connection", this);
    auto* targetLayout = new QVBoxLayout(target);
    targetLayout->addWidget(CreateTargetPages());
    edtInitialCatalog = new QLineEdit(this);
    edtInitialCatalog->setObjectName("edtInitialCatalog");

    btnTestConnection = new QPushButton("Test Connection", this);
    btnTestConnection->setObjectName("btnTestConnection");
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QDialogButtonBox::Ok);
    btnOK->setObjectName("btnOK");
    btnCancel = buttons->addButton(QDialogButtonBox::Cancel);
    btnCancel->setObjectName("btnCancel");

    auto* form = new QFormLayout;
    form->addRow("Provider:", cbProvider);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(target);
    layout->addWidget(CreateLogonBox());
    auto* catalog = new QFormLayout;
    catalog->addRow("Initial catalog:", edtInitialCatalog);
    layout->addLayout(catalog);
    auto* test = new QHBoxLayout;
    test->addWidget(btnTestConnection);
    test->addWidget(NewServerWaitLabel(this), 1);
    layout->addLayout(test);
    layout->addWidget(buttons);
    // While the test connection is being made, Cancel gives it up.
    ServerWait().AddCancelControl(btnCancel);

    ShowSettings(SavedSettings(FileName));

    connect(cbProvider, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(rbDataSourceName, &QRadioButton::toggled, this, [this] { UpdateEnabled(); });
    connect(cbWindowsAuth, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(btnTestConnection, &QPushButton::clicked, this,
            Guarded([this] { btnTestConnectionClick(); }));
    connect(btnOK, &QPushButton::clicked, this, Guarded([this] { btnOKClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, Guarded([this] { btnCancelClick(); }));
    UpdateEnabled();
}

QWidget* TfrmDataLink::CreateTargetPages() {
    pgTarget = new QStackedWidget(this);
    auto* sqlServer = new QWidget(pgTarget);
    edtServer = new QLineEdit(sqlServer);
    edtServer->setObjectName("edtServer");
    edtServer->setPlaceholderText("host, host,port or host\\instance");
    auto* sqlServerForm = new QFormLayout(sqlServer);
    sqlServerForm->addRow("Server:", edtServer);
    Encryption = AddEncryptionControls(sqlServer, sqlServerForm);

    const auto environment = velmora::ado::OdbcEnvironment::shared();
    auto* odbc = new QWidget(pgTarget);
    rbDataSourceName = new QRadioButton("Use data source name", odbc);
    rbDataSourceName->setObjectName("rbDataSourceName");
    cbDataSourceName = EditableCombo(odbc, environment->dataSourceNames());
    cbDataSourceName->setObjectName("cbDataSourceName");
    rbDriver = new QRadioButton("Use driver", odbc);
    rbDriver->setObjectName("rbDriver");
    rbDriver->setChecked(true);
    cbDriver = EditableCombo(odbc, environment->driverNames());
    cbDriver->setObjectName("cbDriver");
    edtOtherKeys = new QLineEdit(odbc);
    edtOtherKeys->setObjectName("edtOtherKeys");
    edtOtherKeys->setPlaceholderText("Database=demo.db");
    auto* odbcForm = new QFormLayout(odbc);
    odbcForm->addRow(rbDataSourceName, cbDataSourceName);
    odbcForm->addRow(rbDriver, cbDriver);
    odbcForm->addRow("Further keys:", edtOtherKeys);

    pgTarget->addWidget(sqlServer);
    pgTarget->addWidget(odbc);
    return pgTarget;
}

QWidget* TfrmDataLink::CreateLogonBox() {
    auto* box = new QGroupBox("Log on to the server", this);
    cbWindowsAuth = new QCheckBox("Use Windows Authentication", box);
    cbWindowsAuth->setObjectName("cbWindowsAuth");
    edtUserName = new QLineEdit(box);
    edtUserName->setObjectName("edtUserName");
    edtPassword = new QLineEdit(box);
    edtPassword->setObjectName("edtPassword");
    EchoPasswordAsAsterisks(edtPassword);
    cbAllowSavingPassword = new QCheckBox("Allow saving password", box);
    cbAllowSavingPassword->setObjectName("cbAllowSavingPassword");
    auto* form = new QFormLayout(box);
    form->addRow(cbWindowsAuth);
    form->addRow("User name:", edtUserName);
    form->addRow("Password:", edtPassword);
    form->addRow(cbAllowSavingPassword);
    return box;
}

void TfrmDataLink::ShowSettings(const TDataLinkSettings& Settings) {
    FLoaded = Settings;
    int provider = cbProvider->findData(FromUtf8(Settings.Provider));
    if (provider < 0) {
        // A provider this dialog does not offer, kept as the file names it.
        cbProvider->addItem(FromUtf8(Settings.Provider), FromUtf8(Settings.Provider));
        provider = cbProvider->count() - 1;
    }
    cbProvider->setCurrentIndex(provider);
    edtServer->setText(FromUtf8(Settings.Server));
    (Settings.UseDataSourceName ? rbDataSourceName : rbDriver)->setChecked(true);
    cbDataSourceName->setEditText(FromUtf8(Settings.DataSourceName));
    cbDriver->setEditText(FromUtf8(Settings.Driver));
    edtOtherKeys->setText(FromUtf8(Settings.OtherOdbcKeys));
    cbWindowsAuth->setChecked(Settings.WindowsAuthentication);
    edtUserName->setText(FromUtf8(Settings.UserName));
    edtPassword->setText(FromUtf8(Settings.Password));
    cbAllowSavingPassword->setChecked(Settings.AllowSavingPassword);
    edtInitialCatalog->setText(FromUtf8(Settings.InitialCatalog));
    Encryption.Show(Settings.Encryption, Settings.TrustServerCertificate);
}

TDataLinkSettings TfrmDataLink::Settings() const {
    TDataLinkSettings settings = FLoaded;
    settings.Provider = ToUtf8(cbProvider->currentData().toString());
    settings.Kind = ProviderKind(settings.Provider);
    settings.Server = ToUtf8(edtServer->text());
    settings.UseDataSourceName = rbDataSourceName->isChecked();
    settings.DataSourceName = ToUtf8(cbDataSourceName->currentText());
    settings.Driver = ToUtf8(cbDriver->currentText());
    settings.OtherOdbcKeys = ToUtf8(edtOtherKeys->text());
    settings.WindowsAuthentication = cbWindowsAuth->isChecked();
    settings.UserName = ToUtf8(edtUserName->text());
    settings.Password = ToUtf8(edtPassword->text());
    settings.AllowSavingPassword = cbAllowSavingPassword->isChecked();
    settings.InitialCatalog = ToUtf8(edtInitialCatalog->text());
    settings.Encryption = Encryption.Mode();
    settings.TrustServerCertificate = Encryption.TrustServerCertificate();
    return settings;
}

void TfrmDataLink::UpdateEnabled() {
    const bool odbc = ProviderKind(ToUtf8(cbProvider->currentData().toString())) ==
                      TDataLinkSettings::TKind::Odbc;
    pgTarget->setCurrentIndex(odbc ? 1 : 0);
    cbDataSourceName->setEnabled(rbDataSourceName->isChecked());
    cbDriver->setEnabled(!rbDataSourceName->isChecked());
    edtOtherKeys->setEnabled(!rbDataSourceName->isChecked());
    cbWindowsAuth->setEnabled(!odbc);
    const bool password = odbc || !cbWindowsAuth->isChecked();
    edtUserName->setEnabled(password);
    edtPassword->setEnabled(password);
    cbAllowSavingPassword->setEnabled(password);
}

void TfrmDataLink::btnTestConnectionClick() {
    // A connection of its own: the program's connection stays as it is.
    TADOConnection connection;
    connection.SetCallRunner(WaitInWindows());
    try {
        connection.SetConnectionString(TestConnectionString(Settings()));
        connection.Open();
    } catch (const std::exception& error) {
        Dialogs().MessageDlg("Test connection failed: " + QString::fromUtf8(error.what()),
                             TMsgDlgType::mtError, QMessageBox::Ok);
        return;
    }
    Dialogs().MessageDlg("Test connection succeeded.", TMsgDlgType::mtInformation, QMessageBox::Ok);
}

void TfrmDataLink::btnOKClick() {
    velmora::ado::writeDataLinkFile(ToUtf8(FFileName), DataLinkString(Settings()));
    close();
}

void TfrmDataLink::btnCancelClick() {
    close();
}
