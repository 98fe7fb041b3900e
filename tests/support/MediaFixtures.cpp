// Media made at test time: WAV, MIDI and BIN/CUE written here, the rest encoded by ffmpeg.
#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>

namespace qarn::test {

namespace {

void putLe(QByteArray& b, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void putBe(QByteArray& b, quint32 v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void putVarLen(QByteArray& b, quint32 v) {
    QByteArray tmp;
    tmp.prepend(char(v & 0x7F));
    while (v >>= 7)
        tmp.prepend(char(0x80 | (v & 0x7F)));
    b.append(tmp);
}

QByteArray sinePcm(qint64 frames, int frequency) {
    QByteArray pcm;
    pcm.reserve(frames * 4);
    for (qint64 i = 0; i < frames; ++i) {
        const auto v = qint16(8000 * std::sin(2 * M_PI * frequency * double(i) / 44100));
        putLe(pcm, quint16(v), 2);
        putLe(pcm, quint16(v), 2);
    }
    return pcm;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray track(const QByteArray& events) {
    QByteArray t("MTrk");
    putBe(t, quint32(events.size()), 4);
    return t + events;
}

} // namespace

QString writeWav(const QString& path, int milliseconds, int frequency) {
    const QByteArray pcm = sinePcm(qint64(milliseconds) * 44100 / 1000, frequency);
    QByteArray b("RIFF");
    putLe(b, 36 + quint32(pcm.size()), 4);
    b += "WAVEfmt ";
    putLe(b, 16, 4);
    putLe(b, 1, 2);
    putLe(b, 2, 2);
    putLe(b, 44100, 4);
    putLe(b, 44100 * 4, 4);
    putLe(b, 4, 2);
    putLe(b, 16, 2);
    b += "data";
    putLe(b, quint32(pcm.size()), 4);
    return writeFile(path, b + pcm) ? path : QString();
}

QByteArray midiBytes() {
    QByteArray tempo;
    putVarLen(tempo, 0);
    tempo += QByteArray::fromHex("ff510307a120"); // 500000 us per beat
    putVarLen(tempo, 1920);
    tempo += QByteArray::fromHex("ff51030f4240"); // 1000000 us per beat
    putVarLen(tempo, 480);
    tempo += QByteArray::fromHex("ff2f00");

    QByteArray notes;
    putVarLen(notes, 0);
    notes += QByteArray::fromHex("c000");
    for (int i = 0; i < 5; ++i) {
        putVarLen(notes, i == 0 ? 0 : 80);
        notes += QByteArray::fromHex("903c64");
        putVarLen(notes, 400);
        notes += QByteArray::fromHex("803c40");
    }
    putVarLen(notes, 80);
    notes += QByteArray::fromHex("ff2f00");

    QByteArray b("MThd");
    putBe(b, 6, 4);
    putBe(b, 1, 2);   // format
    putBe(b, 2, 2);   // tracks
    putBe(b, 480, 2); // ticks per beat
    return b + track(tempo) + track(notes);
}

QString writeMidi(const QString& path) {
    return writeFile(path, midiBytes()) ? path : QString();
}

QString writeRmi(const QString& path) {
    const QByteArray smf = midiBytes();
    QByteArray data("data");
    putLe(data, quint32(smf.size()), 4);
    data += smf;
    if (smf.size() & 1)
        data.append('\0');
    QByteArray b("RIFF");
    putLe(b, quint32(4 + data.size()), 4);
    b += "RMID" + data;
    return writeFile(path, b) ? path : QString();
}

bool haveFfmpeg() {
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

QString encodeWithFfmpeg(const QString& path, int seconds, int audioKbps) {
    if (!haveFfmpeg())
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString d = QString::number(seconds);
    QStringList args{
        "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:sample_rate=44100:d=" + d};
    const QString bitrate = QString::number(audioKbps) + "k";
    if (suffix == "mp3") {
        args << "-c:a"
             << "libmp3lame"
             << "-b:a" << bitrate;
    } else if (suffix == "wma") {
        args << "-c:a"
             << "wmav2"
             << "-b:a" << bitrate;
    } else {
        args << "-f"
             << "lavfi"
             << "-i"
             << "testsrc=s=160x120:r=25:d=" + d;
        if (suffix == "wmv")
            args << "-c:v"
                 << "wmv2"
                 << "-c:a"
                 << "wmav2";
        else if (suffix == "avi")
            args << "-c:v"
                 << "mpeg4"
                 << "-c:a"
                 << "pcm_s16le";
        else if (suffix == "mpg" || suffix == "mpeg")
            args << "-c:v"
                 << "mpeg1video"
                 << "-c:a"
                 << "mp2"
                 << "-f"
                 << "mpeg";
        else
            return {};
        args << "-shortest";
    }
    args << path;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QFileInfo(path).size() > 0 ? path : QString();
}

CdImage writeCdImage(const QString& folder, const std::vector<int>& trackFrames) {
    constexpr int kSectorBytes = 2352; // 1/75 s of 16-bit stereo 44.1 kHz
    CdImage image;
    image.bin = QDir(folder).filePath(QStringLiteral("disc.bin"));
    image.cue = QDir(folder).filePath(QStringLiteral("disc.cue"));
    QByteArray bin;
    QString cue = QStringLiteral("FILE \"disc.bin\" BINARY\n");
    int frame = 0;
    for (size_t i = 0; i < trackFrames.size(); ++i) {
        image.starts.push_back(frame);
        cue += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                   .arg(i + 1, 2, 10, QLatin1Char('0'))
                   .arg(frame / 4500, 2, 10, QLatin1Char('0'))
                   .arg(frame / 75 % 60, 2, 10, QLatin1Char('0'))
                   .arg(frame % 75, 2, 10, QLatin1Char('0'));
        bin += sinePcm(qint64(trackFrames[i]) * kSectorBytes / 4, 330 + 110 * int(i));
        frame += trackFrames[i];
    }
    image.starts.push_back(frame);
    if (!writeFile(image.bin, bin) || !writeFile(image.cue, cue.toUtf8()))
        return {};
    return image;
}

} // namespace qarn::test
