// Reading and writing ".qpl" playlists and importing ".wpl" playlists.
#include "PlaylistFile.h"

#include "playlist/PathParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace qarn {

namespace {

// Far above any real playlist (100,000 entries are a few MB), far below what would exhaust memory.
constexpr qint64 kMaxPlaylistBytes = 256LL << 20;

QByteArray readWholeFile(const QString& fileName) {
    return readRegularFile(fileName, kMaxPlaylistBytes);
}

bool isAbsoluteOrUrl(const QString& src) {
    return src.startsWith(u'/') || looksLikeUrl(src);
}

QString resolveAgainst(const QString& src, const QString& folder) {
    if (isAbsoluteOrUrl(src) || folder.isEmpty())
        return src;
    return QDir::cleanPath(folder + u'/' + src);
}

// Decodes the references a src attribute can hold, for the line scan of broken documents.
QString decodeReferences(const QString& text) {
    if (!text.contains(u'&'))
        return text;
    static const QRegularExpression reference(
        QStringLiteral("&(?:(amp|lt|gt|quot|apos)|#([0-9]{1,7})|#[xX]([0-9A-Fa-f]{1,6}));"));
    QString out;
    qsizetype last = 0;
    auto it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        const QString name = m.captured(1);
        if (!name.isEmpty()) {
            static const QHash<QString, QChar> named{{QStringLiteral("amp"), u'&'},
                                                     {QStringLiteral("lt"), u'<'},
                                                     {QStringLiteral("gt"), u'>'},
                                                     {QStringLiteral("quot"), u'"'},
                                                     {QStringLiteral("apos"), u'\''}};
            out += named.value(name);
            continue;
        }
        bool ok = false;
        const uint code = !m.captured(2).isEmpty() ? m.captured(2).toUInt(&ok, 10)
                                                   : m.captured(3).toUInt(&ok, 16);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t c = code;
            out += QString::fromUcs4(&c, 1);
        } else {
            out += m.captured(0);
        }
    }
    out += QStringView(text).mid(last);
    return out;
}

QStringList scanWplLines(QByteArrayView bytes, const QString& wplFolder) {
    static const QString marker = QStringLiteral("<media src=\"");
    QStringList paths;
    for (const QString& line : splitPlaylistLines(bytes)) {
        for (qsizetype p = line.indexOf(marker); p >= 0; p = line.indexOf(marker, p + 1)) {
            const qsizetype start = p + marker.size();
            const qsizetype end = line.indexOf(u'"', start);
            // Without a closing quote the path was cut off; a partial path names the wrong file.
            if (end <= start)
                continue;
            paths.append(resolveAgainst(decodeReferences(line.mid(start, end - start)), wplFolder));
        }
    }
    return paths;
}

} // namespace

QStringList splitPlaylistLines(QByteArrayView text) {
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text = text.first(nul);
    QStringList lines;
    const char* const data = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromUtf8(data + start, i - start));
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString::fromUtf8(data + start, size - start));
    return lines;
}

QByteArray formatQpl(const QStringList& paths) {
    QByteArray bytes;
    qsizetype estimate = 0;
    for (const QString& path : paths)
        estimate += path.size() + 2;
    bytes.reserve(estimate);
    for (const QString& path : paths) {
        bytes += path.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QStringList readQpl(const QString& fileName) {
    return splitPlaylistLines(readWholeFile(fileName));
}

void writeQpl(const QString& fileName, const QStringList& paths) {
    writeFileAtomically(fileName, formatQpl(paths));
}

QStringList parseWpl(const QByteArray& bytes, const QString& wplFolder) {
    QStringList paths;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"media")
            continue;
        const QString src = xml.attributes().value(QLatin1String("src")).toString();
        if (!src.isEmpty())
            paths.append(resolveAgainst(src, wplFolder));
    }
    if (xml.hasError())
        return scanWplLines(bytes, wplFolder);
    return paths;
}

QStringList readWpl(const QString& fileName) {
    return parseWpl(readWholeFile(fileName), QFileInfo(fileName).absolutePath());
}

} // namespace qarn
