#pragma once
// Plain text as a Rich Text Format document, readable by any RTF reader.
#include <QByteArray>
#include <QString>

QByteArray PlainTextToRtf(const QString& Text, const QString& FontName, int FontPixelHeight);
