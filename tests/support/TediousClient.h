#pragma once
// The tests' independent TDS client: tedious, a JavaScript driver nobody here wrote, run by node
// (tests/support/tedious-client, installed by scripts/setup). A test hands it a plan and compares
// the lines it prints (see client.js).
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace velmora::test {

// Whether node and the installed tedious package are here.
inline bool tediousAvailable() {
    return std::filesystem::exists(VELMORA_NODE) &&
           std::filesystem::exists(std::filesystem::path(VELMORA_TEDIOUS_CLIENT_DIR) /
                                   "node_modules" / "tedious" / "package.json");
}

// A parameter of a step: tedious's type name ("Int", "NVarChar"), and a value unless it is
// an OUTPUT parameter without one.
struct TTediousParameter {
    std::string Name; // without "@"
    std::string Type;
    std::optional<std::string> Value; // JSON: 21, "text"
    bool Output = false;
};

struct TTediousStep {
    TTediousStep(const char* sql) : Sql(sql) {} // NOLINT: a step is its SQL, mostly
    TTediousStep(std::string sql) : Sql(std::move(sql)) {}
    // Prints its columns and rows.
    static TTediousStep Shown(std::string sql) {
        TTediousStep step(std::move(sql));
        step.Show = true;
        return step;
    }
    static TTediousStep CancelledAfterRows(std::string sql, int rows) {
        TTediousStep step(std::move(sql));
        step.CancelAfterRows = rows;
        return step;
    }
    static TTediousStep CancelledAfterMs(std::string sql, int milliseconds) {
        TTediousStep step(std::move(sql));
        step.CancelAfterMs = milliseconds;
        return step;
    }

    // A procedure called as an RPC, with parameters, printing its OUTPUT values.
    static TTediousStep Call(std::string procedure, std::vector<TTediousParameter> parameters) {
        TTediousStep step(std::move(procedure));
        step.Procedure = true;
        step.Parameters = std::move(parameters);
        return step;
    }
    // A statement with parameters (tedious sends it with sp_executesql).
    static TTediousStep WithParameters(std::string sql, std::vector<TTediousParameter> parameters) {
        TTediousStep step(std::move(sql));
        step.Parameters = std::move(parameters);
        return step;
    }

    std::string Sql;
    bool Procedure = false;
    std::vector<TTediousParameter> Parameters;
    std::optional<int> CancelAfterRows;
    std::optional<int> CancelAfterMs;
    bool Show = false;
};

struct TTediousPlan {
    int Port = 0;
    std::string Database = "sample";
    std::string TdsVersion = "7_4"; // 7_1, 7_2, 7_3_A, 7_3_B, 7_4
    bool Encrypt = false;
    std::string Authority; // the CA file a checking client trusts; empty: trusts any server
    std::string Password;
    std::string AppName = "tedious-client"; // what the server records of the login
    std::vector<TTediousStep> Steps;

    std::string Json() const {
        std::ostringstream out;
        out << "{\"port\":" << Port << ",\"database\":" << quoted(Database)
            << ",\"tdsVersion\":" << quoted(TdsVersion)
            << ",\"encrypt\":" << (Encrypt ? "true" : "false")
            << ",\"password\":" << quoted(Password) << ",\"appName\":" << quoted(AppName);
        if (!Authority.empty())
            out << ",\"ca\":" << quoted(Authority);
        out << ",\"steps\":[";
        for (size_t i = 0; i < Steps.size(); ++i) {
            const TTediousStep& step = Steps[i];
            out << (i > 0 ? "," : "") << "{\"sql\":" << quoted(step.Sql)
                << ",\"show\":" << (step.Show ? "true" : "false");
            if (step.CancelAfterRows)
                out << ",\"cancelAfterRows\":" << *step.CancelAfterRows;
            if (step.CancelAfterMs)
                out << ",\"cancelAfterMs\":" << *step.CancelAfterMs;
            if (step.Procedure)
                out << ",\"procedure\":true";
            if (!step.Parameters.empty()) {
                out << ",\"params\":[";
                for (size_t p = 0; p < step.Parameters.size(); ++p) {
                    const TTediousParameter& parameter = step.Parameters[p];
                    out << (p > 0 ? "," : "") << "{\"name\":" << quoted(parameter.Name)
                        << ",\"type\":" << quoted(parameter.Type)
                        << ",\"output\":" << (parameter.Output ? "true" : "false");
                    if (parameter.Value)
                        out << ",\"value\":" << *parameter.Value;
                    out << "}";
                }
                out << "]";
            }
            out << "}";
        }
        out << "]}";
        return out.str();
    }

private:
    static std::string quoted(const std::string& text) {
        std::string json = "\"";
        for (char c : text) {
            if (c == '\n') {
                json += "\\n";
                continue;
            }
            if (c == '"' || c == '\\')
                json += '\\';
            json += c;
        }
        return json + "\"";
    }
};

// Runs the plan and returns the lines the client printed. The client ends itself within 30
// seconds; past 60 it is killed and the last line says so.
inline std::vector<std::string> runTedious(const TTediousPlan& plan) {
    int output[2];
    if (pipe(output) != 0)
        return {"cannot make a pipe"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    const std::string script = std::string(VELMORA_TEDIOUS_CLIENT_DIR) + "/client.js";
    const std::string json = plan.Json();
    // Node warns of tedious giving TLS an IP address as the server's name; the tests know.
    std::vector<char*> argv = {
        const_cast<char*>(VELMORA_NODE), const_cast<char*>("--no-deprecation"),
        const_cast<char*>(script.c_str()), const_cast<char*>(json.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, VELMORA_NODE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (failed != 0) {
        close(output[0]);
        return {"cannot start node"};
    }
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool killed = false;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{output[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        char buffer[4096];
        const ssize_t got = read(output[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    close(output[0]);
    waitpid(pid, nullptr, 0);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (killed)
        lines.push_back("killed after 60 s");
    return lines;
}

} // namespace velmora::test
