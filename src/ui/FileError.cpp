#include "FileError.h"

#include <QDir>
#include <stdexcept>

void FileError(const QFileDevice& File, const char* What) {
    throw std::runtime_error(
        QString("Cannot %1 file \"%2\". %3")
            .arg(What, QDir::toNativeSeparators(File.fileName()), File.errorString())
            .toStdString());
}
