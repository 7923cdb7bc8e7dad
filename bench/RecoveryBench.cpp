// What keeping a 10 MB unsaved script for recovery costs the window thread, beside the plainest
// ways of taking a copy of the same characters, measured in the same run.
//
// The real main window holds a 10 MB, 200,000-line script. Each round changes one character and
// calls the recovery's periodic look (TScriptRecovery::Keep): it copies the script's text and
// hands it to the writer thread, which encodes and writes it (atomically, flushed to the disk)
// while the window goes on. The round waits for the writer outside the measurement, and its
// time is measured on its own: it is what the window would wait for without the thread.
// Baselines: copying the same characters as 4-byte characters (what the hand-over needs), and
// as their 10 MB of bytes (the least any copy of them can cost). Never fails on the figures.
#include "BenchSupport.h"
#include "RecoveryFiles.h"
#include "ScriptEditor.h"
#include "ScriptRecovery.h"
#include "ScriptedDialogs.h"
#include "untMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstring>

namespace {

constexpr int Rounds = 15;

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TScriptedDialogs dialogs;
    QTemporaryDir folder;

    const std::u32string script = bench::GenerateScript();
    TfrmMain window;
    auto* recovery =
        new TScriptRecovery(window, folder.filePath("recovery"), std::chrono::hours(1));
    window.SourceEdit1->SetCharacters(script);

    bench::Samples look;
    std::vector<double> writes;
    for (int round = 0; round < Rounds; ++round) {
        window.AppendToScript(QString::number(round)); // a change to keep
        const auto start = bench::Clock::now();
        look.Time([&] { recovery->Keep(); });
        recovery->KeepAndWait(); // nothing new: waits for the writer
        writes.push_back(bench::Microseconds(bench::Clock::now() - start));
    }

    bench::Samples wideCopy;
    bench::Samples byteCopy;
    const std::string bytes(script.begin(), script.end());
    std::string byteTarget(bytes.size(), '\0');
    for (int round = 0; round < Rounds; ++round) {
        wideCopy.Time([&] {
            std::u32string copy = script;
            asm volatile("" : : "g"(copy.data()) : "memory");
        });
        byteCopy.Time([&] {
            std::memcpy(byteTarget.data(), bytes.data(), bytes.size());
            asm volatile("" : : "g"(byteTarget.data()) : "memory");
        });
    }

    std::printf("recovery of a %zu-character script (%.1f MB), %d rounds\n", script.size(),
                static_cast<double>(bytes.size()) / 1e6, Rounds);
    look.Print("window thread: the periodic look (copy and hand-over)");
    wideCopy.Print("baseline: copying the characters (std::u32string)");
    byteCopy.Print("baseline: copying their bytes (memcpy)");
    std::printf("  %-52s median %9.3f us  (on the writer thread)\n",
                "the whole write, until it is on the disk", bench::PercentileOf(writes, 50));
    recovery->EndNormally();
    return 0;
}
