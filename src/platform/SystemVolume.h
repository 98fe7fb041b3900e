// The system's output volume: the default PulseAudio sink's left and right channels.
#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>

namespace qarn {

// Reads and sets the default sink's volume as one 32-bit value: low word left, high word right,
// 0..65535 mapped linearly onto 0..100 % (a volume above 100 % reads as 65535). Without a sound
// server both refuse quietly; no call waits longer than about kTimeoutMs per step, and after a
// failed connection further calls refuse at once for kRetryDelayMs.
// The connection is made on first use and kept; everything runs on the calling thread.
class SystemVolume {
public:
    static constexpr int kTimeoutMs = 1000;
    static constexpr int kRetryDelayMs = 2000;

    SystemVolume();
    ~SystemVolume();
    SystemVolume(const SystemVolume&) = delete;
    SystemVolume& operator=(const SystemVolume&) = delete;

    // Nothing when there is no sound server or no output.
    std::optional<quint32> read();
    // False, and nothing changed, when there is no sound server or no output.
    bool write(quint32 value);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace qarn
