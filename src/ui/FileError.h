#pragma once
// A failed file operation as the error the user sees: what was done, to which file, and why.
#include <QFileDevice>

// Throws std::runtime_error: "Cannot <What> file "<path>". <reason>".
[[noreturn]] void FileError(const QFileDevice& File, const char* What);
