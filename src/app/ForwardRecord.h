// The command line a second copy hands to the running one, and its wire record.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace qarn {

inline constexpr quint32 kForwardMarker = 0xF0F0F0F0u;
inline constexpr int kForwardHeaderSize = 8;
// Nothing a command line carries comes near this; anything larger is not ours.
inline constexpr int kForwardMaxRecord = 64 * 1024;

// The tail as the shell would pass it: switches bare, everything else made absolute against
// cwd and wrapped in double quotes, joined by one blank.
QString buildCommandTail(const QStringList& args, const QString& cwd);

// marker (LE32), cbData (LE32) = text bytes + 1, text, zero byte.
QByteArray encodeForwardRecord(const QString& text);

struct ForwardHeader {
    quint32 marker = 0;
    quint32 cbData = 0;
};

// Nullopt when fewer than a header's bytes are given.
std::optional<ForwardHeader> peekForwardHeader(const QByteArray& bytes);

// True when the header announces a record of ours that fits the size cap.
bool isAcceptableHeader(const ForwardHeader& h);

// The text of a complete record: the bytes after the header up to the first zero byte.
// Nullopt for a wrong marker, a short record or one over the cap.
std::optional<QString> decodeForwardRecord(const QByteArray& record);

} // namespace qarn
