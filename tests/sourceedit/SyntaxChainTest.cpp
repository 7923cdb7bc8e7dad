// The syntax chain: how the scanner cuts text into lexical ranges, how an edit repairs the chain,
// and the compact store underneath.
#include "SourceEditFixture.h"

#include <random>

namespace sourceedit::test {
namespace {

// The scanner's own rules, which the Transact-SQL ones refine.
class Scanner : public SourceEditFixture {
protected:
    void SetUp() override { Editor->SyntaxColoring().SetTokenRules(TTokenRules::trGeneric); }
};

TEST_F(Scanner, CutsAQueryIntoWordsSymbolsAndNumbers) {
    Editor->SetText(U"select * from t where a<=10");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{Word(U"select"), Plain(U" "), Symbol(U"*"), Plain(U" "),
                                   Word(U"from"), Plain(U" t "), Word(U"where"), Plain(U" a"),
                                   Symbol(U"<="), Number(U"10")}));
}

TEST_F(Scanner, SymbolCharactersNeverFormListedWords) {
    // "@@identity" and "<>" are in the lists, but only identifiers are looked up.
    Editor->SetText(U"@@PROCID <>");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Symbol(U"@@"), Plain(U"PROCID "), Symbol(U"<>")}));
}

TEST_F(Scanner, NumbersStartWithADigitOrDollar) {
    Editor->SetText(U"x1 1x $FF 12.5 #");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{Plain(U"x1 "), Number(U"1x"), Plain(U" "), Number(U"$FF"),
                                   Plain(U" "), Number(U"12"), Symbol(U"."), Number(U"5"),
                                   Plain(U" "), Symbol(U"#")}));
}

TEST_F(Scanner, WordsMatchWholeIdentifiersInAnyCase) {
    Editor->SetText(U"SELECT selected Select_ Select");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Word(U"SELECT"), Plain(U" selected Select_ "),
                                              Word(U"Select")}));
}

TEST_F(Scanner, ParenthesesCarryTheirNestingLevel) {
    Editor->SetText(U"f((a))");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{Plain(U"f"), Parenthesis(U"(", 1), Parenthesis(U"(", 2),
                                   Plain(U"a", 2), Parenthesis(U")", 2), Parenthesis(U")", 1)}));
    // A closing parenthesis without partner stands at 0, and what follows one lower.
    Editor->SetText(U")a(b");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Parenthesis(U")", 0), Plain(U"a", -1),
                                              Parenthesis(U"(", 0), Plain(U"b", 0)}));
}

TEST_F(Scanner, CommentsAndStringsAreStyles) {
    Editor->SetText(U"/* a */ b");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/* a */"), Plain(U" b")}));
    Editor->SetText(U"x /* a\r\nb");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"x "), Styled(U"/* a\r\nb")}));
    // A doubled quote is a quote inside the literal, also when typed into one; two literals
    // side by side with a blank between stay two.
    Editor->SetText(U"'it''s'");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'it''s'")}));
    Editor->SetText(U"'it' 's'");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'it'"), Plain(U" "), Styled(U"'s'")}));
    Select(5, 5);
    Editor->ClearSelection();
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'it''s'")}));
    EXPECT_EQ(Lexemes(), FreshLexemes(Editor->GetText()));
    // A begin text inside a style that is consumed at once is ignored.
    Editor->SetText(U"/* 'x */'y'");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/* 'x */"), Styled(U"'y'")}));
    // Without a style for them, line comments are symbols.
    Editor->SyntaxColoring().CustomStyles().Delete(2);
    Editor->SetText(U"-- x");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Symbol(U"--"), Plain(U" x")}));
}

// Settings with styles of every kind, for the rules the SQL configuration does not use.
class CustomStyles : public SourceEditFixture {
protected:
    TCustomStyle& AddStyle(std::u32string_view Begin, std::u32string_view End,
                           bool Switchable = false) {
        TCustomStyle& style = *Editor->SyntaxColoring().CustomStyles().Add();
        style.SetBeginText(Begin);
        style.SetEndText(End);
        style.SetSwitchable(Switchable);
        return style;
    }
    void SetUp() override {
        Editor->SyntaxColoring().SetTokenRules(TTokenRules::trGeneric);
        Editor->SyntaxColoring().CustomStyles().Clear();
    }
};

TEST_F(CustomStyles, OtherStylesBeginInsideASwitchableOneExceptTheExcluded) {
    TCustomStyle& block = AddStyle(U"{", U"}", true); // 0
    AddStyle(U"'", U"'");                             // 1
    AddStyle(U"\"", U"\"");                           // 2
    block.SetDontSwitchToIndex1(2);
    // Neither the excluded style nor the switchable style itself begins inside it.
    Editor->SetText(U"{a \"c\" {b} 'x' e");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"{a \"c\" {b}"), Plain(U" "), Styled(U"'x'"),
                                              Plain(U" e")}));
    // Another style interrupts it, and it is not resumed.
    Editor->SetText(U"{a 'b' c} d");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"{a "), Styled(U"'b'"), Plain(U" c"),
                                              Symbol(U"}"), Plain(U" d")}));
}

TEST_F(CustomStyles, AnEndTextOfCrTakesTheWholeLineEnd) {
    AddStyle(U"--", U"#13");
    Editor->SetText(U"a -- b\r\nc");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"a "), Styled(U"-- b\r\n"), Plain(U"c")}));
    Editor->SyntaxColoring().CustomStyles().Items(0)->SetSwitchable(true);
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"a "), Styled(U"-- b\r\n"), Plain(U"c")}));
}

TEST_F(CustomStyles, ASwitchableStyleEndsAsEarlyAsItsTextsOverlapAllow) {
    AddStyle(U"/*", U"*/", true);
    Editor->SetText(U"/*/ x");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/*/"), Plain(U" x")}));
}

TEST_F(CustomStyles, AnIgnoredCharacterKeepsTheStyleOpen) {
    TCustomStyle& string = AddStyle(U"'", U"'");
    string.SetIgnoreChar(U"\\");
    Editor->SetText(U"'a\\'b' c");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'a\\'b'"), Plain(U" c")}));
    string.SetSwitchable(true);
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"'a\\'b'"), Plain(U" c")}));
}

// --- Repair after an edit --------------------------------------------------------------------

class Repair : public SourceEditFixture {
protected:
    void SetUp() override { Editor->SyntaxColoring().SetTokenRules(TTokenRules::trGeneric); }
};

TEST_F(Repair, TypingIntoAWordRescansFromItsRangeToTheFirstCoincidence) {
    Editor->SetText(U"a=select+b+c");
    memo::TMCRange region(Editor.get(), 5, 5); // inside "select"
    Editor->ScanRange(region);
    // From the range that holds the character before, to the first "+" and no further.
    EXPECT_EQ(region.RStart(), 3);
    EXPECT_EQ(region.REnd(), 9);

    Editor->SetText(U"a=select b c d e");
    memo::TMCRange words(Editor.get(), 5, 5);
    Editor->ScanRange(words);
    EXPECT_EQ(words.RStart(), 3);
    EXPECT_EQ(words.REnd(), Editor->TextLength());
}

TEST_F(Repair, OpeningACommentSwallowsTheRangesUpToItsEnd) {
    Editor->SetText(U"select a, (b) from t */ where 1=1");
    Editor->Selection()->CollapseTo(1);
    Type(U"/*");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Styled(U"/*select a, (b) from t */"), Plain(U" "),
                                              Word(U"where"), Plain(U" "), Number(U"1"),
                                              Symbol(U"="), Number(U"1")}));
    // Closing it again brings every range back.
    Editor->Selection()->CollapseTo(3);
    Editor->KeyDown(memo::TKey::kBackspace, 0);
    Editor->KeyDown(memo::TKey::kBackspace, 0);
    EXPECT_EQ(Lexemes()[0], Word(U"select"));
    EXPECT_EQ(Lexemes()[4], Parenthesis(U"(", 1));
}

TEST_F(Repair, AStringOpenedAndClosedRecoloursTheRestOfTheText) {
    Editor->SetText(U"select a from t where b = 1\r\nselect 'x' from u");
    Editor->Selection()->CollapseTo(Editor->LineColToPos(1, 27)); // before "1"
    Type(U"'");
    std::vector<Lexeme> open = Lexemes();
    EXPECT_EQ(open.back(), Styled(U"' from u"));
    EXPECT_EQ(open[open.size() - 3], Styled(U"'1\r\nselect '"));
    EXPECT_EQ(open, FreshLexemes(Editor->GetText()));
    Type(U"'");
    EXPECT_EQ(Lexemes(), FreshLexemes(Editor->GetText()));
    Editor->Undo();
    EXPECT_EQ(Lexemes(), FreshLexemes(Editor->GetText()));
    EXPECT_EQ(Lexemes().back(), Plain(U" u"));
}

TEST_F(Repair, ParenthesesAfterAnEditChangeLevelWithIt) {
    Editor->SetText(U"a) (b) (c)");
    Editor->Selection()->CollapseTo(1);
    Type(U"(");
    EXPECT_EQ(Lexemes(),
              (std::vector<Lexeme>{Parenthesis(U"(", 1), Plain(U"a", 1), Parenthesis(U")", 1),
                                   Plain(U" "), Parenthesis(U"(", 1), Plain(U"b", 1),
                                   Parenthesis(U")", 1), Plain(U" "), Parenthesis(U"(", 1),
                                   Plain(U"c", 1), Parenthesis(U")", 1)}));
}

TEST_F(Repair, DeletingEverythingEmptiesTheChain) {
    Editor->SetText(U"select (1) from t");
    Select(1, Editor->TextLength());
    Editor->ClearSelection();
    EXPECT_TRUE(Editor->Chain().Empty());
    EXPECT_FALSE(Editor->FirstRange().Valid());
    EXPECT_FALSE(Editor->FindChainGap().Valid());
    EXPECT_FALSE(Editor->FindChainOverlap().Valid());
}

TEST_F(Repair, ALongBeginTextIsFoundWhenItsLastCharacterIsTyped) {
    // With begin texts of more than two characters, the text before the edit scans differently:
    // "ab--" begins inside a plain range that ends before the edit's range.
    Editor->SyntaxColoring().CustomStyles().Clear();
    TCustomStyle& style = *Editor->SyntaxColoring().CustomStyles().Add();
    style.SetBeginText(U"ab--");
    style.SetEndText(U"--");
    Editor->SetText(U"xab- y -- z");
    Editor->Selection()->CollapseTo(5);
    Type(U"-");
    EXPECT_EQ(Lexemes(), (std::vector<Lexeme>{Plain(U"x"), Styled(U"ab-- y --"), Plain(U" z")}));
}

TEST_F(Repair, EditsWhileTheScannerIsHeldLeaveGapsThatPaintPlainUntilTheRescan) {
    Editor->SetText(U"select a from t");
    TSyntaxColoring& settings = Editor->SyntaxColoring();
    settings.BeginUpdate();
    Editor->Selection()->CollapseTo(7);
    Type(U"xyz");
    ASSERT_TRUE(Editor->FindChainGap().Valid());
    EXPECT_EQ(Editor->FindChainGap().Token().REnd, 6); // "select" is followed by the gap
    // Every character is still drawn, in order.
    Host.ClearPaint();
    Editor->Paint();
    std::u32string drawn;
    for (const auto& text : Host.DrawnTexts())
        drawn += text;
    EXPECT_EQ(drawn, U"selectxyz a from t");
    settings.EndUpdate();
    EXPECT_FALSE(Editor->FindChainGap().Valid());
    EXPECT_EQ(Lexemes()[0], Plain(U"selectxyz a "));
}

TEST_F(Repair, LookupsFromAHintFindWhatALookupFromTheHeadFinds) {
    Editor->SetText(U"select (a) from t\r\n/* x */ where 'y' = 12");
    std::vector<TSyntaxToken> tokens = TokensOf(*Editor);
    for (int pos = 0; pos <= Editor->TextLength() + 1; ++pos) {
        // The Part's walk from the head: the first range whose end is at or after pos.
        auto expected = std::find_if(tokens.begin(), tokens.end(),
                                     [&](const TSyntaxToken& t) { return t.REnd >= pos; });
        auto found = Editor->SyntaxRangeAt(pos);
        ASSERT_EQ(found.Valid(), expected != tokens.end()) << pos;
        if (!found.Valid())
            continue;
        EXPECT_EQ(found.Token(), *expected) << pos;
        for (int hint = 1; hint <= Editor->TextLength(); hint += 5)
            EXPECT_EQ(Editor->SyntaxRangeAtFrom(pos, Editor->SyntaxRangeAt(hint)).Token(),
                      *expected)
                << pos << " from " << hint;
    }
}

TEST(SyntaxRanges, CoincideByClassEndAndAttribute) {
    using enum TSyntaxKind;
    auto same = [](TSyntaxToken Old, TSyntaxToken New) {
        std::unique_ptr<TSyntaxRange> old(CreateSyntaxRange(Old, nullptr));
        std::unique_ptr<TSyntaxRange> fresh(CreateSyntaxRange(New, nullptr));
        EXPECT_EQ(old->SameAs(*fresh), SameAs(Old, New));
        return SameAs(Old, New);
    };
    // The start is not compared, the end and the class are.
    EXPECT_TRUE(same({skNormalText, 0, 1, 5}, {skNormalText, 0, 3, 5}));
    EXPECT_FALSE(same({skNormalText, 0, 1, 5}, {skNormalText, 0, 1, 6}));
    EXPECT_FALSE(same({skNormalText, 0, 1, 5}, {skWordList, 0, 1, 5}));
    EXPECT_TRUE(same({skWordList, 2, 1, 5}, {skWordList, 2, 2, 5}));
    EXPECT_FALSE(same({skWordList, 2, 1, 5}, {skWordList, 1, 1, 5}));
    EXPECT_FALSE(same({skParenthesis, psOpening, 3, 3}, {skParenthesis, psClosing, 3, 3}));
    // Symbols and numbers are the same when their characters are.
    EXPECT_TRUE(same({skSymbol, 0, 4, 5}, {skSymbol, 0, 4, 5}));
    EXPECT_FALSE(same({skSymbol, 0, 4, 5}, {skSymbol, 0, 3, 5}));
    EXPECT_FALSE(same({skNumber, 0, 4, 5}, {skNumber, 0, 5, 5}));
    EXPECT_EQ(CreateSyntaxRange({skGap, 0, 1, 5}, nullptr), nullptr);
}

// --- The compact store -----------------------------------------------------------------------

// Random replacements of every size, against a vector of the same ranges: positions, levels,
// kinds and attributes read back across block boundaries as they were put in.
TEST(SyntaxChainStore, ReplacesLikeAPlainVector) {
    std::mt19937 random(7);
    auto uniform = [&](int Low, int High) {
        return std::uniform_int_distribution(Low, High)(random);
    };
    TSyntaxChain chain;
    std::vector<TSyntaxToken> model; // extents are recomputed from the lengths
    for (int step = 0; step < 3000; ++step) {
        int first = uniform(0, static_cast<int>(model.size()));
        int count =
            std::min(uniform(0, uniform(0, 1) ? 3 : 400), static_cast<int>(model.size()) - first);
        int from = first < static_cast<int>(model.size()) ? model[static_cast<size_t>(first)].RStart
                                                          : chain.End() + 1;
        int to = count > 0 ? model[static_cast<size_t>(first + count - 1)].REnd : from - 1;
        std::vector<TSyntaxToken> tokens;
        int pos = from;
        for (int i = uniform(0, uniform(0, 3) ? 3 : 300); i > 0; --i) {
            // Lengths and attributes of one code byte and of several.
            int length = uniform(0, 20) == 0 ? 70000 : uniform(1, 5);
            TSyntaxToken t{static_cast<TSyntaxKind>(uniform(0, 6)), 0, pos, pos + length - 1};
            t.Attribute = t.Kind == TSyntaxKind::skParenthesis ? uniform(0, 1) : uniform(0, 40);
            pos = t.REnd + 1;
            tokens.push_back(t);
        }
        chain.Replace(from, to, tokens);
        model.erase(model.begin() + first, model.begin() + first + count);
        model.insert(model.begin() + first, tokens.begin(), tokens.end());
        int start = 1;
        int level = 0;
        for (TSyntaxToken& t : model) {
            int length = t.RLength();
            t.RStart = start;
            t.REnd = start + length - 1;
            start += length;
            t.ParenthesisLevel = level + (t.LevelDelta() > 0 ? 1 : 0);
            level += t.LevelDelta();
        }
        std::vector<TSyntaxToken> read;
        for (auto c = chain.First(); c.Valid(); c.Next())
            read.push_back(c.Token());
        auto differs = std::mismatch(read.begin(), read.end(), model.begin(), model.end());
        ASSERT_TRUE(differs.first == read.end() && differs.second == model.end())
            << "step " << step << ", entry " << differs.first - read.begin() << " of "
            << model.size() << ": " << ::testing::PrintToString(*differs.first) << " instead of "
            << ::testing::PrintToString(*differs.second);
        if (!model.empty()) {
            const TSyntaxToken& probe =
                model[static_cast<size_t>(uniform(0, static_cast<int>(model.size()) - 1))];
            ASSERT_EQ(chain.At(probe.REnd).Token(), probe) << "step " << step;
        }
    }
}

} // namespace
} // namespace sourceedit::test
