#pragma once
// Text on its way to the screen (a message box, a status panel, a tooltip, the log): every
// password a connection string in it holds shows as "*****".
#include <QString>

QString ShownText(const QString& Text);
