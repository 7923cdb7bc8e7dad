#pragma once
// The scanner that cuts text into lexical ranges, and the merge that puts what it makes into the
// chain in place of the old ranges, telling it where the new ranges coincide with the old ones.
#include "SyntaxChain.h"
#include "SyntaxLexicon.h"
#include "TextBuffer.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sourceedit {

// Reads the editor's text through a window of characters: the scanner looks at every character
// and a few around it, and the text may be stored narrower than a character.
class TTextReader {
public:
    explicit TTextReader(const memo::TTextBuffer& Text) : FText(Text) {}

    int Length() const { return FText.Length(); }
    // The character at 1-based Pos; 0 outside the text.
    char32_t At(int Pos) {
        if (Pos < FFrom || Pos >= FTo)
            Load(Pos);
        return Pos >= FFrom && Pos < FTo ? FWindow[static_cast<size_t>(Pos - FFrom)] : U'\0';
    }
    // Up to Count (at most LookAhead) characters from Pos; fewer at the end of the text.
    std::u32string_view Chars(int Pos, int Count);
    bool StartsWith(int Pos, std::u32string_view S) {
        if (Pos < 1 || Pos - 1 + static_cast<long long>(S.size()) > Length())
            return false;
        for (size_t i = 0; i < S.size(); ++i)
            if (At(Pos + static_cast<int>(i)) != S[i])
                return false;
        return true;
    }

private:
    void Load(int Pos);

    static constexpr int WindowSize = 2048;
    static constexpr int Behind = 64; // kept before Pos, for looks back
    const memo::TTextBuffer& FText;
    std::array<char32_t, WindowSize> FWindow;
    int FFrom = 1;
    int FTo = 1; // the window holds FFrom … FTo − 1
};

// Puts newly made ranges into the chain, each in place of the old entries it covers (the old
// ranges have moved with their characters, so they are compared by class, end and attribute only).
class TChainMerge {
public:
    // New ranges start at From, an entry boundary of Chain. Modified: the starts of old ranges
    // whose characters the edit changed; their characters are not the ones they were made from.
    TChainMerge(TSyntaxChain& Chain, int From, std::span<const int> Modified);

    // Replaces the old ranges that the new range Kind, Attribute, From … To reaches; true when
    // the last of them coincided with it.
    bool InsertSyntaxRange(TSyntaxKind Kind, int Attribute, int From, int To);
    // Puts the rest into the chain; returns by how much the parenthesis level after the new
    // ranges changed.
    int Finish();

private:
    void Keep(TSyntaxKind Kind, int Attribute, int From, int To);
    void Flush();

    // New ranges are put into the chain in batches: a full scan never holds them all at once.
    static constexpr size_t Batch = 8192;
    TSyntaxChain& FChain;
    std::span<const int> FModified;
    std::vector<TSyntaxToken> FNew;
    int FFlushedTo;             // the chain holds the new ranges up to here
    int FTouchedTo;             // old entries up to here are replaced, or partly covered gaps
    TSyntaxChain::TCursor FOld; // the first old entry not replaced yet
    int FOldFrom = 0;           // where the rest of a partly covered gap begins
    int FLevelShift = 0;
};

// The scanner: a machine of one step per character (or per delimited style), as the colouring
// settings say. It starts in plain text at a range boundary and emits each token as it ends.
// A scan may be given a limit: past it the scanner pauses, and a later scan goes on from there.
class TSyntaxScanner {
public:
    enum class TPending { tkPlain, tkSymbol, tkParenthesis, tkStyle, tkNumber };
    // Where a scan paused: the token under way and, inside a style read at once, where the search
    // for its end had come to. The chain holds the ranges before the token, and the token as far
    // as it went (a string that runs on is a string as far as it was read), replacing the old
    // ranges it covered.
    struct TPause {
        int Pos = 1;         // the next character to examine
        int TokenStart = 1;  // where the token under way starts: a range boundary of the chain
        int TokenLength = 0; // its characters examined so far, up to Pos − 1
        TPending Kind = TPending::tkPlain;
        int Style = -1;
        bool InStyle = false;
        int EndSearch = 0; // inside a style read at once, where its end is looked for next; else 0
        int Depth = 0;     // the nesting depth of that style there
        // The last position up to which the chain is drawn as a full scan draws it: the ranges
        // the token will keep (all but a word the pause may have cut).
        int Settled = 0;
        // The farthest position read: a scan that goes on reads past it.
        int Reached() const { return EndSearch != 0 ? EndSearch : Pos; }
    };

    TSyntaxScanner(const memo::TTextBuffer& Text, const TSyntaxLexicon& Lexicon, TChainMerge& Merge)
        : FText(Text), FLexicon(Lexicon), FMerge(Merge) {}

    // Scans from Start: through End + 2 at least, then on until a new range has coincided with
    // the old one outside a switchable style; it pauses instead once it is past Limit. Returns
    // the last position it examined.
    int Run(int Start, int End, int Limit);
    // The same, going on from Pause; the merge starts at Pause.TokenStart.
    int Resume(const TPause& Pause, int End, int Limit);
    // Whether the last scan paused, and where.
    bool Paused() const { return FPaused; }
    const TPause& Pause() const { return FPause; }

private:
    int Scan(int End, int Limit);
    // Puts the token under way into the chain as far as it went, and keeps where the scan was.
    void PauseHere();
    // The end of the ranges the token under way keeps whatever follows.
    int SettledEnd();
    void Step();
    // Starts a token of kind X, emitting the pending one first, unless a plain or symbol token
    // simply grows.
    void SwitchTo(TPending X);
    void Emit();
    void EmitPlain();
    void EmitRange(TSyntaxKind Kind, int Attribute, int From, int To);
    // Reads a style consumed at once on from FEndSearch; at its end the token is complete. Past
    // the limit it stops, FEndSearch and FDepth saying where.
    void FinishStyle();
    // Where a style consumed at once ends: the last character of its end text; 0 when the search
    // reached the limit first.
    int EndOfStyle(const TSyntaxLexicon::TStyle& Style);
    int FindStyleAt(int Pos);
    // Where a Transact-SQL number that begins at FP ends; 0 when none begins there.
    int EndOfNumber();
    int SkipDigits(int Pos, bool Hexadecimal);
    bool IdentBefore(int Pos) {
        return FLexicon.ClassOf(FText.At(Pos - 1)) & TSyntaxLexicon::ccIdent;
    }
    // The list of the word From … To: one kept for lines of their own when the word is alone on
    // its line, else the first that holds it; -1 when none does.
    int ListOfWord(int From, int To);
    // Whether nothing but blanks stand before From on its line, and after To only blanks, a
    // count and a "--" comment, as on a batch separator's line.
    bool AloneOnLine(int From, int To);

    TTextReader FText;
    const TSyntaxLexicon& FLexicon;
    TChainMerge& FMerge;
    int FP = 1; // the next character to examine
    int FS = 1; // where the pending token starts
    int FL = 0; // its length
    TPending FK = TPending::tkPlain;
    int FCS = -1; // the current style
    bool FMatched = false;
    bool FInStyle = false;
    int FEndSearch = 0; // inside a style consumed at once: where its end is looked for next
    int FDepth = 0;
    int FLimit = 0;
    bool FPaused = false;
    TPause FPause;
    std::string FWord; // the identifier being looked up
};

} // namespace sourceedit
