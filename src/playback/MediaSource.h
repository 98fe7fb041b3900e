// What the media device opens: a file, a MIDI song or the audio CD, each with its time format.
#pragma once

#include "playback/CdAudio.h"
#include "playback/MidiFile.h"

#include <QByteArray>

#include <memory>

namespace qarn::playback {

class MpvEngine;
class MidiProtocol;

// One backend behind the device's operations: how to load it into the engine and how its
// positions translate between the device's units and the engine's seconds.
class MediaSource {
public:
    virtual ~MediaSource() = default;
    virtual QByteArray url() const = 0;
    virtual QByteArray fileOptions() const { return {}; }
    virtual void prepare(MpvEngine&) {}
    virtual double lengthSeconds(double engineDuration) const { return engineDuration; }
    virtual double unitSeconds() const { return 0.001; }
    virtual qint64 toDevice(double seconds) const;
    virtual double toSeconds(qint64 position) const { return double(position) / 1000.0; }
    virtual int tracks() const { return 1; }
    virtual qint64 trackPosition(int) const { return 0; }
};

// Audio and video files, played by libmpv directly.
class FileSource : public MediaSource {
public:
    explicit FileSource(const QString& path);
    QByteArray url() const override { return m_url; }

private:
    QByteArray m_url;
};

// MIDI files, rendered by FluidSynth into a stream that libmpv plays.
class MidiSource : public MediaSource {
public:
    MidiSource(MidiProtocol& protocol, std::shared_ptr<const MidiSong> song);
    ~MidiSource() override;
    QByteArray url() const override { return m_url; }
    QByteArray fileOptions() const override;

private:
    MidiProtocol& m_protocol;
    QByteArray m_url;
};

// The audio CD, played by libmpv's cdda support, positions in packed track/min/sec/frame.
class CdSource : public MediaSource {
public:
    explicit CdSource(CdToc toc) : m_toc(std::move(toc)) {}
    QByteArray url() const override { return "cdda://"; }
    void prepare(MpvEngine& engine) override;
    // libmpv reports no duration for the disc; the TOC knows it.
    double lengthSeconds(double) const override;
    double unitSeconds() const override { return 1.0 / CdToc::kFramesPerSecond; }
    qint64 toDevice(double seconds) const override;
    double toSeconds(qint64 position) const override;
    int tracks() const override { return m_toc.trackCount(); }
    qint64 trackPosition(int n) const override { return m_toc.trackStart(n); }

private:
    CdToc m_toc;
};

} // namespace qarn::playback
