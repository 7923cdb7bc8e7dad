#include "untLog.h"

#include "ToolWindow.h"

#include <QTextEdit>
#include <QVBoxLayout>

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

QString TfrmLog::Text() const {
    return reLog->toPlainText();
}
