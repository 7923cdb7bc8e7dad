#pragma once
// Ready-made values for the script: a new GUID and a date-time literal.
#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace velmora::sqlgen {

using TGuid = std::array<std::uint8_t, 16>;

// A random (version 4) GUID from the system's source of randomness.
TGuid NewGuid();

// "{8-4-4-4-12}" upper-case hexadecimal digits, 38 characters, bytes in order.
std::string GuidText(const TGuid& guid);

// "'yyyy-mm-dd hh:mm:ss'" (24-hour clock).
std::string DateTimeLiteral(const std::tm& time);

} // namespace velmora::sqlgen
