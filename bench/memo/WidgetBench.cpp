// The editor on screen, end to end: 1,000 characters typed at the middle of a 10 MB script in the
// real widget (offscreen), each timed from its key event to the end of the paint it causes; then
// QPlainTextEdit and QScintilla doing the same in the same run.
#include "BenchSupport.h"
#include "MemoWidget.h"
#include "QtText.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <functional>
#ifdef VELMORA_HAVE_QSCINTILLA
#include <Qsci/qsciscintilla.h>
#endif

namespace {

using namespace bench;

constexpr int Keystrokes = 1000;

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
    int code = enter ? Qt::Key_Return : static_cast<int>(c >= U'a' && c <= U'z' ? c - 32 : c);
    QKeyEvent event(Type, code, Qt::NoModifier, memo::ToQString(std::u32string(1, c)));
    QApplication::sendEvent(&Target, &event);
}

// Shows Widget at 1280 x 1024, loads the script with Load (which also puts the caret at the
// middle), then types Keys characters there through key events.
void TypeIntoWidget(const char* Name, QAbstractScrollArea& Widget, int Keys,
                    const std::function<void()>& Load) {
    Widget.resize(1280, 1024);
    Widget.show();
    Widget.activateWindow();
    Widget.setFocus();
    Samples load;
    load.Time(Load);
    QCoreApplication::processEvents();
    PaintCounter counter(Widget.viewport());
    Samples typing;
    for (int i = 0; i < Keys; ++i) {
        std::u32string key = Keystroke(i);
        typing.Time([&] {
            int before = counter.Paints;
            SendKey(Widget, QEvent::KeyPress, key);
            WaitForPaint(counter, before);
        });
        SendKey(Widget, QEvent::KeyRelease, key);
    }
    std::printf("%s:\n", Name);
    load.Print("set the whole text, caret at the middle");
    typing.Print("key event to finished paint, at the middle");
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
    return 0;
}
