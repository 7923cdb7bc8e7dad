#pragma once
// The text pane shared by the log and history windows: white, Tahoma, no word wrap, both
// scroll bars, plain text only.
#include <QString>

class QTextEdit;
class QWidget;

// FontPixelHeight is the height at the desktop's usual font size; it follows the desktop's font.
QTextEdit* CreateToolWindowPane(QWidget* Parent, const QString& Name, int FontPixelHeight);

// Puts Text above everything Pane holds, as lines of their own (any line breaks in it), and
// shows it.
void InsertAtTopOfPane(QTextEdit* Pane, const QString& Text);
// Scrolls Pane to its newest entry: the top, from the left edge.
void ShowNewestEntry(QTextEdit* Pane);
