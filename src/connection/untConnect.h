#pragma once
// The connect dialog: a server and a login, turned into a connection string and opened.
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
    QPushButton* btnConnect;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void CreateControls();
    QString BuildConnectionString() const;
    void RecordServer();

    TConnectionCommands& FCommands;
};

extern TfrmConnect* frmConnect;
