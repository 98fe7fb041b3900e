// Start-up: time from exec to the main window being shown, and memory after start.
// Runs the real player several times on the current X display and prints medians.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && windowPid(d, w) == pid) {
        char* name = nullptr;
        const bool match = XFetchName(d, w, &name) && name && std::strcmp(name, "Qarn_player") == 0;
        if (name)
            XFree(name);
        if (match && a.width > 1)
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

std::pair<long, long> rssPssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    long rss = 0, pss = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Rss:", 0) == 0)
            rss = std::atol(line.c_str() + 4);
        else if (line.rfind("Pss:", 0) == 0)
            pss = std::atol(line.c_str() + 4);
    }
    return {rss, pss};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    const std::string exe = std::string(QARN_PROGRAM_DIR) + "/qarn-player";
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask | PropertyChangeMask);
    std::vector<double> startMs, rssMb, pssMb;
    for (int i = 0; i < runs; ++i) {
        char runtime[] = "/tmp/qarn-bench-XXXXXX";
        if (!mkdtemp(runtime))
            return 1;
        const auto t0 = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_RUNTIME_DIR", runtime, 1);
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Wake on the window manager's map and property events instead of hammering the
        // X server, which would slow the very start being measured.
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
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (getenv("QARN_BENCH_VERBOSE"))
            std::fprintf(stderr, "run %d: %.1f ms\n", i, ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto [rss, pss] = rssPssKb(pid);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        rmdir(runtime);
        if (!shown) {
            std::fprintf(stderr, "bench_startup: run %d: no window within 20 s\n", i);
            continue;
        }
        if (i == 0)
            continue; // the first run warms the file cache
        startMs.push_back(ms);
        rssMb.push_back(rss / 1024.0);
        pssMb.push_back(pss / 1024.0);
    }
    XCloseDisplay(d);
    std::printf("start to window shown: median %.1f ms over %zu runs\n", median(startMs),
                startMs.size());
    std::printf("memory after start:    RSS %.1f MB, PSS %.1f MB (median)\n", median(rssMb),
                median(pssMb));
    return 0;
}
