// Start-up time as the player sees it: from the moment a program is started to the moment
// the X server maps its top-level window of the given title. Watches the root window's
// map notifications, so nothing polls, and starts the program only after it listens.
//
//   bt_map_timer TITLE PROGRAM [ARGS...]
// Prints "mapped_ms=<ms> pid=<pid>" and leaves the program running, its stdout on
// /dev/null (the caller measures it further and ends it). Exits 1 when no such window is mapped within 20 seconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

std::string WindowTitle(Display* display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0; // a window may be gone before we ask for its title
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The program outlives this tool: it must not hold the caller's stdout open.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const std::string wanted = argv[1];
    const auto deadline = start + std::chrono::seconds(20);
    pollfd watch{ConnectionNumber(display), POLLIN, 0};
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify)
                continue;
            const auto mapped = std::chrono::steady_clock::now();
            if (WindowTitle(display, event.xmap.window) != wanted)
                continue;
            std::printf("mapped_ms=%.1f pid=%d\n",
                        std::chrono::duration<double, std::milli>(mapped - start).count(), pid);
            std::fflush(stdout);
            XCloseDisplay(display);
            return 0;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        poll(&watch, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    }
    std::fprintf(stderr, "no window \"%s\" mapped within 20 s\n", argv[1]);
    XCloseDisplay(display);
    return 1;
}
