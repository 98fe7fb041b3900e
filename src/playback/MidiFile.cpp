// Standard MIDI file reading: chunk walk, event walk, tempo map.
#include "playback/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qarn::playback {

namespace {

// Longer songs would overflow the 32-bit sizes of the WAV stream they are rendered into.
constexpr double kMaxSeconds = 6 * 3600;

quint32 be32(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | u[3];
}
quint32 le32(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return (quint32(u[3]) << 24) | (quint32(u[2]) << 16) | (quint32(u[1]) << 8) | u[0];
}
int be16(const char* p) {
    auto u = reinterpret_cast<const unsigned char*>(p);
    return (u[0] << 8) | u[1];
}

QByteArray unwrapRmid(const QByteArray& bytes) {
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const quint32 size = le32(bytes.constData() + pos + 4);
        if (bytes.mid(pos, 4) == "data") {
            if (size > quint64(bytes.size() - pos - 8))
                throw MidiFormatError("the RMID data chunk is truncated");
            return bytes.mid(pos + 8, size);
        }
        pos += 8 + qsizetype(size) + (size & 1);
    }
    throw MidiFormatError("the RMID file has no data chunk");
}

class TrackReader {
public:
    TrackReader(const char* begin, const char* end) : m_p(begin), m_end(end) {}
    bool atEnd() const { return m_p >= m_end; }
    unsigned byte() {
        if (m_p >= m_end)
            throw MidiFormatError("a track ends in the middle of an event");
        return static_cast<unsigned char>(*m_p++);
    }
    quint32 varLen() {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned b = byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        throw MidiFormatError("a variable-length number is too long");
    }
    void skip(quint32 n) {
        if (n > quint64(m_end - m_p))
            throw MidiFormatError("a track ends in the middle of an event");
        m_p += n;
    }
    const char* pos() const { return m_p; }

private:
    const char* m_p;
    const char* m_end;
};

// Walks one track; returns its length in ticks and appends its tempo changes.
qint64 readTrack(const char* begin, const char* end, std::vector<MidiSong::Tempo>& tempos) {
    TrackReader r(begin, end);
    qint64 tick = 0;
    unsigned running = 0;
    while (!r.atEnd()) {
        tick += r.varLen();
        if (tick > std::numeric_limits<int>::max())
            throw MidiFormatError("the song is too long");
        unsigned status = r.byte();
        if (status < 0x80) {
            if (running == 0)
                throw MidiFormatError("an event has no status byte");
            r.skip((running & 0xF0) == 0xC0 || (running & 0xF0) == 0xD0 ? 0 : 1);
            continue;
        }
        if (status < 0xF0) {
            running = status;
            r.skip((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2);
        } else if (status == 0xFF) {
            const unsigned type = r.byte();
            const quint32 len = r.varLen();
            const char* data = r.pos();
            r.skip(len);
            if (type == 0x2F)
                return tick;
            if (type == 0x51 && len == 3) {
                auto u = reinterpret_cast<const unsigned char*>(data);
                const qint64 us = (qint64(u[0]) << 16) | (u[1] << 8) | u[2];
                if (us == 0)
                    throw MidiFormatError("a tempo change of zero");
                tempos.push_back({tick, us, 0});
            }
        } else if (status == 0xF0 || status == 0xF7) {
            r.skip(r.varLen());
        } else {
            throw MidiFormatError("a track holds an unknown event");
        }
    }
    return tick; // no end-of-track event: the chunk's end ends it
}

} // namespace

MidiSong parseMidiFile(const QByteArray& input) {
    MidiSong song;
    song.smf = input;
    if (input.startsWith("RIFF") && input.mid(8, 4) == "RMID")
        song.smf = unwrapRmid(input);
    const QByteArray& b = song.smf;
    if (b.size() < 14 || !b.startsWith("MThd"))
        throw MidiFormatError("the MIDI header is missing");
    const quint32 headerLen = be32(b.constData() + 4);
    if (headerLen < 6 || headerLen > quint64(b.size() - 8))
        throw MidiFormatError("the MIDI header is damaged");
    const int format = be16(b.constData() + 8);
    const int trackCount = be16(b.constData() + 10);
    const int division = be16(b.constData() + 12);
    if (format > 2)
        throw MidiFormatError("unknown MIDI file format");
    if (trackCount == 0)
        throw MidiFormatError("the MIDI file has no tracks");
    if (division & 0x8000)
        throw MidiFormatError("SMPTE-timed MIDI files are not supported");
    if (division == 0)
        throw MidiFormatError("the MIDI header gives zero ticks per beat");
    song.division = division;

    std::vector<MidiSong::Tempo> changes;
    qsizetype pos = 8 + qsizetype(headerLen);
    int tracksRead = 0;
    while (tracksRead < trackCount && pos + 8 <= b.size()) {
        const quint32 len = be32(b.constData() + pos + 4);
        const char* begin = b.constData() + pos + 8;
        if (len > quint64(b.size() - pos - 8))
            throw MidiFormatError("a track is truncated");
        if (b.mid(pos, 4) == "MTrk") {
            song.totalTicks = std::max(song.totalTicks, readTrack(begin, begin + len, changes));
            ++tracksRead;
        } // other chunk types are allowed and skipped
        pos += 8 + qsizetype(len);
    }
    if (tracksRead == 0)
        throw MidiFormatError("the MIDI file has no tracks");

    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& a, const auto& b) { return a.tick < b.tick; });
    song.tempos.push_back({0, 500000, 0});
    for (const auto& c : changes) {
        auto& last = song.tempos.back();
        if (c.tick == last.tick) {
            last.usPerQuarter = c.usPerQuarter;
            continue;
        }
        const double start =
            last.startSeconds + double(c.tick - last.tick) * last.usPerQuarter / 1e6 / division;
        song.tempos.push_back({c.tick, c.usPerQuarter, start});
    }
    song.durationSeconds = song.secondsAt(song.totalTicks);
    if (song.durationSeconds > kMaxSeconds)
        throw MidiFormatError("the song is too long");
    return song;
}

double MidiSong::secondsAt(qint64 tick) const {
    tick = std::max<qint64>(tick, 0);
    auto it = std::upper_bound(tempos.begin(), tempos.end(), tick,
                               [](qint64 t, const Tempo& x) { return t < x.tick; });
    const Tempo& t = *std::prev(it);
    return t.startSeconds + double(tick - t.tick) * t.usPerQuarter / 1e6 / division;
}

qint64 MidiSong::tickAt(double seconds) const {
    seconds = std::max(seconds, 0.0);
    auto it = std::upper_bound(tempos.begin(), tempos.end(), seconds,
                               [](double s, const Tempo& x) { return s < x.startSeconds; });
    const Tempo& t = *std::prev(it);
    const double ticks = t.tick + (seconds - t.startSeconds) * 1e6 * division / t.usPerQuarter;
    return std::clamp<qint64>(qint64(std::floor(ticks)), 0, totalTicks);
}

} // namespace qarn::playback
