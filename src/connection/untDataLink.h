#pragma once
// The data link dialog: builds a connection to SQL Server or to an ODBC data source and saves
// it into a data link file (.udl) in the standard layout, which other tools read as well.
#include "DataLinkSettings.h"
#include "EncryptionControls.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

class TfrmDataLink final : public QDialog {
    Q_OBJECT

public:
    // Fills itself from the file when it holds a connection string; frees itself when closed.
    TfrmDataLink(QWidget* Owner, const QString& FileName);

    QString FileName() const { return FFileName; }
    TDataLinkSettings Settings() const;

    void btnTestConnectionClick();
    void btnOKClick(); // writes the file and closes
    void btnCancelClick();

    QComboBox* cbProvider;
    QStackedWidget* pgTarget;
    QLineEdit* edtServer;
    QRadioButton* rbDataSourceName;
    QComboBox* cbDataSourceName;
    QRadioButton* rbDriver;
    QComboBox* cbDriver;
    QLineEdit* edtOtherKeys;
    QCheckBox* cbWindowsAuth;
    QLineEdit* edtUserName;
    QLineEdit* edtPassword;
    QCheckBox* cbAllowSavingPassword;
    QLineEdit* edtInitialCatalog;
    TEncryptionControls Encryption;
    QPushButton* btnTestConnection;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    QWidget* CreateTargetPages();
    QWidget* CreateLogonBox();
    void ShowSettings(const TDataLinkSettings& Settings);
    void UpdateEnabled();

    QString FFileName;
    TDataLinkSettings FLoaded; // what the file held: the keys the dialog does not edit
};
