// Parts of a playlist path ("/" separates folders) and the readability test.
#pragma once

#include <QString>

namespace qarn {

inline const QString kQplExtension = QStringLiteral(".qpl");
inline const QString kWplExtension = QStringLiteral(".wpl");

// Text after the last "/"; the whole path when it has none.
QString fileNameOf(const QString& path);
// From the last "." of the file name to the end, dot included; empty when the name has no dot.
// Compare it exactly: ".QPL" is not a playlist.
QString extensionOf(const QString& path);
// Text up to and including the last "/"; empty when the path has none.
QString folderOf(const QString& path);

// True when path names something that can be opened for reading as a file (not a folder).
// The empty path gives false. Never blocks, not even on a FIFO.
bool IsReadableFile(const QString& path);

// True when text starts with a URL scheme ("http://", "cdda://"): not a path to resolve.
bool looksLikeUrl(const QString& text);

} // namespace qarn
