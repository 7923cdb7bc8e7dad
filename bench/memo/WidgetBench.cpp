// The editor on screen, end to end: 1,000 characters typed at the middle of a 10 MB script in the
// real widget (offscreen), each timed from its key event to the end of the paint it causes; then
// QPlainTextEdit and QScintilla doing the same in the same run (opening script files:
// ScriptOpenBench). Then the typing with SQL colouring:
// the source editor (the chain repaired with every key) beside QScintilla with its SQL lexer, and
// quotes that open a string running to the next quote and close it again.
#include "BenchSupport.h"
#include "MemoWidget.h"
#include "OffscreenPlatform.h"
#include "PaintCounter.h"
#include "QtText.h"
#include "SourceEditUnit.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextCursor>
#include <functional>
#ifdef VELMORA_HAVE_QSCINTILLA
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#endif

namespace {

using namespace bench;

constexpr int Keystrokes = 1000;
constexpr int QuotePairs = 20;

// Delivers what was asked to be repainted, and returns once it is painted.
void WaitForPaint(const PaintCounter& Counter, int Before, int TimeoutMs = 1000) {
    QElapsedTimer waited;
    waited.start();
    while (Counter.Paints == Before && waited.elapsed() < TimeoutMs)
        QCoreApplication::processEvents();
}

void SendKey(QWidget& Target, QEvent::Type Type, const std::u32string& Key) {
    bool enter = Key == U"\r\n";
    char32_t c = enter ? U'\r' : Key[0];
    int code = enter        ? Qt::Key_Return
               : c == U'\b' ? Qt::Key_Backspace
                            : static_cast<int>(c >= U'a' && c <= U'z' ? c - 32 : c);
    QKeyEvent event(Type, code, Qt::NoModifier, memo::ToQString(std::u32string(1, c)));
    QApplication::sendEvent(&Target, &event);
}

// One key typed into Widget, timed from its key event to the end of the paint it causes.
void TimeKey(Samples& Times, QWidget& Widget, const PaintCounter& Counter,
             const std::u32string& Key) {
    Times.Time([&] {
        int before = Counter.Paints;
        SendKey(Widget, QEvent::KeyPress, Key);
        WaitForPaint(Counter, before);
    });
    SendKey(Widget, QEvent::KeyRelease, Key);
}

// Shows Widget at 1280 x 1024, loads the script with Load (which also puts the caret at the
// middle), then types Keys characters there through key events; with Quotes, also a quote that
// opens a string and one that closes it, Quotes times (both taken back with Backspace).
void TypeIntoWidget(const char* Name, QAbstractScrollArea& Widget, int Keys,
                    const std::function<void()>& Load, int Quotes = 0) {
    Widget.resize(1280, 1024);
    Widget.show();
    Widget.activateWindow();
    Widget.setFocus();
    Samples load;
    load.Time(Load);
    QCoreApplication::processEvents();
    PaintCounter counter(Widget.viewport());
    Samples enters; // Enter moves every line below it: timed apart from the other keys
    Samples others;
    for (int i = 0; i < Keys; ++i) {
        std::u32string key = Keystroke(i);
        TimeKey(key == U"\r\n" ? enters : others, Widget, counter, key);
    }
    Samples typing = others;
    typing.Append(enters);
    Samples opening;
    Samples closing;
    Samples backspaces;
    for (int i = 0; i < Quotes; ++i) {
        TimeKey(opening, Widget, counter, U"'");
        TimeKey(closing, Widget, counter, U"'");
        TimeKey(backspaces, Widget, counter, U"\b");
        TimeKey(backspaces, Widget, counter, U"\b");
    }
    std::printf("%s:\n", Name);
    load.Print("set the whole text, caret at the middle");
    typing.Print("key event to finished paint, at the middle");
    others.Print("  of them keys that add no line");
    enters.Print("  of them Enter");
    if (Quotes > 0) {
        opening.Print("a quote that opens a string to the next quote");
        closing.Print("the quote that closes it");
    }
    Widget.hide();
}

// The script editor of the main window: the widget hosting a source editor with the SQL settings.
std::unique_ptr<memo::TMemoWidget> NewSqlWidget() {
    auto widget =
        std::make_unique<memo::TMemoWidget>(nullptr, std::make_unique<sourceedit::TSourceEdit>());
    sourceedit::ApplySqlEditorSettings(static_cast<sourceedit::TSourceEdit&>(widget->Editor()));
    return widget;
}

void TypeIntoEditorWidget(const char* Name, memo::TMemoWidget& Widget, const std::u32string& Script,
                          int Quotes = 0) {
    memo::TMemoComponent& editor = Widget.Editor();
    TypeIntoWidget(
        Name, Widget, Keystrokes,
        [&] {
            editor.SetText(Script);
            editor.Selection()->CollapseTo(editor.LineColToPos(editor.LineCount() / 2, 10));
            editor.Selection()->MakeVisible(4);
        },
        Quotes);
}

void RunMemoWidget(const std::u32string& Script) {
    memo::TMemoWidget widget;
    memo::TMemoComponent& editor = widget.Editor();
    memo::TFont font = editor.GetFontValue();
    font.Height = -13; // as the main window's editor
    editor.SetFont(font);
    editor.SetTabSize(8);
    TypeIntoEditorWidget("TMemoWidget (the editor on screen)", widget, Script);
}

void RunPlainTextEdit(const std::u32string& Script) {
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    TypeIntoWidget("QPlainTextEdit (baseline)", edit, Keystrokes, [&] {
        edit.setPlainText(memo::ToQString(Script));
        QTextCursor cursor(edit.document());
        cursor.setPosition(edit.document()->characterCount() / 2);
        edit.setTextCursor(cursor);
        edit.ensureCursorVisible();
    });
}

void RunScintilla(const std::u32string& Script) {
#ifdef VELMORA_HAVE_QSCINTILLA
    QsciScintilla edit;
    TypeIntoWidget("QScintilla (baseline)", edit, Keystrokes, [&] {
        edit.setText(memo::ToQString(Script));
        long middle = edit.SendScintilla(QsciScintilla::SCI_GETLENGTH) / 2;
        edit.SendScintilla(QsciScintilla::SCI_GOTOPOS, middle);
    });
#else
    (void)Script;
    std::printf("QScintilla (baseline): not installed (libqscintilla2-qt6-dev); skipped\n");
#endif
}

void RunSourceEditWidget(const std::u32string& Script) {
    TypeIntoEditorWidget(
        "TMemoWidget with TSourceEdit, SQL colouring (the script editor on screen)",
        *NewSqlWidget(), Script, QuotePairs);
}

void RunScintillaSql(const std::u32string& Script) {
#ifdef VELMORA_HAVE_QSCINTILLA
    QsciScintilla edit;
    QsciLexerSQL lexer;
    edit.setLexer(&lexer);
    TypeIntoWidget(
        "QScintilla with its SQL lexer (baseline)", edit, Keystrokes,
        [&] {
            edit.setText(memo::ToQString(Script));
            edit.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
            long middle = edit.SendScintilla(QsciScintilla::SCI_GETLENGTH) / 2;
            edit.SendScintilla(QsciScintilla::SCI_GOTOPOS, middle);
        },
        QuotePairs);
    edit.setLexer(nullptr);
#else
    (void)Script;
    std::printf("QScintilla (baseline): not installed (libqscintilla2-qt6-dev); skipped\n");
#endif
}

} // namespace

// With arguments, only the named parts run: "typing" (the plain editors) and "colour".
int main(int argc, char** argv) {
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0); // no blinking paints among the measured ones
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList parts = QCoreApplication::arguments().mid(1);
    auto runs = [&](const char* Part) { return parts.isEmpty() || parts.contains(Part); };
    std::u32string script = GenerateScript();
    if (runs("typing")) {
        std::printf("%d characters typed at the middle of a %zu-character, 200,000-line script; "
                    "target: p99 at most 2 ms\n",
                    Keystrokes, script.size());
        RunMemoWidget(script);
        RunPlainTextEdit(script);
        RunScintilla(script);
    }
    if (runs("colour")) {
        std::printf("The same with SQL colouring; target: p99 at most 1 ms\n");
        RunSourceEditWidget(script);
        RunScintillaSql(script);
    }
    return 0;
}
