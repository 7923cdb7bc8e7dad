#include "Insertions.h"

#include <random>

namespace velmora::sqlgen {

TGuid NewGuid() {
    std::random_device random;
    TGuid guid;
    for (size_t i = 0; i < guid.size(); i += 4) {
        const std::uint32_t value = random();
        for (size_t k = 0; k < 4; ++k)
            guid[i + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
    guid[6] = static_cast<std::uint8_t>((guid[6] & 0x0F) | 0x40); // version 4: random
    guid[8] = static_cast<std::uint8_t>((guid[8] & 0x3F) | 0x80); // the standard's variant
    return guid;
}

std::string GuidText(const TGuid& guid) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string text = "{";
    for (size_t i = 0; i < guid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += Digits[guid[i] >> 4];
        text += Digits[guid[i] & 0x0F];
    }
    return text + "}";
}

std::string DateTimeLiteral(const std::tm& time) {
    char text[64];
    const size_t length = std::strftime(text, sizeof text, "'%Y-%m-%d %H:%M:%S'", &time);
    return std::string(text, length);
}

} // namespace velmora::sqlgen
