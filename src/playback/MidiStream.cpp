// MIDI through libmpv: FluidSynth renders the song into a WAV byte stream read by libmpv.
#include "playback/MidiStream.h"

#include <QFileInfo>

#include <fluidsynth.h>
#include <mpv/stream_cb.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <malloc.h>

namespace qarn::playback {

namespace {

constexpr char kScheme[] = "qarnmidi";
constexpr qint64 kHeaderBytes = 44;
constexpr qint64 kFrameBytes = 4; // 16-bit stereo
constexpr qint64 kChunkFrames = 4096;

void putLe(char* p, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

class MidiStream {
public:
    MidiStream(MidiProtocol& protocol, std::shared_ptr<const MidiSong> song,
               MidiProtocol::Synth synth)
        : m_protocol(protocol), m_song(std::move(song)), m_synth(synth),
          m_frames(qint64(m_song->durationSeconds * MidiProtocol::kSampleRate)) {
        const quint32 data = quint32(m_frames * kFrameBytes);
        char* h = m_header.data();
        std::memcpy(h, "RIFF", 4);
        putLe(h + 4, 36 + data, 4);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        putLe(h + 16, 16, 4);
        putLe(h + 20, 1, 2); // PCM
        putLe(h + 22, 2, 2);
        putLe(h + 24, MidiProtocol::kSampleRate, 4);
        putLe(h + 28, MidiProtocol::kSampleRate * kFrameBytes, 4);
        putLe(h + 32, kFrameBytes, 2);
        putLe(h + 34, 16, 2);
        std::memcpy(h + 36, "data", 4);
        putLe(h + 40, data, 4);
    }

    ~MidiStream() {
        if (m_player)
            delete_fluid_player(m_player);
        m_protocol.releaseSynth(m_synth);
    }

    qint64 size() const { return kHeaderBytes + m_frames * kFrameBytes; }

    int64_t seek(int64_t offset) {
        if (offset < 0 || offset > size())
            return MPV_ERROR_GENERIC;
        m_pos = offset;
        return offset;
    }

    int64_t read(char* out, uint64_t wanted) {
        qint64 done = 0;
        while (done < qint64(wanted) && m_pos < size()) {
            const qint64 left = qint64(wanted) - done;
            qint64 n = 0;
            if (m_pos < kHeaderBytes) {
                n = std::min(left, kHeaderBytes - m_pos);
                std::memcpy(out + done, m_header.data() + m_pos, size_t(n));
            } else {
                const qint64 frame = (m_pos - kHeaderBytes) / kFrameBytes;
                const qint64 offset = (m_pos - kHeaderBytes) % kFrameBytes;
                if (offset != 0 || left < kFrameBytes) {
                    // A read that splits a frame: serve it from the last frame rendered.
                    if (frame != m_lastFrameIndex)
                        render(frame, 1, nullptr);
                    n = std::min(left, kFrameBytes - offset);
                    std::memcpy(out + done, m_lastFrame.data() + offset, size_t(n));
                } else {
                    const qint64 frames =
                        std::min({left / kFrameBytes, m_frames - frame, kChunkFrames});
                    render(frame, frames, out + done);
                    n = frames * kFrameBytes;
                }
            }
            done += n;
            m_pos += n;
        }
        return done;
    }

private:
    // Renders frames [first, first + count) into out (which may be unaligned) or only the cache.
    void render(qint64 first, qint64 count, char* out) {
        if (first != m_nextFrame)
            startAt(first);
        m_scratch.resize(size_t(count * 2));
        fluid_synth_write_s16(m_synth.synth, int(count), m_scratch.data(), 0, 2, m_scratch.data(),
                              1, 2);
        if (out)
            std::memcpy(out, m_scratch.data(), size_t(count * kFrameBytes));
        std::memcpy(m_lastFrame.data(), m_scratch.data() + (count - 1) * 2, kFrameBytes);
        m_lastFrameIndex = first + count - 1;
        m_nextFrame = first + count;
    }

    // A fresh player per start: a player that reached its end cannot be restarted, and a player
    // accepts any seek target before it starts playing.
    void startAt(qint64 frame) {
        if (m_player)
            delete_fluid_player(m_player);
        fluid_synth_system_reset(m_synth.synth);
        m_player = new_fluid_player(m_synth.synth);
        if (!m_player)
            return;
        fluid_player_add_mem(m_player, m_song->smf.constData(), size_t(m_song->smf.size()));
        const qint64 tick = m_song->tickAt(double(frame) / MidiProtocol::kSampleRate);
        if (tick > 0)
            fluid_player_seek(m_player, int(tick));
        fluid_player_play(m_player);
    }

    MidiProtocol& m_protocol;
    std::shared_ptr<const MidiSong> m_song;
    MidiProtocol::Synth m_synth;
    fluid_player_t* m_player = nullptr;
    const qint64 m_frames;
    std::array<char, kHeaderBytes> m_header{};
    qint64 m_pos = 0;
    qint64 m_nextFrame = -1;
    std::array<char, kFrameBytes> m_lastFrame{};
    qint64 m_lastFrameIndex = -1;
    std::vector<short> m_scratch;
};

int64_t streamRead(void* cookie, char* buf, uint64_t n) {
    return static_cast<MidiStream*>(cookie)->read(buf, n);
}
int64_t streamSeek(void* cookie, int64_t offset) {
    return static_cast<MidiStream*>(cookie)->seek(offset);
}
int64_t streamSize(void* cookie) {
    return static_cast<MidiStream*>(cookie)->size();
}
void streamClose(void* cookie) {
    delete static_cast<MidiStream*>(cookie);
}

int streamOpen(void* userData, char* uri, mpv_stream_cb_info* info) {
    auto* protocol = static_cast<MidiProtocol*>(userData);
    auto song = protocol->song(QByteArray(uri));
    if (!song)
        return MPV_ERROR_LOADING_FAILED;
    const MidiProtocol::Synth synth = protocol->acquireSynth();
    if (!synth.synth)
        return MPV_ERROR_LOADING_FAILED;
    info->cookie = new MidiStream(*protocol, std::move(song), synth);
    info->read_fn = streamRead;
    info->seek_fn = streamSeek;
    info->size_fn = streamSize;
    info->close_fn = streamClose;
    return 0;
}

} // namespace

MidiProtocol::MidiProtocol() {
    // FluidSynth prints to stderr by default; bad files are reported by our own reader instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

MidiProtocol::~MidiProtocol() {
    for (const Synth& s : m_idle)
        destroy(s);
}

bool MidiProtocol::registerWith(mpv_handle* mpv) {
    return mpv_stream_cb_add_ro(mpv, kScheme, this, streamOpen) >= 0;
}

QByteArray MidiProtocol::add(std::shared_ptr<const MidiSong> song) {
    std::lock_guard lock(m_mutex);
    const QByteArray url = QByteArray(kScheme) + "://" + QByteArray::number(m_nextId++);
    m_songs[url] = std::move(song);
    return url;
}

void MidiProtocol::remove(const QByteArray& url) {
    std::lock_guard lock(m_mutex);
    m_songs.erase(url);
}

std::shared_ptr<const MidiSong> MidiProtocol::song(const QByteArray& url) const {
    std::lock_guard lock(m_mutex);
    auto it = m_songs.find(url);
    return it == m_songs.end() ? nullptr : it->second;
}

QString MidiProtocol::soundFontPath() {
    for (const char* path :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
          "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
        if (QFileInfo(QString::fromLatin1(path)).isFile())
            return QString::fromLatin1(path);
    }
    return {};
}

MidiProtocol::Synth MidiProtocol::acquireSynth() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            Synth s = m_idle.back();
            m_idle.pop_back();
            return s;
        }
    }
    Synth s;
    s.settings = new_fluid_settings();
    if (!s.settings)
        return {};
    fluid_settings_setnum(s.settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(s.settings, "synth.gain", 0.5);
    // Only the instruments a song selects are read from the SoundFont, not all of it.
    fluid_settings_setint(s.settings, "synth.dynamic-sample-loading", 1);
    s.synth = new_fluid_synth(s.settings);
    const QByteArray font = QFile::encodeName(soundFontPath());
    if (!s.synth || font.isEmpty() || fluid_synth_sfload(s.synth, font.constData(), 1) < 0) {
        destroy(s);
        return {};
    }
    return s;
}

void MidiProtocol::releaseSynth(Synth s) {
    fluid_synth_system_reset(s.synth);
    {
        std::lock_guard lock(m_mutex);
        if (m_idle.empty()) {
            m_idle.push_back(s);
            return;
        }
    }
    destroy(s);
}

void MidiProtocol::dropIdleSynth() {
    std::vector<Synth> idle;
    {
        std::lock_guard lock(m_mutex);
        idle.swap(m_idle);
    }

    if (idle.empty())
        return;
    for (const Synth& s : idle)
        destroy(s);
    // The synth's many small blocks would otherwise stay in the heap: 12 MB resident for nothing.
    malloc_trim(0);
}

void MidiProtocol::destroy(Synth s) {
    if (s.synth)
        delete_fluid_synth(s.synth);
    if (s.settings)
        delete_fluid_settings(s.settings);
}

} // namespace qarn::playback
