#pragma once
// Which lines of an old text are still there in a new one, by a shortest edit script over the
// lines' hashes (Myers' algorithm), split at lines found once where there are too many edits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::files {

// For each line of Now, the index of the same line in Was, or NoMatch for a line that is new.
// Lines keep their order. A stretch that needs no more than MaxEdits insertions and deletions is
// matched along a shortest edit script; a stretch more changed is first split at the lines that
// occur once in its old and once in its new lines, so that the lines kept are found whatever the
// number of edits.
inline constexpr std::size_t NoMatch = static_cast<std::size_t>(-1);
std::vector<std::size_t> MatchLines(const std::vector<std::uint64_t>& Was,
                                    const std::vector<std::uint64_t>& Now,
                                    std::size_t MaxEdits = 500);

} // namespace velmora::files
