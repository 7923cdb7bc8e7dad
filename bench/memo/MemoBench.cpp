// The editor core on a 10 MB, 200,000-line script: loading, typing and backspacing at the middle
// (with and without two million registered ranges), one full-screen paint, and memory; then the
// same load and typing on QPlainTextEdit and QScintilla as baselines.
#include "Baselines.h"
#include "BenchSupport.h"
#include "MemoComponentUnit.h"
#include "NullHost.h"

#include <QApplication>
#include <memory>

namespace {

using namespace bench;
using memo::TMemoComponent;

constexpr int Keystrokes = 10000;
constexpr int RegisteredRanges = 2000000;

std::unique_ptr<TMemoComponent> NewEditor(NullHost& Host) {
    auto editor = std::make_unique<TMemoComponent>(&Host);
    editor->SetTabSize(8);
    editor->UpdateFontMetrics();
    return editor;
}

void PlaceCaretAtTheMiddle(TMemoComponent& Editor) {
    int line = Editor.LineCount() / 2;
    Editor.Selection()->CollapseTo(Editor.LineColToPos(line, 10));
    Editor.Selection()->MakeVisible(4);
}

void TypeAndBackspace(TMemoComponent& Editor, const char* Label) {
    PlaceCaretAtTheMiddle(Editor);
    Samples typing;
    for (int i = 0; i < Keystrokes; ++i) {
        std::u32string key = Keystroke(i);
        typing.Time([&] {
            Editor.Selection()->SetText(key);
            Editor.Selection()->MakeVisible(4);
        });
    }
    typing.Print((std::string("one keystroke at the middle") + Label).c_str());

    Samples backspaces;
    auto* selection = Editor.Selection();
    for (int i = 0; i < Keystrokes; ++i) {
        backspaces.Time([&] {
            int caret = selection->CaretPos();
            char32_t before = Editor.CharAt(caret - 1);
            int width = before == U'\r' || before == U'\n' ? 2 : 1;
            selection->BeginUpdate();
            selection->SetRStart(caret - width);
            selection->SetREnd(caret - 1);
            selection->CancelUpdate();
            selection->Delete();
            selection->MakeVisible(4);
        });
    }
    backspaces.Print((std::string("one backspace at the middle") + Label).c_str());
}

void RunCore(const std::u32string& Script) {
    std::printf("TMemoComponent core (%zu characters, 200,000 lines):\n", Script.size());
    NullHost host;

    Samples load;
    size_t heapBefore = 0;
    size_t heapAfterText = 0;
    std::unique_ptr<TMemoComponent> editor;
    for (int run = 0; run < 5; ++run) {
        editor.reset();
        heapBefore = HeapInUse();
        editor = NewEditor(host);
        load.Time([&] { editor->SetText(Script); });
        heapAfterText = HeapInUse();
    }
    load.Print("set the whole text (5 runs)");
    double perChar =
        static_cast<double>(heapAfterText - heapBefore) / static_cast<double>(Script.size());

    Samples paint;
    for (int i = 0; i < 100; ++i)
        paint.Time([&] { editor->Paint(); });
    paint.Print("one paint of a full screen (1280 x 1024, 100 runs)");

    TypeAndBackspace(*editor, "");

    size_t heapBeforeRanges = HeapInUse();
    auto registration = Clock::now();
    int length = editor->TextLength();
    for (int i = 0; i < RegisteredRanges; ++i) {
        auto* range = new memo::TNormalFormattedRange(editor->Ranges());
        int start = 1 + static_cast<int>(static_cast<long long>(i) * length / RegisteredRanges);
        range->BeginUpdate();
        range->SetRStart(start);
        range->SetREnd(start + 3);
        range->EndUpdate();
    }
    double registerMs = Microseconds(Clock::now() - registration) / 1000.0;
    double perRange = static_cast<double>(HeapInUse() - heapBeforeRanges) / RegisteredRanges;
    std::printf("  registering %d ranges: %.1f ms\n", RegisteredRanges, registerMs);

    TypeAndBackspace(*editor, " with 2,000,000 ranges");

    std::printf("  memory: %.2f bytes per character (text, line index, widths, history);"
                " %.1f bytes per registered range (object %zu bytes)\n",
                perChar, perRange, sizeof(memo::TNormalFormattedRange));
    std::printf(
        "  peak resident memory so far: %.0f MiB (includes the generated script, %.0f MiB)\n",
        PeakResidentMiB(), static_cast<double>(Script.size() * 4) / (1024.0 * 1024.0));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures appear as they are measured
    std::u32string script = GenerateScript();
    RunCore(script);
    if (app.arguments().contains(QStringLiteral("--core-only")))
        return 0;
    RunPlainTextEditBaseline(script);
    RunScintillaBaseline(script);
    return 0;
}
