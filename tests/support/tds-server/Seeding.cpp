#include "Seeding.h"

#include "Engine.h"
#include "SystemCatalogue.h"

#include <fstream>
#include <sstream>

namespace velmora::tds {

namespace {

class SeedReply : public Reply {
public:
    explicit SeedReply(std::string script) : script_(std::move(script)) {}
    void message(const ServerError& error) override {
        if (error.severity > 10)
            throw std::runtime_error("seed " + script_ + ": " + error.what());
    }

private:
    std::string script_;
};

// The script's batches: the text between lines that hold only GO.
std::vector<std::string> batchesOf(const std::filesystem::path& script) {
    std::ifstream file(script);
    std::vector<std::string> batches(1);
    std::string line;
    while (std::getline(file, line)) {
        std::string word = line;
        std::erase_if(word, [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
        if (word == "GO" || word == "go")
            batches.emplace_back();
        else
            batches.back() += line + "\n";
    }
    return batches;
}

void createEmpty(const std::filesystem::path& file, bool master) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // WAL lets sessions read while another writes.
    runSqlite(db, "pragma journal_mode = wal");
    createSystemCatalogue(db, master);
    sqlite3_close_v2(db);
}

} // namespace

void prepareDatabases(const DataDirectory& data, const std::filesystem::path& seeds) {
    if (std::filesystem::exists(data.fileOf("master")))
        return;
    std::filesystem::create_directories(data.folder());
    std::vector<std::filesystem::path> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(seeds))
        if (entry.path().extension() == ".sql")
            scripts.push_back(entry.path());
    for (const auto& script : scripts)
        createEmpty(data.fileOf(script.stem().string()), script.stem() == "master");
    for (const auto& script : scripts) {
        Engine engine(data, script.stem().string());
        for (const std::string& batch : batchesOf(script)) {
            SeedReply reply(script.filename().string());
            engine.runBatch(batch, reply);
        }
    }
    Engine master(data, "master");
    runSqlite(master.db(), "delete from tds_databases");
    int id = 0;
    for (const std::string& database : data.databases()) {
        SqliteStatement row(master.db(), "insert into tds_databases (name, dbid, crdate, filename, "
                                         "cmptlevel) values (?1, ?2, getdate(), ?3, 150)");
        row.bind(1, Value::text(database));
        row.bind(2, Value::of(int64_t{++id}));
        row.bind(3, Value::text(data.fileOf(database).string()));
        row.step();
    }
}

} // namespace velmora::tds
