// Model-based test of the syntax chain: long random sequences of edits (typing, deleting, pasting
// across comments, strings, quotes and parentheses, line breaks, undo and redo) on random SQL.
// After every edit the repaired chain must be the chain a full scan of the same text makes, tile
// the text, and answer lookups as a walk from its head does. Run under the address sanitizer, it
// also shows that nothing outlives its characters.
#include "SourceEditFixture.h"

#include <random>

namespace sourceedit::test {
namespace {

const std::vector<std::u32string> SqlPieces = {
    U"select",
    U"from",
    U"where",
    U"SELECT",
    U"Select",
    U"insert",
    U"into",
    U"values",
    U"go",
    U"and",
    U"null",
    U"in",
    U"sum",
    U"COUNT",
    U"GetDate",
    U"sysobjects",
    U"x",
    U"a1",
    U"order_id",
    U"$FF",
    U"12",
    U"12.5",
    U"1x",
    U"#tmp",
    U"@@identity",
    U"@p",
    U"*",
    U"=",
    U"<=",
    U"<>",
    U"!=",
    U"--",
    U",",
    U";",
    U".",
    U"(",
    U")",
    U"((",
    U"))",
    U"'",
    U"''",
    U"'abc'",
    U"'it''s'",
    U"/*",
    U"*/",
    U"/* c */",
    U"/",
    U" ",
    U"  ",
    U"\t",
    U"\r\n",
    U"\r\n",
    U"é",
    U"€",
    U"😀",
    U"_",
    U"`",
    U"\\",
    U"{",
    U"}",
    U"-",
    // what the Transact-SQL rules read: line comments, nested comments, delimited names,
    // Unicode strings, number forms, names and batch separators
    U"-- c\r\n",
    U"/* a /*",
    U"*/ */",
    U"[",
    U"]",
    U"]]",
    U"[a b]",
    U"\"",
    U"\"\"",
    U"N'",
    U"n'x'",
    U"N",
    U"1.5e3",
    U"e",
    U"E-",
    U"+",
    U"0x1F",
    U"0x",
    U"$12.50",
    U".5",
    U"7.",
    U"@",
    U"@@",
    U"#",
    U"##g",
    U"@@ROWCOUNT",
    U"GO",
    U"\r\nGO\r\n",
    U"go 5",
    U"GO -- x",
    U"goto",
    U"CAST",
    U"TOP",
};

// The ranges around At, for failure messages.
std::string Around(const std::vector<TSyntaxToken>& Tokens,
                   std::vector<TSyntaxToken>::const_iterator At) {
    auto from = At - std::min<std::ptrdiff_t>(At - Tokens.begin(), 2);
    auto to = At + std::min<std::ptrdiff_t>(Tokens.end() - At, 3);
    return ::testing::PrintToString(std::vector<TSyntaxToken>(from, to));
}

class ChainModel {
public:
    explicit ChainModel(unsigned Seed, const std::vector<std::u32string>& Pieces = SqlPieces)
        : FPieces(Pieces), FRandom(Seed), FEditor(&FHost) {
        FEditor.UpdateFontMetrics();
        LoadSqlSyntaxColoring(FEditor.SyntaxColoring());
        LoadSqlSyntaxColoring(FFresh.SyntaxColoring());
    }

    TSourceEdit& Editor() { return FEditor; }
    TSourceEdit& Fresh() { return FFresh; }

    int Random(int Low, int High) { return std::uniform_int_distribution(Low, High)(FRandom); }

    std::u32string RandomSql(int Pieces) {
        std::u32string text;
        for (int i = 0; i < Pieces; ++i)
            text += FPieces[static_cast<size_t>(Random(0, static_cast<int>(FPieces.size()) - 1))];
        return text;
    }

    void Select(int Start, int End) {
        memo::TSelectionRange& selection = *FEditor.Selection();
        selection.BeginUpdate();
        selection.SetRStart(Start);
        selection.SetREnd(End);
        selection.EndUpdate();
    }

    // Deletions outweigh insertions: below this length, text is pasted in first.
    void KeepLength(int Length) { FMinLength = Length; }

    // One random edit, described for failure messages.
    std::string Edit() {
        int length = FEditor.TextLength();
        int at = Random(1, length + 1);
        if (length < FMinLength) {
            FEditor.Selection()->CollapseTo(at);
            FEditor.Selection()->SetText(RandomSql(40));
            return "paste at " + std::to_string(at);
        }
        switch (Random(0, 9)) {
        case 0:
        case 1:
        case 2: { // typing a character, through the keyboard
            std::u32string fragment = RandomSql(1);
            FEditor.Selection()->CollapseTo(at);
            FEditor.KeyPress(fragment[0] == U'\r' ? U'\r' : fragment[0]);
            return "type at " + std::to_string(at);
        }
        case 3:
        case 4: { // deleting a few characters, or many
            int count = Random(0, 3) == 0 ? Random(1, 200) : Random(1, 4);
            Select(at, std::min(length, at + count - 1));
            FEditor.ClearSelection();
            return "delete " + std::to_string(count) + " at " + std::to_string(at);
        }
        case 5:
        case 6: { // pasting over a selection, which may cross comments and strings
            int count = Random(0, 30);
            Select(at, std::min(length, at + count - 1));
            FEditor.Selection()->SetText(RandomSql(Random(1, 6)));
            return "paste over " + std::to_string(count) + " at " + std::to_string(at);
        }
        case 7:
            FEditor.Undo();
            return "undo";
        case 8:
            FEditor.Redo();
            return "redo";
        default: { // a line break with the indent of its line
            FEditor.Selection()->CollapseTo(at);
            FEditor.KeyPress(U'\r');
            return "enter at " + std::to_string(at);
        }
        }
    }

    // Compares the editor's chain with a full scan of the same text, and checks it.
    void Check(const std::string& Step) {
        SCOPED_TRACE(Step);
        FFresh.SetText(FEditor.GetText());
        FFresh.RescanAll();
        std::vector<TSyntaxToken> repaired = TokensOf(FEditor);
        std::vector<TSyntaxToken> fresh = TokensOf(FFresh);
        auto differs = std::mismatch(repaired.begin(), repaired.end(), fresh.begin(), fresh.end());
        ASSERT_TRUE(differs.first == repaired.end() && differs.second == fresh.end())
            << "first difference at range " << differs.first - repaired.begin() << ": "
            << Around(repaired, differs.first) << " instead of " << Around(fresh, differs.second);
        ASSERT_FALSE(FEditor.FindChainGap().Valid());
        ASSERT_FALSE(FEditor.FindChainOverlap().Valid());
        for (int probe = 0; probe < 4 && !repaired.empty(); ++probe) {
            int pos = Random(0, FEditor.TextLength() + 1);
            auto expected = std::find_if(repaired.begin(), repaired.end(),
                                         [&](const TSyntaxToken& t) { return t.REnd >= pos; });
            auto found = FEditor.SyntaxRangeAtFrom(pos, FEditor.SyntaxRangeAt(Random(0, pos)));
            ASSERT_EQ(found.Valid(), expected != repaired.end());
            if (found.Valid()) {
                ASSERT_EQ(found.Token(), *expected);
            }
        }
    }

    // The colours and styles of characters 1 … End as printing (and painting) takes them.
    static std::vector<std::pair<memo::TColor, memo::TFontStyles>> Drawn(TSourceEdit& Editor,
                                                                         int End) {
        std::vector<TStyledSpan> spans;
        Editor.GetStyledSpans(1, End, spans);
        std::vector<std::pair<memo::TColor, memo::TFontStyles>> drawn;
        for (const TStyledSpan& span : spans)
            drawn.insert(drawn.end(), static_cast<size_t>(span.REnd - span.RStart + 1),
                         {span.Font.Color, span.Font.Style});
        return drawn;
    }

    // With the repair still under way: what is drawn of the first End characters is what a full
    // scan draws, the rest of the chain waiting.
    void CheckDrawn(const std::string& Step) {
        SCOPED_TRACE(Step);
        FFresh.SetText(FEditor.GetText());
        FFresh.RescanAll();
        int end = Random(0, FEditor.TextLength());
        ASSERT_EQ(Drawn(FEditor, end), Drawn(FFresh, end)) << "through " << end;
    }

    // Edits with the repair in small slices: after some edits the repair goes on for a few
    // slices, or is drawn in part, or waits for the next edit to merge with it; then the chain is
    // compared with a full scan, once the slices have finished the repair or when a reader has.
    void RunSliced(std::u32string_view Text, int Steps) {
        FEditor.SetRepairSliceLength(Random(1, 40));
        FEditor.SetText(Text);
        Check("load");
        int pending = 0;
        for (int step = 0; step < Steps && !::testing::Test::HasFatalFailure(); ++step) {
            std::string edit = "step " + std::to_string(step) + ": " + Edit();
            pending += FEditor.RepairPending() ? 1 : 0;
            switch (Random(0, 5)) {
            case 0: // the event loop runs a few slices
                for (int slices = Random(1, 4); slices > 0; --slices)
                    FEditor.RepairSlice();
                break;
            case 1:
                CheckDrawn(edit);
                break;
            case 2: // the slices run to the end
                while (FEditor.RepairPending())
                    FEditor.RepairSlice();
                Check(edit + ", slices done");
                break;
            case 3: // a reader finishes the repair
                Check(edit + ", read");
                break;
            default: // the next edit comes first
                break;
            }
        }
        Check("end");
        // The slices were small enough for most edits to leave a repair behind.
        EXPECT_GT(pending, Steps / 20);
    }

    // Loads Text, then makes Steps random edits, checking after each.
    void Run(std::u32string_view Text, int Steps) {
        FEditor.SetText(Text);
        Check("load");
        for (int step = 0; step < Steps && !::testing::Test::HasFatalFailure(); ++step) {
            std::string edit = Edit();
            Check("step " + std::to_string(step) + ": " + edit);
            // Painting walks the chain too (and creates and frees its range objects).
            if (step % 50 == 0)
                FEditor.Paint();
        }
    }

private:
    const std::vector<std::u32string>& FPieces;
    std::mt19937 FRandom;
    int FMinLength = 0;
    memo::test::RecordingHost FHost;
    TSourceEdit FEditor;
    TSourceEdit FFresh;
};

TEST(SyntaxChainModel, RepairedChainEqualsAFullScanAfterEveryEdit) {
    for (unsigned seed = 1; seed <= 6 && !HasFatalFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChainModel model(seed);
        model.KeepLength(400);
        model.Run(model.RandomSql(300), 1500);
    }
}

TEST(SyntaxChainModel, ARepairInSlicesEqualsAFullScanHoweverEditsAndReadersMeetIt) {
    for (unsigned seed = 41; seed <= 46 && !HasFatalFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChainModel model(seed);
        model.KeepLength(400);
        model.RunSliced(model.RandomSql(300), 1500);
    }
}

// Few pieces, so that what the Transact-SQL rules read around a character comes together often:
// separator lines with counts and comments, numbers that grow into exponents, prefixes.
TEST(SyntaxChainModel, RepairedChainEqualsAFullScanOnDenseTransactSql) {
    const std::vector<std::u32string> pieces = {
        U"GO", U"\r\nGO", U" ", U"    ", U"5", U"0", U"--", U"-", U"x",  U"\r\n", U"\r\n", U"1",
        U"e",  U"+",      U".", U"0x",   U"N", U"'", U"[",  U"]", U"/*", U"*/",   U"@",    U"#"};
    for (unsigned seed = 31; seed <= 36 && !HasFatalFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChainModel model(seed, pieces);
        model.KeepLength(200);
        model.Run(model.RandomSql(150), 2000);
    }
}

TEST(SyntaxChainModel, RepairedChainEqualsAFullScanUnderTheGenericRules) {
    for (unsigned seed = 21; seed <= 23 && !HasFatalFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChainModel model(seed);
        model.Editor().SyntaxColoring().SetTokenRules(TTokenRules::trGeneric);
        model.Fresh().SyntaxColoring().SetTokenRules(TTokenRules::trGeneric);
        model.Run(model.RandomSql(300), 1500);
    }
}

// Styles of every kind: switchable ones with exclusions, an ignored character, a line-end end
// text, begin texts longer than two characters, and one that begins with letters.
void LoadMixedStyles(TSyntaxColoring& Settings) {
    LoadSqlSyntaxColoring(Settings);
    Settings.BeginUpdate();
    TCustomStyles& styles = Settings.CustomStyles();
    styles.Clear();
    auto add = [&](std::u32string_view Begin, std::u32string_view End, bool Switchable) {
        TCustomStyle& style = *styles.Add();
        style.SetBeginText(Begin);
        style.SetEndText(End);
        style.SetSwitchable(Switchable);
        return &style;
    };
    TCustomStyle* block = add(U"/*", U"*/", true);
    add(U"'", U"'", false)->SetIgnoreChar(U"\\");
    add(U"--", U"#13", false);
    add(U"{", U"}", true)->SetIgnoreChar(U"\\");
    add(U"<!--", U"-->", false);
    add(U"\"", U"\"", true);
    add(U"rem", U"#13", false); // begins inside identifiers
    block->SetDontSwitchToIndex1(5);
    block->SetDontSwitchToIndex2(0);
    Settings.EndUpdate();
}

TEST(SyntaxChainModel, RepairedChainEqualsAFullScanWithStylesOfEveryKind) {
    const std::vector<std::u32string> extra = {U"<!--", U"-->", U"<!-", U"{",    U"}",
                                               U"\"",   U"\\",  U"--",  U"\r\n", U"'",
                                               U"*/",   U"/*",  U"rem", U"re"};
    for (unsigned seed = 11; seed <= 14 && !HasFatalFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ChainModel model(seed);
        LoadMixedStyles(model.Editor().SyntaxColoring());
        LoadMixedStyles(model.Fresh().SyntaxColoring());
        std::u32string text = model.RandomSql(200);
        for (int i = 0; i < 60; ++i)
            text.insert(static_cast<size_t>(model.Random(0, static_cast<int>(text.size()))),
                        extra[static_cast<size_t>(model.Random(0, 13))]);
        model.Run(text, 1500);
    }
}

} // namespace
} // namespace sourceedit::test
