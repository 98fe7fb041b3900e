// The media engine behind the media device: the open/play/pause/stop/seek state machine over
// the libmpv backends. Lives in the media module, loaded on first use.
#include "playback/EngineDevice.h"

#include "playback/CdAudio.h"
#include "playback/MediaSource.h"
#include "playback/MidiFile.h"
#include "playback/MidiStream.h"
#include "playback/MpvEngine.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <clocale>

using namespace qarn::playback;

namespace {

constexpr int kFileOpenTimeoutMs = 15000;
constexpr int kCdOpenTimeoutMs = 30000; // a drive may need to spin up
constexpr qint64 kMaxMidiBytes = 64 << 20;
const char kNotOpen[] = "No MCI device open";

bool s_nullOutputs = false;

bool isMidiName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mid") || suffix == QLatin1String("midi") ||
           suffix == QLatin1String("rmi");
}

[[noreturn]] void fail(const QString& text) {
    throw EMCIDeviceError(text.toStdString());
}

} // namespace

EngineDevice::EngineDevice() {
    // libmpv needs C number formatting; QCoreApplication has set the user's locale by now.
    std::setlocale(LC_NUMERIC, "C");
}

EngineDevice::~EngineDevice() {
    m_source.reset();
    m_engine.reset();
}

void EngineDevice::setNullOutputs(bool on) {
    s_nullOutputs = on;
}

bool EngineDevice::isOpen() const {
    return m_source && m_engine && m_engine->isLoaded();
}

void EngineDevice::requireOpen() const {
    if (!isOpen())
        throw EMCIDeviceError(kNotOpen);
}

MpvEngine& EngineDevice::engine() {
    if (!m_engine || !m_engine->isValid()) {
        // A core that shut itself down is replaced.
        m_source.reset();
        m_engine.reset();
        auto engine = std::make_unique<MpvEngine>(s_nullOutputs);
        if (!engine->isValid())
            fail(QStringLiteral("The media engine (libmpv) cannot be started"));
        m_engine = std::move(engine);
    }
    return *m_engine;
}

std::unique_ptr<MediaSource> EngineDevice::makeFileSource() {
    const QString& path = m_fileName;
    if (path.isEmpty())
        fail(QStringLiteral("No file name given"));
    const QFileInfo info(path);
    if (!info.exists())
        fail(QStringLiteral("File not found: %1").arg(path));
    if (info.isDir())
        fail(QStringLiteral("%1 is a folder, not a media file").arg(path));
    if (!info.isFile())
        fail(QStringLiteral("Not a regular file: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read the file %1").arg(path));
    if (file.size() == 0)
        fail(QStringLiteral("The file is empty: %1").arg(path));
    if (!isMidiName(path))
        return std::make_unique<FileSource>(path);

    if (MidiProtocol::soundFontPath().isEmpty())
        fail(QStringLiteral("No General MIDI SoundFont is installed "
                            "(/usr/share/sounds/sf2/default-GM.sf2)"));
    if (file.size() > kMaxMidiBytes)
        fail(QStringLiteral("Damaged MIDI file %1: it is too large").arg(path));
    std::shared_ptr<const MidiSong> song;
    try {
        song = std::make_shared<const MidiSong>(parseMidiFile(file.readAll()));
    } catch (const MidiFormatError& e) {
        fail(QStringLiteral("Damaged MIDI file %1: %2").arg(path, QString::fromUtf8(e.what())));
    }
    return std::make_unique<MidiSource>(engine().midi(), std::move(song));
}

std::unique_ptr<MediaSource> EngineDevice::makeCdSource() {
    try {
        return std::make_unique<CdSource>(readCdToc(m_cdDevice));
    } catch (const CdError& e) {
        throw EMCIDeviceError(e.what());
    }
}

void EngineDevice::Open() {
    Close();
    const bool cd = m_deviceType == dtCDAudio;
    std::unique_ptr<MediaSource> source = cd ? makeCdSource() : makeFileSource();
    MpvEngine& mpv = engine();
    source->prepare(mpv);
    const QString error =
        mpv.load(source->url(), source->fileOptions(), cd ? kCdOpenTimeoutMs : kFileOpenTimeoutMs);
    if (!error.isEmpty()) {
        if (cd)
            fail(QStringLiteral("Cannot play the CD: %1").arg(error));
        if (error == QLatin1String("unrecognized file format"))
            fail(QStringLiteral("Unrecognized file format: %1").arg(m_fileName));
        fail(QStringLiteral("Cannot play the file %1: %2").arg(m_fileName, error));
    }
    // The previous file is fully unloaded by now, so a synth it used is back in the pool.
    if (!dynamic_cast<MidiSource*>(source.get()))
        mpv.midi().dropIdleSynth();
    m_source = std::move(source);
    m_mode = Mode::Stopped;
    m_held = 0;
    m_startPos.reset();
}

void EngineDevice::Close() {
    if (m_engine)
        m_engine->unload();
    m_source.reset();
    m_mode = Mode::NotOpen;
    m_held.reset();
    m_startPos.reset();
}

MediaMode EngineDevice::mode() const {
    if (!isOpen())
        return Mode::NotOpen;
    // Playback that ran to the end has stopped there.
    if (m_mode == Mode::Playing && m_engine->eofReached())
        m_mode = Mode::Stopped;
    return m_mode;
}

void EngineDevice::Play() {
    requireOpen();
    if (m_startPos) {
        const qint64 start = *m_startPos;
        m_startPos.reset();
        seekTo(start);
    } else if (m_engine->eofReached() || Position() == Length()) {
        // At the end libmpv ignores unpausing; start again from the beginning.
        seekTo(0);
    }
    resume();
}

void EngineDevice::resume() {
    m_engine->setPaused(false);
    m_mode = Mode::Playing;
    m_playFrom = m_held.value_or(m_playFrom);
    m_held.reset();
}

double EngineDevice::currentSeconds() const {
    if (m_held && mode() != Mode::Playing)
        return *m_held;
    // Right after unpausing, time-pos may still read short; playback never runs backwards.
    return std::max(m_engine->timePos(), m_playFrom);
}

void EngineDevice::Pause() {
    requireOpen();
    switch (mode()) {
    case Mode::Playing:
        m_held = currentSeconds();
        m_engine->setPaused(true);
        m_mode = Mode::Paused;
        break;
    case Mode::Paused:
        resume();
        break;
    default:
        break;
    }
}

void EngineDevice::Stop() {
    requireOpen();
    if (mode() == Mode::Playing)
        m_held = currentSeconds();
    m_engine->setPaused(true);
    m_mode = Mode::Stopped;
}

void EngineDevice::setPosition(qint64 position) {
    requireOpen();
    m_engine->setPaused(true);
    seekTo(position);
    m_mode = Mode::Stopped;
}

void EngineDevice::seekTo(qint64 position) {
    const double length = lengthSeconds();
    double seconds = std::max(m_source->toSeconds(position), 0.0);
    if (length > 0)
        seconds = std::min(seconds, length);
    m_engine->seek(seconds);
    m_held = seconds;
}

double EngineDevice::lengthSeconds() const {
    return m_source->lengthSeconds(m_engine->duration());
}

qint64 EngineDevice::Length() const {
    requireOpen();
    return m_source->toDevice(lengthSeconds());
}

int EngineDevice::Tracks() const {
    requireOpen();
    return m_source->tracks();
}

qint64 EngineDevice::Position() const {
    if (!isOpen())
        return 0;
    const double length = lengthSeconds();
    const double t = std::max(currentSeconds(), 0.0);
    if (length <= 0) // no duration known (a stream): positions as they come
        return m_source->toDevice(t);
    const qint64 end = m_source->toDevice(length);
    // time-pos at the end differs from the duration by some milliseconds either way.
    if (m_engine->eofReached())
        return end;
    const qint64 position = m_source->toDevice(std::min(t, length));
    // Only the end itself reads as the length.
    if (position == end)
        return m_source->toDevice(std::max(0.0, length - m_source->unitSeconds()));
    return position;
}

qint64 EngineDevice::TrackPosition(int n) const {
    return isOpen() ? m_source->trackPosition(n) : 0;
}

// The media module's entry points (see MediaBackend.h).
extern "C" Q_DECL_EXPORT qarn::playback::MediaBackend* qarn_create_media_backend(bool nullOutputs) {
    EngineDevice::setNullOutputs(nullOutputs);
    return new EngineDevice;
}
