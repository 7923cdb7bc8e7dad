#include "ToolWindow.h"

#include "DesktopFont.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

QTextEdit* CreateToolWindowPane(QWidget* Parent, const QString& Name, int FontPixelHeight) {
    auto* pane = new QTextEdit(Parent);
    pane->setObjectName(Name);
    pane->setAcceptRichText(false);
    pane->setLineWrapMode(QTextEdit::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font("Tahoma");
    font.setPixelSize(DesktopScaled(FontPixelHeight));
    pane->setFont(font);
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    pane->setPalette(palette);
    return pane;
}

void InsertAtTopOfPane(QTextEdit* Pane, const QString& Text) {
    QString lines = Text;
    lines.replace("\r\n", "\n").replace('\r', '\n');
    QTextCursor top(Pane->document());
    top.movePosition(QTextCursor::Start);
    top.insertText(Pane->document()->isEmpty() ? lines : lines + '\n');
    ShowNewestEntry(Pane);
}

void ShowNewestEntry(QTextEdit* Pane) {
    // The pane's own cursor is brought into view when the pane is first shown; left where the
    // insertions pushed it, it would show the oldest line's end.
    QTextCursor cursor = Pane->textCursor();
    if (!cursor.hasSelection()) {
        cursor.movePosition(QTextCursor::Start);
        Pane->setTextCursor(cursor);
    }
    Pane->verticalScrollBar()->setValue(Pane->verticalScrollBar()->minimum());
    Pane->horizontalScrollBar()->setValue(Pane->horizontalScrollBar()->minimum());
}
