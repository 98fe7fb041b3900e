// Audio CD table of contents through libcdio, and packed track/minute/second/frame times.
#include "playback/CdAudio.h"

#include <QFile>

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <algorithm>
#include <memory>

namespace qarn::playback {

quint32 CdToc::packedAt(int frame) const {
    frame = std::clamp(frame, 0, totalFrames());
    const int sector = starts.front() + frame;
    // The last track whose start is not after the sector (the lead-out belongs to the last track).
    int index = trackCount() - 1;
    while (index > 0 && starts[size_t(index)] > sector)
        --index;
    const int rel = sector - starts[size_t(index)];
    const quint32 track = quint32(firstTrack + index) & 0xFF;
    const quint32 minutes = quint32(rel / (60 * kFramesPerSecond)) & 0xFF;
    const quint32 seconds = quint32(rel / kFramesPerSecond % 60);
    const quint32 frames = quint32(rel % kFramesPerSecond);
    return track | (minutes << 8) | (seconds << 16) | (frames << 24);
}

int CdToc::frameOf(quint32 packed) const {
    const int track = int(packed & 0xFF);
    if (track == 0)
        return 0;
    const int index = std::clamp(track - firstTrack, 0, trackCount() - 1);
    const int rel = int((packed >> 8) & 0xFF) * 60 * kFramesPerSecond +
                    int((packed >> 16) & 0xFF) * kFramesPerSecond + int((packed >> 24) & 0xFF);
    return std::clamp(starts[size_t(index)] - starts.front() + rel, 0, totalFrames());
}

quint32 CdToc::trackStart(int n) const {
    const int index = std::clamp(n - 1, 0, trackCount() - 1);
    return quint32(firstTrack + index) & 0xFF;
}

CdToc readCdToc(const QString& deviceOrImage) {
    // libcdio logs every failed probe to stderr; only errors matter.
    cdio_loglevel_default = CDIO_LOG_ERROR;

    CdToc toc;
    std::unique_ptr<CdIo_t, decltype(&cdio_destroy)> cd(nullptr, cdio_destroy);
    if (deviceOrImage.isEmpty()) {
        char* drive = cdio_get_default_device(nullptr);
        if (!drive)
            throw CdError("No CD drive found");
        toc.device = QFile::decodeName(drive);
        cdio_free(drive);
        cd.reset(cdio_open(QFile::encodeName(toc.device).constData(), DRIVER_DEVICE));
        if (!cd)
            throw CdError("Cannot open the CD drive " + toc.device.toStdString());
    } else {
        toc.device = deviceOrImage;
        if (!QFile::exists(deviceOrImage))
            throw CdError("CD image not found: " + deviceOrImage.toStdString());
        cd.reset(cdio_open(QFile::encodeName(deviceOrImage).constData(), DRIVER_UNKNOWN));
        if (!cd)
            throw CdError("Cannot read the CD image " + deviceOrImage.toStdString());
    }

    const track_t first = cdio_get_first_track_num(cd.get());
    const track_t count = cdio_get_num_tracks(cd.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        if (deviceOrImage.isEmpty())
            throw CdError("No audio CD in the drive");
        throw CdError("The CD image has no tracks: " + deviceOrImage.toStdString());
    }
    bool anyAudio = false;
    for (track_t t = first; t < first + count; ++t) {
        const lsn_t lsn = cdio_get_track_lsn(cd.get(), t);
        if (lsn == CDIO_INVALID_LSN)
            throw CdError("The table of contents of the CD cannot be read");
        anyAudio = anyAudio || cdio_get_track_format(cd.get(), t) == TRACK_FORMAT_AUDIO;
        toc.starts.push_back(lsn);
    }
    const lsn_t leadout = cdio_get_track_lsn(cd.get(), CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN)
        throw CdError("The table of contents of the CD cannot be read");
    toc.starts.push_back(leadout);
    if (!anyAudio)
        throw CdError("The CD has no audio tracks");
    if (!std::is_sorted(toc.starts.begin(), toc.starts.end()) || toc.totalFrames() <= 0)
        throw CdError("The table of contents of the CD is damaged");
    toc.firstTrack = first;
    return toc;
}

} // namespace qarn::playback
