#include "Channel.h"

#include "WireBuffer.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::tds {

namespace {

constexpr size_t headerSize = 8;
constexpr uint8_t endOfMessage = 0x01;

} // namespace

Channel::~Channel() {
    if (socket_ >= 0)
        close(socket_);
}

bool Channel::readExactly(char* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = recv(socket_, into + done, count - done, 0);
        if (got == 0)
            return false;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

std::optional<Message> Channel::receive() {
    Message message;
    while (socket_ >= 0) {
        char header[headerSize];
        if (!readExactly(header, headerSize))
            return std::nullopt;
        const auto type = static_cast<uint8_t>(header[0]);
        const auto status = static_cast<uint8_t>(header[1]);
        const size_t length = static_cast<size_t>(static_cast<unsigned char>(header[2]) << 8 |
                                                  static_cast<unsigned char>(header[3]));
        if (length < headerSize)
            throw ProtocolError("packet shorter than its header");
        const size_t start = message.payload.size();
        message.payload.resize(start + length - headerSize);
        if (!readExactly(message.payload.data() + start, length - headerSize))
            return std::nullopt;
        message.type = type;
        if (status & endOfMessage)
            return message;
    }
    return std::nullopt;
}

void Channel::writeAll(std::string_view bytes) {
    while (!bytes.empty() && socket_ >= 0) {
        const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            throw ProtocolError("the client went away");
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
}

void Channel::flushPacket(uint8_t type, bool last) {
    const size_t room = packetSize_ - headerSize;
    const size_t count = std::min(pending_.size(), room);
    const size_t length = count + headerSize;
    WireWriter packet;
    packet.u8(type);
    packet.u8(last ? endOfMessage : 0);
    packet.u16be(static_cast<uint16_t>(length));
    packet.u16be(0); // session id
    packet.u8(packetId_++);
    packet.u8(0);
    packet.raw(std::string_view(pending_).substr(0, count));
    pending_.erase(0, count);
    writeAll(packet.bytes());
}

void Channel::write(std::string_view bytes) {
    pending_.append(bytes);
    while (pending_.size() > packetSize_ - headerSize)
        flushPacket(ptReply, false);
}

void Channel::endReply() {
    while (pending_.size() > packetSize_ - headerSize)
        flushPacket(ptReply, false);
    flushPacket(ptReply, true);
}

void Channel::send(uint8_t type, std::string_view payload) {
    pending_.assign(payload);
    while (pending_.size() > packetSize_ - headerSize)
        flushPacket(type, false);
    flushPacket(type, true);
}

bool Channel::attentionArrived() {
    if (attentionSeen_)
        return true;
    pollfd ready{socket_, POLLIN, 0};
    if (socket_ < 0 || poll(&ready, 1, 0) <= 0)
        return false;
    const std::optional<Message> message = receive();
    // A client that closes while waiting for its reply cancels it as well.
    attentionSeen_ = !message || message->type == ptAttention;
    return attentionSeen_;
}

void Channel::dropInMidReply() {
    if (!pending_.empty())
        flushPacket(ptReply, false);
    shutdown(socket_, SHUT_RDWR);
    close(socket_);
    socket_ = -1;
}

} // namespace velmora::tds
