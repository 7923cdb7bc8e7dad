// The colouring settings: change rules, word lists and styles, the parenthesis colours, copying,
// and the SQL configuration of the script editor.
#include "SourceEditFixture.h"
#include "SyntaxLexicon.h"

#include <random>
#include <sstream>

namespace sourceedit::test {
namespace {

// An editor that counts its full rescans.
class CountingEditor : public TSourceEdit {
public:
    using TSourceEdit::TSourceEdit;
    void RescanAll() override {
        ++Rescans;
        TSourceEdit::RescanAll();
    }
    int Rescans = 0;
};

class Settings : public ::testing::Test {
protected:
    Settings() { Editor.SetText(U"select 1"); }
    // How many rescans Change causes.
    template <class Fn>
    int RescansOf(Fn&& Change) {
        int before = Editor.Rescans;
        Change();
        return Editor.Rescans - before;
    }

    memo::test::RecordingHost Host;
    CountingEditor Editor{&Host};
    TSyntaxColoring& Coloring = Editor.SyntaxColoring();
};

TEST_F(Settings, StartWithTheirCreationValues) {
    TSyntaxColoring fresh(nullptr);
    EXPECT_TRUE(fresh.Enabled());
    EXPECT_EQ(fresh.SymbolColor(), memo::clOlive);
    EXPECT_EQ(fresh.NumberColor(), memo::clGreen);
    EXPECT_EQ(fresh.ParenthesisColors().Items(), std::vector<std::string>{"$000000"});
    EXPECT_EQ(fresh.WordLists().Count(), 0);
    TWordList& list = *fresh.WordLists().Add();
    EXPECT_TRUE(list.CustomColor());
    EXPECT_EQ(list.Color(), memo::clBlue);
    EXPECT_TRUE(list.CaseSensitive());
    EXPECT_EQ(list.DisplayName(), "TWordList");
    TCustomStyle& style = *fresh.CustomStyles().Add();
    EXPECT_EQ(style.Color(), memo::clMaroon);
    EXPECT_EQ(style.DontSwitchToIndex1(), -1);
    EXPECT_FALSE(style.Switchable());
    EXPECT_TRUE(Editor.AutoIndent());
    EXPECT_FALSE(Editor.AutoIndentIncrease());
    EXPECT_EQ(Editor.AutoIndentIncreaseStart(), U'{');
    EXPECT_EQ(Editor.AutoIndentIncreaseEnd(), U'}');
}

TEST_F(Settings, RescanOnlyWhenAValueChanges) {
    EXPECT_EQ(RescansOf([&] { Coloring.SetSymbolColor(Coloring.SymbolColor()); }), 0);
    EXPECT_EQ(RescansOf([&] { Coloring.SetEnabled(true); }), 0);
    EXPECT_EQ(RescansOf([&] { Coloring.SetSymbolColor(memo::clRed); }), 1);
    EXPECT_EQ(Coloring.SymbolFont().Color, memo::clRed);
    TWordList& list = *Coloring.WordLists().Add();
    EXPECT_EQ(RescansOf([&] { list.SetColor(list.Color()); }), 0);
    EXPECT_EQ(RescansOf([&] { list.SetCaseSensitive(false); }), 1);
    EXPECT_EQ(RescansOf([&] { list.Words().Add("select"); }), 1);
    EXPECT_EQ(RescansOf([&] { list.SetCaption("Keywords"); }), 1);
    TCustomStyle& style = *Coloring.CustomStyles().Add();
    EXPECT_EQ(RescansOf([&] { style.SetCaption("Comments"); }), 0); // stored only
    EXPECT_EQ(RescansOf([&] { style.SetBeginText(U"/*"); }), 1);
    // Held updates end in one rescan.
    EXPECT_EQ(RescansOf([&] {
                  Coloring.BeginUpdate();
                  Coloring.SetNumberColor(memo::clRed);
                  style.SetEndText(U"*/");
                  Coloring.EndUpdate();
              }),
              1);
}

TEST_F(Settings, SymbolsAndNumbersAlwaysTakeTheirColourListsOnlyWhenAsked) {
    memo::TFont font = Editor.GetFontValue();
    font.Style = memo::fsItalic;
    Editor.SetFont(font);
    TWordList& list = *Coloring.WordLists().Add();
    list.SetCustomColor(false);
    list.SetStyle(memo::fsBold);
    EXPECT_EQ(list.Font().Color, memo::clWindowText);
    EXPECT_EQ(list.Font().Style, memo::fsItalic); // no custom style: the editor's
    list.SetCustomStyle(true);
    EXPECT_EQ(list.Font().Style, memo::fsBold);
    Coloring.SetNumberStyle(memo::fsUnderline);
    EXPECT_EQ(Coloring.NumberFont().Style, memo::fsItalic);
    EXPECT_EQ(Coloring.NumberFont().Color, memo::clGreen);
}

TEST_F(Settings, ParenthesisColoursCycleAndFallBackToWindowText) {
    Coloring.ParenthesisColors().SetStrings({"$0000FF", "255"});
    EXPECT_EQ(Coloring.GetParenthesisColor(0), 0x0000FFu);
    EXPECT_EQ(Coloring.GetParenthesisColor(1), 255u);
    EXPECT_EQ(Coloring.GetParenthesisColor(2), 0x0000FFu);
    EXPECT_EQ(Coloring.GetParenthesisColor(3), 255u);
    EXPECT_EQ(Coloring.GetParenthesisColor(-1), memo::clWindowText);
    Coloring.ParenthesisColors().SetStrings({"red", "", "$", "99999999999", "-1", "$FFFFFFFF"});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Coloring.GetParenthesisColor(i), memo::clWindowText) << i;
    EXPECT_EQ(Coloring.GetParenthesisColor(4), 0xFFFFFFFFu);
    EXPECT_EQ(Coloring.GetParenthesisColor(5), 0xFFFFFFFFu);
    Coloring.ParenthesisColors().Clear();
    EXPECT_EQ(Coloring.GetParenthesisColor(0), memo::clWindowText);
}

TEST_F(Settings, CustomStyleTextsAndReferences) {
    TCustomStyles& styles = Coloring.CustomStyles();
    TCustomStyle& a = *styles.Add();
    a.SetBeginText(U"#13");
    EXPECT_EQ(a.BeginText(), U"\r");
    a.SetIgnoreChar(U"\\\\x");
    EXPECT_EQ(a.IgnoreChar(), U"\\");
    // An index that does not name a style of the collection is none.
    a.SetDontSwitchToIndex1(1);
    EXPECT_EQ(a.DontSwitchToIndex1(), -1);
    TCustomStyle& b = *styles.Add();
    TCustomStyle& c = *styles.Add();
    a.SetDontSwitchToIndex1(2);
    a.SetDontSwitchToIndex2(1);
    EXPECT_EQ(a.DontSwitchTo1(), &c);
    // Moving styles moves the indexes with them; deleting one drops the references to it.
    c.SetIndex(1);
    EXPECT_EQ(a.DontSwitchToIndex1(), 1);
    EXPECT_EQ(a.DontSwitchToIndex2(), 2);
    styles.Delete(1);
    EXPECT_EQ(a.DontSwitchToIndex1(), -1);
    EXPECT_EQ(a.DontSwitchToIndex2(), 1);
    (void)b;
}

TEST_F(Settings, AssignCopiesEverythingWithOneRescan) {
    TSyntaxColoring source(nullptr);
    LoadSqlSyntaxColoring(source);
    source.CustomStyles().Items(0)->SetDontSwitchToIndex1(1);
    source.CustomStyles().Items(1)->SetDontSwitchToIndex1(0);
    // As stored: "#13" copied as it is.
    TSyntaxColoring raw(nullptr);
    raw.CustomStyles().Add();
    EXPECT_EQ(RescansOf([&] { Editor.SetSyntaxColoring(source); }), 1);
    EXPECT_EQ(Coloring.WordLists().Count(), 4);
    EXPECT_EQ(Coloring.WordLists().Items(2)->Words().Count(), 92);
    EXPECT_EQ(Coloring.WordLists().Items(2)->DisplayName(), "SQL Functions");
    EXPECT_EQ(Coloring.SymbolColor(), memo::clBlack);
    // A style names a later one while the collection is filled one by one: none.
    EXPECT_EQ(Coloring.CustomStyles().Items(0)->DontSwitchToIndex1(), -1);
    EXPECT_EQ(Coloring.CustomStyles().Items(1)->DontSwitchToIndex1(), 0);
    EXPECT_THROW(Coloring.Assign(&Coloring.WordLists()), memo::EConvertError);
}

TEST_F(Settings, WordListsMatchWholeWordsFirstListFirst) {
    TWordLists& lists = Coloring.WordLists();
    TWordList& keywords = *lists.Add();
    keywords.SetCaseSensitive(false);
    keywords.Words().Add("select");
    keywords.Words().Add("SELECT"); // already there
    EXPECT_EQ(keywords.Words().Count(), 1);
    TWordList& exact = *lists.Add();
    exact.Words().Add("Select");
    exact.Words().Add("caf\xc3\xa9");
    EXPECT_EQ(lists.FindWordList("SELECT"), &keywords);
    EXPECT_EQ(lists.FindWordList("Select"), &keywords);
    EXPECT_EQ(lists.FindWordList("selected"), nullptr);
    keywords.SetIndex(1);
    EXPECT_EQ(lists.FindWordList("Select"), &exact);
    EXPECT_EQ(lists.FindWordList("select"), &keywords);
    // Only a–z change case: other letters are compared as they are.
    EXPECT_EQ(lists.FindWordList("CAF\xc3\xa9"), nullptr);
    EXPECT_EQ(lists.FindWordList("caf\xc3\xa9"), &exact);
}

TEST_F(Settings, TheScannersWordTableAnswersAsTheListsDo) {
    LoadSqlSyntaxColoring(Coloring);
    TWordList& exact = *Coloring.WordLists().Add();
    exact.Words().SetStrings({"Select", "Order_Id", "x1"});
    TSyntaxLexicon lexicon;
    lexicon.Follow(Coloring);
    std::vector<std::string> words = {"Order_Id", "order_id", "x1",      "X1",
                                      "",         "selectx",  "@@PROCID"};
    for (int i = 0; i < Coloring.WordLists().Count(); ++i)
        for (const std::string& word : Coloring.WordLists().Items(i)->Words().Items())
            words.push_back(word);
    std::mt19937 random(3);
    for (std::string word : std::vector(words)) {
        for (char& c : word)
            if (random() % 2)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        words.push_back(word);
    }
    for (const std::string& word : words) {
        TWordList* list = Coloring.WordLists().FindWordList(word);
        EXPECT_EQ(lexicon.FindWordList(word), list ? list->Index() : -1) << word;
    }
}

TEST_F(Settings, TheSqlConfigurationHoldsTheWordsAsStored) {
    LoadSqlSyntaxColoring(Coloring);
    const TWordLists& lists = Coloring.WordLists();
    ASSERT_EQ(lists.Count(), 4);
    struct Expected {
        const char* Caption;
        memo::TColor Color;
        int Words;
        const char* First;
        const char* Last;
    };
    const Expected expected[] = {
        {"SQL Reserved", memo::clBlue, 55, "alter", "while"},
        {"SQL Operators", memo::clGray, 22, "!=", "xor"},
        {"SQL Functions", memo::clFuchsia, 92, "@@identity", "YEAR"},
        {"SQL System Objects", memo::clGreen, 50, "sysaltfiles", "sysxlogins"}};
    for (int i = 0; i < 4; ++i) {
        const TWordList& list = *lists.Items(i);
        EXPECT_EQ(list.Caption(), expected[i].Caption);
        EXPECT_EQ(list.Color(), expected[i].Color);
        EXPECT_FALSE(list.CaseSensitive());
        EXPECT_EQ(list.Words().Count(), expected[i].Words);
        EXPECT_EQ(list.Words().Strings(0), expected[i].First);
        EXPECT_EQ(list.Words().Items().back(), expected[i].Last);
    }
    // The lists are kept in the order they are stored in: symbols as users see them sorted,
    // "_" before letters.
    EXPECT_EQ(lists.Items(1)->Words().Items(),
              (std::vector<std::string>{"!=", "&",    "|",   "+",    "<",   "<=",  "<>",      "=",
                                        "=<", "=>",   ">",   ">=",   "all", "and", "between", "go",
                                        "in", "join", "not", "null", "or",  "xor"}));
    EXPECT_EQ(lists.Items(2)->Words().Strings(10), "COL_LENGTH");
    EXPECT_EQ(lists.Items(2)->Words().Strings(12), "COLUMNPROPERTY");
    const TCustomStyles& styles = Coloring.CustomStyles();
    ASSERT_EQ(styles.Count(), 2);
    EXPECT_EQ(styles.Items(0)->Caption(), "Comments");
    EXPECT_EQ(styles.Items(0)->Color(), memo::clTeal);
    EXPECT_EQ(styles.Items(0)->BeginText(), U"/*");
    EXPECT_EQ(styles.Items(1)->Caption(), "Strings");
    EXPECT_EQ(styles.Items(1)->Color(), memo::clRed);
    EXPECT_EQ(styles.Items(1)->EndText(), U"'");
    EXPECT_EQ(Coloring.SymbolColor(), memo::clBlack);
    EXPECT_EQ(Coloring.NumberColor(), memo::clBlue);
}

} // namespace
} // namespace sourceedit::test
