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
    EXPECT_EQ(Coloring.WordLists().Count(), 5);
    EXPECT_EQ(Coloring.WordLists().Items(2)->Words().Count(), 236);
    EXPECT_TRUE(Coloring.WordLists().Items(4)->AloneOnLine());
    EXPECT_TRUE(Coloring.CustomStyles().Items(0)->Nested());
    EXPECT_TRUE(Coloring.CustomStyles().Items(6)->DoubledEnd());
    EXPECT_EQ(Coloring.TokenRules(), TTokenRules::trTransactSql);
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
    ASSERT_EQ(lists.Count(), 5);
    struct Expected {
        const char* Caption;
        memo::TColor Color;
        int Words;
        // Words as first stored, and words of Transact-SQL that the list gained.
        std::vector<const char*> Some;
    };
    const Expected expected[] = {
        {"SQL Reserved",
         memo::clBlue,
         220,
         {"alter", "while", "uniqueidentifier", "TOP", "DISTINCT", "GROUP", "INNER", "CONSTRAINT",
          "PRIMARY", "KEY", "bigint", "nocount"}},
        {"SQL Operators", memo::clGray, 25, {"!=", "xor", "go", "LIKE"}},
        {"SQL Functions",
         memo::clFuchsia,
         236,
         {"@@identity", "@@PROCID", "YEAR", "CAST", "COALESCE", "NULLIF", "@@ROWCOUNT", "LEFT"}},
        {"SQL System Objects", memo::clGreen, 50, {"sysaltfiles", "sysxlogins"}},
        {"SQL Batch Separator", memo::clBlue, 1, {}}};
    for (int i = 0; i < 5; ++i) {
        const TWordList& list = *lists.Items(i);
        EXPECT_EQ(list.Caption(), expected[i].Caption);
        EXPECT_EQ(list.Color(), expected[i].Color);
        EXPECT_FALSE(list.CaseSensitive());
        EXPECT_EQ(list.Words().Count(), expected[i].Words) << list.Caption();
        for (const char* word : expected[i].Some)
            EXPECT_TRUE(list.ContainsWord(word)) << word;
    }
    // The lists are kept in the order they are stored in: symbols as users see them sorted,
    // "_" before letters.
    EXPECT_EQ(lists.Items(1)->Words().Items(),
              (std::vector<std::string>{"!=",   "&",       "|",    "+",  "<",    "<=",   "<>",
                                        "=",    "=<",      "=>",   ">",  ">=",   "all",  "and",
                                        "ANY",  "between", "go",   "in", "join", "LIKE", "not",
                                        "null", "or",      "SOME", "xor"}));
    EXPECT_EQ(lists.Items(2)->Words().Strings(0), "@@CONNECTIONS");
    // Every word is in one list only: the first list that held it keeps it.
    EXPECT_EQ(lists.FindWordList("go"), lists.Items(1));
    EXPECT_EQ(lists.FindWordList("go", true), lists.Items(4));
    EXPECT_EQ(lists.FindWordList("identity"), lists.Items(0));
    const TWordList& separator = *lists.Items(4);
    EXPECT_TRUE(separator.AloneOnLine());
    EXPECT_TRUE(separator.CustomStyle());
    EXPECT_EQ(separator.Style(), memo::fsBold);
    EXPECT_EQ(separator.Words().Items(), std::vector<std::string>{"GO"});

    const TCustomStyles& styles = Coloring.CustomStyles();
    ASSERT_EQ(styles.Count(), 7);
    EXPECT_EQ(styles.Items(0)->Caption(), "Comments");
    EXPECT_EQ(styles.Items(0)->Color(), memo::clTeal);
    EXPECT_EQ(styles.Items(0)->BeginText(), U"/*");
    EXPECT_TRUE(styles.Items(0)->Nested());
    EXPECT_EQ(styles.Items(1)->Caption(), "Strings");
    EXPECT_EQ(styles.Items(1)->Color(), memo::clRed);
    EXPECT_EQ(styles.Items(1)->EndText(), U"'");
    EXPECT_TRUE(styles.Items(1)->DoubledEnd());
    EXPECT_EQ(styles.Items(2)->Color(), memo::clTeal);
    EXPECT_EQ(styles.Items(2)->EndText(), U"\r");
    EXPECT_TRUE(styles.Items(5)->DoubledEnd());
    EXPECT_FALSE(styles.Items(5)->CustomColor());
    EXPECT_EQ(Coloring.SymbolColor(), memo::clBlack);
    EXPECT_EQ(Coloring.NumberColor(), memo::clBlue);
    EXPECT_EQ(Coloring.TokenRules(), TTokenRules::trTransactSql);
}

// --- The Transact-SQL rules of the SQL configuration ------------------------------------------

class TransactSql : public SourceEditFixture {
protected:
    // The token that holds Pos.
    TSyntaxToken TokenAt(int Pos) const { return Editor->SyntaxRangeAt(Pos).Token(); }
    // The caption of the word list that colours the word at Pos; "" when it is no listed word.
    std::string ListAt(int Pos) const {
        TSyntaxToken token = TokenAt(Pos);
        if (token.Kind != TSyntaxKind::skWordList)
            return "";
        return Editor->SyntaxColoring().WordLists().Items(token.Attribute)->Caption();
    }
    int PosOf(std::u32string_view Part) const {
        size_t at = Editor->GetText().find(Part);
        EXPECT_NE(at, std::u32string::npos);
        return static_cast<int>(at) + 1;
    }
    // Where Word first stands as a word of its own.
    int PosOfWord(std::u32string_view Word) const {
        std::u32string text = Editor->GetText();
        auto letter = [](char32_t C) {
            return (C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z');
        };
        for (size_t at = text.find(Word); at != std::u32string::npos; at = text.find(Word, at + 1))
            if ((at == 0 || !letter(text[at - 1])) &&
                (at + Word.size() == text.size() || !letter(text[at + Word.size()])))
                return static_cast<int>(at) + 1;
        ADD_FAILURE() << "no word " << std::string(Word.begin(), Word.end());
        return 0;
    }
};

TEST_F(TransactSql, LineCommentsRunToTheLineEndWhateverTheyHold) {
    Editor->SetText(U"select 1 -- don't select\r\nselect 'a'");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Word(U"select"), Plain(U" "), Number(U"1"),
                                              Plain(U" "), Styled(U"-- don't select\r\n"),
                                              Word(U"select"), Plain(U" "), Styled(U"'a'")}));
    EXPECT_EQ(Editor->SyntaxColoring().CustomStyles().Items(TokenAt(10).Attribute)->Color(),
              memo::clTeal);
    // At the end of the text, without a line break.
    Editor->SetText(U"x--y");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"x"), Styled(U"--y")}));
    // Inside a string or a block comment, "--" is text of it.
    Editor->SetText(U"'a--b' /* -- */ c");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'a--b'"), Plain(U" "), Styled(U"/* -- */"),
                                              Plain(U" c")}));
}

TEST_F(TransactSql, BlockCommentsNest) {
    Editor->SetText(U"/* a /* b */ c */ d");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/* a /* b */ c */"), Plain(U" d")}));
    // A comment left open by an inner one runs to the end.
    Editor->SetText(U"/* /* */ select");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/* /* */ select")}));
    // "/*/" opens one level only.
    Editor->SetText(U"/**/x/*/ */ */y");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/**/"), Plain(U"x"), Styled(U"/*/ */"),
                                              Plain(U" "), Symbol(U"*/"), Plain(U"y")}));
}

TEST_F(TransactSql, DelimitedNamesAreNeverKeywords) {
    Editor->SetText(U"select [Order Date], \"from\" from [a]]b] where \"x\"\"y\"=1");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{
                             Word(U"select"), Plain(U" "), Styled(U"[Order Date]"), Symbol(U","),
                             Plain(U" "), Styled(U"\"from\""), Plain(U" "), Word(U"from"),
                             Plain(U" "), Styled(U"[a]]b]"), Plain(U" "), Word(U"where"),
                             Plain(U" "), Styled(U"\"x\"\"y\""), Symbol(U"="), Number(U"1")}));
    // Names are drawn in the editor's own colour, whatever the palette makes of it.
    const TCustomStyle& name =
        *Editor->SyntaxColoring().CustomStyles().Items(TokenAt(PosOf(U"[Order")).Attribute);
    EXPECT_FALSE(name.CustomColor());
    EXPECT_EQ(name.Font().Color, Editor->GetFontValue().Color);
    Editor->SetText(U"[open");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"[open")}));
}

TEST_F(TransactSql, UnicodeStringsTakeTheirPrefixAlong) {
    Editor->SetText(U"N'it''s' n'x' THEN'a' xN'b'");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{Styled(U"N'it''s'"), Plain(U" "), Styled(U"n'x'"), Plain(U" "),
                                   Word(U"THEN"), Styled(U"'a'"), Plain(U" xN"), Styled(U"'b'")}));
    EXPECT_EQ(Editor->SyntaxColoring().CustomStyles().Items(TokenAt(1).Attribute)->Font().Color,
              memo::clRed);
}

TEST_F(TransactSql, NumbersTakeTheirTransactSqlForms) {
    Editor->SetText(U"1.5 1.5e3 2E-7 0x1F $12.50 .5 7. 0x");
    std::vector<Lexeme> expected;
    for (std::u32string number : {U"1.5", U"1.5e3", U"2E-7", U"0x1F", U"$12.50", U".5", U"7."}) {
        expected.push_back(Number(number));
        expected.push_back(Plain(U" "));
    }
    expected.push_back(Number(U"0x"));
    EXPECT_EQ(Lexemes(), expected);
    // Inside identifiers there are no numbers; a number ends where its form does.
    Editor->SetText(U"x1 t.5 1x 1e+ $ $a");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"x1 t"), Symbol(U"."), Number(U"5"),
                                              Plain(U" "), Number(U"1"), Plain(U"x "), Number(U"1"),
                                              Plain(U"e"), Symbol(U"+"), Plain(U" $ $a")}));
}

TEST_F(TransactSql, VariablesSystemFunctionsAndTemporaryTablesAreOneRangeEach) {
    Editor->SetText(U"set @name=@@ROWCOUNT+@@identity from #temp, ##global where @@nosuch=1");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{
                  Word(U"set"),        Plain(U" "),        Plain(U"@name"),     Symbol(U"="),
                  Word(U"@@ROWCOUNT"), Symbol(U"+"),       Word(U"@@identity"), Plain(U" "),
                  Word(U"from"),       Plain(U" "),        Plain(U"#temp"),     Symbol(U","),
                  Plain(U" "),         Plain(U"##global"), Plain(U" "),         Word(U"where"),
                  Plain(U" "),         Plain(U"@@nosuch"), Symbol(U"="),        Number(U"1")}));
    EXPECT_EQ(ListAt(PosOf(U"@@ROW")), "SQL Functions");
    EXPECT_EQ(ListAt(PosOf(U"@@iden")), "SQL Functions");
}

TEST_F(TransactSql, ReservedWordsAndFunctionsKeepTheirListsColours) {
    Editor->SetText(U"SELECT DISTINCT TOP 5 CAST(a AS int), COALESCE(b, 0), LEFT(c, 1) FROM t "
                    U"INNER JOIN u ON 1=1 GROUP BY a WHERE a LIKE 'x' AND b IS NOT NULL");
    for (std::u32string_view word : {U"SELECT", U"DISTINCT", U"TOP", U"AS", U"FROM", U"INNER",
                                     U"ON", U"GROUP", U"BY", U"WHERE", U"IS"})
        EXPECT_EQ(ListAt(PosOfWord(word)), "SQL Reserved") << std::string(word.begin(), word.end());
    for (std::u32string_view word : {U"CAST", U"COALESCE", U"LEFT"})
        EXPECT_EQ(ListAt(PosOfWord(word)), "SQL Functions")
            << std::string(word.begin(), word.end());
    for (std::u32string_view word : {U"JOIN", U"LIKE", U"AND", U"NOT", U"NULL"})
        EXPECT_EQ(ListAt(PosOfWord(word)), "SQL Operators")
            << std::string(word.begin(), word.end());
    Editor->SetText(U"CREATE TABLE t (id int CONSTRAINT pk PRIMARY KEY)");
    EXPECT_EQ(ListAt(PosOfWord(U"CONSTRAINT")), "SQL Reserved");
    EXPECT_EQ(ListAt(PosOfWord(U"PRIMARY")), "SQL Reserved");
    EXPECT_EQ(ListAt(PosOfWord(U"KEY")), "SQL Reserved");
}

TEST_F(TransactSql, GoOnALineOfItsOwnIsABatchSeparator) {
    Editor->SetText(U"select 1\r\nGO\r\n  go 5 -- twice\r\ngo;\r\nGOTO x\r\nselect go\r\nx GO\r\n"
                    U"GO 0\r\ngo");
    const std::string separator = "SQL Batch Separator";
    EXPECT_EQ(ListAt(PosOf(U"GO\r\n")), separator);
    EXPECT_EQ(ListAt(PosOf(U"go 5")), separator);
    EXPECT_EQ(ListAt(PosOf(U"go;")), "SQL Operators");
    EXPECT_EQ(ListAt(PosOf(U"GOTO")), "SQL Reserved");
    EXPECT_EQ(ListAt(PosOf(U"go\r\nx")), "SQL Operators");
    EXPECT_EQ(ListAt(PosOf(U"GO\r\nGO 0")), "SQL Operators");
    EXPECT_EQ(ListAt(PosOf(U"GO 0")), "SQL Operators");
    EXPECT_EQ(ListAt(Editor->TextLength()), separator); // the last line, without a break
    // Bold, in the keywords' colour.
    const TWordList& list =
        *Editor->SyntaxColoring().WordLists().Items(TokenAt(PosOf(U"GO\r\n")).Attribute);
    EXPECT_EQ(list.Font().Color, memo::clBlue);
    EXPECT_EQ(list.Font().Style, memo::fsBold);
    EXPECT_TRUE(list.AloneOnLine());
}

// Edits that change what the T-SQL rules read around them repair the chain as a full scan makes it.
TEST_F(TransactSql, EditsAroundTheNewRulesRepairAsAFullScan) {
    struct Case {
        std::u32string Text;
        int At;
        int Delete;
        std::u32string Insert;
    };
    const Case cases[] = {
        {U"-- a select b", 5, 0, U"\r\n"},        // Enter ends a line comment
        {U"/* a */ b */ c", 5, 0, U"/*"},         // an inner comment opens
        {U"/* a /* b */ c */ d */ e", 6, 2, U""}, // and goes
        {U"[a] b] c", 3, 0, U"]"},                // "]]" in a name
        {U"[a]] b] c", 4, 1, U""},
        {U"x 'a'", 3, 0, U"N"}, // N joins the string
        {U"xN'a'", 1, 1, U""},  // N begins it once the word before goes
        {U"1e 5", 3, 1, U""},   // the exponent joins the number
        {U"1e+ 5", 4, 1, U""},
        {U"0 x1F", 2, 1, U""},
        {U"GO x\r\n", 4, 1, U""},    // the line becomes a separator's
        {U"GO -- x\r\n", 4, 1, U""}, // and stops being one
        {U"GO 5x", 5, 1, U""},
        {U"GO      x\r\n", 9, 1, U""},
        {U"GO      -- x", 10, 1, U""},
        {U"GO      55x", 11, 1, U""},
        {U"a\r\n  GO", 1, 1, U""},
        {U"a\r\n  GO", 3, 0, U"x"},
        {U"@a b", 3, 0, U"@"},
        {U"a #t", 2, 1, U""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Text.begin(), c.Text.end()));
        Editor->SetText(c.Text);
        Select(c.At, c.At + c.Delete - 1);
        Editor->Selection()->SetText(c.Insert);
        TSourceEdit fresh;
        LoadSqlSyntaxColoring(fresh.SyntaxColoring());
        fresh.SetText(Editor->GetText());
        EXPECT_EQ(TokensOf(*Editor), TokensOf(fresh));
    }
}

} // namespace
} // namespace sourceedit::test
