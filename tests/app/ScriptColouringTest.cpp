// The main window's script editor colours SQL as it is typed: the pixels on screen show keywords,
// strings, comments and numbers in their colours, and a selection in the selection's colours with
// the typeface of what it covers.
#include "MemoScriptEditor.h"
#include "ScriptedDialogs.h"
#include "untMain.h"

#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ScriptColouringTest : public testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TfrmMain>();
        Script = dynamic_cast<TMemoScriptEditor*>(Window->SourceEdit1);
        ASSERT_NE(Script, nullptr);
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Script->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Script->hasFocus(); }));
    }

    sourceedit::TSourceEdit& Editor() const { return Script->SourceEdit(); }
    QImage Shown() const { return Script->viewport()->grab().toImage(); }
    QColor Role(QPalette::ColorRole R) const {
        return Script->palette().color(QPalette::Active, R);
    }
    // How many pixels of the cells of columns From … To on the first line are ink of Color on
    // Background: Color itself, or mostly Color where a glyph's edge blends it into the
    // background.
    int PixelsOf(const QImage& Shown, int From, int To, const QColor& Color,
                 QPalette::ColorRole Background = QPalette::Base) const {
        QColor base = Role(Background);
        int count = 0;
        int width = Editor().CharWidth();
        int left = Editor().TextLeft() + (From - 1) * width;
        for (int y = 0; y < Editor().LineHeight(); ++y)
            for (int x = left; x < left + (To - From + 1) * width; ++x)
                count += IsInkOf(Shown.pixelColor(x, y), Color, base) ? 1 : 0;
        return count;
    }
    static bool IsInkOf(const QColor& Pixel, const QColor& Ink, const QColor& Base) {
        int channels[3][3] = {{Pixel.red(), Ink.red(), Base.red()},
                              {Pixel.green(), Ink.green(), Base.green()},
                              {Pixel.blue(), Ink.blue(), Base.blue()}};
        // How far from the background towards the ink, by the channel where they differ most.
        int widest = 0;
        for (int c = 1; c < 3; ++c)
            if (std::abs(channels[c][1] - channels[c][2]) >
                std::abs(channels[widest][1] - channels[widest][2]))
                widest = c;
        int span = channels[widest][1] - channels[widest][2];
        if (span == 0)
            return Pixel == Ink;
        double t = static_cast<double>(channels[widest][0] - channels[widest][2]) / span;
        if (t < 0.5 || t > 1.05)
            return false;
        for (auto& channel : channels)
            if (std::abs(channel[2] + t * (channel[1] - channel[2]) - channel[0]) > 12)
                return false;
        return true;
    }

    TScriptedDialogs Dialogs;
    std::unique_ptr<TfrmMain> Window;
    TMemoScriptEditor* Script = nullptr;
};

TEST_F(ScriptColouringTest, TypedSqlShowsInItsColours) {
    QTest::keyClicks(Script, "select 'ab' /* c */ 42 x");
    ASSERT_EQ(Script->Text(), "select 'ab' /* c */ 42 x");
    QImage shown = Shown();
    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    const QColor teal(0, 128, 128);
    const QColor text = Role(QPalette::Text);
    struct Token {
        const char* Name;
        int From, To;
        QColor Color;
    };
    const Token tokens[] = {{"keyword", 1, 6, blue},
                            {"string", 8, 11, red},
                            {"comment", 13, 19, teal},
                            {"number", 21, 22, blue},
                            {"plain", 24, 24, text}};
    for (const Token& token : tokens) {
        SCOPED_TRACE(token.Name);
        EXPECT_GT(PixelsOf(shown, token.From, token.To, token.Color), 0);
        for (const Token& other : tokens) {
            if (other.Color != token.Color) {
                EXPECT_EQ(PixelsOf(shown, token.From, token.To, other.Color), 0) << other.Name;
            }
        }
    }
    // Typing a quote before the number turns the rest of the line into a string.
    Editor().Selection()->CollapseTo(21);
    QTest::keyClick(Script, Qt::Key_Apostrophe, Qt::NoModifier);
    EXPECT_GT(PixelsOf(Shown(), 22, 23, red), 0);
    EXPECT_EQ(PixelsOf(Shown(), 22, 23, blue), 0);
}

TEST_F(ScriptColouringTest, TransactSqlNamesStringsAndLineCommentsShowAsTheyAre) {
    QTest::keyClicks(Script, "[from] N'x' @@ERROR -- it's select");
    QImage shown = Shown();
    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    const QColor teal(0, 128, 128);
    const QColor fuchsia(255, 0, 255);
    // A keyword inside a bracketed name is a name, in the text colour.
    EXPECT_GT(PixelsOf(shown, 1, 6, Role(QPalette::Text)), 0);
    EXPECT_EQ(PixelsOf(shown, 1, 6, blue), 0);
    // The N of a Unicode string is the string's.
    EXPECT_GT(PixelsOf(shown, 8, 8, red), 0);
    EXPECT_GT(PixelsOf(shown, 13, 19, fuchsia), 0);
    // The apostrophe in a line comment opens no string; the keyword after it is comment.
    EXPECT_GT(PixelsOf(shown, 21, 35, teal), 0);
    EXPECT_EQ(PixelsOf(shown, 21, 35, red), 0);
    EXPECT_EQ(PixelsOf(shown, 21, 35, blue), 0);
}

TEST_F(ScriptColouringTest, ASelectionKeepsTheTypefaceOfWhatItCovers) {
    QTest::keyClicks(Script, "select x");
    Script->SetSelection(0, 6);
    const QColor selectedText = Role(QPalette::HighlightedText);
    QImage regular = Shown();
    int regularInk = PixelsOf(regular, 1, 6, selectedText, QPalette::Highlight);
    EXPECT_GT(regularInk, 0);
    EXPECT_EQ(PixelsOf(regular, 1, 6, QColor(0, 0, 255), QPalette::Highlight), 0);
    // Keywords in bold: the selected keyword is drawn bold too, with more ink.
    sourceedit::TWordList& keywords = *Editor().SyntaxColoring().WordLists().Items(0);
    keywords.SetStyle(memo::fsBold);
    keywords.SetCustomStyle(true);
    EXPECT_GT(PixelsOf(Shown(), 1, 6, selectedText, QPalette::Highlight), regularInk * 5 / 4);
}

TEST_F(ScriptColouringTest, TheScriptPrintsInItsColours) {
    Script->SetText("x\r\n\tselect 'a' -- (1)");
    TStyledScript printed = Script->StyledScript();
    ASSERT_EQ(printed.LineCount, 2);
    std::vector<std::pair<std::u32string, QColor>> runs;
    for (const TStyledRun& run : printed.Line(1))
        runs.emplace_back(run.Text, run.Color);
    const QColor black(0, 0, 0);
    EXPECT_EQ(runs,
              (std::vector<std::pair<std::u32string, QColor>>{{U"\t", black},
                                                              {U"select", QColor(0, 0, 255)},
                                                              {U" ", black},
                                                              {U"'a'", QColor(255, 0, 0)},
                                                              {U" ", black},
                                                              {U"-- (1)", QColor(0, 128, 128)}}));
    // The selection is not printed.
    Script->SetSelection(0, 12);
    EXPECT_EQ(Script->StyledScript().Line(1)[1].Color, QColor(0, 0, 255));
}

} // namespace

// A quote typed at the top of a long script turns what is on screen into a string at once; the
// rest of the script follows from the editor's timer, and shows as a string when scrolled to.
TEST_F(ScriptColouringTest, AQuoteAtTheTopOfALongScriptColoursTheRestFromTheTimer) {
    QString script;
    for (int line = 0; line < 60000; ++line)
        script += "select 1 from t\n";
    Window->SourceEdit1->SetText(script);
    Editor().Selection()->CollapseTo(1);
    QTest::keyClick(Script, '\'');
    ASSERT_TRUE(Editor().RepairPending()); // far more than the screen and a slice beyond
    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);
    QImage top = Shown();
    EXPECT_GT(PixelsOf(top, 2, 7, red), 0);
    EXPECT_EQ(PixelsOf(top, 2, 7, blue), 0);

    EXPECT_TRUE(QTest::qWaitFor([this] { return !Editor().RepairPending(); }, 10000));
    QTest::keyClick(Script, Qt::Key_End, Qt::ControlModifier);
    QImage bottom = Shown();
    EXPECT_GT(PixelsOf(bottom, 1, 6, red), 0);
    EXPECT_EQ(PixelsOf(bottom, 1, 6, blue), 0);
}
