#include "PlainScriptEditor.h"

#include <QTextBlock>
#include <QTextCursor>

namespace {

QString WithCrLf(QString Text) {
    Text.replace(QChar::ParagraphSeparator, '\n');
    Text.replace(QChar::LineSeparator, '\n');
    return Text.replace("\n", "\r\n");
}

QString WithLf(QString Text) {
    Text.replace("\r\n", "\n");
    return Text.replace('\r', '\n');
}

} // namespace

TPlainScriptEditor::TPlainScriptEditor(QWidget* Parent) : QPlainTextEdit(Parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (OnChange)
            OnChange();
    });
}

int TPlainScriptEditor::SelStart() const {
    return textCursor().selectionStart();
}

int TPlainScriptEditor::SelLength() const {
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

QString TPlainScriptEditor::SelectedText() const {
    return WithCrLf(textCursor().selectedText());
}

QString TPlainScriptEditor::Text() const {
    return WithCrLf(toPlainText());
}

void TPlainScriptEditor::AppendLine(const QString& Text) {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    const bool empty = document()->isEmpty();
    end.insertText(empty ? WithLf(Text) : "\n" + WithLf(Text));
}

void TPlainScriptEditor::keyPressEvent(QKeyEvent* Event) {
    if (OnKeyDown)
        OnKeyDown(Event);
    QPlainTextEdit::keyPressEvent(Event);
}
