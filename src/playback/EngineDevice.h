// The media engine: open, play, pause, stop, seek and the CD's tracks, over libmpv.
#pragma once

#include "playback/MediaBackend.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

namespace qarn::playback {
class MpvEngine;
class MediaSource;
} // namespace qarn::playback

// Times are milliseconds for files. For the CD they are packed: track number in the low byte,
// then minutes, seconds and frames (1/75 s) within that track; Length() is the packed position
// of the end of the disc, so Position() == Length() means "at the end" in both formats.
//
// Everything runs on the UI thread and every operation is finished when it returns, except
// that Play() returns as soon as playback has started.
class EngineDevice : public qarn::playback::MediaBackend {
public:
    using Mode = MediaMode;

    // Cheap: the player core and the SoundFont are loaded by the first Open().
    EngineDevice();
    ~EngineDevice() override;

    TMPDeviceTypes DeviceType() const { return m_deviceType; }
    void setDeviceType(TMPDeviceTypes type) override { m_deviceType = type; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& fileName) override { m_fileName = fileName; }

    // Closes what is open, then opens FileName (by its extension: .mid/.midi/.rmi through the
    // synthesizer, anything else directly) or, for dtCDAudio, the CD. Throws EMCIDeviceError
    // with the reason on failure and then leaves nothing open. Opens paused at the start.
    void Open() override;
    void Close() override;
    bool isOpen() const override;

    // The following throw EMCIDeviceError("No MCI device open") when nothing is open.
    // Play: from the start position if one was set since the last play, else from the current
    // position, going back to the start first when the position is the length.
    void Play() override;
    void Pause() override; // playing: pause; paused: resume; otherwise nothing
    void Stop() override;  // stays at the current position
    // A seek; afterwards the device is stopped at the new position.
    void setPosition(qint64 position) override;
    qint64 Length() const override;
    int Tracks() const override;

    // Never throws; 0 when nothing is open.
    qint64 Position() const override;
    // Start of track n (n from 1): 0 for files, the packed track start for the CD.
    qint64 TrackPosition(int n) const override;
    // Used by the next Play only.
    void setStartPos(qint64 position) override { m_startPos = position; }
    Mode mode() const override;

    // Tests: null audio and video outputs for devices whose first Open comes after the call.
    // Otherwise sound goes to the desktop sound server (PulseAudio, then ALSA), or nowhere when
    // none can be opened, and video to a window of its own.
    static void setNullOutputs(bool on);
    // The CD to open: a drive or a .cue image; empty means libcdio's default drive.
    void setCdDevice(const QString& pathOrEmpty) override { m_cdDevice = pathOrEmpty; }

private:
    void requireOpen() const;
    qarn::playback::MpvEngine& engine();
    std::unique_ptr<qarn::playback::MediaSource> makeFileSource();
    std::unique_ptr<qarn::playback::MediaSource> makeCdSource();
    double lengthSeconds() const;
    void seekTo(qint64 position);
    void resume();
    double currentSeconds() const;

    TMPDeviceTypes m_deviceType = dtOther;
    QString m_fileName;
    QString m_cdDevice;
    // The engine outlives the source: a MIDI source unregisters its song from the engine.
    std::unique_ptr<qarn::playback::MpvEngine> m_engine;
    std::unique_ptr<qarn::playback::MediaSource> m_source;
    mutable Mode m_mode = Mode::NotOpen;
    std::optional<qint64> m_startPos;
    // Where a stopped or paused device stands, in seconds. libmpv's time-pos reads short by the
    // audio buffer after a seek while paused, though playback then resumes at the right place.
    std::optional<double> m_held;
    double m_playFrom = 0; // where the current run of playback started
};
