#include "untLog.h"

#include "ToolWindow.h"

#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

TfrmLog* frmLog = nullptr;

TfrmLog::TfrmLog(QWidget* Owner) : QWidget(Owner, Qt::Tool) {
    setObjectName("frmLog");
    setWindowTitle("Log");
    resize(340, 312);
    reLog = CreateToolWindowPane(this, "reLog", 11);
    reLog->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(reLog);
}

void TfrmLog::InsertFirstLine(const QString& Line) {
    InsertAtTopOfPane(reLog, Line);
}

void TfrmLog::FitWidestLine() {
    // The pane's text layout keeps the width of its widest line as it lays the lines out; the
    // pane needs that, its margins, its frame and the vertical scroll bar.
    const int needed = static_cast<int>(std::ceil(reLog->document()->idealWidth())) +
                       2 * reLog->frameWidth() + reLog->verticalScrollBar()->sizeHint().width() +
                       reLog->contentsMargins().left() + reLog->contentsMargins().right();
    const QScreen* shownOn = screen();
    const int most = shownOn != nullptr ? shownOn->availableGeometry().width() : needed;
    const int wanted = std::min(needed, most);
    if (wanted > width())
        resize(wanted, height());
}

QString TfrmLog::Text() const {
    return reLog->toPlainText();
}
