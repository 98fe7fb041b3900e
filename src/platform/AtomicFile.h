// Whole-file replacement that never leaves a truncated file behind.
#pragma once

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
void writeFileAtomically(const QString& fileName, QByteArrayView data);

} // namespace qarn
