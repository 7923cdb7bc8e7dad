// Lines found again after an edit: checked against a plain longest-common-subsequence count.
#include "LineMatching.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace velmora::files;

namespace {

using TLines = std::vector<std::uint64_t>;

std::size_t LongestCommonSubsequence(const TLines& A, const TLines& B) {
    std::vector<std::vector<std::size_t>> length(A.size() + 1,
                                                 std::vector<std::size_t>(B.size() + 1, 0));
    for (std::size_t i = 1; i <= A.size(); ++i)
        for (std::size_t j = 1; j <= B.size(); ++j)
            length[i][j] = A[i - 1] == B[j - 1] ? length[i - 1][j - 1] + 1
                                                : std::max(length[i - 1][j], length[i][j - 1]);
    return length[A.size()][B.size()];
}

TLines RandomLines(std::mt19937& Random, std::size_t MaxCount) {
    TLines lines(Random() % (MaxCount + 1));
    for (std::uint64_t& line : lines)
        line = Random() % 5; // few distinct lines, so that many repeat
    return lines;
}

} // namespace

TEST(LineMatching, MatchesAsManyLinesAsCanStayInOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const TLines was = RandomLines(random, 12);
        const TLines now = RandomLines(random, 12);
        const std::vector<std::size_t> matches = MatchLines(was, now);
        ASSERT_EQ(matches.size(), now.size());
        std::size_t matched = 0;
        std::size_t last = NoMatch;
        for (std::size_t j = 0; j < now.size(); ++j) {
            if (matches[j] == NoMatch)
                continue;
            ASSERT_EQ(was[matches[j]], now[j]);
            ASSERT_TRUE(last == NoMatch || matches[j] > last) << "out of order";
            last = matches[j];
            ++matched;
        }
        ASSERT_EQ(matched, LongestCommonSubsequence(was, now));
    }
}

TEST(LineMatching, BeyondTheEditLimitLinesFoundOnceInEachStillMatch) {
    const TLines was = {1, 2, 3, 4, 5, 9};
    const TLines now = {1, 7, 3, 8, 5, 9};
    EXPECT_EQ(MatchLines(was, now), (std::vector<std::size_t>{0, NoMatch, 2, NoMatch, 4, 5}));
    EXPECT_EQ(MatchLines(was, now, 2), MatchLines(was, now));
    // Around the lines that occur once, repeated lines are matched as within the limit.
    const TLines repeated = {1, 0, 0, 2, 0, 3, 4, 0, 0, 5};
    const TLines changed = {0, 0, 6, 2, 0, 0, 7, 4, 0, 5};
    EXPECT_EQ(MatchLines(repeated, changed, 2),
              (std::vector<std::size_t>{1, 2, NoMatch, 3, 4, NoMatch, NoMatch, 6, 8, 9}));
    // Lines that occur once but out of order: the longest run in order is kept.
    EXPECT_EQ(MatchLines({1, 2, 3, 4, 5}, {4, 1, 2, 3, 5}, 1),
              (std::vector<std::size_t>{NoMatch, 0, 1, 2, 4}));
}

TEST(LineMatching, ManyScatteredEditsStillFindEveryUnchangedLine) {
    std::mt19937 random(11);
    TLines was(20000);
    for (std::size_t i = 0; i < was.size(); ++i)
        was[i] = i % 10 == 0 ? 0 : 1000 + i; // blank lines among unique ones
    TLines now = was;
    std::size_t edited = 0;
    for (std::size_t i = 0; i < now.size(); i += 1 + random() % 8, ++edited)
        now[i] = 100000 + i;
    ASSERT_GT(edited, 2000u);
    const std::vector<std::size_t> matches = MatchLines(was, now);
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] == was[i]) {
            ASSERT_EQ(matches[i], i) << "line " << i;
        }
    }
}
