#pragma once
// The messages of a batch as the TDS test server sends them, read from the protocol by a client
// of the test's own: number, severity and line, which FreeTDS's ODBC driver does not report.
// Only replies without result sets are read (a COLUMNMETADATA token ends the reading).
#include "Channel.h"
#include "Login.h"
#include "TdsServer.h"
#include "Text.h"
#include "WireBuffer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace velmora::test {

class TdsRawClient {
public:
    TdsRawClient(int port, const std::string& database) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot reach the TDS test server");
        channel_ = std::make_unique<tds::Channel>(socket);
        channel_->send(tds::ptPrelogin, tds::preloginRequest(tds::encryptNotSupported));
        channel_->skip();
        tds::LoginRequest login;
        login.userName = "sa";
        login.password = tdsSaPassword;
        login.database = database;
        channel_->send(tds::ptLogin7, tds::buildLogin7(login));
        channel_->skip();
    }

    // "Msg 102, Level 15, State 1, Line 3: Incorrect syntax near 'GO'." for each message.
    std::vector<std::string> messages(const std::string& sql) {
        tds::WireWriter batch;
        batch.u32(22); // ALL_HEADERS: the transaction descriptor alone
        batch.u32(18);
        batch.u16(2);
        batch.u64(0);
        batch.u32(1);
        batch.raw(tds::utf8ToUtf16(sql));
        channel_->send(tds::ptSqlBatch, batch.bytes());
        const std::optional<tds::Message> reply = channel_->receive();
        std::vector<std::string> found;
        tds::WireReader in(reply ? std::string_view(reply->payload) : std::string_view());
        while (!in.atEnd()) {
            const uint8_t token = in.u8();
            if (token == 0xAA || token == 0xAB) { // ERROR, INFO
                tds::WireReader message(in.take(in.u16()));
                const int32_t number = static_cast<int32_t>(message.u32());
                const int state = message.u8();
                const int severity = message.u8();
                const std::string text = tds::utf16ToUtf8(message.take(size_t{message.u16()} * 2));
                message.bVarchar(); // server
                message.bVarchar(); // procedure
                const uint32_t line = message.u32();
                found.push_back("Msg " + std::to_string(number) + ", Level " +
                                std::to_string(severity) + ", State " + std::to_string(state) +
                                ", Line " + std::to_string(line) + ": " + text);
            } else if (token == 0xE3) { // ENVCHANGE
                in.take(in.u16());
            } else if (token == 0xFD || token == 0xFE || token == 0xFF) { // DONE
                in.take(12);
            } else if (token == 0x79) { // RETURNSTATUS
                in.take(4);
            } else {
                break; // a result set: not read here
            }
        }
        return found;
    }

private:
    std::unique_ptr<tds::Channel> channel_;
};

} // namespace velmora::test
