// The profile (INI) reader and writer, and the player's stored settings.
#include "ProfileFile.h"

#include "platform/AtomicFile.h"
#include "playlist/PathParts.h"

#include <QFile>
#include <QFileInfo>

#include <limits>
#include <stdexcept>

namespace qarn {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBlanks(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(QByteArrayView stored, QStringView wanted) {
    return QString::fromUtf8(trimmedBlanks(stored))
               .compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

// "[Name]" with optional blanks; text after "]" is ignored.
std::optional<QByteArrayView> sectionNameOf(QByteArrayView line) {
    line = trimmedBlanks(line);
    if (!line.startsWith('['))
        return std::nullopt;
    const qsizetype close = line.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return line.sliced(1, close - 1);
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Settings are a few hundred bytes; a larger file is not ours to load.
constexpr qint64 kMaxProfileBytes = 16LL << 20;

void checkWritable(QStringView text) {
    for (QChar c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            throw std::invalid_argument("A line break or zero cannot be stored in a profile file");
}

} // namespace

ProfileFile::ProfileFile(QString fileName) : fileName_(std::move(fileName)) {
    if (!QFileInfo::exists(fileName_))
        return;
    QByteArray bytes;
    try {
        bytes = readRegularFile(fileName_, kMaxProfileBytes);
    } catch (const FileError& e) {
        // Read as empty, but never saved over: that would throw away what could not be read.
        unreadable_ = QString::fromStdString(e.what());
        return;
    }
    bool breakStyleSeen = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype breakLength =
            (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        lines_.push_back({bytes.mid(start, i - start), bytes.mid(i, breakLength)});
        if (!breakStyleSeen) {
            newLineBreak_ = lines_.back().eol;
            breakStyleSeen = true;
        }
        i += breakLength - 1;
        start = i + 1;
    }
    if (start < bytes.size())
        lines_.push_back({bytes.mid(start), QByteArray()});
}

ProfileFile::Found ProfileFile::find(QStringView section, QStringView key) const {
    Found found;
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const QByteArray& text = lines_[i].text;
        if (const auto name = sectionNameOf(text)) {
            inSection = sameName(*name, section);
            if (inSection && found.sectionHeader < 0)
                found.sectionHeader = static_cast<int>(i);
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = text.indexOf('=');
        if (equals >= 0 && sameName(QByteArrayView(text).first(equals), key)) {
            found.line = static_cast<int>(i);
            return found;
        }
    }
    return found;
}

bool ProfileFile::valueExists(QStringView section, QStringView key) const {
    return find(section, key).line >= 0;
}

QString ProfileFile::readString(QStringView section, QStringView key,
                                const QString& defaultValue) const {
    const Found found = find(section, key);
    if (found.line < 0)
        return defaultValue;
    const QByteArray& text = lines_[static_cast<size_t>(found.line)].text;
    return QString::fromUtf8(QByteArrayView(text).sliced(text.indexOf('=') + 1));
}

std::optional<int> ProfileFile::parseInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    // One past INT_MAX, so INT_MIN can be written.
    constexpr qint64 kLimit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!negative && magnitude == kLimit)
        return std::nullopt;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int ProfileFile::readInteger(QStringView section, QStringView key, int defaultValue) const {
    if (!valueExists(section, key))
        return defaultValue;
    return parseInteger(readString(section, key, QString())).value_or(defaultValue);
}

bool ProfileFile::readBool(QStringView section, QStringView key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileFile::writeString(QStringView section, QStringView key, const QString& value) {
    checkWritable(section);
    checkWritable(key);
    checkWritable(value);
    const Found found = find(section, key);
    if (found.line >= 0) {
        QByteArray& text = lines_[static_cast<size_t>(found.line)].text;
        text.truncate(text.indexOf('=') + 1);
        text += value.toUtf8();
        return;
    }
    const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
    // The line before a missing last break gets one, so the new lines start on their own.
    if (!lines_.empty() && lines_.back().eol.isEmpty())
        lines_.back().eol = newLineBreak_;
    if (found.sectionHeader < 0) {
        lines_.push_back({'[' + section.toUtf8() + ']', newLineBreak_});
        lines_.push_back({entry, newLineBreak_});
        return;
    }
    // After the section's last non-blank line, so blank separator lines stay before the next one.
    size_t insertAt = static_cast<size_t>(found.sectionHeader) + 1;
    for (size_t i = insertAt; i < lines_.size() && !sectionNameOf(lines_[i].text); ++i)
        if (!trimmedBlanks(lines_[i].text).isEmpty())
            insertAt = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), {entry, newLineBreak_});
}

void ProfileFile::writeInteger(QStringView section, QStringView key, int value) {
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(QStringView section, QStringView key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray ProfileFile::toBytes() const {
    QByteArray bytes;
    for (const Line& line : lines_)
        bytes += line.text + line.eol;
    return bytes;
}

void ProfileFile::save() const {
    if (!unreadable_.isEmpty())
        throw FileError(unreadable_.toStdString());
    writeFileAtomically(fileName_, toBytes());
}

PlayerSettings PlayerSettings::read(const ProfileFile& file, const QString& programDir) {
    PlayerSettings s;
    s.theme = file.readString(u"Color", u"Theme", QString());
    s.top = file.readInteger(u"Form", u"Top", s.top);
    s.left = file.readInteger(u"Form", u"Left", s.left);
    s.transparent = file.readInteger(u"Form", u"Transparent", s.transparent);
    s.repeat = file.readBool(u"Init", u"Repeat", s.repeat);
    s.random = file.readBool(u"Init", u"Random", s.random);
    s.savePlayList = file.readBool(u"Init", u"SavePlayList", s.savePlayList);
    s.hidePl = file.readBool(u"Init", u"HidePl", s.hidePl);
    s.engLang = file.readBool(u"Init", u"EngLang", s.engLang);
    s.lastFile = file.readString(u"Init", u"LastFile", defaultLastFile(programDir));
    return s;
}

void PlayerSettings::writeWindowAndOptions(ProfileFile& file) const {
    file.writeInteger(u"Form", u"Top", top);
    file.writeInteger(u"Form", u"Left", left);
    file.writeInteger(u"Form", u"Transparent", transparent);
    file.writeBool(u"Init", u"Repeat", repeat);
    file.writeBool(u"Init", u"Random", random);
    file.writeBool(u"Init", u"SavePlayList", savePlayList);
}

void PlayerSettings::writeRemaining(ProfileFile& file) const {
    file.writeString(u"Init", u"LastFile", lastFile);
    file.writeString(u"Color", u"Theme", theme);
    file.writeBool(u"Init", u"HidePl", hidePl);
    file.writeBool(u"Init", u"EngLang", engLang);
}

namespace {
QString withSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}
} // namespace

QString settingsFilePath(const QString& programFilePath) {
    return programFilePath.left(programFilePath.size() - extensionOf(programFilePath).size()) +
           QStringLiteral(".INI");
}

QString defaultLastFile(const QString& programDir) {
    return withSlash(programDir) + QStringLiteral("samples/") + QLatin1String(kSampleTuneName);
}

QString defaultThemeFolder(const QString& programDir) {
    return withSlash(programDir) + QStringLiteral("thems/default/");
}

QString themeFolderFrom(const QString& stored, const QString& programDir) {
    if (!stored.isEmpty() && IsReadableFile(stored + QStringLiteral("play.bmp")))
        return stored;
    return defaultThemeFolder(programDir);
}

} // namespace qarn
