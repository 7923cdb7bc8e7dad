#pragma once
// Which lines of an old text are still there in a new one, by a shortest edit script over the
// lines' hashes (Myers' algorithm).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::files {

// For each line of Now, the index of the same line in Was, or npos for a line that is new. Lines
// keep their order. More than MaxEdits insertions and deletions between the common start and end
// of the two texts are not searched through: the lines between are then all taken as new.
inline constexpr std::size_t NoMatch = static_cast<std::size_t>(-1);
std::vector<std::size_t> MatchLines(const std::vector<std::uint64_t>& Was,
                                    const std::vector<std::uint64_t>& Now,
                                    std::size_t MaxEdits = 500);

} // namespace velmora::files
