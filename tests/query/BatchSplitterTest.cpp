// Splitting scripts into batches at GO lines, and only there.
#include "BatchSplitter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velmora::query;

namespace {

struct TShown {
    std::string Text;
    size_t FirstLine;
    long Repeat;
    bool operator==(const TShown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TShown& batch) {
    return out << "{\"" << batch.Text << "\", line " << batch.FirstLine << ", x" << batch.Repeat
               << "}";
}

std::vector<TShown> Batches(std::string_view Script) {
    std::vector<TShown> shown;
    for (const TBatch& batch : SplitBatches(Script).Batches)
        shown.push_back({std::string(batch.TextIn(Script)), batch.FirstLine, batch.Repeat});
    return shown;
}

std::vector<std::string> Texts(std::string_view Script) {
    std::vector<std::string> texts;
    for (const TShown& batch : Batches(Script))
        texts.push_back(batch.Text);
    return texts;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(BatchSplitter, AScriptWithoutSeparatorsIsOneBatchAsWritten) {
    for (const char* script : {"", "select 1", "select 1\r\n", "\r\n\r\n", "GOTO x\r\nGO_ON"}) {
        const TBatchScript split = SplitBatches(script);
        EXPECT_FALSE(split.Split()) << script;
        ASSERT_EQ(split.Batches.size(), 1u);
        EXPECT_EQ(split.Batches[0].TextIn(script), script);
    }
}

TEST(BatchSplitter, EndsBatchesAtGoLinesOfAnyCaseBlanksCountAndComment) {
    EXPECT_EQ(Batches("create table t(a int)\r\nGO\r\nselect 1\r\n"),
              (std::vector<TShown>{{"create table t(a int)\r\n", 1, 1}, {"select 1\r\n", 3, 1}}));
    EXPECT_EQ(Batches("a\r\n  go  \r\nb\r\n\tGo 3 -- three times\r\nc"),
              (std::vector<TShown>{{"a\r\n", 1, 1}, {"b\r\n", 3, 3}, {"c", 5, 1}}));
    EXPECT_EQ(Batches("a\nGO--done\nb\rgO\rc"),
              (std::vector<TShown>{{"a\n", 1, 1}, {"b\r", 3, 1}, {"c", 5, 1}}));
}

TEST(BatchSplitter, KeepsEmptyBatchesAndTellsThemApart) {
    const std::string script = "GO\r\n/* only a note */\r\nGO\r\nx\r\nGO\r\n";
    const TBatchScript split = SplitBatches(script);
    EXPECT_EQ(split.Separators, 3u);
    ASSERT_EQ(split.Batches.size(), 4u);
    EXPECT_FALSE(split.Batches[0].HasCode);
    EXPECT_FALSE(split.Batches[1].HasCode);
    EXPECT_TRUE(split.Batches[2].HasCode);
    EXPECT_FALSE(split.Batches[3].HasCode);
    EXPECT_EQ(split.Batches[2].FirstLine, 4u);
    EXPECT_EQ(split.Batches[3].TextIn(script), "");
}

TEST(BatchSplitter, LinesThatOnlyLookLikeSeparatorsStayInTheBatch) {
    for (const char* script :
         {"GOTO done\r\nx", "GO;\r\nx", "GO5\r\nx", "GO 0\r\nx", "GO 2 3\r\nx", "GO x\r\nx",
          "GO 99999999999\r\nx", "x GO\r\ny", "-- GO\r\nx", "G\r\nO\r\n", "GO -\r\nx"})
        EXPECT_EQ(Texts(script), Strings{script}) << script;
}

TEST(BatchSplitter, IgnoresGoInsideStringsNamesAndComments) {
    for (const char* script : {
             "print 'one\r\nGO\r\nstill one'\r\n", "print 'it''s\r\nGO\r\n'\r\n",
             "select [a\r\nGO\r\n]\r\n", "select [a]]\r\nGO\r\n]\r\n", "select \"a\r\nGO\r\n\"\r\n",
             "select \"a\"\"\r\nGO\r\n\"\r\n", "/* a\r\nGO\r\n*/\r\n",
             "/* outer /* inner */\r\nGO\r\n*/\r\n", // comments nest
         })
        EXPECT_EQ(Texts(script), Strings{script}) << script;
}

TEST(BatchSplitter, QuotesInLineCommentsStartNothing) {
    // An apostrophe in a -- comment, a /* after one, a closed string and comment before GO.
    EXPECT_EQ(Texts("-- don't stop here\r\nGO\r\nx"), (Strings{"-- don't stop here\r\n", "x"}));
    EXPECT_EQ(Texts("select 1 -- /* not a comment\r\nGO\r\nx"),
              (Strings{"select 1 -- /* not a comment\r\n", "x"}));
    EXPECT_EQ(Texts("print 'a' /* b */ [c] \"d\"\r\nGO\r\nx"),
              (Strings{"print 'a' /* b */ [c] \"d\"\r\n", "x"}));
    // Inside a block comment, -- is text: the comment still ends at */.
    EXPECT_EQ(Texts("/* -- */\r\nGO\r\nx"), (Strings{"/* -- */\r\n", "x"}));
}

TEST(BatchSplitter, AnUnendedStringOrCommentKeepsTheRestOfTheScript) {
    EXPECT_EQ(Texts("a\r\nGO\r\nprint 'open\r\nGO\r\nb"),
              (Strings{"a\r\n", "print 'open\r\nGO\r\nb"}));
    EXPECT_EQ(Texts("/* /* */\r\nGO\r\nb"), (Strings{"/* /* */\r\nGO\r\nb"}));
}

TEST(BatchSplitter, CountsLinesAcrossStringsCommentsAndEveryKindOfLineBreak) {
    const std::string script = "/* 1\r\n2 */ select '3\n4'\r5\r\nGO\r\n\r\nGO 2\n[8\r\n9]\r\n";
    const TBatchScript split = SplitBatches(script);
    ASSERT_EQ(split.Batches.size(), 3u);
    EXPECT_EQ(split.Batches[1].FirstLine, 6u);
    EXPECT_EQ(split.Batches[2].FirstLine, 8u);
    EXPECT_EQ(split.Batches[1].Repeat, 2);
}
