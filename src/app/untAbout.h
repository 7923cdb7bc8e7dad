#pragma once
// The about box: the program's name and version and the state of the current connection.
#include <QDialog>

class QGroupBox;
class QLabel;
class QLayout;
class QPlainTextEdit;

// What the connection reports about itself, for the about box.
struct TConnectionDetails {
    QString DefaultDatabase;
    QString Version;
    QString Provider;
    QString ConnectionString; // without its password
    // Whom the connection is with, as the driver names them; empty while it is closed.
    QString Server;
    QString Login;
};

class TfrmAbout final : public QDialog {
    Q_OBJECT

public:
    // The box frees itself when closed.
    TfrmAbout(QWidget* Owner, const TConnectionDetails& Details);

    QLabel* Label9; // the version
    QGroupBox* GroupBox1;
    QLabel* labServer;
    QLabel* labLogin;
    QLabel* labConnectedDB;
    QLabel* labVersion;
    QLabel* lab7;
    QPlainTextEdit* memConnString;

private:
    void FitToContent(QLayout* Layout);
};
