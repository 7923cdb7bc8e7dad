#pragma once
// Connection files: the data link files (*.udl) of the current directory, and how their names
// appear as menu captions.
#include <QString>
#include <QStringList>

// The *.udl files of Directory that are regular files or links to one (letter case of the
// extension does not matter, hidden files count), by name without directory, in the order the
// directory lists them.
QStringList ConnectionFileNames(const QString& Directory);

// A menu caption that shows FileName literally: "&" would otherwise mark a mnemonic.
QString MenuCaptionFor(const QString& FileName);
QString FileNameOfMenuCaption(const QString& Caption);

// Whether the file holds more than its two header lines, read as 8-bit text. Throws
// std::runtime_error when it cannot be read or is too large to be a connection file.
bool HoldsConnectionString(const QString& Path);

// The warning to give before connecting through the connection file at Path, named FileName:
// empty when the file is the user's (or the system's) and only its owner can change it, else
// who owns it and what is wrong, ending in the question whether to connect all the same.
QString ConnectionFileWarning(const QString& Path, const QString& FileName);
