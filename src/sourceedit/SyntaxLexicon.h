#pragma once
// TSyntaxLexicon: the word lists and custom styles of the settings, compiled for the scanner, which
// asks them about every identifier and at every character: all words in one open hash table, and
// a table of character classes that also says where a style may begin. It answers exactly as
// FindWordList and FindStyleAt do.
#include "SyntaxColoring.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sourceedit {

class TSyntaxLexicon {
public:
    struct TStyle {
        std::u32string BeginText;
        std::u32string EndText;
        std::u32string IgnoreChar;
        bool Switchable = false;
        int DontSwitchTo1 = -1;
        int DontSwitchTo2 = -1;
        bool Nested = false;
        bool DoubledEnd = false;
        // Begins only where no identifier goes on (N'...' under the Transact-SQL rules).
        bool AtWordStart = false;
    };
    // The lists a word belongs to: the first ordinary one, and the first kept for words alone on
    // their line; -1 for none.
    struct TWordMatch {
        int List = -1;
        int AloneList = -1;
    };

    // The scanner's classes of a character, and whether a style may begin with it.
    enum TCharClass : std::uint8_t {
        ccSymbol = 1,
        ccParenthesis = 2,
        ccIdent = 4,
        ccNumberStart = 8,
        ccStyleBegin = 16,
        // May begin a Transact-SQL number: a digit, "." and "$".
        ccNumberLead = 32,
        // Begins a Transact-SQL name of its own range: "@" and "#".
        ccNameStart = 64,
        // The styles that begin with it begin only at word starts: after an identifier
        // character none does.
        ccStyleAtWordStart = 128
    };

    // Compiles Settings when they changed since the last time.
    void Follow(const TSyntaxColoring& Settings);

    std::uint8_t ClassOf(char32_t C) const { return C < 128 ? FClasses[C] : FAboveAscii; }

    TTokenRules TokenRules() const { return FTokenRules; }
    bool TransactSql() const { return FTokenRules == TTokenRules::trTransactSql; }

    TWordMatch MatchWord(std::string_view Word) const;
    // The index of the first word list that contains Word, -1 when none does; as
    // TWordLists::FindWordList answers.
    int FindWordList(std::string_view Word, bool AloneOnLine = false) const;
    // Whether a list keeps its words for lines of their own.
    bool HasAloneWords() const { return FHasAloneWords; }

    int StyleCount() const { return static_cast<int>(FStyles.size()); }
    const TStyle& Style(int Index) const { return FStyles[static_cast<size_t>(Index)]; }
    // The index of the first style whose begin text starts Text, -1 when none does. AfterIdent:
    // an identifier goes on into Text, where styles that begin at word starts do not begin.
    int FindStyleAt(std::u32string_view Text, bool AfterIdent = false) const;
    // How many characters the scanner reads ahead of the one it decides about: the longest begin
    // text that can match, or end text of a switchable style (at least one).
    int LookAhead() const { return FLookAhead; }
    // Whether a style begins with a character of identifiers: it can cut an identifier short.
    bool StyleBeginsInIdentifiers() const { return FBeginsInIdentifiers; }

private:
    // A word of a list.
    struct TCandidate {
        int List;
        bool CaseSensitive;
        bool AloneOnLine;
        std::string Word;
    };
    // The words that are one word in upper case: FCandidates[First … First + Count − 1], in list
    // order. Count 0: an empty slot.
    struct TSlot {
        std::uint32_t Hash = 0;
        std::uint32_t First = 0;
        std::uint32_t Count = 0;
    };

    void BuildWords(const TSyntaxColoring& Settings);
    void BuildStyles(const TSyntaxColoring& Settings);
    static std::uint32_t FoldedHash(std::string_view Word);

    void BuildClasses();

    bool FBuilt = false;
    TTokenRules FTokenRules = TTokenRules::trGeneric;
    bool FHasAloneWords = false;
    unsigned FGeneration = 0;
    std::vector<TCandidate> FCandidates;
    std::vector<TSlot> FSlots;      // a power of two, at most half full
    std::uint64_t FWordLengths = 0; // bit n: a word of n characters (n < 63), bit 63: longer ones
    std::vector<TStyle> FStyles;
    std::array<std::uint8_t, 128> FClasses{};
    std::uint8_t FAboveAscii = 0;
    bool FBeginsInIdentifiers = false;
    int FLookAhead = 1;
};

} // namespace sourceedit
