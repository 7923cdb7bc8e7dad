#include "LineMatching.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

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

// A stretch of the old and the new lines, Was[WasBegin, WasEnd) and Now[NowBegin, NowEnd).
struct TStretch {
    std::size_t WasBegin, WasEnd, NowBegin, NowEnd;
};

// Matches the lines of a stretch along a shortest edit script; false when it needs more than
// MaxEdits edits.
bool MatchShortest(const TLines& Was, const TLines& Now, const TStretch& S, std::size_t MaxEdits,
                   std::vector<std::size_t>& Matches) {
    const auto n = static_cast<std::ptrdiff_t>(S.WasEnd - S.WasBegin);
    const auto m = static_cast<std::ptrdiff_t>(S.NowEnd - S.NowBegin);
    const std::ptrdiff_t limit = std::min<std::ptrdiff_t>(n + m, MaxEdits);
    const std::ptrdiff_t offset = limit + 1;
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * offset + 1), 0);
    auto x = [&](std::ptrdiff_t k) -> std::ptrdiff_t& { return v[std::size_t(k + offset)]; };
    auto same = [&](std::ptrdiff_t a, std::ptrdiff_t b) {
        return Was[S.WasBegin + std::size_t(a)] == Now[S.NowBegin + std::size_t(b)];
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
                Matches[S.NowBegin + std::size_t(--b)] = S.WasBegin + std::size_t(--a);
            a = previousA;
            b = previousA - previous;
        } else {
            while (a > 0 && b > 0)
                Matches[S.NowBegin + std::size_t(--b)] = S.WasBegin + std::size_t(--a);
        }
    }
    return true;
}

// Narrows a stretch to the lines between its common start and its common end, matching those.
void MatchCommonEnds(const TLines& Was, const TLines& Now, TStretch& S,
                     std::vector<std::size_t>& Matches) {
    while (S.WasBegin < S.WasEnd && S.NowBegin < S.NowEnd && Was[S.WasBegin] == Now[S.NowBegin])
        Matches[S.NowBegin++] = S.WasBegin++;
    while (S.WasEnd > S.WasBegin && S.NowEnd > S.NowBegin && Was[S.WasEnd - 1] == Now[S.NowEnd - 1])
        Matches[--S.NowEnd] = --S.WasEnd;
}

// Lines that occur exactly once among the old lines of a stretch and once among the new, as
// pairs (new index, old index) in the order of the new lines.
std::vector<std::pair<std::size_t, std::size_t>>
LinesFoundOnce(const TLines& Was, const TLines& Now, const TStretch& S) {
    struct TSeen {
        std::size_t WasCount = 0, NowCount = 0, WasAt = 0;
    };
    std::unordered_map<std::uint64_t, TSeen> seen;
    seen.reserve(S.WasEnd - S.WasBegin);
    for (std::size_t i = S.WasBegin; i < S.WasEnd; ++i) {
        TSeen& line = seen[Was[i]];
        ++line.WasCount;
        line.WasAt = i;
    }
    for (std::size_t j = S.NowBegin; j < S.NowEnd; ++j) {
        const auto line = seen.find(Now[j]);
        if (line != seen.end())
            ++line->second.NowCount;
    }
    std::vector<std::pair<std::size_t, std::size_t>> once;
    for (std::size_t j = S.NowBegin; j < S.NowEnd; ++j) {
        const auto line = seen.find(Now[j]);
        if (line != seen.end() && line->second.WasCount == 1 && line->second.NowCount == 1)
            once.emplace_back(j, line->second.WasAt);
    }
    return once;
}

// The longest run of Pairs whose old indices increase (patience sorting).
std::vector<std::pair<std::size_t, std::size_t>>
LongestInOrder(const std::vector<std::pair<std::size_t, std::size_t>>& Pairs) {
    std::vector<std::size_t> tops;     // per run length, the pair that ends such a run lowest
    std::vector<std::size_t> previous; // per pair, the pair before it in its run
    for (std::size_t p = 0; p < Pairs.size(); ++p) {
        const auto place = std::lower_bound(
            tops.begin(), tops.end(), Pairs[p].second,
            [&](std::size_t Top, std::size_t WasAt) { return Pairs[Top].second < WasAt; });
        previous.push_back(place == tops.begin() ? NoMatch : *(place - 1));
        if (place == tops.end())
            tops.push_back(p);
        else
            *place = p;
    }
    std::vector<std::pair<std::size_t, std::size_t>> run;
    for (std::size_t p = tops.empty() ? NoMatch : tops.back(); p != NoMatch; p = previous[p])
        run.push_back(Pairs[p]);
    std::reverse(run.begin(), run.end());
    return run;
}

} // namespace

std::vector<std::size_t> MatchLines(const TLines& Was, const TLines& Now, std::size_t MaxEdits) {
    std::vector<std::size_t> matches(Now.size(), NoMatch);
    // A stretch too changed for a shortest edit script is split at the lines found once in its
    // old and once in its new lines, kept in order (as patience diff does), and each piece
    // between them is matched in turn: however many edits a text has seen, the lines it kept
    // are found, at a cost that grows with the lines rather than with the edits.
    std::vector<TStretch> pending = {{0, Was.size(), 0, Now.size()}};
    while (!pending.empty()) {
        TStretch stretch = pending.back();
        pending.pop_back();
        MatchCommonEnds(Was, Now, stretch, matches);
        if (stretch.WasBegin == stretch.WasEnd || stretch.NowBegin == stretch.NowEnd ||
            MatchShortest(Was, Now, stretch, MaxEdits, matches))
            continue;
        // Without such a line the stretch stays unmatched: its new lines are all taken as new.
        const auto anchors = LongestInOrder(LinesFoundOnce(Was, Now, stretch));
        if (anchors.empty())
            continue;
        std::size_t wasFrom = stretch.WasBegin;
        std::size_t nowFrom = stretch.NowBegin;
        for (const auto& [nowAt, wasAt] : anchors) {
            matches[nowAt] = wasAt;
            pending.push_back({wasFrom, wasAt, nowFrom, nowAt});
            wasFrom = wasAt + 1;
            nowFrom = nowAt + 1;
        }
        pending.push_back({wasFrom, stretch.WasEnd, nowFrom, stretch.NowEnd});
    }
    return matches;
}

} // namespace velmora::files
