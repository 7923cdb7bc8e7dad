#include "Baselines.h"

#include "BenchSupport.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#ifdef VELMORA_HAVE_QSCINTILLA
#include <Qsci/qsciscintilla.h>
#endif

namespace bench {

namespace {

constexpr int Keystrokes = 10000;
// QScintilla spends time proportional to the line count on every keystroke (about 25 ms at
// 200,000 lines here): a sample of keystrokes keeps the run within minutes.
constexpr int ScintillaKeystrokes = 300;

QString ToQString(const std::u32string& Text) {
    return QString::fromUcs4(Text.data(), static_cast<qsizetype>(Text.size()));
}

} // namespace

void RunPlainTextEditBaseline(const std::u32string& Script) {
    std::printf("QPlainTextEdit (baseline):\n");
    QString text = ToQString(Script);
    QPlainTextEdit edit;
    edit.resize(1280, 1024);
    Samples load;
    load.Time([&] { edit.setPlainText(text); });
    load.Print("set the whole text");

    QTextCursor cursor(edit.document());
    cursor.setPosition(edit.document()->characterCount() / 2);
    Samples typing;
    for (int i = 0; i < Keystrokes; ++i) {
        std::u32string key = Keystroke(i);
        QString typed = key == U"\r\n" ? QStringLiteral("\n") : ToQString(key);
        typing.Time([&] { cursor.insertText(typed); });
    }
    typing.Print("one keystroke at the middle");
    Samples backspaces;
    for (int i = 0; i < Keystrokes; ++i)
        backspaces.Time([&] { cursor.deletePreviousChar(); });
    backspaces.Print("one backspace at the middle");
}

void RunScintillaBaseline(const std::u32string& Script) {
#ifdef VELMORA_HAVE_QSCINTILLA
    std::printf("QScintilla (baseline):\n");
    QString text = ToQString(Script);
    QsciScintilla edit;
    edit.resize(1280, 1024);
    Samples load;
    load.Time([&] { edit.setText(text); });
    load.Print("set the whole text");

    long middle = edit.SendScintilla(QsciScintilla::SCI_GETLENGTH) / 2;
    edit.SendScintilla(QsciScintilla::SCI_GOTOPOS, middle);
    Samples typing;
    for (int i = 0; i < ScintillaKeystrokes; ++i) {
        std::u32string key = Keystroke(i);
        std::string bytes(key.begin(), key.end());
        typing.Time([&] {
            edit.SendScintilla(QsciScintilla::SCI_ADDTEXT, static_cast<unsigned long>(bytes.size()),
                               bytes.c_str());
        });
    }
    typing.Print("one keystroke at the middle");
    Samples backspaces;
    for (int i = 0; i < ScintillaKeystrokes; ++i)
        backspaces.Time([&] { edit.SendScintilla(QsciScintilla::SCI_DELETEBACK); });
    backspaces.Print("one backspace at the middle");
#else
    (void)Script;
    std::printf("QScintilla (baseline): not installed (libqscintilla2-qt6-dev); skipped\n");
#endif
}

} // namespace bench
