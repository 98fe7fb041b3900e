// MIDI through libmpv: a stream protocol whose streams are WAV data rendered by FluidSynth on
// demand.
#pragma once

#include "playback/MidiFile.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct mpv_handle;
typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace qarn::playback {

// Songs are registered under URLs of their own scheme; libmpv opens them from its demuxer thread,
// so everything here is guarded. Must outlive the mpv core it is registered with.
class MidiProtocol {
public:
    static constexpr int kSampleRate = 44100;

    MidiProtocol();
    ~MidiProtocol();
    MidiProtocol(const MidiProtocol&) = delete;
    MidiProtocol& operator=(const MidiProtocol&) = delete;

    bool registerWith(mpv_handle* mpv);
    QByteArray add(std::shared_ptr<const MidiSong> song); // returns the URL to load
    void remove(const QByteArray& url);

    // The General MIDI SoundFont used for rendering; empty when none is installed.
    static QString soundFontPath();

    struct Synth {
        fluid_settings_t* settings = nullptr;
        fluid_synth_t* synth = nullptr;
    };
    std::shared_ptr<const MidiSong> song(const QByteArray& url) const;
    Synth acquireSynth();
    void releaseSynth(Synth s);
    // Frees the synth kept warm for the next MIDI file (about 17 MB with TimGM6mb).
    void dropIdleSynth();

private:
    static void destroy(Synth s);

    mutable std::mutex m_mutex;
    std::map<QByteArray, std::shared_ptr<const MidiSong>> m_songs;
    std::vector<Synth> m_idle; // loading a SoundFont costs 30-80 ms, so one synth is kept warm
    int m_nextId = 1;
};

} // namespace qarn::playback
