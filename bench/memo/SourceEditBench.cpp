// The source editor core with SQL colouring on a 10 MB, 200,000-line script: setting the whole
// text and colouring all of it, keystrokes typed at the middle with the chain repaired, a quote
// that opens a string running to the next quote and the one that closes it, a "--" typed at the
// top, and the memory of the editor holding the coloured script; beside QScintilla with its SQL
// lexer in the same run. A keystroke repairs the chain through the screen and a slice beyond;
// the slices that repair the rest, which the editor's timer runs between keystrokes, are run to
// the end after each one and timed apart.
#include "BenchSupport.h"
#include "NullHost.h"
#include "QtText.h"
#include "SourceEditUnit.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#ifdef VELMORA_HAVE_QSCINTILLA
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#endif

namespace {

using namespace bench;
using sourceedit::TSourceEdit;

constexpr int Keystrokes = 10000;
constexpr int Quotes = 200;

std::unique_ptr<TSourceEdit> NewEditor(NullHost& Host) {
    auto editor = std::make_unique<TSourceEdit>(&Host);
    sourceedit::ApplySqlEditorSettings(*editor);
    return editor;
}

int RangeCount(TSourceEdit& Editor) {
    int ranges = 0;
    for (auto c = Editor.FirstRange(); c.Valid(); c.Next())
        ranges += c.Token().IsRange() ? 1 : 0;
    return ranges;
}

void PlaceCaretAtTheMiddle(TSourceEdit& Editor) {
    Editor.Selection()->CollapseTo(Editor.LineColToPos(Editor.LineCount() / 2, 10));
    Editor.Selection()->MakeVisible(4);
}

void TypeAndBackspace(TSourceEdit& Editor) {
    PlaceCaretAtTheMiddle(Editor);
    Samples typing;
    for (int i = 0; i < Keystrokes; ++i) {
        std::u32string key = Keystroke(i);
        typing.Time([&] {
            Editor.Selection()->SetText(key);
            Editor.Selection()->MakeVisible(4);
        });
    }
    typing.Print("one keystroke at the middle, chain repaired");
    Samples backspaces;
    for (int i = 0; i < Keystrokes; ++i)
        backspaces.Time([&] { Editor.KeyDown(memo::TKey::kBackspace, 0); });
    backspaces.Print("one backspace at the middle, chain repaired");
}

// What the editor's timer does between keystrokes: the slices that repair the chain beyond the
// screen, to the end.
void RepairTheRest(TSourceEdit& Editor) {
    while (Editor.RepairPending())
        Editor.RepairSlice();
}

// A quote typed where it opens a string that runs to the next quote in the script, then the
// quote that closes it again; both are taken back before the next pair.
void TypeQuotes(TSourceEdit& Editor) {
    PlaceCaretAtTheMiddle(Editor);
    Samples opening;
    Samples closing;
    Samples rest;
    for (int i = 0; i < Quotes; ++i) {
        opening.Time([&] { Editor.KeyPress(U'\''); });
        rest.Time([&] { RepairTheRest(Editor); });
        closing.Time([&] { Editor.KeyPress(U'\''); });
        RepairTheRest(Editor);
        Editor.KeyDown(memo::TKey::kBackspace, 0);
        Editor.KeyDown(memo::TKey::kBackspace, 0);
        RepairTheRest(Editor);
    }
    opening.Print("a quote that opens a string to the next quote");
    rest.Print("  then every slice that repairs the rest (all of them)");
    closing.Print("the quote that closes it");
}

// "--" typed at the very top, which turns the first line into a comment, then taken back.
void TypeLineComments(TSourceEdit& Editor) {
    Samples comment;
    for (int i = 0; i < Quotes; ++i) {
        Editor.Selection()->CollapseTo(1);
        Editor.Selection()->MakeVisible(4);
        Editor.KeyPress(U'-');
        comment.Time([&] { Editor.KeyPress(U'-'); });
        RepairTheRest(Editor);
        Editor.KeyDown(memo::TKey::kBackspace, 0);
        Editor.KeyDown(memo::TKey::kBackspace, 0);
        RepairTheRest(Editor);
    }
    comment.Print("the second '-' of a \"--\" typed at the top");
}

void RunSourceEdit(const std::u32string& Script) {
    std::printf("TSourceEdit core with SQL colouring (%zu characters, 200,000 lines):\n",
                Script.size());
    NullHost host;
    Samples load;
    std::unique_ptr<TSourceEdit> editor;
    for (int run = 0; run < 5; ++run) {
        editor.reset();
        editor = NewEditor(host);
        load.Time([&] { editor->SetText(Script); });
    }
    load.Print("set the whole text and colour all of it (5 runs)");
    int ranges = RangeCount(*editor);
    std::printf("  %d lexical ranges; the chain holds %.2f bytes a range\n", ranges,
                static_cast<double>(editor->SyntaxMemoryBytes()) / ranges);
    TypeAndBackspace(*editor);
    TypeQuotes(*editor);
    TypeLineComments(*editor);
}

void RunScintilla(const std::u32string& Script) {
#ifdef VELMORA_HAVE_QSCINTILLA
    std::printf("QScintilla with its SQL lexer (baseline):\n");
    QString text = memo::ToQString(Script);
    Samples load;
    for (int run = 0; run < 2; ++run) {
        QsciScintilla edit;
        edit.resize(1280, 1024);
        QsciLexerSQL lexer;
        edit.setLexer(&lexer);
        load.Time([&] {
            edit.setText(text);
            edit.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
        });
        edit.setLexer(nullptr);
    }
    load.Print("set the whole text and colour all of it (2 runs)");
#else
    (void)Script;
    std::printf("QScintilla (baseline): not installed (libqscintilla2-qt6-dev); skipped\n");
#endif
}

// --- Memory, each editor in a process of its own ---------------------------------------------

double ResidentMiB(const char* Field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(Field, 0) == 0)
            return std::stod(line.substr(std::string(Field).size())) / 1024.0;
    return 0;
}

// In a child: loads and colours the script in one editor and prints "peak heap ranges": the peak
// resident memory the load added, the heap that holding the coloured script takes, and the
// lexical ranges (0 for QScintilla, whose styles are a byte per character).
int MeasureMemory(const QString& Which) {
    std::u32string script = GenerateScript();
    QString text;
    if (Which == "qscintilla")
        text = memo::ToQString(script);
    malloc_trim(0); // what was freed on the way goes back, so that the load cannot reuse it unseen
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    double before = ResidentMiB("VmRSS:");
    size_t heapBefore = HeapInUse();
    int ranges = 0;
    NullHost host;
    std::unique_ptr<TSourceEdit> editor;
#ifdef VELMORA_HAVE_QSCINTILLA
    std::unique_ptr<QsciScintilla> edit;
    std::unique_ptr<QsciLexerSQL> lexer;
#endif
    if (Which == "velmora") {
        editor = NewEditor(host);
        editor->SetText(script);
        ranges = RangeCount(*editor);
    } else {
#ifdef VELMORA_HAVE_QSCINTILLA
        edit = std::make_unique<QsciScintilla>();
        lexer = std::make_unique<QsciLexerSQL>();
        edit->setLexer(lexer.get());
        edit->setText(text);
        edit->SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
#endif
    }
    double heap = static_cast<double>(HeapInUse() - heapBefore) / (1024.0 * 1024.0);
    std::printf("%.1f %.1f %d\n", ResidentMiB("VmHWM:") - before, heap, ranges);
    return 0;
}

struct Memory {
    double Peak = 0;
    double Heap = 0;
    int Ranges = 0;
};

Memory MemoryInChild(const char* Self, const char* Which) {
    std::string command = std::string("'") + Self + "' --memory " + Which;
    Memory memory;
    if (FILE* child = popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%lf %lf %d", &memory.Peak, &memory.Heap, &memory.Ranges) != 3)
            memory = Memory{};
        pclose(child);
    }
    return memory;
}

void RunMemory(const char* Self) {
    std::printf(
        "Memory of the editor holding the coloured script (each in a process of its own):\n");
    Memory ours = MemoryInChild(Self, "velmora");
    std::printf("  TSourceEdit: peak %.1f MiB, held %.1f MiB (%d ranges)\n", ours.Peak, ours.Heap,
                ours.Ranges);
#ifdef VELMORA_HAVE_QSCINTILLA
    Memory theirs = MemoryInChild(Self, "qscintilla");
    std::printf("  QScintilla (baseline): peak %.1f MiB, held %.1f MiB\n", theirs.Peak,
                theirs.Heap);
    if (theirs.Peak > 0)
        std::printf("  peak: %.2fx QScintilla's (target at most 1.5x)\n", ours.Peak / theirs.Peak);
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--memory")
        return MeasureMemory(args[2]);
    std::u32string script = GenerateScript();
    RunSourceEdit(script);
    RunScintilla(script);
    RunMemory(argv[0]);
    return 0;
}
