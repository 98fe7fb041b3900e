// Writes the sample tune shipped in the program folder: the "Ode to Joy" theme as a Type 1 MIDI
// file. The melody is in the public domain; this arrangement (flute over a piano accompaniment) is
// ours.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kBeatsPerMinute = 144;

struct Note {
    int pitch; // MIDI note number; 0 is a rest
    double beats;
};

class Track {
public:
    void event(int delta, std::initializer_list<uint8_t> bytes) {
        writeVariable(delta);
        data_.insert(data_.end(), bytes);
    }
    void meta(int delta, uint8_t type, const std::vector<uint8_t>& payload) {
        writeVariable(delta);
        data_.push_back(0xFF);
        data_.push_back(type);
        writeVariable(static_cast<int>(payload.size()));
        data_.insert(data_.end(), payload.begin(), payload.end());
    }
    void name(const std::string& text) { meta(0, 0x03, {text.begin(), text.end()}); }
    void end(int delta) { meta(delta, 0x2F, {}); }
    const std::vector<uint8_t>& data() const { return data_; }

private:
    void writeVariable(int value) {
        uint8_t groups[5];
        int count = 0;
        do {
            groups[count++] = value & 0x7F;
            value >>= 7;
        } while (value > 0);
        while (count > 1)
            data_.push_back(groups[--count] | 0x80);
        data_.push_back(groups[0]);
    }
    std::vector<uint8_t> data_;
};

int ticks(double beats) {
    return static_cast<int>(beats * kTicksPerQuarter + 0.5);
}

// Plays notes one after another on channel; chords are notes with the same start.
void addLine(Track& track, int channel, int velocity, const std::vector<std::vector<Note>>& steps) {
    int pending = 0;
    for (const std::vector<Note>& chord : steps) {
        const int length = ticks(chord.front().beats);
        if (chord.front().pitch == 0) {
            pending += length;
            continue;
        }
        // Slightly detached notes: the last eighth of each is silent.
        const int sounding = length - length / 8;
        for (const Note& n : chord) {
            track.event(pending, {uint8_t(0x90 | channel), uint8_t(n.pitch), uint8_t(velocity)});
            pending = 0;
        }
        bool first = true;
        for (const Note& n : chord) {
            track.event(first ? sounding : 0, {uint8_t(0x80 | channel), uint8_t(n.pitch), 0});
            first = false;
        }
        pending = length - sounding;
    }
    track.end(pending);
}

std::vector<std::vector<Note>> melody() {
    enum { G3 = 55, C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67 };
    const std::vector<Note> opening = {{E4, 1}, {E4, 1}, {F4, 1}, {G4, 1}, {G4, 1}, {F4, 1},
                                       {E4, 1}, {D4, 1}, {C4, 1}, {C4, 1}, {D4, 1}, {E4, 1}};
    const std::vector<Note> firstEnding = {{E4, 1.5}, {D4, 0.5}, {D4, 2}};
    const std::vector<Note> lastEnding = {{D4, 1.5}, {C4, 0.5}, {C4, 2}};
    const std::vector<Note> middle = {{D4, 1},   {D4, 1}, {E4, 1}, {C4, 1}, {D4, 1},   {E4, 0.5},
                                      {F4, 0.5}, {E4, 1}, {C4, 1}, {D4, 1}, {E4, 0.5}, {F4, 0.5},
                                      {E4, 1},   {D4, 1}, {C4, 1}, {D4, 1}, {G3, 2}};
    std::vector<Note> all;
    for (const auto* part :
         {&opening, &firstEnding, &opening, &lastEnding, &middle, &opening, &lastEnding})
        all.insert(all.end(), part->begin(), part->end());
    all.push_back({C4, 4}); // a final held note over the closing chord

    std::vector<std::vector<Note>> steps;
    for (const Note& n : all)
        steps.push_back({n});
    return steps;
}

// Half-bar harmonies: a bass note on the beat, then the chord on the next beat.
std::vector<std::vector<Note>> accompaniment() {
    enum { C = 0, G = 1, F = 2, A = 3 };
    const int bass[] = {48, 43, 41, 45}; // C3 G2 F2 A2
    const std::vector<int> chords[] = {{52, 55, 60}, {50, 55, 59}, {53, 57, 60}, {52, 57, 60}};
    const std::vector<int> halves = {C, C, G, G, C, C, G, G, // opening with first ending
                                     C, C, G, G, C, C, G, C, // opening with last ending
                                     G, C, G, C, G, C, A, G, // middle
                                     C, C, G, G, C, C, G, C, // opening with last ending
                                     C, C};                  // final bar
    std::vector<std::vector<Note>> steps;
    for (size_t i = 0; i < halves.size(); ++i) {
        const int h = halves[i];
        const bool last = i + 2 >= halves.size();
        if (last) {
            std::vector<Note> chord = {{bass[h], 2}};
            for (int p : chords[h])
                chord.push_back({p, 2});
            steps.push_back(chord);
            continue;
        }
        steps.push_back({{bass[h], 1}});
        std::vector<Note> chord;
        for (int p : chords[h])
            chord.push_back({p, 1});
        steps.push_back(chord);
    }
    return steps;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void appendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    putBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mid\n", argv[0]);
        return 2;
    }

    Track conductor;
    conductor.name("Ode to Joy");
    const uint32_t microsPerQuarter = 60000000 / kBeatsPerMinute;
    conductor.meta(0, 0x51,
                   {uint8_t(microsPerQuarter >> 16), uint8_t(microsPerQuarter >> 8),
                    uint8_t(microsPerQuarter)});
    conductor.meta(0, 0x58, {4, 2, 24, 8}); // 4/4
    conductor.end(0);

    Track lead;
    lead.name("Melody");
    lead.event(0, {0xC0, 73}); // flute
    addLine(lead, 0, 100, melody());

    Track piano;
    piano.name("Accompaniment");
    piano.event(0, {0xC1, 0}); // acoustic grand piano
    addLine(piano, 1, 64, accompaniment());

    std::vector<uint8_t> header;
    putBigEndian(header, 1, 2); // Type 1
    putBigEndian(header, 3, 2);
    putBigEndian(header, kTicksPerQuarter, 2);

    std::vector<uint8_t> file;
    appendChunk(file, "MThd", header);
    for (const Track* t : {&conductor, &lead, &piano})
        appendChunk(file, "MTrk", t->data());

    const std::string tempName = std::string(argv[1]) + ".part";
    {
        std::ofstream out(tempName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
        if (!out.flush()) {
            std::perror(tempName.c_str());
            return 1;
        }
    }
    if (std::rename(tempName.c_str(), argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
