// Building the forwarded command tail and packing it into the record.
#include "app/ForwardRecord.h"

#include "playlist/PathParts.h"

#include <QDir>
#include <QtEndian>

namespace qarn {

QString buildCommandTail(const QStringList& args, const QString& cwd) {
    QStringList parts;
    parts.reserve(args.size());
    for (const QString& arg : args) {
        if (arg.startsWith('-')) {
            parts << arg;
            continue;
        }
        // A relative path typed in a terminal must reach the running copy as the same file.
        const QString path =
            looksLikeUrl(arg) ? arg : QDir::cleanPath(QDir(cwd).absoluteFilePath(arg));
        parts << '"' + path + '"';
    }
    return parts.join(' ');
}

QByteArray encodeForwardRecord(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    QByteArray record(kForwardHeaderSize, '\0');
    qToLittleEndian<quint32>(kForwardMarker, record.data());
    qToLittleEndian<quint32>(quint32(bytes.size() + 1), record.data() + 4);
    record += bytes;
    record += '\0';
    return record;
}

std::optional<ForwardHeader> peekForwardHeader(const QByteArray& bytes) {
    if (bytes.size() < kForwardHeaderSize)
        return std::nullopt;
    ForwardHeader h;
    h.marker = qFromLittleEndian<quint32>(bytes.constData());
    h.cbData = qFromLittleEndian<quint32>(bytes.constData() + 4);
    return h;
}

bool isAcceptableHeader(const ForwardHeader& h) {
    return h.marker == kForwardMarker && h.cbData >= 1 &&
           h.cbData <= quint32(kForwardMaxRecord - kForwardHeaderSize);
}

std::optional<QString> decodeForwardRecord(const QByteArray& record) {
    const auto h = peekForwardHeader(record);
    if (!h || !isAcceptableHeader(*h) || record.size() < kForwardHeaderSize + qsizetype(h->cbData))
        return std::nullopt;
    const QByteArray body = record.mid(kForwardHeaderSize, h->cbData);
    const qsizetype zero = body.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? body : body.left(zero));
}

} // namespace qarn
