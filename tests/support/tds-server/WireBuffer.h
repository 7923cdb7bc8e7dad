#pragma once
// Bytes as TDS lays them out: little-endian numbers (a few headers are big-endian), UTF-16LE
// strings with a byte or word length in front.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::tds {

// A message that breaks the protocol: the session answers it by closing the connection.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class WireWriter {
public:
    void u8(uint8_t value) { bytes_ += static_cast<char>(value); }
    void u16(uint16_t value) { little(value, 2); }
    void u32(uint32_t value) { little(value, 4); }
    void u64(uint64_t value) { little(value, 8); }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void u16be(uint16_t value) {
        u8(static_cast<uint8_t>(value >> 8));
        u8(static_cast<uint8_t>(value));
    }
    void f64(double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u64(bits);
    }
    void f32(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u32(bits);
    }
    void raw(std::string_view data) { bytes_.append(data); }
    void zeros(size_t count) { bytes_.append(count, '\0'); }
    // UTF-16LE text with its length in characters (code units) as one byte or as a word.
    void bVarchar(std::string_view utf16) {
        u8(static_cast<uint8_t>(utf16.size() / 2));
        raw(utf16);
    }
    void usVarchar(std::string_view utf16) {
        u16(static_cast<uint16_t>(utf16.size() / 2));
        raw(utf16);
    }

    size_t size() const { return bytes_.size(); }
    // Overwrites a word written earlier (a length known only afterwards).
    void patchU16(size_t at, uint16_t value) {
        bytes_[at] = static_cast<char>(value & 0xFF);
        bytes_[at + 1] = static_cast<char>(value >> 8);
    }
    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }
    void clear() { bytes_.clear(); }

private:
    void little(uint64_t value, int count) {
        char bytes[8];
        for (int i = 0; i < count; ++i)
            bytes[i] = static_cast<char>(value >> (8 * i));
        bytes_.append(bytes, static_cast<size_t>(count));
    }

    std::string bytes_;
};

class WireReader {
public:
    explicit WireReader(std::string_view bytes) : bytes_(bytes) {}

    uint8_t u8() { return static_cast<uint8_t>(take(1)[0]); }
    uint16_t u16() { return static_cast<uint16_t>(little(2)); }
    uint32_t u32() { return static_cast<uint32_t>(little(4)); }
    uint64_t u64() { return little(8); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint16_t u16be() {
        const uint16_t high = u8();
        return static_cast<uint16_t>(high << 8 | u8());
    }
    double f64() {
        const uint64_t bits = u64();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    float f32() {
        const uint32_t bits = u32();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string_view take(size_t count) {
        if (count > bytes_.size() - pos_)
            throw ProtocolError("message ends early");
        const std::string_view part = bytes_.substr(pos_, count);
        pos_ += count;
        return part;
    }
    // UTF-16LE text with its length in characters as one byte or as a word.
    std::string_view bVarchar() { return take(size_t{u8()} * 2); }
    std::string_view usVarchar() { return take(size_t{u16()} * 2); }

    size_t position() const { return pos_; }
    size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::string_view all() const { return bytes_; }

private:
    uint64_t little(int count) {
        const std::string_view part = take(static_cast<size_t>(count));
        uint64_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(part[static_cast<size_t>(i)]);
        return value;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
};

} // namespace velmora::tds
