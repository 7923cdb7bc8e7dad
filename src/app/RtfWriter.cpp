#include "RtfWriter.h"

namespace {

// RTF's \u takes a signed 16-bit number; characters outside the BMP go as their two surrogates.
// The fallback for readers without Unicode is "?", written as a hex escape as word processors
// do: some readers take a literal fallback and the letters after it for one word and drop them.
void AppendUnicode(QByteArray& Rtf, char16_t Unit) {
    Rtf += "\\u" + QByteArray::number(static_cast<int16_t>(Unit)) + "\\'3f";
}

void AppendEscaped(QByteArray& Rtf, const QString& Text) {
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char16_t c = Text[i].unicode();
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
            continue; // CR LF is one paragraph break
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Rtf += '\\';
            Rtf += static_cast<char>(c);
            break;
        case '\r':
        case '\n':
        case QChar::ParagraphSeparator:
            Rtf += "\\par\n";
            break;
        case '\t':
            Rtf += "\\tab ";
            break;
        default:
            if (c >= 0x20 && c < 0x80)
                Rtf += static_cast<char>(c);
            else if (c >= 0x80)
                AppendUnicode(Rtf, c);
            // other control characters have no meaning in a text pane
        }
    }
}

} // namespace

QByteArray PlainTextToRtf(const QString& Text, const QString& FontName, int FontPixelHeight) {
    // Font sizes are in half points; at 96 dots per inch a pixel is three quarters of a point.
    const int halfPoints = FontPixelHeight * 3 / 2;
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss ";
    AppendEscaped(rtf, FontName);
    rtf += ";}}\n\\pard\\f0\\fs" + QByteArray::number(halfPoints) + ' ';
    AppendEscaped(rtf, Text);
    rtf += "\\par\n}\n";
    return rtf;
}
