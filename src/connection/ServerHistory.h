#pragma once
// conhist.dat: the server names the user connected to, one per line, in the order they were
// first used.
#include <QString>
#include <QStringList>

// conhist.dat in the process's current directory.
QString ServerHistoryPath();

// The names in file order; a missing file is an empty list.
QStringList ReadServerHistory(const QString& Path);

// Appends Name as a new line unless Known already holds it exactly (letter case and blanks
// count). Creates the file when it is missing. Throws std::runtime_error when it cannot write.
void RecordServer(const QString& Path, const QStringList& Known, const QString& Name);
