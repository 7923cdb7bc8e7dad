#pragma once
// The program's command line: its options, the help and version texts, and the folder it works in.
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

struct TProgramOptions {
    QString ConnectionFile;     // --connect: a connection file of the workspace, instead of asking
    QString Server;             // --server: offered in the connect dialog
    QString Workspace;          // --workspace: the folder to work in
    bool UserWorkspace = false; // --user-workspace: the per-user workspace (the menu entry's)
    QString ScriptFile;         // a script to open, as File > Open does
};

// What the command line asks for: to run with Options, or, when ExitCode is set, to print Output
// (on standard output) or Error (on standard error) and end with that code at once.
struct TCommandLine {
    std::optional<int> ExitCode;
    QString Output;
    QString Error;
    TProgramOptions Options;
};

// Arguments as the program got them, the program's own name first. Help and version win over
// mistakes elsewhere on the line; a mistake ends with status 2.
TCommandLine ParseCommandLine(const QStringList& Arguments);

// The folder Options choose to work in: the given one, the per-user workspace, or the current
// directory.
std::string WorkspaceFolderOf(const TProgramOptions& Options);
