// Media made at test time: WAV, MIDI and BIN/CUE written here, the rest encoded by ffmpeg.
#pragma once

#include "platform/CdDoor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace qarn::test {

// 16-bit stereo 44.1 kHz sine.
QString writeWav(const QString& path, int milliseconds, int frequency = 440);

// A two-track MIDI file: 2 s at 120 bpm, then a change to 60 bpm for one more beat.
constexpr qint64 kMidiLengthMs = 3000;
QByteArray midiBytes();
QString writeMidi(const QString& path);
// The same song in a RIFF "RMID" wrapper.
QString writeRmi(const QString& path);

// Encodes `seconds` of sine (and a test picture for video formats) into the format named by
// the suffix of path: mp3, wma, wmv, avi, mpg. Empty when ffmpeg is missing or fails.
QString encodeWithFfmpeg(const QString& path, int seconds, int audioKbps = 128);
bool haveFfmpeg();

// An audio CD image: one track per entry of trackFrames (1/75 s each), a different tone each.
struct CdImage {
    QString cue;
    QString bin;
    std::vector<int> starts; // start frame of each track, then the end
};
CdImage writeCdImage(const QString& folder, const std::vector<int>& trackFrames);

// Stands in for the CD drive's door, which no test machine has; records the calls it gets.
class FakeCdDoor : public qarn::CdDoor {
public:
    void open() override { calls << QStringLiteral("open"); }
    void close() override { calls << QStringLiteral("close"); }
    QStringList calls;
};

} // namespace qarn::test
