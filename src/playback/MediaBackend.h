// What the media device asks of its engine, and the types both sides share.
#pragma once

#include <QString>

#include <stdexcept>

// The device's refusals; what() is the message for the user.
class EMCIDeviceError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

enum TMPDeviceTypes { dtAutoSelect, dtCDAudio, dtOther };

enum class MediaMode { NotOpen, Stopped, Playing, Paused };

namespace qarn::playback {

// The engine side of the media device (see MediaDevice for the meaning of each operation).
// It lives in the media module, which carries libmpv, FluidSynth and libcdio, so that they are
// loaded only when the first file is opened.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    virtual void setDeviceType(TMPDeviceTypes type) = 0;
    virtual void setFileName(const QString& fileName) = 0;
    virtual void setCdDevice(const QString& pathOrEmpty) = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool isOpen() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void setPosition(qint64 position) = 0;
    virtual qint64 Length() const = 0;
    virtual int Tracks() const = 0;
    virtual qint64 Position() const = 0;
    virtual qint64 TrackPosition(int n) const = 0;
    virtual void setStartPos(qint64 position) = 0;
    virtual MediaMode mode() const = 0;
};

} // namespace qarn::playback

// Entry points of the media module, looked up by name when it is loaded.
extern "C" {
using QarnCreateMediaBackend = qarn::playback::MediaBackend* (*)(bool nullOutputs);
}
inline constexpr char kQarnCreateMediaBackend[] = "qarn_create_media_backend";
