// The recovery of unsaved scripts in the real main window: what is kept and when, what removes
// it, and what the next start offers after a program went without ending normally (here: its
// window and recovery went away without EndNormally, which is what the system's unlocking on a
// crash looks like to the next program; RecoveryProcessTest kills real programs).
#include "ScriptRecovery.h"

#include "RecoveryFiles.h"
#include "SafeFile.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "untMain.h"

#include <QRegularExpression>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace velmora::files;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::u32string Tricky = U"\uFEFFselect 'caf\u00e9 \U0001F600'\r\n\0go"s;

class ScriptRecoveryTest : public testing::Test {
protected:
    ScriptRecoveryTest() { Start(); }

    // A program start in the workspace. The look for changes is left to the test.
    void Start() {
        Window = std::make_unique<TfrmMain>();
        Recovery = new TScriptRecovery(*Window, RecoveryFolder(), std::chrono::hours(1));
    }
    // A program that ends without ending normally: its files stay, its locks go.
    void Crash() { Window.reset(); }

    QString RecoveryFolder() const { return QString::fromStdString(Folder.PathOf("recovery")); }
    // The scripts kept in the recovery folder.
    std::vector<std::string> Kept() const {
        std::vector<std::string> scripts;
        if (fs::exists(Folder.PathOf("recovery")))
            for (const fs::directory_entry& entry :
                 fs::directory_iterator(Folder.PathOf("recovery")))
                if (entry.path().extension() == ".sql")
                    scripts.push_back(entry.path().string());
        return scripts;
    }
    std::u32string KeptText() const {
        const std::vector<std::string> scripts = Kept();
        EXPECT_EQ(scripts.size(), 1u);
        return scripts.empty() ? U"<nothing kept>"
                               : DecodeRecoveryText(ReadRegularFile(scripts[0], 1 << 20));
    }

    TTestFolder Folder;
    TCurrentFolder Workspace{Folder.Path()};
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
    TScriptRecovery* Recovery = nullptr; // the window's
};

} // namespace

TEST_F(ScriptRecoveryTest, AnEditedScriptIsKeptForTheUserAloneOnlyWhenItChanged) {
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty()); // nothing typed, nothing kept

    Window->SourceEdit1->SetCharacters(Tricky);
    Recovery->KeepAndWait();
    EXPECT_EQ(KeptText(), Tricky);
    const std::string kept = Kept().at(0);
    struct stat first {};
    ASSERT_EQ(::stat(kept.c_str(), &first), 0);
    EXPECT_EQ(first.st_mode & 0777, 0600u);

    Recovery->KeepAndWait(); // unchanged: not written again
    struct stat again {};
    ASSERT_EQ(::stat(kept.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, first.st_ino);

    Window->AppendToScript("select 2");
    Recovery->KeepAndWait();
    EXPECT_EQ(KeptText(), Tricky + U"\r\nselect 2");
}

TEST_F(ScriptRecoveryTest, SaveNewAndOpenLeaveNothingToRecoverAndAFailedSaveKeepsIt) {
    const std::string opened = Folder.Put("opened.sql", "select 1");
    const auto edit = [this] {
        Window->AppendToScript("unsaved");
        Recovery->KeepAndWait();
        ASSERT_EQ(Kept().size(), 1u);
    };

    edit();
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("saved.sql")));
    Window->SaveAs1->trigger();
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty()) << "after Save As";

    edit();
    Window->Save1->trigger();
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty()) << "after Save";

    edit();
    Dialogs.Answers = {QMessageBox::No};
    Window->New1->trigger();
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty()) << "after New";

    edit();
    Dialogs.Answers = {QMessageBox::No};
    Dialogs.FileAnswers.push_back(QString::fromStdString(opened));
    Window->Open1->trigger();
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty()) << "after Open, the text is the file's";

    // A save that fails leaves the script unsaved, so it stays kept.
    edit();
    fs::create_directory(Folder.PathOf("folder.sql"));
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("folder.sql")));
    Window->SaveAs1->trigger();
    Recovery->KeepAndWait();
    EXPECT_EQ(Kept().size(), 1u);
}

TEST_F(ScriptRecoveryTest, ANormalEndLeavesNothingBehind) {
    Window->SourceEdit1->SetText("unsaved");
    Recovery->KeepAndWait();
    ASSERT_EQ(Kept().size(), 1u);
    Recovery->EndNormally();
    EXPECT_FALSE(fs::exists(Folder.PathOf("recovery")));

    Start();
    Recovery->OfferLeftBehindScripts();
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ScriptRecoveryTest, ACrashedProgramsScriptIsOfferedAndComesBackByteForByteAsUnsaved) {
    Window->SourceEdit1->SetCharacters(Tricky);
    Recovery->KeepAndWait();
    const std::string kept = Kept().at(0);
    Crash();

    Start();
    Dialogs.Answers = {QMessageBox::Yes};
    Recovery->OfferLeftBehindScripts();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const QRegularExpression question(
        R"(^Recover the unsaved script from \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\?$)");
    EXPECT_TRUE(question.match(Dialogs.Messages[0].Text).hasMatch())
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Yes | QMessageBox::No);

    EXPECT_EQ(Window->SourceEdit1->Characters(), Tricky);
    EXPECT_TRUE(Window->ScriptModified);
    EXPECT_TRUE(Window->ScriptFileName.isEmpty());
    EXPECT_EQ(Window->windowTitle(), "Velmora 2 ");
    // It is this program's script now: kept under its name, offered to no other.
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_EQ(KeptText(), Tricky);
    EXPECT_TRUE(FindLeftBehindScripts(RecoveryFolder().toStdString()).empty());

    // And it goes as any other: saved, nothing is left.
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("recovered.sql")));
    Window->Save1->trigger();
    Recovery->KeepAndWait();
    EXPECT_TRUE(Kept().empty());
}

TEST_F(ScriptRecoveryTest, NoDeletesTheOfferedScriptAndYesLeavesOlderOnesForTheNextStart) {
    const auto crashWith = [this](const QString& Text, int AgeInSeconds) {
        Window->SourceEdit1->SetText(Text);
        Recovery->KeepAndWait();
        for (const std::string& kept : Kept())
            if (DecodeRecoveryText(ReadRegularFile(kept, 1 << 20)) == Text.toStdU32String())
                fs::last_write_time(kept, fs::file_time_type::clock::now() -
                                              std::chrono::seconds(AgeInSeconds));
        Crash();
        Start();
    };
    crashWith("oldest", 300);
    crashWith("older", 200);
    crashWith("newest", 100);

    Dialogs.Answers = {QMessageBox::No, QMessageBox::Yes};
    Recovery->OfferLeftBehindScripts();
    EXPECT_EQ(Dialogs.Messages.size(), 2u); // the newest, refused; the next, taken
    EXPECT_EQ(Window->SourceEdit1->Text(), "older");
    Recovery->EndNormally();

    Start();
    Dialogs.Answers = {QMessageBox::No};
    Recovery->OfferLeftBehindScripts();
    EXPECT_EQ(Dialogs.Messages.size(), 3u);
    EXPECT_EQ(Window->SourceEdit1->Text(), "");
    EXPECT_TRUE(Kept().empty());
}
