#pragma once
// Makes a fresh data directory: one database per seed script (master.sql, sample.sql, ...),
// each script run through the engine as sqlcmd would run it (batches separated by GO lines),
// then master's list of databases. A directory that already has master.db is kept as it is.
#include "DataDirectory.h"

#include <filesystem>

namespace velmora::tds {

// Throws std::runtime_error naming the script and the error when a seed fails.
void prepareDatabases(const DataDirectory& data, const std::filesystem::path& seeds);

} // namespace velmora::tds
