#pragma once
#include <QString>

// A copy of Text without every character equal to Ch. Each character is compared as a
// one-character text, so a Ch of any other length removes nothing.
QString StripChar(const QString& Text, const QString& Ch);
