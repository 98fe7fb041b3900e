// Whole-file replacement that never leaves a truncated file behind.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <stdexcept>

namespace qarn {

// A file could not be opened, read or written; what() names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces fileName with data: writes a temporary file in the same folder, flushes it to disk
// and renames it over the old file. A symbolic link is followed, so the link stays a link.
// On failure the old file is untouched, the temporary file is removed, and FileError is thrown.
// A file that exists but may not be written (its mode forbids it) is refused too, as a direct
// write would be.
void writeFileAtomically(const QString& fileName, QByteArrayView data);

// The whole content of a regular file of at most maxBytes. A named pipe, a device or a folder is
// refused without waiting on it, and so is a larger file; FileError says why.
QByteArray readRegularFile(const QString& fileName, qint64 maxBytes);

} // namespace qarn
