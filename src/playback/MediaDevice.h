// The media device: open, play, pause, stop, seek and the CD's tracks.
#pragma once

#include "playback/MediaBackend.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// Times are milliseconds for files. For the CD they are packed: track number in the low byte,
// then minutes, seconds and frames (1/75 s) within that track; Length() is the packed position
// of the end of the disc, so Position() == Length() means "at the end" in both formats.
//
// Everything runs on the UI thread and every operation is finished when it returns, except
// that Play() returns as soon as playback has started.
//
// The engine (libmpv, FluidSynth, libcdio and what they pull in) lives in a module loaded by
// the first Open(), so the player starts without it.
class MediaDevice : public QObject {
    Q_OBJECT
public:
    using Mode = MediaMode;

    explicit MediaDevice(QObject* parent = nullptr);
    ~MediaDevice() override;

    TMPDeviceTypes DeviceType() const { return m_deviceType; }
    void setDeviceType(TMPDeviceTypes type);
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& fileName);

    // Closes what is open, then opens FileName (by its extension: .mid/.midi/.rmi through the
    // synthesizer, anything else directly) or, for dtCDAudio, the CD. Throws EMCIDeviceError
    // with the reason on failure and then leaves nothing open. Opens paused at the start.
    void Open();
    void Close();
    bool isOpen() const;

    // The following throw EMCIDeviceError("No MCI device open") when nothing is open.
    // Play: from the start position if one was set since the last play, else from the current
    // position, going back to the start first when the position is the length.
    void Play();
    void Pause(); // playing: pause; paused: resume; otherwise nothing
    void Stop();  // stays at the current position
    // A seek; afterwards the device is stopped at the new position.
    void setPosition(qint64 position);
    qint64 Length() const;
    int Tracks() const;

    // Never throws; 0 when nothing is open.
    qint64 Position() const;
    // Start of track n (n from 1): 0 for files, the packed track start for the CD.
    qint64 TrackPosition(int n) const;
    // Used by the next Play only.
    void setStartPos(qint64 position);
    Mode mode() const;

    // Tests: null audio and video outputs for devices whose first Open comes after the call.
    // Otherwise sound goes to the desktop sound server (PulseAudio, then ALSA), or nowhere when
    // none can be opened, and video to a window of its own.
    static void setNullOutputs(bool on);
    // The CD to open: a drive or a .cue image; empty means libcdio's default drive.
    void setCdDevice(const QString& pathOrEmpty);

    // Loads the media module (once per process); throws EMCIDeviceError when it cannot.
    static QarnCreateMediaBackend moduleEntry(const char* name);

private:
    qarn::playback::MediaBackend& backend();

    TMPDeviceTypes m_deviceType = dtOther;
    QString m_fileName;
    QString m_cdDevice;
    std::optional<qint64> m_startPos;
    std::unique_ptr<qarn::playback::MediaBackend> m_backend;
};
