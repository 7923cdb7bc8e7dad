#pragma once
// conhist.dat: the server names the user connected to, one per line, in the order they were
// first used.
#include <QString>
#include <QStringList>

// conhist.dat in the process's current directory.
QString ServerHistoryPath();

// Throws std::runtime_error when Name cannot be a server name of the history: a line break
// would make it two.
void CheckServerName(const QString& Name);

// The names in file order; a missing file is an empty list. Throws std::runtime_error when the
// file is not a regular file or too large to be a server history.
QStringList ReadServerHistory(const QString& Path);

// Adds Name as a new line unless Known, or the file by now, already holds it exactly (letter
// case and blanks count). Creates the file when it is missing. The file is replaced whole or not
// at all, and programs recording at the same moment keep each other's names. Throws
// std::runtime_error when Name fails CheckServerName or the file cannot be read or written.
void RecordServer(const QString& Path, const QStringList& Known, const QString& Name);
