// Start-up: time from exec to the main window being shown, the CPU time the start costs
// (including what runs just after the window is up) and memory after start, for a first
// start (the sample tune opened), an empty player and a 100,000-entry "Last.qpl".
// Runs the real player on the current X display and prints medians.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

long windowPid(Display* d, Window w) {
    static const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success &&
        data && n == 1)
        pid = long(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

// A viewable window of that process titled "Qarn_player", anywhere in the tree.
bool findShownWindow(Display* d, Window w, long pid) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && a.width > 1 &&
        windowPid(d, w) == pid) {
        char* name = nullptr;
        const bool match = XFetchName(d, w, &name) && name && std::strcmp(name, "Qarn_player") == 0;
        if (name)
            XFree(name);
        if (match)
            return true;
    }
    Window root, parent, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &kids, &n))
        return false;
    bool found = false;
    for (unsigned i = 0; i < n && !found; ++i)
        found = findShownWindow(d, kids[i], pid);
    if (kids)
        XFree(kids);
    return found;
}

struct Sample {
    double startMs = 0;
    double cpuMs = 0;
    double rssMb = 0;
    double pssMb = 0;
};

void readMemory(pid_t pid, Sample& s) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Rss:", 0) == 0)
            s.rssMb = std::atol(line.c_str() + 4) / 1024.0;
        else if (line.rfind("Pss:", 0) == 0)
            s.pssMb = std::atol(line.c_str() + 4) / 1024.0;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos)
        return;
    std::vector<std::string> fields;
    std::string f;
    for (char c : all.substr(close + 2)) {
        if (c == ' ') {
            fields.push_back(f);
            f.clear();
        } else {
            f += c;
        }
    }
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    if (fields.size() > 13)
        s.cpuMs = (std::stod(fields[11]) + std::stod(fields[12])) * 1000.0 / sysconf(_SC_CLK_TCK);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

Sample runOnce(Display* d, const std::string& exe) {
    Sample s;
    char runtime[] = "/tmp/qarn-bench-XXXXXX";
    if (!mkdtemp(runtime))
        return s;
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wake on the window manager's events instead of hammering the X server, which would
    // slow the very start being measured.
    bool shown = false;
    while (!shown && Clock::now() - t0 < std::chrono::seconds(20)) {
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 20);
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
        }
        shown = findShownWindow(d, DefaultRootWindow(d), pid);
    }
    s.startMs = shown ? std::chrono::duration<double, std::milli>(Clock::now() - t0).count() : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    readMemory(pid, s);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    fs::remove_all(runtime);
    return s;
}

void scenario(Display* d, const char* name, int runs, const std::string& settings,
              int lastQplEntries) {
    const fs::path dir = fs::temp_directory_path() / ("qarn-bench-" + std::string(name));
    fs::remove_all(dir);
    fs::copy(QARN_PROGRAM_DIR, dir, fs::copy_options::recursive);
    std::ofstream(dir / "qarn-player.INI") << settings;
    if (lastQplEntries > 0) {
        std::ofstream qpl(dir / "Last.qpl", std::ios::binary);
        const std::string sample = (dir / "samples" / "OdeToJoy.mid").string();
        qpl << sample << "\r\n";
        for (int i = 1; i < lastQplEntries; ++i)
            qpl << "/home/user/Music/Some Artist/Some Album/" << i << " - A Track Title.mp3\r\n";
    }
    std::vector<double> start, cpu, rss, pss;
    for (int i = 0; i <= runs; ++i) {
        const Sample s = runOnce(d, (dir / "qarn-player").string());
        if (s.startMs < 0) {
            std::fprintf(stderr, "%s: run %d: no window within 20 s\n", name, i);
            continue;
        }
        if (i == 0)
            continue; // warms the file cache
        start.push_back(s.startMs);
        cpu.push_back(s.cpuMs);
        rss.push_back(s.rssMb);
        pss.push_back(s.pssMb);
    }
    fs::remove_all(dir);
    std::printf("%-26s window shown %6.1f ms | CPU for the start %6.1f ms | RSS %5.1f MB | "
                "PSS %5.1f MB   (medians of %zu runs)\n",
                name, median(start), median(cpu), median(rss), median(pss), start.size());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask | PropertyChangeMask);
    scenario(d, "empty player", runs, "[Init]\nLastFile=\n", 0);
    scenario(d, "first start (sample tune)", runs, "", 0);
    scenario(d, "100,000-entry Last.qpl", runs, "[Init]\nSavePlayList=1\n", 100000);
    XCloseDisplay(d);
    return 0;
}
