// Opening a script file with colouring at 10, 40 and 64 MB: the script editor on screen (the
// editor widget hosting the source editor with the SQL settings) beside QScintilla with its SQL
// lexer and QPlainTextEdit's plain load, each open timed from reading the file to the painted
// widget, with the peak memory it took. Every figure comes from a process of its own that opens
// the file once, so that no open reuses memory an earlier one left; the runs of all three
// editors alternate, and each figure is the median of three.
#include "BenchSupport.h"
#include "MemoScriptEditor.h"
#include "OffscreenPlatform.h"
#include "PaintCounter.h"
#include "ScriptFile.h"
#include "SourceEditUnit.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>
#ifdef VELMORA_HAVE_QSCINTILLA
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#endif

namespace {

using namespace bench;

constexpr int Runs = 3;
constexpr int SizesMB[] = {10, 40, 64};

// --- In the child: one open ------------------------------------------------------------------

size_t StatusBytes(const char* Field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(Field, 0) == 0)
            return std::stoull(line.substr(std::string(Field).size())) * 1024;
    return 0;
}

// The processor time of the whole process, in milliseconds: on a shared machine the wall clock
// also counts the time other processes had.
double ProcessMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Shows Widget, runs Open (which reads the file and fills the widget) and returns once the widget
// has painted; prints "wall-ms processor-ms peak-bytes text-bytes", the peak being what the
// process's resident memory rose by at most during the open.
int OpenOnce(QAbstractScrollArea& Widget, const std::function<size_t()>& Open) {
    Widget.resize(1280, 1024);
    Widget.show();
    QCoreApplication::processEvents();
    PaintCounter counter(Widget.viewport());
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    const size_t before = StatusBytes("VmRSS:");
    const double cpuStart = ProcessMs();
    QElapsedTimer timer;
    timer.start();
    const int paints = counter.Paints;
    const size_t textBytes = Open();
    while (counter.Paints == paints && timer.elapsed() < 60000)
        QCoreApplication::processEvents();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f %.1f %zu %zu\n", ms, ProcessMs() - cpuStart, StatusBytes("VmHWM:") - before,
                textBytes);
    return 0;
}

// The main window's script editor, set up as the window sets it up, opening the file as File >
// Open does.
int OpenOurs(const std::string& Path) {
    TMemoScriptEditor editor(nullptr);
    sourceedit::ApplySqlEditorSettings(editor.SourceEdit());
    editor.SourceEdit().SetShowLineNumbers(true);
    return OpenOnce(editor, [&] {
        velmora::files::TScriptText script = velmora::files::ReadScriptFile(Path);
        editor.AdoptCharacters(std::move(script.Text));
        editor.SetSelection(0, 0);
        return editor.SourceEdit().Text().CapacityBytes();
    });
}

QByteArray FileBytes(const std::string& Path) {
    QFile file(QString::fromStdString(Path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int OpenPlainTextEdit(const std::string& Path) {
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    return OpenOnce(edit, [&] {
        edit.setPlainText(QString::fromUtf8(FileBytes(Path)));
        return static_cast<size_t>(edit.document()->characterCount()) * sizeof(QChar);
    });
}

// QScintilla keeps its text as UTF-8: given the file's bytes (Bytes) it needs no decoding at
// all, which makes it the faster of its two ways in.
int OpenScintilla(const std::string& Path, bool Bytes) {
#ifdef VELMORA_HAVE_QSCINTILLA
    QsciScintilla edit;
    edit.setUtf8(true);
    QsciLexerSQL lexer;
    edit.setLexer(&lexer);
    const int result = OpenOnce(edit, [&] {
        if (Bytes)
            edit.SendScintilla(QsciScintilla::SCI_SETTEXT, 0UL, FileBytes(Path).constData());
        else
            edit.setText(QString::fromUtf8(FileBytes(Path)));
        edit.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
        // Scintilla keeps the text as UTF-8 and a style byte beside every byte.
        return static_cast<size_t>(edit.SendScintilla(QsciScintilla::SCI_GETLENGTH)) * 2;
    });
    edit.setLexer(nullptr);
    return result;
#else
    (void)Path;
    (void)Bytes;
    return 1;
#endif
}

// --- In the parent: the runs and the table ---------------------------------------------------

// The generated script at about Megabytes MB as a file from a Linux machine: UTF-8 with LF line
// breaks, which opening turns into the editor's CR LF.
std::string WriteScriptFile(int Megabytes) {
    const std::u32string script = GenerateScript(Megabytes * 20000);
    std::string bytes;
    bytes.reserve(script.size());
    for (char32_t c : script)
        if (c != U'\r')
            bytes += static_cast<char>(c); // the generated script is ASCII
    const std::string path = "/tmp/velmora-open-bench-" + std::to_string(getpid()) + "-" +
                             std::to_string(Megabytes) + ".sql";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct TOpen {
    double Ms = 0;
    double CpuMs = 0;
    double Peak = 0; // bytes
    double Text = 0; // bytes the editor keeps its text in
};

TOpen OpenInChild(const char* Self, const char* Editor, const std::string& Path) {
    const std::string command = std::string("'") + Self + "' --open " + Editor + " '" + Path + "'";
    TOpen open;
    if (FILE* child = popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%lf %lf %lf %lf", &open.Ms, &open.CpuMs, &open.Peak, &open.Text) !=
            4)
            open = TOpen{};
        pclose(child);
    }
    return open;
}

struct TEditorRuns {
    const char* Name;
    const char* Key;
    std::vector<double> Ms, CpuMs, Peak, Text;
};

double Median(std::vector<double> Values) {
    return PercentileOf(std::move(Values), 50);
}

void RunSize(const char* Self, int Megabytes) {
    const std::string path = WriteScriptFile(Megabytes);
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
    std::vector<TEditorRuns> editors = {
        {"TMemoScriptEditor, SQL colouring", "ours", {}, {}, {}, {}},
        {"QScintilla + QsciLexerSQL, QString", "qscintilla", {}, {}, {}, {}},
        {"QScintilla + QsciLexerSQL, bytes", "qscintilla-bytes", {}, {}, {}, {}},
        {"QPlainTextEdit, plain (baseline)", "plain", {}, {}, {}, {}},
    };
    for (int run = 0; run < Runs; ++run)
        for (TEditorRuns& editor : editors) {
            const TOpen open = OpenInChild(Self, editor.Key, path);
            editor.Ms.push_back(open.Ms);
            editor.CpuMs.push_back(open.CpuMs);
            editor.Peak.push_back(open.Peak);
            editor.Text.push_back(open.Text);
        }
    std::filesystem::remove(path);
    std::printf("%d MB (%.0f bytes, %d lines, LF breaks):\n", Megabytes, fileBytes,
                Megabytes * 20000);
    for (const TEditorRuns& editor : editors) {
        const double peak = Median(editor.Peak);
        const double text = Median(editor.Text);
        std::printf("  %-40s %7.1f ms (processor %7.1f ms)  peak %6.1f MiB = %.2f B/file byte, "
                    "%.2f beyond the text's %.1f MiB\n",
                    editor.Name, Median(editor.Ms), Median(editor.CpuMs), peak / 1048576.0,
                    peak / fileBytes, (peak - text) / fileBytes, text / 1048576.0);
    }
    // Against the faster of QScintilla's two ways in.
    auto ratios = [&](const char* Clock, const std::vector<double> TEditorRuns::*Times) {
        const double ours = Median(editors[0].*Times);
        const double scintilla = std::min(Median(editors[1].*Times), Median(editors[2].*Times));
        std::printf("  ours by %s: %.2fx QScintilla (target at most 0.5x), %.2fx QPlainTextEdit "
                    "(target at most 1.0x)\n",
                    Clock, ours / scintilla, ours / Median(editors[3].*Times));
    };
    ratios("the wall clock", &TEditorRuns::Ms);
    ratios("processor time", &TEditorRuns::CpuMs);
}

} // namespace

// With "--open <ours|qscintilla|qscintilla-bytes|plain> <file>", only that open, in this process.
int main(int argc, char** argv) {
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--open") {
        const std::string path = args[3].toStdString();
        if (args[2] == "ours")
            return OpenOurs(path);
        if (args[2] == "qscintilla" || args[2] == "qscintilla-bytes")
            return OpenScintilla(path, args[2] == "qscintilla-bytes");
        return OpenPlainTextEdit(path);
    }
#ifndef VELMORA_HAVE_QSCINTILLA
    std::printf("QScintilla is not installed (libqscintilla2-qt6-dev): its figures are 0\n");
#endif
    std::printf(
        "Opening a script file, timed from reading it to the painted widget (1280 x 1024), "
        "median of %d runs, each in a process of its own. Every editor reads the whole file: "
        "ours with ReadScriptFile (encoding found, decoded, line breaks made CR LF), then "
        "AdoptCharacters and the caret to the top, the source editor colouring all of it; "
        "QScintilla with QFile::readAll, then either QString::fromUtf8 and setText (QString) "
        "or SCI_SETTEXT with the bytes as they are (bytes, no decoding), and SCI_COLOURISE over "
        "the whole text with its SQL lexer; QPlainTextEdit (no wrapping, no colouring) with "
        "QFile::readAll, QString::fromUtf8 and setPlainText. Peak: how far resident memory "
        "rose during the open; the text: what each keeps its text in (ours: the editor's "
        "storage; QScintilla: UTF-8 and a style byte per byte; QPlainTextEdit: UTF-16). "
        "Ratios against the faster QScintilla.\n",
        Runs);
    for (int megabytes : SizesMB)
        RunSize(argv[0], megabytes);
    return 0;
}
