#pragma once
// The connect dialog: a server, a login and the encryption asked for, turned into a connection
// string and opened.
#include "EncryptionControls.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TConnectionCommands;

class TfrmConnect final : public QDialog {
    Q_OBJECT

public:
    // The dialog frees itself when it closes.
    TfrmConnect(QWidget* Owner, TConnectionCommands& Commands);
    ~TfrmConnect() override;

    // Whether the dialog's work is done: the attempt ran to its end (connected, or failed in a
    // way the main window reports). False keeps the dialog open: a step before the attempt
    // failed, a row in edit was kept, or the server refused the login (the password is then
    // selected for typing again).
    bool DoConnection();
    void btnConnectClick();
    void btnCancelClick();
    void cbWindowAuthClick();

    QLabel* Label1;
    QComboBox* cbServer;
    QGroupBox* GroupBox1;
    QLabel* Label2;
    QLineEdit* edtUsername;
    QLabel* Label3;
    QLineEdit* edtPassword;
    QCheckBox* cbWindowAuth;
    TEncryptionControls Encryption;
    QPushButton* btnConnect;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void CreateControls();
    QString BuildConnectionString() const;
    void RecordServer();
    void SelectPassword();

    TConnectionCommands& FCommands;
};

extern TfrmConnect* frmConnect;
