#pragma once
// TSyntaxLexicon: the word lists and custom styles of the settings, compiled for the scanner, which
// asks them about every identifier and at every character: all words in one hash table, and the
// characters a style can begin with in a bit table. It answers exactly as FindWordList and
// FindStyleAt do.
#include "SyntaxColoring.h"

#include <bitset>
#include <string>
#include <string_view>
#include <unordered_map>
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
    };

    // Compiles Settings when they changed since the last time.
    void Follow(const TSyntaxColoring& Settings);

    // The index of the first word list that contains Word, -1 when none does.
    int FindWordList(std::string_view Word) const;

    int StyleCount() const { return static_cast<int>(FStyles.size()); }
    const TStyle& Style(int Index) const { return FStyles[static_cast<size_t>(Index)]; }
    // Whether a style may begin with C; false rules FindStyleAt out at once.
    bool MayBeginStyle(char32_t C) const {
        return FAnyBegins || (C < 128 ? FBeginsWith[C] : FBeginsAboveAscii);
    }
    // The index of the first style whose begin text starts Text, -1 when none does.
    int FindStyleAt(std::u32string_view Text) const;
    // How many characters the scanner reads ahead of the one it decides about: the longest begin
    // text that can match, or end text of a switchable style (at least one).
    int LookAhead() const { return FLookAhead; }
    // Whether a style begins with a character of identifiers: it can cut an identifier short.
    bool StyleBeginsInIdentifiers() const { return FBeginsInIdentifiers; }

private:
    // A word of a list, filed under its upper-case form.
    struct TCandidate {
        int List;
        bool CaseSensitive;
        std::string Word;
    };
    struct THash {
        using is_transparent = void;
        size_t operator()(std::string_view S) const { return std::hash<std::string_view>()(S); }
    };

    void Build(const TSyntaxColoring& Settings);

    bool FBuilt = false;
    unsigned FGeneration = 0;
    std::unordered_map<std::string, std::vector<TCandidate>, THash, std::equal_to<>> FWords;
    size_t FLongestWord = 0;
    std::vector<TStyle> FStyles;
    std::bitset<128> FBeginsWith;
    bool FBeginsAboveAscii = false;
    bool FAnyBegins = false; // a style with an empty begin text begins everywhere
    bool FBeginsInIdentifiers = false;
    int FLookAhead = 1;
};

} // namespace sourceedit
