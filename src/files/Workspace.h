#pragma once
// The workspace: the folder the program works in, where the server history, the connection files,
// the list of recent scripts and the recovery of unsaved scripts are kept. It is the current
// directory while the program runs, so every file the program keeps "in the current directory"
// is in the workspace.
#include <string>

namespace velmora::files {

// The per-user workspace: "velmora2" in $XDG_DATA_HOME, or in ~/.local/share when XdgDataHome is
// null, empty or relative (the base directory rules say to ignore a relative one). Home is $HOME;
// null or empty asks the user database instead.
std::string UserWorkspaceFolder(const char* XdgDataHome, const char* Home);

// Makes Folder the current directory. A folder that does not exist is created, with every missing
// folder above it, readable by the user alone (0700); an existing one keeps its permissions.
// Throws EFileError naming the folder and the reason when that fails.
void EnterWorkspace(const std::string& Folder);

} // namespace velmora::files
