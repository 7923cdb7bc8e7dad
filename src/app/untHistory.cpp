#include "untHistory.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "HistoryPane.h"
#include "ImageList.h"
#include "RtfWriter.h"
#include "SafeFile.h"
#include "ToolWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TfrmHistory* frmHistory = nullptr;

namespace {

QToolButton* AddButton(QToolBar* Bar, const QString& Name, int Image, const QString& Hint) {
    auto* button = new QToolButton(Bar);
    button->setObjectName(Name);
    button->setToolTip(Hint);
    button->setIcon(ImageList1(Image));
    button->setAutoRaise(true);
    Bar->addWidget(button);
    return button;
}

} // namespace

TfrmHistory::TfrmHistory(QWidget* Owner, TFileDialog& SaveDialog)
    : QWidget(Owner, Qt::Tool), FSaveDialog(SaveDialog) {
    setObjectName("frmHistory");
    setWindowTitle("History");
    resize(468, 400);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolButton1 = AddButton(ToolBar1, "ToolButton1", SaveImage, "Save History");
    ToolBar1->addSeparator();
    ToolButton3 = AddButton(ToolBar1, "ToolButton3", RunImage, "Execute Selected");
    reHistory = CreateToolWindowPane(this, "reHistory", 13);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(reHistory);

    connect(ToolButton1, &QToolButton::clicked, this, Guarded([this] { ToolButton1Click(); }));
    connect(ToolButton3, &QToolButton::clicked, this, Guarded([this] { ToolButton3Click(); }));
}

void TfrmHistory::InsertAtTop(const QString& Text) {
    InsertHistoryEntry(reHistory, Text);
}

QString TfrmHistory::Text() const {
    return HistoryText(reHistory, 0, reHistory->document()->characterCount() - 1, "\n");
}

void TfrmHistory::ToolButton1Click() {
    // The dialog is the scripts' one, but what it saves here is Rich Text: it proposes an .rtf
    // name (the last history file, or one beside the last script) and gives .rtf to a name typed
    // without a suffix, and then goes back to the script's name and suffix.
    const QString scriptName = FSaveDialog.FileName;
    const QString scriptSuffix = FSaveDialog.DefaultExt;
    FSaveDialog.FileName = !FHistoryFile.isEmpty() ? FHistoryFile
                           : scriptName.isEmpty()
                               ? QString("history.rtf")
                               : QFileInfo(scriptName).dir().filePath("history.rtf");
    FSaveDialog.DefaultExt = "rtf";
    const bool chosen = FSaveDialog.Execute();
    const QString fileName = FSaveDialog.FileName;
    FSaveDialog.FileName = scriptName;
    FSaveDialog.DefaultExt = scriptSuffix;
    if (!chosen)
        return;
    const QFont font = reHistory->font();
    velmora::files::WriteFileAtomically(
        QFile::encodeName(fileName).toStdString(),
        PlainTextToRtf(Text(), font.family(), font.pixelSize()).toStdString(),
        velmora::files::TNewFileMode::nfmShared);
    FHistoryFile = fileName;
}

void TfrmHistory::ToolButton3Click() {
    const QTextCursor selection = reHistory->textCursor();
    const QString selected =
        selection.hasSelection()
            ? HistoryText(reHistory, selection.selectionStart(), selection.selectionEnd(), "\r\n")
            : QString();
    if (OnRun)
        OnRun(selected);
}
