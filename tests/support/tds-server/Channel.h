#pragma once
// One client's socket, as TDS frames it: messages split into packets of at most the negotiated
// size, each with an 8-byte header; the last packet of a message has the end-of-message bit.
// Under the packets there may be TLS, for the whole session or for the login packet alone.
#include "Tls.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::tds {

enum PacketType : uint8_t {
    ptSqlBatch = 0x01,
    ptRpc = 0x03,
    ptReply = 0x04,
    ptAttention = 0x06,
    ptTransactionManager = 0x0E,
    ptLogin7 = 0x10,
    ptPrelogin = 0x12,
};

struct Message {
    uint8_t type = 0;
    std::string payload;
};

// How much of a connection TLS covers, as PRELOGIN negotiated it.
enum class TlsScope {
    LoginPacket, // the client's next packet only (both sides said "off"), then plain again
    Session,     // everything from the handshake on
};

class Channel {
public:
    explicit Channel(int socket) : socket_(socket) {}
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // The next whole message; nothing when the client has closed the connection.
    std::optional<Message> receive();
    // Reads the next message and forgets it, returning its size (a client that only counts).
    std::optional<size_t> skip();

    // A reply is written as it is produced: full packets leave at once, so a large result
    // needs no more memory than one packet.
    void write(std::string_view bytes);
    // Sends what is left of the reply as its last packet.
    void endReply();
    // Whether the client has asked (in the middle of a reply) to cancel it.
    bool attentionArrived();
    // The cancel has been answered (DONE with the attention bit).
    void acknowledgeAttention() { attentionSeen_ = false; }
    // Sends what is buffered as a packet that is not the last, then closes the socket: the
    // client sees its connection vanish in the middle of a reply.
    void dropInMidReply();

    // Runs the TLS handshake inside PRELOGIN messages (each message of the client's is answered
    // by one of the server's), then lays TLS under the packets for `scope`. The session's role
    // says which side this is. Throws ProtocolError when the handshake fails.
    void startTls(std::unique_ptr<TlsSession> tls, TlsScope scope);
    bool encrypted() const { return tls_ != nullptr; }

    void setPacketSize(uint32_t size) { packetSize_ = size; }
    uint32_t packetSize() const { return packetSize_; }
    bool open() const { return socket_ >= 0; }

    // A client's side of the same framing (the benchmark's discarding client).
    void send(uint8_t type, std::string_view payload);

private:
    bool readExactly(char* into, size_t count);
    // What the socket has now (waiting for something), decrypted when TLS is on; false when
    // the peer has closed.
    bool readMore();
    struct MessageHead {
        uint8_t type;
        size_t size;
    };
    // Reads the packets of one message, appending their contents to `payload` or, when it is
    // null, dropping them.
    std::optional<MessageHead> readPackets(std::string* payload);
    void writeAll(std::string_view bytes);
    void writePacket(std::string_view header, std::string_view data);
    void flushPacket(uint8_t type, bool last);
    bool packetReady() const; // more than a packet's worth is pending
    // A packet of `scope` LoginPacket has passed: TLS ends.
    void packetPassed(bool received);

    int socket_;
    uint32_t packetSize_ = 4096;
    std::string pending_; // of the message being written, from sent_ on
    size_t sent_ = 0;
    uint8_t packetId_ = 1;
    bool attentionSeen_ = false;
    std::unique_ptr<TlsSession> tls_;
    TlsScope tlsScope_ = TlsScope::Session;
    std::string received_; // decrypted and not yet read, from receivedAt_ on
    size_t receivedAt_ = 0;
};

} // namespace velmora::tds
