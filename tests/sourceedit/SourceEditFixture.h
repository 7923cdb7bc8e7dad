#pragma once
// A source editor with the script editor's SQL settings on a recording host (50 columns of 8
// pixels, 10 lines of 16), and a readable form of its syntax chain.
#include "RecordingHost.h"
#include "SourceEditUnit.h"

#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace sourceedit {

inline void PrintTo(const TSyntaxToken& T, std::ostream* Out) {
    *Out << SyntaxRangeClassName(T.Kind) << "(" << T.Attribute << ") " << T.RStart << "-" << T.REnd
         << " @" << T.ParenthesisLevel;
}

} // namespace sourceedit

namespace sourceedit::test {

// One lexical range as the chain reports it.
struct Lexeme {
    std::string Class;
    std::u32string Text;
    int Level = 0;
    friend bool operator==(const Lexeme&, const Lexeme&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const Lexeme& L) {
        std::string text;
        for (char32_t c : L.Text)
            text += c < 128 ? static_cast<char>(c) : '?';
        return Out << L.Class << " '" << text << "' " << L.Level;
    }
};

inline std::vector<Lexeme> LexemesOf(TSourceEdit& Editor) {
    std::vector<Lexeme> out;
    for (auto c = Editor.FirstRange(); c.Valid(); c.Next()) {
        const TSyntaxToken& t = c.Token();
        if (t.IsRange())
            out.push_back(Lexeme{SyntaxRangeClassName(t.Kind), Editor.Chars(t.RStart, t.REnd),
                                 t.ParenthesisLevel});
    }
    return out;
}

// Every range with class, extent, attribute and level.
inline std::vector<TSyntaxToken> TokensOf(TSourceEdit& Editor) {
    std::vector<TSyntaxToken> out;
    for (auto c = Editor.Chain().First(); c.Valid(); c.Next())
        out.push_back(c.Token());
    return out;
}

class SourceEditFixture : public ::testing::Test {
protected:
    SourceEditFixture() : Editor(std::make_unique<TSourceEdit>(&Host)) {
        Editor->UpdateFontMetrics();
        LoadSqlSyntaxColoring(Editor->SyntaxColoring());
    }

    void Type(std::u32string_view Text) {
        for (char32_t c : Text)
            Editor->KeyPress(c);
    }
    void Select(int Start, int End) {
        Editor->Selection()->BeginUpdate();
        Editor->Selection()->SetRStart(Start);
        Editor->Selection()->SetREnd(End);
        Editor->Selection()->EndUpdate();
    }
    std::vector<Lexeme> Lexemes() const { return LexemesOf(*Editor); }
    // The chain of Text scanned afresh by an editor of its own.
    static std::vector<Lexeme> FreshLexemes(std::u32string_view Text) {
        TSourceEdit fresh;
        LoadSqlSyntaxColoring(fresh.SyntaxColoring());
        fresh.SetText(Text);
        return LexemesOf(fresh);
    }

    memo::test::RecordingHost Host;
    std::unique_ptr<TSourceEdit> Editor;
};

inline Lexeme Plain(std::u32string Text, int Level = 0) {
    return {"TNormalTextRange", std::move(Text), Level};
}
inline Lexeme Word(std::u32string Text, int Level = 0) {
    return {"TWordListRange", std::move(Text), Level};
}
inline Lexeme Symbol(std::u32string Text, int Level = 0) {
    return {"TSymbolRange", std::move(Text), Level};
}
inline Lexeme Number(std::u32string Text, int Level = 0) {
    return {"TNumberRange", std::move(Text), Level};
}
inline Lexeme Styled(std::u32string Text, int Level = 0) {
    return {"TCustomStyleRange", std::move(Text), Level};
}
inline Lexeme Parenthesis(std::u32string Text, int Level) {
    return {"TParenthesisRange", std::move(Text), Level};
}

} // namespace sourceedit::test
