// Playback benchmark: time to open MP3 and MIDI files, CPU and memory while playing an MP3.
#include "MediaFixtures.h"
#include "playback/MediaDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

qint64 statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool soundServerReachable() {
    QProcess p;
    p.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return p.waitForFinished(3000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A private PulseAudio with a null sink, for runs outside scripts/bench.sh.
struct PrivateServer {
    QTemporaryDir runtime{QDir::tempPath() + "/qarn-bench-XXXXXX"};
    QProcess daemon;
    bool start() {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
            return false;
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(runtime.path()) + "/pulse/native");
        daemon.start(QStringLiteral("pulseaudio"), {"--daemonize=no", "--exit-idle-time=-1", "-n",
                                                    "--load=module-null-sink sink_name=bench",
                                                    "--load=module-native-protocol-unix"});
        for (int i = 0; i < 100 && !soundServerReachable(); ++i)
            spin(100);
        return soundServerReachable();
    }
    ~PrivateServer() {
        if (daemon.state() != QProcess::NotRunning) {
            daemon.terminate();
            daemon.waitForFinished(3000);
        }
    }
};

// RMS of what the default sink's monitor hears over about a second.
double heardLevel() {
    QProcess rec;
    rec.start(QStringLiteral("parec"), {"--raw", "--format=s16le", "--channels=2", "--rate=44100",
                                        "--device=@DEFAULT_MONITOR@"});
    if (!rec.waitForStarted(2000))
        return -1;
    spin(1200);
    rec.terminate();
    rec.waitForFinished(2000);
    const QByteArray pcm = rec.readAllStandardOutput();
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    double sum = 0;
    const qsizetype n = pcm.size() / 2;
    for (qsizetype i = 0; i < n; ++i)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

struct OpenTimes {
    double first = 0;
    double median = 0;
    double max = 0;
};

OpenTimes timeOpens(MediaDevice& d, const QString& path, int runs) {
    OpenTimes t;
    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {
        d.setDeviceType(dtAutoSelect);
        d.setFileName(path);
        QElapsedTimer clock;
        clock.start();
        d.Open();
        const double elapsed = double(clock.nsecsElapsed()) / 1e6;
        if (i == 0)
            t.first = elapsed;
        else
            ms.push_back(elapsed);
        spin(20); // let queued wakeups drain, as the UI would between opens
    }
    std::sort(ms.begin(), ms.end());
    t.median = ms[ms.size() / 2];
    t.max = ms.back();
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("bench_playback: MediaDevice over libmpv (audio to the desktop sound server)\n");

    PrivateServer ownServer;
    QString server = QStringLiteral("the session's PulseAudio");
    if (!soundServerReachable()) {
        server = ownServer.start() ? QStringLiteral("a private PulseAudio with a null sink")
                                   : QStringLiteral("none: audio went to the null output");
    }
    std::printf("sound server: %s\n", qPrintable(server));

    const QString midi = qarn::test::writeMidi(dir.filePath(QStringLiteral("song.mid")));
    const QString mp3 = qarn::test::encodeWithFfmpeg(dir.filePath(QStringLiteral("tone.mp3")), 30);
    if (mp3.isEmpty())
        std::printf("ffmpeg missing: the MP3 figures are skipped\n");

    MediaDevice::setNullOutputs(false);
    MediaDevice d;
    constexpr int kRuns = 20;
    if (!mp3.isEmpty()) {
        const OpenTimes t = timeOpens(d, mp3, kRuns);
        std::printf("open local MP3 (30 s, 128 kbit/s): first %.1f ms (starts libmpv), "
                    "median of %d %.1f ms, max %.1f ms\n",
                    t.first, kRuns, t.median, t.max);
    }
    {
        const OpenTimes t = timeOpens(d, midi, kRuns);
        std::printf("open MIDI (3 s): first %.1f ms (loads the SoundFont), median of %d %.1f ms, "
                    "max %.1f ms\n",
                    t.first, kRuns, t.median, t.max);
    }
    std::printf("  (Open is synchronous: the UI thread is blocked for exactly these times)\n");
    if (mp3.isEmpty())
        return 0;

    d.setFileName(mp3);
    d.Open();
    // The main window's 100 ms tick reads position, length and mode while playing.
    QTimer tick;
    qint64 sink = 0;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { sink += d.Position() + d.Length() + int(d.mode()); });
    tick.start(100);

    double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(5000);
    const double idlePercent = 100 * (cpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000);

    d.Play();
    spin(2000); // past the start-up of the audio stream
    const double level = heardLevel();
    cpu0 = cpuSeconds();
    wall.restart();
    spin(20000);
    const double playPercent = 100 * (cpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000);
    const qint64 rss = statusKb("VmRSS:");
    const qint64 peak = statusKb("VmHWM:");
    const qint64 anon = statusKb("RssAnon:");
    const qint64 mapped = statusKb("RssFile:");
    const qint64 position = d.Position();
    d.Stop();

    std::printf(
        "CPU of this process, file open and paused, 100 ms tick running, 5 s: %.2f %% of a core\n",
        idlePercent);
    std::printf("CPU of this process while playing the MP3 for 20 s (decode + output + tick): "
                "%.2f %% of a core (aim <= 1.2 %%)\n",
                playPercent);
    std::printf("  (the sound server's own CPU is not included)\n");
    std::printf("resident memory while playing: %lld KiB (peak %lld KiB; %lld KiB private, "
                "%lld KiB mapped from library files)\n",
                rss, peak, anon, mapped);
    if (level >= 0)
        std::printf("heard on the sink's monitor: %s (RMS %.0f)\n", level > 50 ? "yes" : "NO",
                    level);
    else
        std::printf("heard on the sink's monitor: not checked (parec missing)\n");
    std::printf("position after 22 s of playing: %lld ms\n", position);
    return sink == -1; // keeps the tick's work from being optimised away
}
