#include "LineMatching.h"

#include <algorithm>

namespace velmora::files {

namespace {

using TLines = std::vector<std::uint64_t>;

// The furthest reaching paths of Myers' algorithm, one row per edit count d, each holding the
// diagonals -d … d.
class TFrontiers {
public:
    void AddRow(const std::vector<std::ptrdiff_t>& V, std::ptrdiff_t D, std::ptrdiff_t Offset) {
        FStarts.push_back(FValues.size());
        FValues.insert(FValues.end(), V.begin() + (Offset - D), V.begin() + (Offset + D + 1));
    }
    // The furthest x on diagonal K after D edits.
    std::ptrdiff_t At(std::ptrdiff_t D, std::ptrdiff_t K) const {
        return FValues[FStarts[static_cast<std::size_t>(D)] + static_cast<std::size_t>(K + D)];
    }

private:
    std::vector<std::size_t> FStarts;
    std::vector<std::ptrdiff_t> FValues;
};

// Whether the path to diagonal K after D edits comes down from diagonal K + 1 (an insertion)
// rather than across from K − 1 (a deletion).
template <class FurthestX>
bool ComesDown(std::ptrdiff_t D, std::ptrdiff_t K, FurthestX X) {
    return K == -D || (K != D && X(K - 1) < X(K + 1));
}

// Matches the lines of A and B (Was[From …) and Now[From …)) along a shortest edit script; false
// when it needs more than MaxEdits edits.
bool MatchMiddle(const TLines& Was, const TLines& Now, std::size_t From, std::size_t WasEnd,
                 std::size_t NowEnd, std::size_t MaxEdits, std::vector<std::size_t>& Matches) {
    const auto n = static_cast<std::ptrdiff_t>(WasEnd - From);
    const auto m = static_cast<std::ptrdiff_t>(NowEnd - From);
    const std::ptrdiff_t limit = std::min<std::ptrdiff_t>(n + m, MaxEdits);
    const std::ptrdiff_t offset = limit + 1;
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * offset + 1), 0);
    auto x = [&](std::ptrdiff_t k) -> std::ptrdiff_t& { return v[std::size_t(k + offset)]; };
    auto same = [&](std::ptrdiff_t a, std::ptrdiff_t b) {
        return Was[From + std::size_t(a)] == Now[From + std::size_t(b)];
    };

    TFrontiers frontiers;
    std::ptrdiff_t edits = -1;
    for (std::ptrdiff_t d = 0; d <= limit && edits < 0; ++d) {
        frontiers.AddRow(v, d, offset);
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t a = ComesDown(d, k, x) ? x(k + 1) : x(k - 1) + 1;
            std::ptrdiff_t b = a - k;
            while (a < n && b < m && same(a, b))
                ++a, ++b;
            x(k) = a;
            if (a >= n && b >= m) {
                edits = d;
                break;
            }
        }
    }
    if (edits < 0)
        return false;

    // Back from the end: the diagonal runs of each step are the matched lines.
    std::ptrdiff_t a = n;
    std::ptrdiff_t b = m;
    for (std::ptrdiff_t d = edits; d >= 0; --d) {
        const auto before = [&](std::ptrdiff_t k) { return frontiers.At(d, k); };
        const std::ptrdiff_t k = a - b;
        std::ptrdiff_t startA = 0;
        std::ptrdiff_t startB = 0;
        if (d > 0) {
            const std::ptrdiff_t previous = ComesDown(d, k, before) ? k + 1 : k - 1;
            const std::ptrdiff_t previousA = before(previous);
            startA = previous == k + 1 ? previousA : previousA + 1;
            startB = startA - k;
            while (a > startA && b > startB)
                Matches[From + std::size_t(--b)] = From + std::size_t(--a);
            a = previousA;
            b = previousA - previous;
        } else {
            while (a > 0 && b > 0)
                Matches[From + std::size_t(--b)] = From + std::size_t(--a);
        }
    }
    return true;
}

} // namespace

std::vector<std::size_t> MatchLines(const TLines& Was, const TLines& Now, std::size_t MaxEdits) {
    std::vector<std::size_t> matches(Now.size(), NoMatch);
    std::size_t prefix = 0;
    while (prefix < Was.size() && prefix < Now.size() && Was[prefix] == Now[prefix]) {
        matches[prefix] = prefix;
        ++prefix;
    }
    std::size_t wasEnd = Was.size();
    std::size_t nowEnd = Now.size();
    while (wasEnd > prefix && nowEnd > prefix && Was[wasEnd - 1] == Now[nowEnd - 1])
        matches[--nowEnd] = --wasEnd;
    if (wasEnd > prefix && nowEnd > prefix)
        MatchMiddle(Was, Now, prefix, wasEnd, nowEnd, MaxEdits, matches);
    return matches;
}

} // namespace velmora::files
