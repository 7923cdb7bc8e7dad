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
// QScintilla spends time proportional to the line count on every keystroke (about 35 ms at
// 200,000 lines here): a sample of keystrokes keeps the run within minutes.
constexpr int ScintillaKeystrokes = 300;

QString ToQString(const std::u32string& Text) {
    return QString::fromUcs4(Text.data(), static_cast<qsizetype>(Text.size()));
}

// Times one load of the script, Keys keystrokes at the middle and as many backspaces.
template <class Load, class Type, class Backspace>
void RunBaseline(const char* Name, int Keys, Load&& LoadScript, Type&& TypeKey,
                 Backspace&& DeleteBack) {
    std::printf("%s (baseline):\n", Name);
    Samples load;
    load.Time(LoadScript);
    load.Print("set the whole text");
    Samples typing;
    for (int i = 0; i < Keys; ++i) {
        std::u32string key = Keystroke(i);
        typing.Time([&] { TypeKey(key); });
    }
    typing.Print("one keystroke at the middle");
    Samples backspaces;
    for (int i = 0; i < Keys; ++i)
        backspaces.Time(DeleteBack);
    backspaces.Print("one backspace at the middle");
}

} // namespace

void RunPlainTextEditBaseline(const std::u32string& Script) {
    QString text = ToQString(Script);
    QPlainTextEdit edit;
    edit.resize(1280, 1024);
    QTextCursor cursor(edit.document());
    RunBaseline(
        "QPlainTextEdit", Keystrokes,
        [&] {
            edit.setPlainText(text);
            cursor.setPosition(edit.document()->characterCount() / 2);
        },
        [&](const std::u32string& key) {
            cursor.insertText(key == U"\r\n" ? QStringLiteral("\n") : ToQString(key));
        },
        [&] { cursor.deletePreviousChar(); });
}

void RunScintillaBaseline(const std::u32string& Script) {
#ifdef VELMORA_HAVE_QSCINTILLA
    QString text = ToQString(Script);
    QsciScintilla edit;
    edit.resize(1280, 1024);
    RunBaseline(
        "QScintilla", ScintillaKeystrokes,
        [&] {
            edit.setText(text);
            long middle = edit.SendScintilla(QsciScintilla::SCI_GETLENGTH) / 2;
            edit.SendScintilla(QsciScintilla::SCI_GOTOPOS, middle);
        },
        [&](const std::u32string& key) {
            std::string bytes(key.begin(), key.end());
            edit.SendScintilla(QsciScintilla::SCI_ADDTEXT, static_cast<unsigned long>(bytes.size()),
                               bytes.c_str());
        },
        [&] { edit.SendScintilla(QsciScintilla::SCI_DELETEBACK); });
#else
    (void)Script;
    std::printf("QScintilla (baseline): not installed (libqscintilla2-qt6-dev); skipped\n");
#endif
}

} // namespace bench
