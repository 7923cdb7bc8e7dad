#include "GoToLineBar.h"

#include "GoToLine.h"
#include "MemoScriptEditor.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TGoToLineBar::TGoToLineBar(TMemoScriptEditor* Editor, QWidget* Parent)
    : QWidget(Parent), FEditor(Editor) {
    setObjectName("GoToLineBar1");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    FPrompt = new QLabel(this);
    FLine = new QLineEdit(this);
    FLine->setObjectName("edLine");
    FLine->setValidator(new QIntValidator(1, 999'999'999, FLine));
    FLine->setMaximumWidth(120);
    FPrompt->setBuddy(FLine);
    FStatus = new QLabel(this);
    FStatus->setObjectName("lblGoToLineStatus");
    layout->addWidget(FPrompt);
    layout->addWidget(FLine);
    layout->addWidget(FStatus, 1);
    hide();
}

void TGoToLineBar::Open() {
    memo::TMemoComponent& editor = FEditor->Editor();
    FPrompt->setText(QString("&Go to line (1 to %1):").arg(editor.LineCount()));
    FLine->setText(QString::number(editor.PosToLineCol(editor.Selection()->CaretPos()).Line));
    FStatus->clear();
    show();
    FLine->setFocus(Qt::ShortcutFocusReason);
    FLine->selectAll();
}

void TGoToLineBar::Close() {
    hide();
    FEditor->setFocus(Qt::OtherFocusReason);
}

QString TGoToLineBar::Status() const {
    return FStatus->text();
}

void TGoToLineBar::Go() {
    bool number = false;
    int line = FLine->text().toInt(&number);
    int lines = FEditor->Editor().LineCount();
    if (!number || line < 1 || line > lines) {
        FStatus->setText(QString("The script has lines 1 to %1").arg(lines));
        FLine->selectAll();
        return;
    }
    sourceedit::GoToLine(FEditor->Editor(), line);
    Close();
}

void TGoToLineBar::keyPressEvent(QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers = Event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && Event->key() == Qt::Key_Escape) {
        Close();
        return Event->accept();
    }
    if (modifiers == Qt::NoModifier &&
        (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)) {
        Go();
        return Event->accept();
    }
    QWidget::keyPressEvent(Event);
}
