#pragma once
// The history window: every script that was run, newest first, each followed by a separator
// line; it can save itself and run a selected part again.
#include <QWidget>
#include <functional>

class QTextEdit;
class QToolBar;
class QToolButton;
struct TFileDialog;

class TfrmHistory final : public QWidget {
    Q_OBJECT

public:
    // SaveDialog is the main window's, shared with the script files so it remembers the name.
    TfrmHistory(QWidget* Owner, TFileDialog& SaveDialog);

    // Puts Text above everything the pane holds, as lines of their own.
    void InsertAtTop(const QString& Text);
    QString Text() const;

    void ToolButton1Click(); // save as Rich Text Format
    void ToolButton3Click(); // run the selected text

    // Runs a script; the main window connects it to its ExecuteScript.
    std::function<void(const QString&)> OnRun;

    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    QToolButton* ToolButton3;
    QTextEdit* reHistory;

private:
    TFileDialog& FSaveDialog;
    QString FHistoryFile; // the file the history was last saved to
};

extern TfrmHistory* frmHistory;
