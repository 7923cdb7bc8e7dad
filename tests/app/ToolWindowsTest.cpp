// The history and about windows, and the history's Rich Text Format file read back by an
// independent reader.
#include "FileSizeLimit.h"
#include "HistoryPane.h"
#include "QtPrinting.h"
#include "RequireComponent.h"
#include "RtfWriter.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "untAbout.h"
#include "untHistory.h"
#include "untMain.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The text an RTF reader other than ours finds in File. unrtf renders its HTML with every
// character it knows, so that is the form read back here.
QString ReadBackWithUnrtf(const QString& File) {
    QProcess unrtf;
    unrtf.start("unrtf", {"--html", File});
    if (!unrtf.waitForFinished(10000) || unrtf.exitCode() != 0)
        return "<unrtf failed>";
    QTextDocument document;
    document.setHtml(QString::fromUtf8(unrtf.readAllStandardOutput()));
    return document.toPlainText().replace(QChar(0x2028), '\n').trimmed();
}

class HistoryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Folder.isValid()); }

    QTemporaryDir Folder;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window = std::make_unique<TfrmMain>();
};

TEST_F(HistoryTest, InsertAtTopPutsTheNewestTextFirst) {
    frmHistory->InsertAtTop("========================");
    frmHistory->InsertAtTop("select 1");
    frmHistory->InsertAtTop("========================");
    frmHistory->InsertAtTop("update t\r\nset x = 1");
    EXPECT_EQ(frmHistory->Text(),
              "update t\nset x = 1\n========================\nselect 1\n========================");
}

TEST_F(HistoryTest, SavedFileIsRichTextThatAnotherReaderReadsAsTheSameText) {
    VELMORA_REQUIRE(!QStandardPaths::findExecutable("unrtf").isEmpty(), "unrtf (Debian unrtf)");
    const QString script =
        QString::fromUtf8("select '{braces}' as \"a\\\\b\" -- café, Ωmega, 日本, \xF0\x9F\x98\x80\n"
                          "========================\n"
                          "update t set name = N'Zoë'");
    frmHistory->reHistory->setPlainText(script);
    // The extension says script; the content is still Rich Text Format.
    const QString file = Folder.filePath("history.sql");
    Dialogs.FileAnswers = {file};

    frmHistory->ToolButton1Click();

    EXPECT_EQ(Dialogs.FileDialogTitles, QStringList{"Save File"});
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("{\\rtf1"));
    EXPECT_EQ(ReadBackWithUnrtf(file), script);
}

TEST_F(HistoryTest, SaveProposesAnRtfFileAndLeavesTheScriptsNameToTheScript) {
    frmHistory->reHistory->setPlainText("select 1");
    Dialogs.FileAnswers = {std::nullopt};
    frmHistory->ToolButton1Click();
    ASSERT_EQ(Dialogs.FileDialogsShown.size(), 1u);
    EXPECT_EQ(Dialogs.FileDialogsShown[0].FileName, "history.rtf");
    EXPECT_EQ(Dialogs.FileDialogsShown[0].DefaultExt, "rtf");

    // Beside the script last saved; the next script save proposes the script again.
    const QString script = Folder.filePath("query.sql");
    Window->SourceEdit1->SetText("select 1");
    Dialogs.FileAnswers = {script};
    Window->SaveAs1->trigger();
    const QString history = Folder.filePath("runs.rtf");
    Dialogs.FileAnswers = {history};
    frmHistory->ToolButton1Click();
    EXPECT_EQ(Dialogs.FileDialogsShown.back().FileName, Folder.filePath("history.rtf"));
    EXPECT_TRUE(QFile::exists(history));
    Dialogs.FileAnswers = {std::nullopt};
    Window->SaveAs1->trigger();
    EXPECT_EQ(Dialogs.FileDialogsShown.back().FileName, script);
    EXPECT_EQ(Dialogs.FileDialogsShown.back().DefaultExt, "sql");
    // The history's own file is proposed for it next time.
    Dialogs.FileAnswers = {std::nullopt};
    frmHistory->ToolButton1Click();
    EXPECT_EQ(Dialogs.FileDialogsShown.back().FileName, history);
}

TEST_F(HistoryTest, CancelledSaveWritesNothing) {
    frmHistory->reHistory->setPlainText("select 1");
    Dialogs.FileAnswers = {std::nullopt};
    frmHistory->ToolButton1Click();
    EXPECT_TRUE(QDir(Folder.path()).isEmpty());
}

TEST_F(HistoryTest, SaveIntoAMissingFolderReportsTheError) {
    frmHistory->reHistory->setPlainText("select 1");
    Dialogs.FileAnswers = {Folder.filePath("missing/history.rtf")};
    EXPECT_THROW(frmHistory->ToolButton1Click(), std::runtime_error);
}

TEST_F(HistoryTest, SaveOnAFullDiskReportsTheErrorAndKeepsTheOldFile) {
    const QString file = Folder.filePath("history.rtf");
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old history");
    }
    frmHistory->reHistory->setPlainText(QString(64 * 1024, 'x'));
    Dialogs.FileAnswers = {file};
    {
        // RLIMIT_FSIZE stands in for a full disk: a small tmpfs needs a mount this test cannot do.
        TFileSizeLimit fullDisk(4096);
        frmHistory->ToolButton1->click();
    }
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[0].Text.startsWith("Cannot write file"))
        << Dialogs.Messages[0].Text.toStdString();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "the old history");
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"history.rtf"});
}

TEST_F(HistoryTest, RunButtonRunsOnlyTheSelectedText) {
    QStringList runs;
    frmHistory->OnRun = [&runs](const QString& Script) { runs << Script; };
    frmHistory->reHistory->setPlainText("select 1\nfrom t\n========================\nselect 2");
    QTextCursor cursor = frmHistory->reHistory->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(15, QTextCursor::KeepAnchor);
    frmHistory->reHistory->setTextCursor(cursor);
    frmHistory->ToolButton3Click();
    cursor.clearSelection();
    frmHistory->reHistory->setTextCursor(cursor);
    frmHistory->ToolButton3Click();
    EXPECT_EQ(runs, (QStringList{"select 1\r\nfrom t", ""}));
}

// A script of Lines lines, each naming its number, with CR LF between them.
QString LongScript(int Lines, const QString& Stem) {
    QStringList lines;
    for (int line = 0; line < Lines; ++line)
        lines << QStringLiteral("select %1 as %2_%1").arg(line).arg(Stem);
    return lines.join("\r\n");
}

void SelectLines(QTextEdit* Pane, int FirstBlock, int LastBlock) {
    QTextCursor cursor(Pane->document()->findBlockByNumber(FirstBlock));
    const QTextBlock last = Pane->document()->findBlockByNumber(LastBlock);
    cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    Pane->setTextCursor(cursor);
}

TEST_F(HistoryTest, ALongScriptShowsItsStartAndStillRunsAndSavesWhole) {
    const QString older = LongScript(40000, "older"); // about a megabyte
    const QString newer = LongScript(3, "newer");
    frmHistory->InsertAtTop("========================");
    frmHistory->InsertAtTop(older);
    frmHistory->InsertAtTop("========================");
    frmHistory->InsertAtTop(newer);
    QTextDocument* document = frmHistory->reHistory->document();
    EXPECT_LT(document->characterCount(), ShownHistoryCharacters + 200);

    // Blocks: the newer script's 3 lines, a separator, the older one's shown lines, the line
    // that stands for its rest, a separator.
    const int markerBlock = document->blockCount() - 2;
    EXPECT_TRUE(document->findBlockByNumber(markerBlock).text().contains("more characters"));
    QStringList runs;
    frmHistory->OnRun = [&runs](const QString& Script) { runs << Script; };
    SelectLines(frmHistory->reHistory, 4, markerBlock);
    frmHistory->ToolButton3Click();
    SelectLines(frmHistory->reHistory, 4, 5); // the shown part alone runs as shown
    frmHistory->ToolButton3Click();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_TRUE(runs[0] == older);
    EXPECT_EQ(runs[1], "select 0 as older_0\r\nselect 1 as older_1");

    QString expected =
        newer + "\n========================\n" + older + "\n========================";
    expected.replace("\r\n", "\n");
    EXPECT_TRUE(frmHistory->Text() == expected);
}

TEST_F(HistoryTest, AScriptOfOneHugeLineContinuesThatLineWhenRun) {
    const QString script = "select '" + QString(3 * ShownHistoryCharacters, 'x') + "'\r\ngo";
    frmHistory->InsertAtTop(script);
    EXPECT_TRUE(frmHistory->Text() == QString(script).replace("\r\n", "\n"));
    QStringList runs;
    frmHistory->OnRun = [&runs](const QString& Script) { runs << Script; };
    frmHistory->reHistory->selectAll();
    frmHistory->ToolButton3Click();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_TRUE(runs[0] == script);
}

TEST_F(HistoryTest, RunsOfALongScriptKeepThePaneSmall) {
    const QString script = LongScript(40000, "again");
    for (int run = 0; run < 20; ++run) {
        frmHistory->InsertAtTop("========================");
        frmHistory->InsertAtTop(script);
    }
    EXPECT_LT(frmHistory->reHistory->document()->characterCount(),
              20 * (ShownHistoryCharacters + 100));
}

TEST(RtfWriter, EscapesControlCharactersOfTheFormat) {
    const QByteArray rtf = PlainTextToRtf("a{b}\\c\td\r\ne", "Tahoma", 13);
    EXPECT_TRUE(rtf.contains("a\\{b\\}\\\\c\\tab d\\par\ne\\par"));
    EXPECT_TRUE(rtf.contains("\\fs19 "));
}

TEST(RtfWriter, WritesCharactersBeyondAsciiAsUnicodeWithAFallback) {
    const QByteArray rtf = PlainTextToRtf(QString::fromUtf8("é\xF0\x9F\x98\x80"), "Tahoma", 13);
    EXPECT_TRUE(rtf.contains("\\u233\\'3f\\u-10179\\'3f\\u-8704\\'3f"));
}

TEST(AboutBox, IsCentredOnTheScreenAndShowsEveryLineWhole) {
    QWidget owner;
    owner.setGeometry(0, 0, 200, 150);
    TfrmAbout about(&owner,
                    TConnectionDetails{"demo", "03.52", "MSDASQL.1", "Provider=x", "db1", "sa"});
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QRect screen = about.screen()->availableGeometry();
    EXPECT_LE((about.geometry().center() - screen.center()).manhattanLength(), 2);
    for (const char* name :
         {"labAuthor", "labContact", "labServer", "labLogin", "labConnectedDB"}) {
        const auto* line = about.findChild<QLabel*>(name);
        ASSERT_NE(line, nullptr) << name;
        // The text laid out in the label's width takes no more room than the label has.
        const QRect room = line->contentsRect();
        const QRect text = line->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000),
                                                            Qt::TextWordWrap, line->text());
        EXPECT_LE(text.height(), room.height()) << name;
        EXPECT_LE(line->geometry().right(), about.contentsRect().right()) << name;
    }
}

TEST(AboutBox, SizesItselfToItsContentWhateverTheFontSize) {
    const TConnectionDetails details{"demo", "03.52", "MSDASQL.1", "Provider=x", "db1", "sa"};
    const QFont usual = QApplication::font();
    QSize usualSize;
    for (const int pixels : {0, 26}) {
        QFont font = usual;
        if (pixels > 0)
            font.setPixelSize(pixels);
        QApplication::setFont(font);
        TfrmAbout about(nullptr, details);
        about.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_GE(about.width(), 324);
        EXPECT_GE(about.height(), 333);
        // No line of the box is squeezed below the height its text needs at its width, and
        // none reaches past the box.
        for (const QLabel* line : about.findChildren<QLabel*>()) {
            const int needed = line->hasHeightForWidth() ? line->heightForWidth(line->width())
                                                         : line->minimumSizeHint().height();
            EXPECT_GE(line->height(), needed) << pixels << line->text().toStdString();
            const QPoint corner = line->mapTo(&about, line->rect().bottomRight());
            EXPECT_LT(corner.y(), about.height()) << pixels << line->text().toStdString();
            EXPECT_LT(corner.x(), about.width()) << pixels << line->text().toStdString();
        }
        const QWidget* string = about.memConnString;
        EXPECT_GE(string->height(), 3 * string->fontMetrics().lineSpacing());
        EXPECT_LT(string->mapTo(&about, string->rect().bottomRight()).x(), about.width());
        if (pixels == 0)
            usualSize = about.size();
        else
            EXPECT_GT(about.height(), usualSize.height());
    }
    QApplication::setFont(usual);
}

TEST(AboutBox, ShowsTheConnectionsDetailsAndTheVersion) {
    TfrmAbout about(nullptr,
                    TConnectionDetails{"demo", "03.52", "MSDASQL.1", "Provider=x", "db1", "sa"});
    EXPECT_EQ(about.windowTitle(), "About ");
    EXPECT_EQ(about.Label9->text(), "2.8.6.53");
    EXPECT_EQ(about.GroupBox1->title(), "Current ADO Connection Information  ");
    EXPECT_EQ(about.labConnectedDB->text(), "demo");
    EXPECT_EQ(about.labVersion->text(), "03.52");
    EXPECT_EQ(about.lab7->text(), "MSDASQL.1");
    EXPECT_EQ(about.memConnString->toPlainText(), "Provider=x");
    EXPECT_EQ(about.labServer->text(), "db1");
    EXPECT_EQ(about.labLogin->text(), "sa");
    // Closed, the connection is with no one.
    TfrmAbout closed(nullptr, TConnectionDetails{"master", "03.52", "", "", "", ""});
    EXPECT_EQ(closed.labServer->text(), "n/a");
    EXPECT_EQ(closed.labLogin->text(), "n/a");
}

} // namespace
