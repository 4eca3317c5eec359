// SPDX-License-Identifier: GPL-3.0-or-later
// Times a whole process from exec: for a windowed program, to the first paint
// of its window with the given title (the first damage that covers most of
// it) and then from a close request to its exit; for any other command, to its
// exit. Prints the figures and the process's peak resident size.
//   first_paint_probe --window TITLE -- COMMAND [ARGS...]
//   first_paint_probe --no-window -- COMMAND [ARGS...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

pid_t spawn(char **argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        // What the command writes is not part of the figures.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv);
        _exit(127);
    }
    return pid;
}

// Windows vanish while we look at them; their errors mean nothing here.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

std::string titleOf(Display *dpy, Window w)
{
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy, w, netName, 0, 256, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
    }
    return title;
}

int runPlain(char **argv)
{
    const auto t0 = Clock::now();
    const pid_t pid = spawn(argv);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::printf("run_ms=%.1f maxrss_kb=%ld status=%d\n", msSince(t0), usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

int runWindowed(const std::string &title, char **argv)
{
    Display *dpy = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0;
    if (!dpy || !XDamageQueryExtension(dpy, &damageEvent, &damageError)) {
        std::fprintf(stderr, "first_paint_probe: no display with the DAMAGE extension\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const auto t0 = Clock::now();
    const pid_t pid = spawn(argv);
    double paintMs = -1;
    Window shown = 0;
    const int fd = ConnectionNumber(dpy);
    while (paintMs < 0 && msSince(t0) < 120000) {
        if (!XPending(dpy)) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv{0, 20000};
            select(fd + 1, &fds, nullptr, nullptr, &tv);
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                std::fprintf(stderr, "first_paint_probe: the program ended before painting\n");
                return 1;
            }
            continue;
        }
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == CreateNotify && ev.xcreatewindow.parent == root) {
            // Watched from birth, so that no paint is missed.
            XDamageCreate(dpy, ev.xcreatewindow.window, XDamageReportNonEmpty);
        } else if (ev.type == damageEvent + XDamageNotify) {
            const auto *d = reinterpret_cast<XDamageNotifyEvent *>(&ev);
            XDamageSubtract(dpy, d->damage, None, None);
            const bool most =
                d->area.width * 2 > d->geometry.width && d->area.height * 2 > d->geometry.height;
            if (most && titleOf(dpy, d->drawable) == title) {
                paintMs = msSince(t0);
                shown = d->drawable;
            }
        }
    }
    if (paintMs < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::fprintf(stderr, "first_paint_probe: no paint within two minutes\n");
        return 1;
    }

    // The window's close box, as the window manager would send it.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = shown;
    close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    const auto t2 = Clock::now();
    XSendEvent(dpy, shown, False, NoEventMask, &close);
    XFlush(dpy);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double quitMs = msSince(t2);
    XCloseDisplay(dpy);
    std::printf("paint_ms=%.1f quit_ms=%.1f maxrss_kb=%ld status=%d\n", paintMs, quitMs,
                usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> command;
    std::string title;
    bool windowed = false;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
            windowed = true;
            title = argv[++i];
        }
    }
    for (++i; i < argc; ++i)
        command.push_back(argv[i]);
    if (command.empty()) {
        std::fprintf(stderr,
                     "usage: first_paint_probe (--window TITLE | --no-window) -- COMMAND...\n");
        return 2;
    }
    command.push_back(nullptr);
    return windowed ? runWindowed(title, command.data()) : runPlain(command.data());
}
