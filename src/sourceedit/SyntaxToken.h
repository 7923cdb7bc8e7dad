#pragma once
// A lexical range of the syntax chain as a value: its class, extent, attribute and parenthesis
// level. The chain stores these compactly; painting turns them into range objects.
#include <cstdint>

namespace sourceedit {

// The classes of lexical range, and skGap for characters that no range covers (an edit made while
// the scanner is held leaves them so until the next full scan).
enum class TSyntaxKind : std::uint8_t {
    skNormalText,
    skCustomStyle,
    skWordList,
    skSymbol,
    skNumber,
    skParenthesis,
    skGap
};

enum TParenthesisStyle : std::uint8_t { psOpening, psClosing };

struct TSyntaxToken {
    TSyntaxKind Kind = TSyntaxKind::skNormalText;
    // The index of the custom style or word list, or the TParenthesisStyle of a parenthesis.
    int Attribute = 0;
    int RStart = 1;
    int REnd = 0;
    // The nesting depth of a parenthesis; for other ranges the depth they stand at.
    int ParenthesisLevel = 0;

    int RLength() const { return REnd - RStart + 1; }
    bool IsRange() const { return Kind != TSyntaxKind::skGap; }
    // +1 after an opening parenthesis, −1 after a closing one.
    int LevelDelta() const {
        if (Kind != TSyntaxKind::skParenthesis)
            return 0;
        return Attribute == psOpening ? 1 : -1;
    }
    // The level that the next range starts from.
    int LevelAfter() const {
        return Kind == TSyntaxKind::skParenthesis && Attribute == psClosing ? ParenthesisLevel - 1
                                                                            : ParenthesisLevel;
    }
    // Class, extent, attribute and level.
    friend bool operator==(const TSyntaxToken&, const TSyntaxToken&) = default;
};

} // namespace sourceedit
