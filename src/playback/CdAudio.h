// Audio CD table of contents (libcdio) and the packed track/minute/second/frame time format.
#pragma once

#include <QString>

#include <stdexcept>
#include <vector>

namespace qarn::playback {

class CdError : public std::runtime_error {
    using runtime_error::runtime_error;
};

struct CdToc {
    static constexpr int kFramesPerSecond = 75;

    QString device;          // what libmpv gets as cdrom-device: the drive or the .cue image
    int firstTrack = 1;      // number of the first track on the disc
    std::vector<int> starts; // start sector of each track, then the lead-out

    int trackCount() const { return int(starts.size()) - 1; }
    int totalFrames() const { return starts.back() - starts.front(); }

    // Packed time: track number in the low byte, then minutes, seconds, frames within the track.
    // `frame` counts sectors from the start of the first track.
    quint32 packedAt(int frame) const;
    int frameOf(quint32 packed) const; // the reverse; track 0 means the start of the disc
    quint32 trackStart(int n) const;   // n counts from 1
};

// Reads the TOC of the drive (empty path: libcdio's default drive) or of a BIN/CUE image.
// Throws CdError with a message for the user.
CdToc readCdToc(const QString& deviceOrImage);

} // namespace qarn::playback
