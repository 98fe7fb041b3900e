// The system volume over libpulse, driven synchronously with a bounded wait.
#include "SystemVolume.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cmath>

namespace qarn {

namespace {

using Clock = std::chrono::steady_clock;

pa_volume_t toPulse(quint16 word) {
    return static_cast<pa_volume_t>(std::lround(word * double(PA_VOLUME_NORM) / 65535.0));
}

quint16 fromPulse(pa_volume_t volume) {
    if (volume >= PA_VOLUME_NORM)
        return 65535;
    return static_cast<quint16>(std::lround(volume * 65535.0 / double(PA_VOLUME_NORM)));
}

bool isLeft(pa_channel_position_t p) {
    return p == PA_CHANNEL_POSITION_FRONT_LEFT || p == PA_CHANNEL_POSITION_REAR_LEFT ||
           p == PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER || p == PA_CHANNEL_POSITION_SIDE_LEFT ||
           p == PA_CHANNEL_POSITION_TOP_FRONT_LEFT || p == PA_CHANNEL_POSITION_TOP_REAR_LEFT;
}

bool isRight(pa_channel_position_t p) {
    return p == PA_CHANNEL_POSITION_FRONT_RIGHT || p == PA_CHANNEL_POSITION_REAR_RIGHT ||
           p == PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER || p == PA_CHANNEL_POSITION_SIDE_RIGHT ||
           p == PA_CHANNEL_POSITION_TOP_FRONT_RIGHT || p == PA_CHANNEL_POSITION_TOP_REAR_RIGHT;
}

struct SinkInfo {
    bool done = false;
    bool found = false;
    uint32_t index = PA_INVALID_INDEX;
    pa_cvolume volume{};
    pa_channel_map map{};
};

void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* sink = static_cast<SinkInfo*>(userdata);
    if (eol != 0) {
        sink->done = true;
        return;
    }
    if (info && !sink->found) {
        sink->found = true;
        sink->index = info->index;
        sink->volume = info->volume;
        sink->map = info->channel_map;
    }
}

struct Result {
    bool done = false;
    bool success = false;
};

void onSuccess(pa_context*, int success, void* userdata) {
    auto* result = static_cast<Result*>(userdata);
    result->done = true;
    result->success = success != 0;
}

} // namespace

struct SystemVolume::Connection {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    Clock::time_point lastFailure{};
    bool failedBefore = false;

    ~Connection() { drop(); }

    void drop() {
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        if (loop) {
            pa_mainloop_free(loop);
            loop = nullptr;
        }
    }

    // Runs the loop until done() holds or the deadline passes.
    template <typename Done> bool runUntil(Done done, Clock::time_point deadline) {
        while (!done()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                return false;
        }
        return true;
    }

    bool ready() {
        if (context) {
            // Take in what arrived since the last call, such as the server going away.
            for (int i = 0; i < 64 && pa_mainloop_iterate(loop, 0, nullptr) > 0; ++i) {
            }
            if (pa_context_get_state(context) == PA_CONTEXT_READY)
                return true;
            drop();
        }
        if (failedBefore && Clock::now() - lastFailure < std::chrono::milliseconds(kRetryDelayMs))
            return false;
        if (connect())
            return true;
        drop();
        failedBefore = true;
        lastFailure = Clock::now();
        return false;
    }

    bool connect() {
        loop = pa_mainloop_new();
        if (!loop)
            return false;
        context = pa_context_new(pa_mainloop_get_api(loop), "Qarn player");
        // Never start a server of our own: no server means no system volume.
        if (!context || pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
        runUntil(
            [&] {
                const pa_context_state_t s = pa_context_get_state(context);
                return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
            },
            deadline);
        return pa_context_get_state(context) == PA_CONTEXT_READY;
    }

    // Waits for op; a late or failed operation drops the connection so the next call starts afresh.
    template <typename Done> bool finish(pa_operation* op, Done done) {
        if (!op) {
            drop();
            return false;
        }
        const bool ok = runUntil(done, Clock::now() + std::chrono::milliseconds(kTimeoutMs));
        if (!ok)
            pa_operation_cancel(op);
        pa_operation_unref(op);
        if (!ok)
            drop();
        return ok;
    }

    std::optional<SinkInfo> defaultSink() {
        if (!ready())
            return std::nullopt;
        SinkInfo sink;
        pa_operation* op =
            pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", onSinkInfo, &sink);
        if (!finish(op, [&] { return sink.done; }) || !sink.found)
            return std::nullopt;
        return sink;
    }
};

SystemVolume::SystemVolume() : connection_(std::make_unique<Connection>()) {}

SystemVolume::~SystemVolume() = default;

std::optional<quint32> SystemVolume::read() {
    const std::optional<SinkInfo> sink = connection_->defaultSink();
    if (!sink)
        return std::nullopt;
    pa_volume_t left =
        pa_cvolume_get_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_LEFT);
    pa_volume_t right =
        pa_cvolume_get_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_RIGHT);
    // A sink without front left and right (mono, for one) has one level for both.
    if (!pa_channel_map_has_position(&sink->map, PA_CHANNEL_POSITION_FRONT_LEFT) ||
        !pa_channel_map_has_position(&sink->map, PA_CHANNEL_POSITION_FRONT_RIGHT))
        left = right = pa_cvolume_max(&sink->volume);
    return quint32(fromPulse(left)) | (quint32(fromPulse(right)) << 16);
}

bool SystemVolume::write(quint32 value) {
    const std::optional<SinkInfo> sink = connection_->defaultSink();
    if (!sink)
        return false;
    const pa_volume_t left = toPulse(quint16(value & 0xFFFF));
    const pa_volume_t right = toPulse(quint16(value >> 16));
    pa_cvolume volume = sink->volume;
    for (unsigned i = 0; i < volume.channels && i < sink->map.channels; ++i) {
        // Each side follows its own word; centre and bass channels follow the louder one.
        const pa_channel_position_t position = sink->map.map[i];
        volume.values[i] = isLeft(position)    ? left
                           : isRight(position) ? right
                                               : std::max(left, right);
    }
    Result result;
    pa_operation* op = pa_context_set_sink_volume_by_index(connection_->context, sink->index,
                                                           &volume, onSuccess, &result);
    return connection_->finish(op, [&] { return result.done; }) && result.success;
}

} // namespace qarn
