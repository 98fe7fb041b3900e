// Profile (INI) files: the settings file and theme scheme files, and the player's stored settings.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace qarn {

// An INI file loaded once into memory, read and changed there, and saved atomically when the
// caller chooses. Lines are "[Section]" headers and "Key=Value" entries; everything else is kept
// byte for byte when the file is saved.
//
// Rules: section and key names match without regard to case (blanks around them ignored); the
// value is the exact text after the first "="; the first matching key of the first section that
// has it wins (duplicate sections are searched in file order); a missing file, section or key
// gives the caller's default, a present but empty value the empty text. Line breaks are CR LF,
// CR or LF; new lines use the file's first break style (LF for a new file).
class ProfileFile {
public:
    // Loads fileName; a file that is missing or cannot be read is taken as empty (and one that
    // exists but cannot be read is never saved over).
    explicit ProfileFile(QString fileName);

    const QString& fileName() const { return fileName_; }

    bool valueExists(QStringView section, QStringView key) const;
    QString readString(QStringView section, QStringView key, const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x" or "$", with optional leading blanks and sign; any
    // other text (trailing blanks included) or a value outside int gives the default.
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    // Any integer other than 0 is true; text that is no integer gives the default.
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;

    // These change the loaded copy only; save() writes it. A key is replaced in place, or added at
    // the end of its section, or with a new section at the end of the file. A line break or zero
    // in a name or value would corrupt the file: std::invalid_argument, nothing changes.
    void writeString(QStringView section, QStringView key, const QString& value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);

    // Replaces the file atomically with the loaded copy and its changes. Throws FileError; the
    // file on disk is then as before, and the copy in memory keeps the changes.
    void save() const;

    QByteArray toBytes() const;

    // The integer rule of readInteger, or nothing.
    static std::optional<int> parseInteger(QStringView text);

private:
    struct Line {
        QByteArray text;
        QByteArray eol;
    };
    struct Found {
        int line = -1;          // the key's line, or -1
        int sectionHeader = -1; // the first header of the section, or -1
    };
    Found find(QStringView section, QStringView key) const;

    QString fileName_;
    QString unreadable_; // why an existing file could not be read; save() then refuses
    std::vector<Line> lines_;
    QByteArray newLineBreak_ = "\n";
};

// The settings the player keeps between runs, with their defaults.
struct PlayerSettings {
    QString theme; // [Color] Theme as stored; see themeFolderFrom
    int top = 10;  // [Form]
    int left = 10;
    int transparent = 255; // as stored; the slider clamps it to its range
    bool repeat = false;   // [Init]
    bool random = false;
    bool savePlayList = false;
    bool hidePl = true;
    bool engLang = true;
    QString lastFile; // defaultLastFile() when missing

    static PlayerSettings read(const ProfileFile& file, const QString& programDir);
    // The first group of the close order: Top, Left, Transparent; Repeat, Random, SavePlayList.
    void writeWindowAndOptions(ProfileFile& file) const;
    // The group after "Last.qpl": LastFile, Theme, HidePl, EngLang.
    void writeRemaining(ProfileFile& file) const;
};

// The program's full path with its extension replaced by ".INI" (added when it has none).
QString settingsFilePath(const QString& programFilePath);
// The sample tune built into the program folder.
QString defaultLastFile(const QString& programDir);
// programDir/thems/default/, ending in "/".
QString defaultThemeFolder(const QString& programDir);
// stored when stored + "play.bmp" is a readable file, else the default theme folder.
QString themeFolderFrom(const QString& stored, const QString& programDir);

inline constexpr char kSampleTuneName[] = "OdeToJoy.mid";

} // namespace qarn
