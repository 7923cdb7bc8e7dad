#pragma once
// The connection files dialog: lists the data link files of the current directory, creates
// one, opens one in the data link dialog, deletes one.
#include <QDialog>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class TConnectionCommands;

class TfrmEditConnections final : public QDialog {
    Q_OBJECT

public:
    TfrmEditConnections(QWidget* Owner, TConnectionCommands& Commands);
    ~TfrmEditConnections() override;

    void ListConnectionFiles();
    void btnCreateClick();
    void lvAvailableConnectionsDblClick();
    void Delete1Click();

    QGroupBox* GroupBox2;
    QTableWidget* lvAvailableConnections;
    QMenu* PopupMenu1;
    QAction* Delete1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* edtName;
    QLabel* Label3;
    QPushButton* btnCreate;

private:
    void CreateControls();
    QString SelectedFileName() const;
    // Stands in for the system's data link editor: opens the file without waiting.
    void EditDataLink(const QString& Path);

    TConnectionCommands& FCommands;
};

extern TfrmEditConnections* frmEditConnections;
