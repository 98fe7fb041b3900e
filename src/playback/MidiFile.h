// Standard MIDI file reading: the tempo map and length that FluidSynth does not report up front.
#pragma once

#include <QByteArray>

#include <stdexcept>
#include <vector>

namespace qarn::playback {

class MidiFormatError : public std::runtime_error {
    using runtime_error::runtime_error;
};

struct MidiSong {
    struct Tempo {
        qint64 tick = 0;
        qint64 usPerQuarter = 500000;
        double startSeconds = 0;
    };

    QByteArray smf;   // the standard MIDI file itself (an RMID wrapper removed)
    int division = 0; // ticks per quarter note
    qint64 totalTicks = 0;
    std::vector<Tempo> tempos; // sorted by tick, the first at tick 0
    double durationSeconds = 0;

    double secondsAt(qint64 tick) const;
    qint64 tickAt(double seconds) const;
};

// Reads a standard MIDI file (or its RIFF "RMID" wrapper). Throws MidiFormatError with a short
// reason when the data is not one FluidSynth can play.
MidiSong parseMidiFile(const QByteArray& bytes);

} // namespace qarn::playback
