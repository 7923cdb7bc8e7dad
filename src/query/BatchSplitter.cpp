#include "BatchSplitter.h"

#include <limits>

namespace velmora::query {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the line break at `Pos` ends (CR LF is one break).
size_t AfterLineBreak(std::string_view Text, size_t Pos) {
    if (Text[Pos] == '\r' && Pos + 1 < Text.size() && Text[Pos + 1] == '\n')
        return Pos + 2;
    return Pos + 1;
}

struct TSeparator {
    size_t End = 0; // past the line's break, or the end of the text
    long Count = 1;
};

// Whether the line that starts at `Pos` is a separator line; it is read only as far as it can
// be one, so a line that is not costs a few characters.
bool MatchSeparator(std::string_view Text, size_t Pos, TSeparator& Found) {
    const size_t size = Text.size();
    size_t i = Pos;
    while (i < size && IsBlank(Text[i]))
        ++i;
    if (i >= size || (Text[i] | 0x20) != 'g')
        return false;
    if (i + 1 >= size || (Text[i + 1] | 0x20) != 'o')
        return false;
    i += 2;
    const auto commentAt = [&](size_t at) {
        return at + 1 < size && Text[at] == '-' && Text[at + 1] == '-';
    };
    if (i < size && !IsBlank(Text[i]) && !IsLineBreak(Text[i]) && !commentAt(i))
        return false; // GOTO, GO5, GO;
    while (i < size && IsBlank(Text[i]))
        ++i;
    long count = 1;
    if (i < size && IsDigit(Text[i])) {
        long value = 0;
        while (i < size && IsDigit(Text[i])) {
            const int digit = Text[i] - '0';
            if (value > (std::numeric_limits<int>::max() - digit) / 10)
                return false; // no server runs a batch that often: the line stays text
            value = value * 10 + digit;
            ++i;
        }
        if (value == 0)
            return false;
        count = value;
        while (i < size && IsBlank(Text[i]))
            ++i;
    }
    if (commentAt(i))
        while (i < size && !IsLineBreak(Text[i]))
            ++i;
    if (i < size && !IsLineBreak(Text[i]))
        return false;
    Found.End = i < size ? AfterLineBreak(Text, i) : size;
    Found.Count = count;
    return true;
}

enum class TState { Code, String, QuotedName, BracketName, BlockComment, LineComment };

} // namespace

TBatchScript SplitBatches(std::string_view Script) {
    TBatchScript result;
    const size_t size = Script.size();
    TState state = TState::Code;
    size_t depth = 0; // of nested block comments
    size_t line = 1;
    TBatch batch;
    size_t i = 0;
    bool lineStart = true;
    while (true) {
        if (lineStart && state == TState::Code) {
            TSeparator separator;
            while (i < size && MatchSeparator(Script, i, separator)) {
                batch.Length = i - batch.Start;
                batch.Repeat = separator.Count;
                result.Batches.push_back(batch);
                ++result.Separators;
                if (separator.End < size || IsLineBreak(Script[separator.End - 1]))
                    ++line;
                i = separator.End;
                batch = TBatch{i, 0, line, 1, false};
            }
        }
        lineStart = false;
        if (i >= size)
            break;
        const char c = Script[i];
        if (IsLineBreak(c)) {
            i = AfterLineBreak(Script, i);
            ++line;
            lineStart = true;
            if (state == TState::LineComment)
                state = TState::Code;
            continue;
        }
        const char next = i + 1 < size ? Script[i + 1] : '\0';
        switch (state) {
        case TState::Code:
            if (c == '-' && next == '-') {
                state = TState::LineComment;
                ++i;
            } else if (c == '/' && next == '*') {
                state = TState::BlockComment;
                depth = 1;
                ++i;
            } else if (!IsBlank(c)) {
                batch.HasCode = true;
                if (c == '\'')
                    state = TState::String;
                else if (c == '"')
                    state = TState::QuotedName;
                else if (c == '[')
                    state = TState::BracketName;
            }
            break;
        case TState::String:
        case TState::QuotedName:
        case TState::BracketName: {
            const char closing = state == TState::String       ? '\''
                                 : state == TState::QuotedName ? '"'
                                                               : ']';
            if (c == closing) {
                if (next == closing)
                    ++i; // doubled: the character itself
                else
                    state = TState::Code;
            }
            break;
        }
        case TState::BlockComment:
            if (c == '/' && next == '*') {
                ++depth;
                ++i;
            } else if (c == '*' && next == '/') {
                if (--depth == 0)
                    state = TState::Code;
                ++i;
            }
            break;
        case TState::LineComment:
            break;
        }
        ++i;
    }
    batch.Length = size - batch.Start;
    result.Batches.push_back(batch);
    return result;
}

} // namespace velmora::query
