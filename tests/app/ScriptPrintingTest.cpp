// File > Print into a PDF file, read back with poppler's pdftotext: the header on every page,
// every line of the script in order, long lines wrapped, the page layout's margins kept.
#include "FileSizeLimit.h"
#include "QtPrinting.h"
#include "RequireComponent.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "TestFolder.h"
#include "untMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr qreal MillimetresToPoints = 72.0 / 25.4;

struct TWord {
    int Page;
    qreal Left, Top, Right;
    QString Text;
};

class ScriptPrintingTest : public testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TfrmMain>();
        QPrinter& printer = Window->PrintDialog1.Printer();
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    }

    // Prints the script into a PDF file and returns its path.
    std::string Print() {
        const std::string pdf = Folder.PathOf("script.pdf");
        Dialogs.PrintAnswers.push_back(QString::fromStdString(pdf));
        Window->Print1->trigger();
        return pdf;
    }

    static QString Run(const QString& Program, const QStringList& Arguments) {
        QProcess process;
        process.start(Program, Arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The text of each page, its lines laid out as printed.
    static QStringList Pages(const std::string& Pdf) {
        QStringList pages =
            Run("pdftotext", {"-layout", QString::fromStdString(Pdf), "-"}).split('\f');
        pages.removeLast(); // after the last page's form feed
        return pages;
    }

    static int PageCount(const std::string& Pdf) {
        const QRegularExpression pages(R"(Pages:\s+(\d+))");
        return pages.match(Run("pdfinfo", {QString::fromStdString(Pdf)})).captured(1).toInt();
    }

    // Every word with its box in points, and the page width.
    static std::vector<TWord> Words(const std::string& Pdf, qreal& PageWidth) {
        const QString html = Run("pdftotext", {"-bbox", QString::fromStdString(Pdf), "-"});
        const QRegularExpression tag(
            R"re(<page width="([\d.]+)"|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>([^<]*)<)re");
        std::vector<TWord> words;
        int page = 0;
        for (const QRegularExpressionMatch& m : tag.globalMatch(html)) {
            if (!m.captured(1).isEmpty()) {
                PageWidth = m.captured(1).toDouble();
                ++page;
                continue;
            }
            words.push_back({page, m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble(), m.captured(5)});
        }
        return words;
    }

    static bool HaveTools() {
        return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
               !QStandardPaths::findExecutable("pdfinfo").isEmpty();
    }

    TTestFolder Folder;
    TCurrentFolder Workspace{Folder.Path()};
    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
};

// What the window showed and allowed while a print ran, seen from its event loop.
struct TWhilePrinting {
    QString Progress;
    bool CancelEnabled = false;
    bool SaveEnabled = true;
};

// A script that takes thousands of pages.
QString LongScript() {
    QStringList lines;
    for (int i = 0; i < 200000; ++i)
        lines << QString("select %1 as line_%1 from dbo.orders -- a comment").arg(i);
    return lines.join("\r\n");
}

QByteArray ContentOf(const std::string& Path) {
    QFile file(QString::fromStdString(Path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// The lines of the page without its header line and blank lines, trimmed.
QStringList BodyOf(const QString& Page) {
    QStringList lines = Page.split('\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll("");
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

} // namespace

TEST_F(ScriptPrintingTest, EveryLineInOrderUnderAHeaderOnEveryPage) {
    VELMORA_REQUIRE(HaveTools(), "pdftotext and pdfinfo (poppler-utils)");
    QStringList script;
    for (int i = 1; i <= 150; ++i)
        script << QString("select %1 as line_%1 from dbo.orders").arg(i, 3, 10, QChar('0'));
    QString longLine = "long:";
    while (longLine.size() < 300)
        longLine += QString::number(longLine.size() % 10);
    script[74] = longLine;
    Window->SourceEdit1->SetText(script.join("\r\n"));

    const std::string pdf = Print();
    const QStringList pages = Pages(pdf);
    const int count = static_cast<int>(pages.size());
    ASSERT_GE(count, 2);
    EXPECT_EQ(PageCount(pdf), count);

    QStringList printed;
    std::vector<qsizetype> rowsPerPage;
    for (int p = 0; p < count; ++p) {
        const QString header = pages[p].trimmed().section('\n', 0, 0);
        EXPECT_TRUE(header.startsWith("Untitled")) << header.toStdString();
        EXPECT_TRUE(header.endsWith(QString("Page %1 of %2").arg(p + 1).arg(count)))
            << header.toStdString();
        const QStringList body = BodyOf(pages[p]);
        rowsPerPage.push_back(body.size());
        printed << body;
    }
    // Pages are filled before the next one starts.
    for (int p = 1; p + 1 < count; ++p)
        EXPECT_EQ(rowsPerPage[p], rowsPerPage[0]);
    EXPECT_LE(rowsPerPage.back(), rowsPerPage[0]);

    // Each line once, in order; the long one wrapped over several rows.
    qsizetype row = 0;
    for (const QString& line : script) {
        ASSERT_LT(row, printed.size()) << line.toStdString();
        if (line != longLine) {
            EXPECT_EQ(printed[row++], line);
            continue;
        }
        QString joined;
        int rows = 0;
        while (joined.size() < line.size() && row < printed.size()) {
            joined += printed[row++];
            ++rows;
        }
        EXPECT_EQ(joined, line);
        EXPECT_GE(rows, 3);
    }
    EXPECT_EQ(row, printed.size());
}

TEST_F(ScriptPrintingTest, TheTextStaysWithinThePageLayoutsMargins) {
    VELMORA_REQUIRE(HaveTools(), "pdftotext and pdfinfo (poppler-utils)");
    Window->SourceEdit1->SetText("select\t1\r\n" + QString(400, 'x'));
    qreal pageWidth = 0;
    const std::vector<TWord> words = Words(Print(), pageWidth);
    ASSERT_FALSE(words.empty());
    const qreal margin = 20 * MillimetresToPoints;
    qreal left = pageWidth;
    qreal right = 0;
    qreal top = 1e9;
    for (const TWord& word : words) {
        left = std::min(left, word.Left);
        right = std::max(right, word.Right);
        top = std::min(top, word.Top);
    }
    EXPECT_NEAR(left, margin, 1.0);
    EXPECT_LE(right, pageWidth - margin + 0.5);
    EXPECT_GT(right, pageWidth - margin - 15); // long lines use the width
    EXPECT_NEAR(top, margin, 3.0);

    // A tab reaches the next stop of 8 columns, as in the editor.
    const auto select = std::find_if(words.begin(), words.end(),
                                     [](const TWord& Word) { return Word.Text == "select"; });
    ASSERT_NE(select, words.end());
    const auto one = std::find_if(select, words.end(), [&](const TWord& Word) {
        return Word.Text == "1" && std::abs(Word.Top - select->Top) < 1;
    });
    ASSERT_NE(one, words.end());
    const qreal column = (select->Right - select->Left) / 6;
    EXPECT_NEAR(one->Left - select->Left, 8 * column, 0.5);
}

TEST_F(ScriptPrintingTest, TheHeaderNamesTheFileAndAnEmptyScriptPrintsOnePage) {
    VELMORA_REQUIRE(HaveTools(), "pdftotext and pdfinfo (poppler-utils)");
    std::string pdf = Print();
    ASSERT_EQ(Pages(pdf).size(), 1);
    EXPECT_EQ(Pages(pdf)[0].simplified(), "Untitled Page 1 of 1");

    Window->SourceEdit1->SetText("select 1");
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("report.sql")));
    Window->SaveAs1->trigger();
    pdf = Print();
    EXPECT_EQ(Pages(pdf)[0].simplified(), "report.sql Page 1 of 1 select 1");
}

TEST_F(ScriptPrintingTest, ThePdfIsNamedAfterTheScriptAndTheStatusBarSaysWhereItWent) {
    Window->SourceEdit1->SetText("select 1");
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("report.sql")));
    Window->SaveAs1->trigger();
    const std::string pdf = Folder.PathOf("out/chosen.pdf");
    std::filesystem::create_directory(Folder.PathOf("out"));
    Dialogs.PrintAnswers.push_back(QString::fromStdString(pdf));
    Window->Print1->trigger();
    EXPECT_EQ(Dialogs.PrintDocNames.back(), "report.sql");
    EXPECT_EQ(Window->StatusBar1->PanelText(3),
              "Printed to \"" + QString::fromStdString(pdf) + "\".");

    // The same script again: the file chosen stays proposed.
    Dialogs.PrintAnswers.push_back(std::nullopt);
    Window->Print1->trigger();
    EXPECT_EQ(Dialogs.PrintOutputFiles.back(), QString::fromStdString(pdf));
    // Another script: its own name, in the folder chosen last.
    Dialogs.FileAnswers.push_back(QString::fromStdString(Folder.PathOf("orders.v2.sql")));
    Window->SaveAs1->trigger();
    Dialogs.PrintAnswers.push_back(std::nullopt);
    Window->Print1->trigger();
    EXPECT_EQ(Dialogs.PrintDocNames.back(), "orders.v2.sql");
    EXPECT_EQ(Dialogs.PrintOutputFiles.back(),
              QString::fromStdString(Folder.PathOf("out/orders.v2.pdf")));
}

TEST_F(ScriptPrintingTest, CancellingThePrintDialogPrintsNothing) {
    Window->SourceEdit1->SetText("select 1");
    Dialogs.PrintAnswers.push_back(std::nullopt);
    Window->Print1->trigger();
    EXPECT_EQ(Dialogs.PrintDialogs, 1);
    EXPECT_FALSE(std::filesystem::exists(Folder.PathOf("script.pdf")));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ScriptPrintingTest, AFileThatCannotBeMadeSaysWhy) {
    Window->SourceEdit1->SetText("select 1");
    const std::string pdf = Folder.PathOf("missing/script.pdf");
    Dialogs.PrintAnswers.push_back(QString::fromStdString(pdf));
    Window->Print1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Cannot write file \"" + QString::fromStdString(pdf) +
                                            "\". No such file or directory.");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
}

// While a long script prints, the window takes its events: it shows the page it is at, offers
// Cancel and nothing else, and ignores typing; Escape stops the job, and the PDF file that was
// there stays as it was, with no part of the new one beside it.
TEST_F(ScriptPrintingTest, ALongPrintShowsItsProgressAndEscapeStopsItLeavingTheOldFile) {
    const std::string pdf = Folder.Put("script.pdf", "%PDF-1.4 the old print");
    Window->SourceEdit1->SetText(LongScript());
    std::optional<TWhilePrinting> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString progress = Window->StatusBar1->PanelText(3);
        if (!progress.startsWith(QString::fromUtf8("Printing… page")) || seen)
            return;
        seen = TWhilePrinting{progress, Window->Cancel1->isEnabled(), Window->Save1->isEnabled()};
        QTest::keyClick(Window->SourceEdit1->Widget(), Qt::Key_X);
        QTest::keyClick(Window->SourceEdit1->Widget(), Qt::Key_Escape);
    });
    watch.start(5);
    Dialogs.PrintAnswers.push_back(QString::fromStdString(pdf));
    Window->Print1->trigger();
    watch.stop();

    ASSERT_TRUE(seen.has_value()) << "the window took no events while it printed";
    const QRegularExpressionMatch page =
        QRegularExpression(QString::fromUtf8(R"(^Printing… page (\d+) of (\d+)$)"))
            .match(seen->Progress);
    ASSERT_TRUE(page.hasMatch()) << seen->Progress.toStdString();
    EXPECT_GT(page.captured(2).toInt(), 1000);
    EXPECT_TRUE(seen->CancelEnabled);
    EXPECT_FALSE(seen->SaveEnabled);
    EXPECT_EQ(Window->StatusBar1->PanelText(3), "Printing cancelled.");
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(ContentOf(pdf), "%PDF-1.4 the old print");
    EXPECT_EQ(QDir(QString::fromStdString(Folder.Path().string()))
                  .entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{"script.pdf"});
    EXPECT_EQ(Window->SourceEdit1->Text(), LongScript()); // the typing went nowhere
    EXPECT_FALSE(Window->Cancel1->isEnabled());
    EXPECT_TRUE(Window->Save1->isEnabled());
}

// The toolbar's cancel button stops a print as Escape does: a new file is never made.
TEST_F(ScriptPrintingTest, TheCancelButtonStopsAPrintBeforeItMakesAFile) {
    Window->SourceEdit1->SetText(LongScript());
    bool pressed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (pressed || !Window->Cancel1->isEnabled())
            return;
        pressed = true;
        QTest::mouseClick(Window->ToolButton10, Qt::LeftButton);
    });
    watch.start(5);
    const std::string pdf = Print();
    watch.stop();
    ASSERT_TRUE(pressed);
    EXPECT_EQ(Window->StatusBar1->PanelText(3), "Printing cancelled.");
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(QDir(QString::fromStdString(Folder.Path().string()))
                    .entryList(QDir::Files | QDir::Hidden | QDir::System)
                    .isEmpty());
}

// A PDF file that cannot be written in full (here the size limit stands in for a full disk)
// is reported, and the file that was there keeps every byte.
TEST_F(ScriptPrintingTest, APrintThatCannotBeWrittenInFullLeavesTheOldFileAndSaysSo) {
    const std::string pdf = Folder.Put("script.pdf", "%PDF-1.4 the old print");
    QStringList lines;
    for (int i = 0; i < 3000; ++i)
        lines << QString("select %1 as line_%1 from dbo.orders").arg(i);
    Window->SourceEdit1->SetText(lines.join("\r\n"));
    {
        TFileSizeLimit fullDisk(16 * 1024);
        Print();
    }
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[0].Text.startsWith("Cannot print to file \"" +
                                                    QString::fromStdString(pdf) +
                                                    "\". Not all of it could be written"))
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(ContentOf(pdf), "%PDF-1.4 the old print");
    EXPECT_EQ(QDir(QString::fromStdString(Folder.Path().string()))
                  .entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{"script.pdf"});
    EXPECT_FALSE(Window->Cancel1->isEnabled());

    // With room again, the same print replaces it and reads back.
    if (!HaveTools())
        return;
    Dialogs.Messages.clear();
    Print();
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages[0].Text.toStdString();
    const QStringList pages = Pages(pdf);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.back().contains("select 2999 as line_2999 from dbo.orders"));
}
