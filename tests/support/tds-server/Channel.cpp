#include "Channel.h"

#include "WireBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
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

bool Channel::readMore() {
    char buffer[16384];
    ssize_t got = 0;
    while ((got = recv(socket_, buffer, sizeof buffer, 0)) < 0 && errno == EINTR) {
    }
    if (got <= 0)
        return false;
    received_.erase(0, receivedAt_);
    receivedAt_ = 0;
    const std::string_view bytes(buffer, static_cast<size_t>(got));
    if (!tls_) {
        received_.append(bytes);
        return true;
    }
    return tls_->open(bytes, received_);
}

bool Channel::readExactly(char* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (receivedAt_ < received_.size()) {
            const size_t taken = std::min(count - done, received_.size() - receivedAt_);
            std::memcpy(into + done, received_.data() + receivedAt_, taken);
            receivedAt_ += taken;
            done += taken;
            continue;
        }
        if (tls_) {
            if (!readMore())
                return false;
            continue;
        }
        // Plain and nothing buffered: straight into the caller's memory.
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

void Channel::packetPassed(bool received) {
    if (tls_ && tlsScope_ == TlsScope::LoginPacket && received == tls_->isServer())
        tls_.reset();
}

std::optional<Channel::MessageHead> Channel::readPackets(std::string* payload) {
    std::string dropped;
    size_t size = 0;
    while (socket_ >= 0) {
        char header[headerSize];
        if (!readExactly(header, headerSize))
            return std::nullopt;
        const auto status = static_cast<uint8_t>(header[1]);
        const size_t length = static_cast<size_t>(static_cast<unsigned char>(header[2]) << 8 |
                                                  static_cast<unsigned char>(header[3]));
        if (length < headerSize)
            throw ProtocolError("packet shorter than its header");
        std::string& into = payload != nullptr ? *payload : dropped;
        const size_t start = payload != nullptr ? into.size() : 0;
        into.resize(start + length - headerSize);
        if (!readExactly(into.data() + start, length - headerSize))
            return std::nullopt;
        size += length - headerSize;
        packetPassed(true);
        if (status & endOfMessage)
            return MessageHead{static_cast<uint8_t>(header[0]), size};
    }
    return std::nullopt;
}

std::optional<Message> Channel::receive() {
    Message message;
    const std::optional<MessageHead> head = readPackets(&message.payload);
    if (!head)
        return std::nullopt;
    message.type = head->type;
    return message;
}

std::optional<size_t> Channel::skip() {
    const std::optional<MessageHead> head = readPackets(nullptr);
    if (!head)
        return std::nullopt;
    return head->size;
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

// One system call for a packet's header and data, when the socket takes them at once; under
// TLS, one record.
void Channel::writePacket(std::string_view header, std::string_view data) {
    if (tls_) {
        std::string packet;
        packet.reserve(header.size() + data.size());
        packet.append(header).append(data);
        return writeAll(tls_->seal(packet));
    }
    iovec parts[2] = {{const_cast<char*>(header.data()), header.size()},
                      {const_cast<char*>(data.data()), data.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    ssize_t sent = -1;
    while (socket_ >= 0 && (sent = sendmsg(socket_, &message, MSG_NOSIGNAL)) < 0 && errno == EINTR)
        ;
    if (sent < 0)
        throw ProtocolError("the client went away");
    const size_t done = static_cast<size_t>(sent);
    if (done < header.size())
        writeAll(header.substr(done)), writeAll(data);
    else
        writeAll(data.substr(done - header.size()));
}

// Sends the first packet's worth of what is pending.
void Channel::flushPacket(uint8_t type, bool last) {
    const size_t count = std::min(pending_.size() - sent_, size_t{packetSize_} - headerSize);
    const size_t length = count + headerSize;
    const char header[headerSize] = {static_cast<char>(type),
                                     static_cast<char>(last ? endOfMessage : 0),
                                     static_cast<char>(length >> 8),
                                     static_cast<char>(length & 0xFF),
                                     0,
                                     0,
                                     static_cast<char>(packetId_++),
                                     0};
    writePacket(std::string_view(header, headerSize),
                std::string_view(pending_).substr(sent_, count));
    packetPassed(false);
    sent_ += count;
    if (sent_ == pending_.size()) {
        pending_.clear();
        sent_ = 0;
    }
}

bool Channel::packetReady() const {
    return pending_.size() - sent_ > packetSize_ - headerSize;
}

void Channel::write(std::string_view bytes) {
    pending_.append(bytes);
    while (packetReady())
        flushPacket(ptReply, false);
    // What is left is less than a packet: it moves to the front, so the buffer stays small.
    pending_.erase(0, sent_);
    sent_ = 0;
}

void Channel::endReply() {
    while (packetReady())
        flushPacket(ptReply, false);
    flushPacket(ptReply, true);
}

void Channel::send(uint8_t type, std::string_view payload) {
    pending_.assign(payload);
    sent_ = 0;
    while (packetReady())
        flushPacket(type, false);
    flushPacket(type, true);
}

bool Channel::attentionArrived() {
    if (attentionSeen_)
        return true;
    if (socket_ < 0)
        return false;
    pollfd ready{socket_, POLLIN, 0};
    if (receivedAt_ == received_.size() && poll(&ready, 1, 0) <= 0)
        return false;
    const std::optional<Message> message = receive();
    // A client that closes while waiting for its reply cancels it as well.
    attentionSeen_ = !message || message->type == ptAttention;
    return attentionSeen_;
}

void Channel::startTls(std::unique_ptr<TlsSession> tls, TlsScope scope) {
    if (!tls->isServer())
        send(ptPrelogin, tls->handshake({}));
    while (!tls->established()) {
        const std::optional<Message> message = receive();
        if (!message || message->type != ptPrelogin)
            throw ProtocolError("the TLS handshake broke off");
        const std::string answer = tls->handshake(message->payload);
        if (!answer.empty())
            send(ptPrelogin, answer);
    }
    tls_ = std::move(tls);
    tlsScope_ = scope;
}

void Channel::dropInMidReply() {
    if (pending_.size() > sent_)
        flushPacket(ptReply, false);
    shutdown(socket_, SHUT_RDWR);
    close(socket_);
    socket_ = -1;
}

} // namespace velmora::tds
