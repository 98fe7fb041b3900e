// The media device's backends: files, MIDI songs and the audio CD.
#include "playback/MediaSource.h"

#include "playback/MidiStream.h"
#include "playback/MpvEngine.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace qarn::playback {

qint64 MediaSource::toDevice(double seconds) const {
    return std::llround(seconds * 1000.0);
}

// An absolute path: libmpv would take a relative "x://..." or "av:..." for a protocol.
FileSource::FileSource(const QString& path)
    : m_url(QFile::encodeName(QFileInfo(path).absoluteFilePath())) {}

MidiSource::MidiSource(MidiProtocol& protocol, std::shared_ptr<const MidiSong> song)
    : m_protocol(protocol), m_url(protocol.add(std::move(song))) {}

MidiSource::~MidiSource() {
    m_protocol.remove(m_url);
}

// The stream is always WAV: naming the demuxer skips format probing.
QByteArray MidiSource::fileOptions() const {
    return "demuxer=lavf,demuxer-lavf-format=wav";
}

void CdSource::prepare(MpvEngine& engine) {
    engine.setOption("cdrom-device", QFile::encodeName(m_toc.device));
}

double CdSource::lengthSeconds(double) const {
    return double(m_toc.totalFrames()) / CdToc::kFramesPerSecond;
}

qint64 CdSource::toDevice(double seconds) const {
    return m_toc.packedAt(int(std::floor(seconds * CdToc::kFramesPerSecond + 1e-6)));
}

double CdSource::toSeconds(qint64 position) const {
    return double(m_toc.frameOf(quint32(position))) / CdToc::kFramesPerSecond;
}

} // namespace qarn::playback
