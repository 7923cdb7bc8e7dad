// File > New, Open, Save, Save As and closing the window, driven through the real main window with
// its dialogs answered: the state they leave, the question, the files they write, and failures
// that must change nothing.
#include "FileSizeLimit.h"
#include "MemoWidget.h"
#include "QtPrinting.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "UnprivilegedUser.h"
#include "untMain.h"

#include <QToolButton>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const QMessageBox::StandardButtons YesNoCancel =
    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

class ScriptFilesTest : public testing::Test {
protected:
    void SetUp() override { Window = std::make_unique<TfrmMain>(); }

    // Gives the command and answers the file dialog it shows with Path.
    void Run(QAction* Command, const std::string& Path) {
        Dialogs.FileAnswers.push_back(QString::fromStdString(Path));
        Command->trigger();
    }
    void Open(const std::string& Path) { Run(Window->Open1, Path); }
    void SaveAs(const std::string& Path) { Run(Window->SaveAs1, Path); }
    // New, then Open: the emptied script counts as changed, and is not saved.
    void ReopenAfterNew(const std::string& Path) {
        if (Window->ScriptModified)
            Dialogs.Answers.push_back(QMessageBox::No);
        Window->New1->trigger();
        Dialogs.Answers.push_back(QMessageBox::No);
        Open(Path);
    }

    static std::string Content(const std::string& Path) {
        std::ifstream file(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    QString Text() const { return Window->SourceEdit1->Text(); }
    QString Caption() const { return Window->windowTitle(); }
    static QString CaptionFor(const std::string& Path) {
        return "Velmora 2 " + QString::fromStdString(Path);
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const TScriptedDialogs::TMessage& message : Dialogs.Messages)
            texts << message.Text;
        return texts;
    }
    // The last message box, which must be an error.
    QString LastError() const {
        if (Dialogs.Messages.empty())
            return "no message";
        const TScriptedDialogs::TMessage& last = Dialogs.Messages.back();
        return last.DlgType == TMsgDlgType::mtError ? last.Text : "not an error: " + last.Text;
    }

    TTestFolder Folder;
    TCurrentFolder Workspace{Folder.Path()};
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
};

} // namespace

TEST_F(ScriptFilesTest, AtStartUpSaveAsksForANameAndThenWritesThere) {
    EXPECT_EQ(Caption(), "Velmora 2");
    EXPECT_TRUE(Window->ScriptFileName.isEmpty());
    EXPECT_FALSE(Window->SavedToFile);

    Window->AppendToScript("select 1");
    const std::string path = Folder.PathOf("first.sql");
    Run(Window->Save1, path);
    EXPECT_EQ(Dialogs.FileDialogTitles, QStringList{"Save File"});
    EXPECT_EQ(Content(path), "select 1");
    EXPECT_TRUE(Window->SavedToFile);
    EXPECT_FALSE(Window->ScriptModified);
    EXPECT_EQ(Window->ScriptFileName, QString::fromStdString(path));
    EXPECT_EQ(Caption(), CaptionFor(path));

    // After a save through the dialog, Save writes to that path without asking.
    Window->AppendToScript("go");
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.FileDialogTitles.size(), 1);
    EXPECT_EQ(Content(path), "select 1\r\ngo");
    EXPECT_FALSE(Window->ScriptModified);
}

TEST_F(ScriptFilesTest, AfterOpenSaveWritesThereOnlyOnceASaveDialogWasUsed) {
    const std::string opened = Folder.Put("opened.sql", "select 2\n");
    Open(opened);
    EXPECT_EQ(Dialogs.FileDialogTitles, QStringList{"Open File"});
    EXPECT_EQ(Text(), "select 2\r\n");
    EXPECT_EQ(Window->ScriptFileName, QString::fromStdString(opened));
    EXPECT_EQ(Caption(), CaptionFor(opened));
    EXPECT_TRUE(Window->ScriptModified); // loading changed the editor's text
    EXPECT_FALSE(Window->SavedToFile);

    // Never saved through the dialog: Save asks, proposing the opened file.
    Dialogs.FileAnswers.push_back(std::nullopt);
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.FileDialogTitles.back(), "Save File");
    EXPECT_EQ(Window->SaveDialog1.FileName, QString::fromStdString(opened));
    EXPECT_TRUE(Window->ScriptModified);

    const std::string other = Folder.PathOf("other.sql");
    SaveAs(other);
    const std::string again = Folder.Put("again.sql", "select 3");
    Dialogs.Answers = {QMessageBox::No};
    Open(again);
    Window->AppendToScript("go");
    const int dialogs = static_cast<int>(Dialogs.FileDialogTitles.size());
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.FileDialogTitles.size(), dialogs);
    EXPECT_EQ(Content(again), "select 3\r\ngo");
    EXPECT_EQ(Content(other), "select 2\n");
}

TEST_F(ScriptFilesTest, SaveAfterNewAsksForANameInsteadOfFailing) {
    Window->AppendToScript("select 1");
    SaveAs(Folder.PathOf("kept.sql"));
    Window->New1->trigger(); // nothing unsaved: no question
    EXPECT_TRUE(Window->ScriptFileName.isEmpty());
    EXPECT_EQ(Caption(), "Velmora 2 ");
    EXPECT_EQ(Text(), "");
    EXPECT_TRUE(Window->SavedToFile);

    Window->AppendToScript("select 4");
    const std::string fresh = Folder.PathOf("fresh.sql");
    Run(Window->Save1, fresh);
    EXPECT_FALSE(MessageTexts().contains("Fatal Error : Problem with saved files."));
    EXPECT_EQ(Content(fresh), "select 4");
    EXPECT_EQ(Content(Folder.PathOf("kept.sql")), "select 1");
    EXPECT_EQ(Caption(), CaptionFor(fresh));
}

TEST_F(ScriptFilesTest, EveryAnswerToSaveCurrentScript) {
    const std::string file = Folder.Put("next.sql", "select 5");
    for (QAction* command : {Window->New1, Window->Open1}) {
        SCOPED_TRACE(command->text().toStdString());
        Window->SourceEdit1->SetText("unsaved");
        Window->ScriptFileName.clear();

        // Cancel: nothing happens.
        Dialogs.Answers = {QMessageBox::Cancel};
        command->trigger();
        ASSERT_FALSE(Dialogs.Messages.empty());
        EXPECT_EQ(Dialogs.Messages.back().Text, "Save current script?");
        EXPECT_EQ(Dialogs.Messages.back().DlgType, TMsgDlgType::mtWarning);
        EXPECT_EQ(Dialogs.Messages.back().Buttons, YesNoCancel);
        EXPECT_EQ(Text(), "unsaved");

        // Yes, and the save dialog cancelled: nothing happens either.
        Dialogs.Answers = {QMessageBox::Yes};
        Dialogs.FileAnswers.push_back(std::nullopt);
        command->trigger();
        EXPECT_EQ(Dialogs.FileDialogTitles.back(), "Save File");
        EXPECT_EQ(Text(), "unsaved");
        EXPECT_TRUE(Window->ScriptModified);

        // Yes: Save As runs, and the command ends there.
        const std::string saved = Folder.PathOf("saved.sql");
        Dialogs.Answers = {QMessageBox::Yes};
        Run(command, saved);
        EXPECT_EQ(Content(saved), "unsaved");
        EXPECT_EQ(Text(), "unsaved");
        EXPECT_FALSE(Window->ScriptModified);
        EXPECT_EQ(Caption(), CaptionFor(saved));

        // No: the command goes on.
        Window->AppendToScript("more");
        Dialogs.Answers = {QMessageBox::No};
        if (command == Window->Open1)
            Open(file);
        else
            command->trigger();
        EXPECT_EQ(Text(), command == Window->Open1 ? "select 5" : "");
        EXPECT_EQ(Content(saved), "unsaved");
    }
    EXPECT_TRUE(Dialogs.Answers.empty());
    EXPECT_TRUE(Dialogs.FileAnswers.empty());
}

TEST_F(ScriptFilesTest, RightAfterOpeningNewAsksBecauseLoadingChangedTheScript) {
    Open(Folder.Put("a.sql", "select 1"));
    Dialogs.Answers = {QMessageBox::Cancel};
    Window->ToolButton7->click(); // the toolbar's new button is File > New
    EXPECT_EQ(MessageTexts(), QStringList{"Save current script?"});
    EXPECT_EQ(Text(), "select 1");
    Dialogs.Answers = {QMessageBox::No};
    Window->ToolButton7->click();
    EXPECT_EQ(Text(), "");
}

TEST_F(ScriptFilesTest, UndoCannotBringThePreviousScriptBackUnderTheOpenedFilesName) {
    Window->AppendToScript("select 'previous script'");
    Dialogs.Answers = {QMessageBox::No};
    Open(Folder.Put("opened.sql", "select 1"));
    auto* widget = qobject_cast<memo::TMemoWidget*>(Window->SourceEdit1->Widget());
    ASSERT_NE(widget, nullptr);
    EXPECT_FALSE(widget->Editor().CanUndo());
    widget->Editor().Undo();
    EXPECT_EQ(Text(), "select 1");
}

TEST_F(ScriptFilesTest, ScriptsOpenedAndSavedUnchangedAreByteIdentical) {
    const std::vector<std::string> files = {
        "select N'Zürich'\r\n-- 😀\r\n",
        "\xEF\xBB\xBFselect 1\r\n",
        "select '\x80\x81\x9F\xA0\xE9\xFF'\r\n",
        "select 1\ngo\n",
        "select 1\rgo\r",
        "select 1\r\ngo",
        std::string("a\0b\r\n\0", 6),
        "",
        "a\nb\r\nc\rd",
        std::string("\xFF\xFE"
                    "a\0\n\0",
                    6),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(testing::PrintToString(files[i]));
        const std::string path = Folder.Put("file" + std::to_string(i) + ".sql", files[i]);
        Open(path);
        SaveAs(path);
        EXPECT_EQ(Content(path), files[i]);
    }
}

TEST_F(ScriptFilesTest, AnEditedScriptKeepsItsEncodingAndLineBreaks) {
    const std::string path = Folder.Put("lf.sql", "select 'caf\xE9'\ngo");
    Open(path);
    Window->AppendToScript("select '€'");
    Run(Window->Save1, path);
    EXPECT_EQ(Content(path), "select 'caf\xE9'\ngo\nselect '\x80'");

    Window->New1->trigger();
    Window->AppendToScript("select 'é'");
    Window->AppendToScript("go");
    const std::string fresh = Folder.PathOf("new.sql");
    SaveAs(fresh);
    EXPECT_EQ(Content(fresh), "select '\xC3\xA9'\r\ngo"); // a new script: UTF-8, CR LF
}

// "Ã©" is C3 A9 in Windows-1252, which is "é" in UTF-8: with the file's only other byte beyond
// ASCII gone, its bytes alone would read as UTF-8 and the text would change on reopening.
TEST_F(ScriptFilesTest, AWindows1252ScriptStaysWindows1252AfterAnEditMakesItsBytesValidUtf8) {
    const std::string path = Folder.Put("ansi.sql", "select '\xC3\xA9' -- \xFF");
    Open(path);
    const QString shown = QString::fromUtf8("select 'Ã©' -- ");
    ASSERT_EQ(Text(), shown + QString::fromUtf8("ÿ"));
    Window->SourceEdit1->SetText(shown);
    SaveAs(path);
    ASSERT_EQ(Content(path), "select '\xC3\xA9' -- ");

    // Opened again, also by another window of the workspace: the same text.
    ReopenAfterNew(path);
    EXPECT_EQ(Text(), shown);
    TfrmMain other;
    Dialogs.FileAnswers.push_back(QString::fromStdString(path));
    other.Open1->trigger();
    EXPECT_EQ(other.SourceEdit1->Text(), shown);
    // Further edits keep the encoding too.
    Window->AppendToScript("select 'caf\u00e9'");
    Window->Save1->trigger();
    ReopenAfterNew(path);
    EXPECT_EQ(Text(), shown + "\r\nselect 'caf\u00e9'");
    EXPECT_EQ(Content(path), "select '\xC3\xA9' -- \r\nselect 'caf\xE9'");

    // Written by another program since, it is a new file: its bytes decide again.
    const std::string bytes = Content(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes << " ";
    ReopenAfterNew(path);
    EXPECT_TRUE(Text().startsWith("select 'Ã©' -- ")); // not valid UTF-8: Windows-1252
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "select '\xC3\xA9'";
    ReopenAfterNew(path);
    EXPECT_EQ(Text(), QString::fromUtf8("select 'é'"));
}

TEST_F(ScriptFilesTest, ACharacterTheFileCannotHoldIsSavedOnlyAsUtf8AndOnlyWhenTheUserAgrees) {
    const std::string path = Folder.Put("ansi.sql", "select 'caf\xE9'\n");
    Open(path);
    Window->AppendToScript("select N'Ω'");
    Dialogs.Answers = {QMessageBox::No};
    Run(Window->Save1, path);
    ASSERT_FALSE(Dialogs.Messages.empty());
    EXPECT_EQ(Dialogs.Messages.back().Text,
              "The script was read as Windows-1252, which cannot hold \"Ω\" (line 3, column 10) "
              "and perhaps other characters of it. Save it as UTF-8 instead? With No, nothing is "
              "saved.");
    EXPECT_EQ(Dialogs.Messages.back().Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Content(path), "select 'caf\xE9'\n");
    EXPECT_TRUE(Window->ScriptModified);
    EXPECT_FALSE(Window->SavedToFile);

    Dialogs.Answers = {QMessageBox::Yes};
    Run(Window->Save1, path);
    EXPECT_EQ(Content(path), "select 'caf\xC3\xA9'\n\nselect N'\xCE\xA9'");
    EXPECT_FALSE(Window->ScriptModified);

    // From now on the script is UTF-8: no more questions.
    const std::size_t messages = Dialogs.Messages.size();
    Window->AppendToScript("Ω");
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), messages);
    EXPECT_EQ(Content(path), "select 'caf\xC3\xA9'\n\nselect N'\xCE\xA9'\n\xCE\xA9");
}

TEST_F(ScriptFilesTest, AMixedLineBreakFileReopensWithEveryLine) {
    // A lone CR, a line deleted, then an empty line ended by LF.
    const std::string path = Folder.Put("mixed.sql", "a\rx\n\nz");
    Open(path);
    Window->SourceEdit1->SetText("a\r\n\r\nz");
    Run(Window->Save1, path);
    Dialogs.Answers = {QMessageBox::No};
    Open(path);
    EXPECT_EQ(Text(), "a\r\n\r\nz");
}

TEST_F(ScriptFilesTest, AFileThatCannotBeReadLeavesTheScriptAsItWas) {
    Window->AppendToScript("keep me");
    SaveAs(Folder.PathOf("kept.sql"));
    Window->AppendToScript("unsaved");
    const QString caption = Caption();
    const std::string huge = Folder.Put("huge.sql", "");
    fs::resize_file(huge, 64 * 1024 * 1024 + 1);
    fs::create_directory(Folder.Path() / "folder.sql");

    const std::vector<std::pair<std::string, QString>> cases = {
        {Folder.PathOf("missing.sql"), "No such file or directory."},
        {Folder.PathOf("folder.sql"), "It is a folder, not a file."},
        {huge, "It is larger than 64 MB, too large for this file."},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        Dialogs.Answers = {QMessageBox::No};
        Open(path);
        EXPECT_EQ(LastError(),
                  "Cannot read file \"" + QString::fromStdString(path) + "\". " + reason);
        EXPECT_EQ(Text(), "keep me\r\nunsaved");
        EXPECT_EQ(Window->ScriptFileName, QString::fromStdString(Folder.PathOf("kept.sql")));
        EXPECT_EQ(Caption(), caption);
        EXPECT_TRUE(Window->ScriptModified);
    }
}

// Changed in place (other content, time and size), or replaced by another file of the same size
// and time: either way not the file the editor read.
TEST_F(ScriptFilesTest, SaveAsksBeforeItOverwritesAFileChangedBehindTheEditorsBack) {
    const std::string path = Folder.Put("shared.sql", "select 1");
    Open(path);
    SaveAs(path); // Save now writes there
    Window->AppendToScript("go");
    const QString changedQuestion = "The file was changed by another program. Overwrite it?";

    std::ofstream(path, std::ios::binary | std::ios::app) << " -- theirs";
    Dialogs.Answers = {QMessageBox::No};
    Window->Save1->trigger();
    ASSERT_EQ(MessageTexts(), QStringList{changedQuestion});
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtWarning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Content(path), "select 1 -- theirs");
    EXPECT_TRUE(Window->ScriptModified);

    Dialogs.Answers = {QMessageBox::Yes};
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Content(path), "select 1\r\ngo");
    EXPECT_FALSE(Window->ScriptModified);

    // The file the editor wrote itself is its own: no question.
    Window->AppendToScript("select 2");
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), 2u);

    // Another program saved it its own way: a new file in its place, same size, same time.
    const std::string theirs = Folder.Put("theirs.sql", std::string(Content(path).size(), 'x'));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    const timespec times[2] = {status.st_atim, status.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, theirs.c_str(), times, 0), 0);
    fs::rename(theirs, path);
    Window->AppendToScript("select 3");
    Dialogs.Answers = {QMessageBox::No};
    Window->Save1->trigger();
    EXPECT_EQ(MessageTexts().value(2), changedQuestion);
    EXPECT_EQ(Content(path).find('x'), 0u);

    // A file deleted meanwhile is simply written again; Save As elsewhere asks nothing.
    fs::remove(path);
    Window->Save1->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), 3u);
    EXPECT_TRUE(fs::exists(path));
    std::ofstream(path, std::ios::binary | std::ios::app) << " -- theirs";
    Window->AppendToScript("select 4");
    SaveAs(Folder.PathOf("copy.sql"));
    EXPECT_EQ(Dialogs.Messages.size(), 3u);
    EXPECT_TRUE(fs::exists(Folder.PathOf("copy.sql")));
}

TEST_F(ScriptFilesTest, AFailedWriteKeepsTheOldFileTheFlagAndTheCaption) {
    fs::create_directory(Folder.Path() / "locked");
    const std::string locked = Folder.Put("locked/script.sql", "old");
    const std::string full = Folder.Put("full.sql", "old");
    fs::create_directory(Folder.Path() / "folder.sql");
    Open(locked);
    SaveAs(locked); // now Save writes there
    Window->AppendToScript(QString(64 * 1024, 'x'));
    const QString caption = Caption();

    auto expectNothingChanged = [&](const std::string& Path, const QString& Reason) {
        EXPECT_EQ(LastError(),
                  "Cannot write file \"" + QString::fromStdString(Path) + "\". " + Reason);
        EXPECT_TRUE(Window->ScriptModified);
        EXPECT_EQ(Caption(), caption);
        EXPECT_EQ(Window->ScriptFileName, QString::fromStdString(locked));
    };

    fs::permissions(Folder.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                                  fs::perms::group_read | fs::perms::group_exec |
                                                  fs::perms::others_read | fs::perms::others_exec);
    {
        TUnprivilegedUser nobody;
        Window->Save1->trigger();
    }
    expectNothingChanged(locked, "The folder \"" +
                                     QString::fromStdString((Folder.Path() / "locked").string()) +
                                     "\" does not let you create files in it (Permission "
                                     "denied), and a save writes the new content beside the file "
                                     "before it replaces it.");
    EXPECT_EQ(Content(locked), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder.Path() / "locked"), {}), 1);
    fs::permissions(Folder.Path() / "locked", fs::perms::owner_all);

    SaveAs(Folder.PathOf("folder.sql"));
    expectNothingChanged(Folder.PathOf("folder.sql"), "It is a folder, not a file.");

    {
        TFileSizeLimit limit(4096); // as a full disk
        SaveAs(full);
    }
    expectNothingChanged(full, "The file would exceed the size limit.");
    EXPECT_EQ(Content(full), "old");
}

TEST_F(ScriptFilesTest, ClosingWithUnsavedChangesOffersToSave) {
    Window->show();
    Window->AppendToScript("select 1");

    // "Exit Now?" answered No: nothing more is asked.
    Dialogs.Answers = {QMessageBox::No};
    EXPECT_FALSE(Window->close());
    EXPECT_EQ(MessageTexts(), QStringList{"Exit Now?"});

    Dialogs.Messages.clear();
    Dialogs.Answers = {QMessageBox::Yes, QMessageBox::Cancel};
    EXPECT_FALSE(Window->close());
    EXPECT_EQ(MessageTexts(), (QStringList{"Exit Now?", "Save current script?"}));
    EXPECT_EQ(Dialogs.Messages.back().Buttons, YesNoCancel);

    // Yes, but the save dialog is cancelled: the window stays.
    Dialogs.Answers = {QMessageBox::Yes, QMessageBox::Yes};
    Dialogs.FileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(Window->close());

    // Yes, but the save fails: the error shows and the window stays.
    Dialogs.Answers = {QMessageBox::Yes, QMessageBox::Yes};
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("no/such/folder.sql")));
    EXPECT_FALSE(Window->close());
    EXPECT_TRUE(LastError().startsWith("Cannot write file"));
    EXPECT_TRUE(Window->isVisible());

    // Yes, and the save succeeds: the window closes.
    const std::string path = Folder.PathOf("exit.sql");
    Dialogs.Answers = {QMessageBox::Yes, QMessageBox::Yes};
    Dialogs.FileAnswers.push_back(QString::fromStdString(path));
    EXPECT_TRUE(Window->close());
    EXPECT_EQ(Content(path), "select 1");

    // No: the window closes and the changes go.
    Window->show();
    Window->AppendToScript("select 2");
    Dialogs.Answers = {QMessageBox::Yes, QMessageBox::No};
    EXPECT_TRUE(Window->close());
    EXPECT_EQ(Content(path), "select 1");
}

TEST_F(ScriptFilesTest, AnOpenedScriptShowsItsStart) {
    Window->resize(800, 600);
    Window->show();
    QString lines;
    for (int i = 1; i <= 500; ++i)
        lines += QString("select %1\n").arg(i);
    Window->SourceEdit1->SetText(lines);
    Window->SourceEdit1->SetSelection(static_cast<int>(Text().size()), 0);
    auto* widget = qobject_cast<memo::TMemoWidget*>(Window->SourceEdit1->Widget());
    ASSERT_NE(widget, nullptr);
    ASSERT_GT(widget->Editor().VisibleRange()->TopLine(), 1);

    Dialogs.Answers = {QMessageBox::No};
    Open(Folder.Put("long.sql", lines.toStdString()));
    EXPECT_EQ(Window->SourceEdit1->SelStart(), 0);
    EXPECT_EQ(widget->Editor().VisibleRange()->TopLine(), 1);
}
