// File > Reopen and a script named on the command line, driven through the real main window with
// its dialogs answered, in a workspace of the test's own.
#include "ErrorHandler.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "TestFolder.h"
#include "untMain.h"

#include <QMenu>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;

namespace {

class ReopenScriptsTest : public testing::Test {
protected:
    // What File > Reopen lists when the File menu opens.
    QStringList Entries() const {
        emit qobject_cast<QMenu*>(Window->Reopen1->parentWidget())->aboutToShow();
        QStringList captions;
        for (const QAction* action : Window->Reopen1->actions())
            captions << action->text();
        return captions;
    }
    void Choose(int Index) {
        Entries();
        Window->Reopen1->actions().at(Index)->trigger();
    }
    void Open(const std::string& Path) {
        Dialogs.FileAnswers.push_back(QString::fromStdString(Path));
        Window->Open1->trigger();
    }
    static QString EntryFor(int Number, const std::string& Path) {
        return QString("&%1 %2").arg(Number).arg(QString::fromStdString(Path));
    }
    QString Text() const { return Window->SourceEdit1->Text(); }

    TTestFolder Folder;
    TCurrentFolder Workspace{Folder.Path()};
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window = std::make_unique<TfrmMain>();
};

} // namespace

TEST_F(ReopenScriptsTest, OpenedAndSavedScriptsAreListedNewestFirstAndOpenAgain) {
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_FALSE(Window->Reopen1->menuAction()->isEnabled());

    const std::string first = Folder.Put("first.sql", "select 1");
    Open(first);
    const std::string saved = Folder.PathOf("R&D.sql");
    Dialogs.FileAnswers.push_back(QString::fromStdString(saved));
    Window->SaveAs1->trigger();
    EXPECT_EQ(Entries(), (QStringList{"&1 " + QString::fromStdString(Folder.PathOf("R&&D.sql")),
                                      EntryFor(2, first)}));
    EXPECT_TRUE(Window->Reopen1->menuAction()->isEnabled());

    Choose(1); // nothing unsaved: no question
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(Text(), "select 1");
    EXPECT_EQ(Window->ScriptFileName, QString::fromStdString(first));
    EXPECT_EQ(Window->windowTitle(), "Velmora 2 " + QString::fromStdString(first));
    EXPECT_EQ(Entries().first(), EntryFor(1, first));

    // The next start in the same workspace finds the same list.
    Window.reset();
    Window = std::make_unique<TfrmMain>();
    EXPECT_EQ(Entries().size(), 2);
}

TEST_F(ReopenScriptsTest, AScriptThatIsGoneSaysSoAndLeavesTheList) {
    const std::string gone = Folder.Put("gone.sql", "select 1");
    const std::string kept = Folder.Put("kept.sql", "select 2");
    Open(gone);
    Dialogs.Answers = {QMessageBox::No}; // loading the first changed the editor's text
    Open(kept);
    Dialogs.Messages.clear();
    fs::remove(gone);
    Window->SourceEdit1->SetText("unsaved"); // not asked about: the question would be pointless

    Choose(1);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text,
              "\"" + QString::fromStdString(gone) +
                  "\" no longer exists; it is removed from File > Reopen.");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtInformation);
    EXPECT_EQ(Text(), "unsaved");
    EXPECT_EQ(Entries(), QStringList{EntryFor(1, kept)});
}

TEST_F(ReopenScriptsTest, UnsavedChangesAreAskedAboutFirst) {
    const std::string script = Folder.Put("a.sql", "select 1");
    Open(script);
    Window->SourceEdit1->SetText("unsaved");
    Dialogs.Answers = {QMessageBox::Cancel};
    Choose(0);
    EXPECT_EQ(Dialogs.Messages.back().Text, "Save current script?");
    EXPECT_EQ(Text(), "unsaved");
}

TEST_F(ReopenScriptsTest, AListThatCannotBeKeptNeitherStopsTheScriptNorHidesWhy) {
    fs::create_directory(Folder.PathOf("recent.dat"));
    Open(Folder.Put("a.sql", "select 1"));
    EXPECT_EQ(Text(), "select 1");
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_TRUE(
        Window->StatusBar1->PanelText(3).startsWith("File > Reopen cannot list the script: "))
        << Window->StatusBar1->PanelText(3).toStdString();

    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(entries[0].contains("It is a folder")) << entries[0].toStdString();
    EXPECT_FALSE(Window->Reopen1->actions().at(0)->isEnabled());
}

TEST_F(ReopenScriptsTest, AScriptNamedOnTheCommandLineOpensAsFileOpenOpensIt) {
    const std::string script = Folder.Put("named.sql", "select 1\n");
    RunCommand([&] { Window->OpenScript(QString::fromStdString(script)); });
    EXPECT_EQ(Text(), "select 1\r\n");
    EXPECT_EQ(Window->windowTitle(), "Velmora 2 " + QString::fromStdString(script));
    EXPECT_TRUE(Window->ScriptModified); // loading changed the editor's text, as Open's does
    EXPECT_FALSE(Window->SavedToFile);
    EXPECT_EQ(Entries(), QStringList{EntryFor(1, script)});

    // Its errors are File > Open's: a box saying why, and the script as it was.
    Window->SourceEdit1->SetText("unsaved");
    Dialogs.Answers = {QMessageBox::No};
    const std::string missing = Folder.PathOf("missing.sql");
    RunCommand([&] { Window->OpenScript(QString::fromStdString(missing)); });
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Save current script?");
    EXPECT_EQ(Dialogs.Messages[1].Text, "Cannot read file \"" + QString::fromStdString(missing) +
                                            "\". No such file or directory.");
    EXPECT_EQ(Dialogs.Messages[1].DlgType, TMsgDlgType::mtError);
    EXPECT_EQ(Text(), "unsaved");
    EXPECT_EQ(Entries().size(), 1);
}
