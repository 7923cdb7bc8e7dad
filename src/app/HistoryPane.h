#pragma once
// The history pane's entries. A long script is shown by its first lines and a line that stands
// for the rest; the rest is kept beside that line, so the pane lays out a few thousand
// characters however long a script is, while running or saving what holds the line gives the
// whole script back.
#include <QString>

class QTextEdit;

// Characters of a script the pane shows before the line that stands for the rest.
inline constexpr qsizetype ShownHistoryCharacters = 20000;

// Puts Script above everything Pane holds, as lines of their own, and shows it.
void InsertHistoryEntry(QTextEdit* Pane, const QString& Script);

// The pane's text from position From to To, lines joined by LineBreak. A line that stands for
// the rest of a script gives that rest when it lies wholly inside the range.
QString HistoryText(const QTextEdit* Pane, int From, int To, const QString& LineBreak);
