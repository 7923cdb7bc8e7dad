#include "Session.h"

#include "Login.h"
#include "Text.h"
#include "TypeCodec.h"

#include <algorithm>

namespace velmora::tds {

namespace {

// The drop mode has closed the connection in the middle of a reply.
struct Dropped {};

class NetworkReply : public Reply {
public:
    NetworkReply(Channel& channel, uint32_t tdsVersion, std::optional<uint64_t> dropAfterRows)
        : Reply(tdsVersion), channel_(channel), dropAfterRows_(dropAfterRows) {}

    void rowWritten(uint64_t row) override {
        if (out.size() >= 32 * 1024)
            flush();
        if (dropAfterRows_ && row >= *dropAfterRows_) {
            flush();
            channel_.dropInMidReply();
            throw Dropped{};
        }
        if (row % 256 == 0 && channel_.attentionArrived())
            throw Cancelled{};
    }
    bool cancelled() override {
        flush();
        return channel_.attentionArrived();
    }
    void flush() {
        channel_.write(out.bytes());
        out.clear();
    }
    void finish() {
        flush();
        channel_.endReply();
    }

private:
    Channel& channel_;
    std::optional<uint64_t> dropAfterRows_;
};

const char* const rpcNames[] = {nullptr,
                                "sp_cursor",
                                "sp_cursoropen",
                                "sp_cursorprepare",
                                "sp_cursorexecute",
                                "sp_cursorprepexec",
                                "sp_cursorunprepare",
                                "sp_cursorfetch",
                                "sp_cursoroption",
                                "sp_cursorclose",
                                "sp_executesql",
                                "sp_prepare",
                                "sp_execute",
                                "sp_prepexec",
                                "sp_prepexecrpc",
                                "sp_unprepare"};

struct ProcedureCall {
    std::string name;
    std::vector<Argument> arguments;
};

std::vector<ProcedureCall> readCalls(std::string_view body) {
    WireReader in(body);
    std::vector<ProcedureCall> calls;
    while (!in.atEnd()) {
        ProcedureCall call;
        const uint16_t nameLength = in.u16();
        if (nameLength == 0xFFFF) {
            const uint16_t id = in.u16();
            call.name = id < std::size(rpcNames) && rpcNames[id] != nullptr
                            ? rpcNames[id]
                            : "procedure #" + std::to_string(id);
        } else {
            call.name = utf16ToUtf8(in.take(size_t{nameLength} * 2));
        }
        in.u16(); // option flags
        while (!in.atEnd()) {
            if (static_cast<uint8_t>(in.all()[in.position()]) == 0xFF) {
                in.u8(); // the next call follows
                break;
            }
            Argument argument;
            argument.name = utf16ToUtf8(in.bVarchar());
            argument.output = (in.u8() & 0x01) != 0;
            TypedValue typed = readTypedValue(in);
            argument.value = std::move(typed.value);
            argument.type = typed.type;
            call.arguments.push_back(std::move(argument));
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

} // namespace

template <typename Work>
void Session::reply(Work work) {
    NetworkReply reply(channel_, tdsVersion_, options_.dropAfterRows);
    try {
        work(reply);
    } catch (const Cancelled&) {
        // The interrupted reply ends where it was, between tokens, as a message of its own;
        // the acknowledgement is the message that follows it.
        reply.out.clear();
        reply.finish();
        channel_.acknowledgeAttention();
        NetworkReply acknowledgement(channel_, tdsVersion_, std::nullopt);
        writeDone(acknowledgement.out, tkDone, doneAttention);
        return acknowledgement.finish();
    } catch (const ServerError& error) {
        reply.message(error);
        writeDone(reply.out, tkDone, doneError);
    }
    reply.finish();
}

void Session::run() {
    try {
        if (!logIn())
            return;
        while (const std::optional<Message> message = channel_.receive())
            serve(*message);
    } catch (const ProtocolError&) {
        // A client that breaks the protocol, or leaves mid-reply, loses its connection.
    } catch (const Dropped&) {
    }
}

bool Session::logIn() {
    std::optional<Message> message = channel_.receive();
    if (message && message->type == ptPrelogin) {
        if (!negotiateEncryption(*message))
            return false;
        message = channel_.receive();
    }
    if (!message || message->type != ptLogin7)
        return false;
    const LoginRequest login = parseLogin7(message->payload);
    const std::optional<uint32_t> version = agreedTdsVersion(login.tdsVersion);
    if (!version)
        throw ProtocolError("TDS versions before 7.1 are not supported");
    tdsVersion_ = *version;
    const uint32_t packetSize =
        login.packetSize == 0 ? 4096 : std::clamp<uint32_t>(login.packetSize, 512, 32767);
    bool accepted = false;
    reply([&](Reply& out) {
        if (!checkPassword(login)) {
            out.message(ServerError(18456, "Login failed for user '" + login.userName + "'.", 14));
            return writeDone(out.out, tkDone, doneError);
        }
        const std::string database = login.database.empty() ? "master" : login.database;
        if (!options_.data.find(database)) {
            out.message(ServerError(4060,
                                    "Cannot open database \"" + database +
                                        "\" requested by the login. The login failed.",
                                    11));
            out.message(ServerError(18456, "Login failed for user '" + login.userName + "'.", 14));
            return writeDone(out.out, tkDone, doneError);
        }
        engine_ = std::make_unique<Engine>(options_.data, "master", options_.azure);
        engine_->useDatabase(database, out);
        writeEnvChange(out.out, ecLanguage, "us_english", "");
        out.message(ServerError(5703, "Changed language setting to us_english.", 0, 1));
        writeCollationChange(out.out);
        writeEnvChange(out.out, ecPacketSize, std::to_string(packetSize), "4096");
        writeLoginAck(out.out);
        writeDone(out.out, tkDone, doneFinal);
        accepted = true;
    });
    channel_.setPacketSize(packetSize);
    return accepted;
}

bool Session::negotiateEncryption(const Message& prelogin) {
    const EncryptionAgreement agreement =
        agreeEncryption(preloginEncryption(prelogin.payload), options_.encryption);
    channel_.write(preloginReply(agreement.answer));
    channel_.endReply();
    if (agreement.refused)
        return false;
    if (agreement.scope)
        channel_.startTls(std::make_unique<TlsSession>(*options_.tls), *agreement.scope);
    encryption_ = agreement.scope;
    return true;
}

std::string_view Session::requestBody(std::string_view payload) const {
    if (tdsVersion_ < tdsVersion72)
        return payload;
    WireReader in(payload);
    const uint32_t length = in.u32();
    if (length < 4 || length > payload.size())
        throw ProtocolError("ALL_HEADERS longer than the message");
    return payload.substr(length);
}

// Checks the login against master's users and records what arrived, password included: tests
// read tds_logins to see exactly what a client sent.
bool Session::checkPassword(const LoginRequest& login) {
    Engine master(options_.data, "master");
    bool accepted = false;
    {
        // Finished before the record is written: a read still open would make the write fail
        // at once when another session has written since (SQLite's WAL snapshot).
        SqliteStatement user(master.db(), "select password from tds_users where name = ?1 "
                                          "collate nocase");
        user.bind(1, Value::text(login.userName));
        accepted = user.step() && user.value(0).bytes == login.password;
    }
    SqliteStatement record(master.db(),
                           "insert into tds_logins (user_name, password, database_name, app_name, "
                           "host_name, packet_size, accepted, encryption, tds_version) values (?1, "
                           "?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    record.bind(1, Value::text(login.userName));
    record.bind(2, Value::text(login.password));
    record.bind(3, Value::text(login.database));
    record.bind(4, Value::text(login.appName));
    record.bind(5, Value::text(login.hostName));
    record.bind(6, Value::of(int64_t{login.packetSize}));
    record.bind(7, Value::of(int64_t{accepted}));
    record.bind(8, Value::text(encryptionName(encryption_)));
    record.bind(9, Value::text(tdsVersionName(tdsVersion_)));
    record.step();
    return accepted;
}

void Session::serve(const Message& message) {
    switch (message.type) {
    case ptSqlBatch:
        return sqlBatch(message.payload);
    case ptRpc:
        return rpc(message.payload);
    case ptTransactionManager:
        return transactionManager(message.payload);
    case ptAttention:
        // The reply it meant to cancel had already ended; it still gets its acknowledgement.
        return reply([](Reply& out) { writeDone(out.out, tkDone, doneAttention); });
    default:
        throw ProtocolError("unexpected message type " + std::to_string(message.type));
    }
}

namespace {

bool beginsWithSelect(std::string_view sql) {
    const size_t start = sql.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && sql.size() - start > 6 &&
           equalsIgnoringCase(sql.substr(start, 6), "select") &&
           std::string_view(" \t\r\n*").find(sql[start + 6]) != std::string_view::npos;
}

} // namespace

void Session::sqlBatch(std::string_view payload) {
    const std::string sql = utf16ToUtf8(requestBody(payload));
    if (options_.hostile && beginsWithSelect(sql))
        return reply([&](Reply& out) { writeHostileReply(*options_.hostile, out, channel_); });
    reply([&](Reply& out) { engine_->runBatch(sql, out); });
}

void Session::rpc(std::string_view payload) {
    const std::vector<ProcedureCall> calls = readCalls(requestBody(payload));
    reply([&](Reply& out) {
        for (size_t i = 0; i < calls.size(); ++i)
            engine_->runProcedure(calls[i].name, calls[i].arguments, out, i + 1 < calls.size());
    });
}

void Session::transactionManager(std::string_view payload) {
    WireReader in(requestBody(payload));
    enum : uint16_t { tmBegin = 5, tmCommit = 7, tmRollback = 8 };
    const uint16_t request = in.u16();
    reply([&](Reply& out) {
        if (request == tmBegin) {
            writeTransactionChange(out.out, ecBeginTransaction, engine_->beginTransaction());
        } else if (request == tmCommit || request == tmRollback) {
            in.bVarchar(); // the transaction's name
            const bool beginAnother = !in.atEnd() && (in.u8() & 0x01) != 0;
            const bool commit = request == tmCommit;
            writeTransactionChange(out.out, commit ? ecCommitTransaction : ecRollbackTransaction,
                                   engine_->endTransaction(commit));
            if (beginAnother)
                writeTransactionChange(out.out, ecBeginTransaction, engine_->beginTransaction());
        } else {
            throw ServerError(50000, "TDS test server: transaction manager request " +
                                         std::to_string(request) + " is not supported.");
        }
        writeDone(out.out, tkDone, doneFinal);
    });
}

} // namespace velmora::tds
