#include "HostileReplies.h"

#include "TdsTypeCodes.h"
#include "Text.h"

#include <chrono>
#include <string_view>
#include <thread>

namespace velmora::tds {

namespace {

// PLP_UNKNOWN_LEN: the value's length is not known in advance; chunks follow until one of
// length 0.
constexpr uint64_t plpUnknownLength = 0xFFFFFFFFFFFFFFFEULL;
constexpr size_t chunkCharacters = 4000;

void writeMessages(const HostileReply& hostile, Reply& reply) {
    const bool errors = hostile.kind == HostileKind::Errors;
    for (uint64_t i = 1; i <= hostile.count; ++i) {
        const std::string text = (errors ? "Error " : "Message ") + std::to_string(i) + " of " +
                                 std::to_string(hostile.count) + ".";
        writeMessage(reply.out, errors ? 50000 : 0, errors ? 16 : 0, 1, text);
        reply.rowWritten(i); // flushes now and then, and looks for an attention
    }
    writeDone(reply.out, tkDone, errors && hostile.count > 0 ? doneError : doneFinal);
}

void writeEndlessValue(Reply& reply, Channel& channel) {
    if (!reply.out.atLeast(tdsVersion72))
        throw ServerError(50000, "TDS test server: the endless value needs TDS 7.2 or later.");
    writeColumnMetadata(reply.out, {{"endless", SqlType::of(TypeKind::NVarChar, maxLength)}});
    reply.out.u8(tkRow);
    reply.out.u64(plpUnknownLength);
    std::string chunk;
    for (size_t i = 0; i < chunkCharacters; ++i)
        chunk += utf8ToUtf16("x");
    while (true) {
        reply.out.u32(static_cast<uint32_t>(chunk.size()));
        reply.out.raw(chunk);
        channel.write(reply.out.bytes());
        reply.out.clear();
        // A chunk at a time, as a server reads a long value: some 8 MB a second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (channel.attentionArrived()) {
            reply.out.u32(0); // the terminator: the value, and its row, end here
            channel.write(reply.out.bytes());
            reply.out.clear();
            throw Cancelled{};
        }
    }
}

[[noreturn]] void writeDeafRows(Reply& reply, Channel& channel) {
    writeColumnMetadata(reply.out, {{"n", SqlType::of(TypeKind::BigInt)},
                                    {"filler", SqlType::of(TypeKind::NVarChar, 100)}});
    const std::string filler = utf8ToUtf16(std::string(100, 'y'));
    for (uint64_t row = 1;; ++row) {
        reply.out.u8(tkRow);
        reply.out.u8(8);
        reply.out.u64(row);
        reply.out.u16(static_cast<uint16_t>(filler.size()));
        reply.out.raw(filler);
        if (reply.out.size() >= 32 * 1024) {
            channel.write(reply.out.bytes()); // blocks while the client reads nothing
            reply.out.clear();
        }
    }
}

} // namespace

std::optional<HostileKind> hostileKindOption(const std::string& option) {
    if (option == "--errors")
        return HostileKind::Errors;
    if (option == "--infos")
        return HostileKind::Infos;
    if (option == "--endless-value")
        return HostileKind::EndlessValue;
    if (option == "--deaf-rows")
        return HostileKind::DeafRows;
    return std::nullopt;
}

void writeHostileReply(const HostileReply& hostile, Reply& reply, Channel& channel) {
    switch (hostile.kind) {
    case HostileKind::Errors:
    case HostileKind::Infos:
        return writeMessages(hostile, reply);
    case HostileKind::EndlessValue:
        return writeEndlessValue(reply, channel);
    case HostileKind::DeafRows:
        writeDeafRows(reply, channel);
    }
}

} // namespace velmora::tds
