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
class TSyntaxScanner {
public:
    TSyntaxScanner(const memo::TTextBuffer& Text, const TSyntaxLexicon& Lexicon, TChainMerge& Merge)
        : FText(Text), FLexicon(Lexicon), FMerge(Merge) {}

    // Scans from Start: through End + 2 at least, then on until a new range has coincided with
    // the old one outside a switchable style. Returns the last position it examined.
    int Run(int Start, int End);

private:
    enum class TPending { tkPlain, tkSymbol, tkParenthesis, tkStyle, tkNumber };

    void Step();
    // Starts a token of kind X, emitting the pending one first, unless a plain or symbol token
    // simply grows.
    void SwitchTo(TPending X);
    void Emit();
    void EmitPlain();
    void EmitRange(TSyntaxKind Kind, int Attribute, int From, int To);
    // Where a style consumed at once ends: the last character of its end text.
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
    std::string FWord; // the identifier being looked up
};

} // namespace sourceedit
