// The editor on screen, end to end: 1,000 characters typed at the middle of a 10 MB script in the
// real widget (offscreen), each timed from its key event to the end of the paint it causes; then
// QPlainTextEdit and QScintilla doing the same in the same run. Then the same with SQL colouring:
// the source editor (the chain repaired with every key) beside QScintilla with its SQL lexer, and
// quotes that open a string running to the next quote and close it again.
#include "BenchSupport.h"
#include "MemoWidget.h"
#include "QtText.h"
#include "SourceEditUnit.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
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

// Counts the paints of a widget's viewport.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* Viewport) { Viewport->installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

// Delivers what the key event asked to be repainted, and returns once it is painted.
void WaitForPaint(const PaintCounter& Counter, int Before) {
    QElapsedTimer waited;
    waited.start();
    while (Counter.Paints == Before && waited.elapsed() < 1000)
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
    Samples typing;
    for (int i = 0; i < Keys; ++i)
        TimeKey(typing, Widget, counter, Keystroke(i));
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
    if (Quotes > 0) {
        opening.Print("a quote that opens a string to the next quote");
        closing.Print("the quote that closes it");
    }
    Widget.hide();
}

void RunMemoWidget(const std::u32string& Script) {
    memo::TMemoWidget widget;
    memo::TMemoComponent& editor = widget.Editor();
    memo::TFont font = editor.GetFontValue();
    font.Height = -13; // as the main window's editor
    editor.SetFont(font);
    editor.SetTabSize(8);
    TypeIntoWidget("TMemoWidget (the editor on screen)", widget, Keystrokes, [&] {
        editor.SetText(Script);
        editor.Selection()->CollapseTo(editor.LineColToPos(editor.LineCount() / 2, 10));
        editor.Selection()->MakeVisible(4);
    });
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
    memo::TMemoWidget widget(nullptr, std::make_unique<sourceedit::TSourceEdit>());
    auto& editor = static_cast<sourceedit::TSourceEdit&>(widget.Editor());
    sourceedit::ApplySqlEditorSettings(editor);
    TypeIntoWidget(
        "TMemoWidget with TSourceEdit, SQL colouring (the script editor on screen)", widget,
        Keystrokes,
        [&] {
            editor.SetText(Script);
            editor.Selection()->CollapseTo(editor.LineColToPos(editor.LineCount() / 2, 10));
            editor.Selection()->MakeVisible(4);
        },
        QuotePairs);
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Repaints as soon as they are asked for, not at the platform's next frame.
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0); // no blinking paints among the measured ones
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::u32string script = GenerateScript();
    std::printf("%d characters typed at the middle of a %zu-character, 200,000-line script; "
                "target: p99 at most 2 ms\n",
                Keystrokes, script.size());
    RunMemoWidget(script);
    RunPlainTextEdit(script);
    RunScintilla(script);
    std::printf("With SQL colouring; target: p99 at most 1 ms\n");
    RunSourceEditWidget(script);
    RunScintillaSql(script);
    return 0;
}
