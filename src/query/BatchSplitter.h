#pragma once
// Splits a Transact-SQL script into the batches that go to the server one after another.
//
// A batch ends at a line that holds only the separator word GO (any letter case), with blanks
// around it, optionally a count ("GO 5": run the batch five times) and a "--" comment after it.
// GO inside a 'string', a /* comment */ (comments nest, as in T-SQL), a -- comment, a [name] or
// a "name" is text of the batch. The separator line itself belongs to no batch.
//
// One pass over the text, no allocation per character: the work grows with the script's length
// alone. Plain C++, no Qt.
#include <cstddef>
#include <string_view>
#include <vector>

namespace velmora::query {

struct TBatch {
    size_t Start = 0;     // byte offset of the batch's first character in the script
    size_t Length = 0;    // bytes, up to the separator line (its line break included)
    size_t FirstLine = 1; // the script's line (1-based, as the editor counts) the batch begins on
    long Repeat = 1;      // how many times the batch runs (the separator's count)
    bool HasCode = false; // holds more than blanks and comments

    std::string_view TextIn(std::string_view Script) const { return Script.substr(Start, Length); }
};

struct TBatchScript {
    std::vector<TBatch> Batches;
    size_t Separators = 0; // separator lines found

    // A script without separator lines is one batch: the whole text, as written.
    bool Split() const { return Separators != 0; }
};

// Lines end at CR LF, LF or CR. Text after the last separator line is a batch too, also when it
// is empty (Batches then holds one more entry than there are separator lines).
TBatchScript SplitBatches(std::string_view Script);

} // namespace velmora::query
