// Playlist files: ".qpl" written and read, ".wpl" imported.
#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace qarn {

// Cuts text into lines: it ends at the first zero byte; CR LF, a lone CR and a lone LF each end
// a line; a break at the very end adds no empty line. Bytes are decoded as UTF-8.
QStringList splitPlaylistLines(QByteArrayView text);

// The ".qpl" bytes of a playlist: every entry followed by CR LF; an empty list gives no bytes.
QByteArray formatQpl(const QStringList& paths);

// Reads a ".qpl" file; throws FileError when it cannot be opened or read.
QStringList readQpl(const QString& fileName);

// Writes a ".qpl" file atomically; throws FileError and keeps the old file on failure.
void writeQpl(const QString& fileName, const QStringList& paths);

// The media paths of a ".wpl" document in document order: the src of every media element,
// character references decoded, a relative src resolved against wplFolder. A document that is
// not well-formed XML is scanned line by line for <media src=" instead, each path running to the
// next double quote. Media without a src, or with an empty one, are skipped.
QStringList parseWpl(const QByteArray& bytes, const QString& wplFolder);

// Reads and parses a ".wpl" file, resolving against its own folder; throws FileError when it cannot
// be opened or read.
QStringList readWpl(const QString& fileName);

} // namespace qarn
