#pragma once
// The text pane shared by the log and history windows: white, Tahoma, no word wrap, both
// scroll bars, plain text only.
#include <QString>

class QTextEdit;
class QWidget;

QTextEdit* CreateToolWindowPane(QWidget* Parent, const QString& Name, int FontPixelHeight);
