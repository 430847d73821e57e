// For tests that run the built programs: a program kept running in the
// background, the windows it shows on the test's X display, and the log
// lines it wrote.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace veqprogram {

// A program running while the test goes on; killed at destruction if still running.
class BackgroundProgram {
public:
    BackgroundProgram(const std::vector<std::string>& argv,
                      const std::vector<std::pair<std::string, std::string>>& env) {
        m_output = veqtest::SandboxDir() + "/program-" + std::to_string(++Counter()) + ".out";
        m_pid = fork();
        if (m_pid == 0) {
            const int out = open(m_output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            dup2(in, 0);
            dup2(out, 1);
            dup2(out, 2);
            for (const auto& entry : env) {
                setenv(entry.first.c_str(), entry.second.c_str(), 1);
            }
            std::vector<char*> args;
            for (const std::string& argument : argv) {
                args.push_back(const_cast<char*>(argument.c_str()));
            }
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~BackgroundProgram() {
        if (m_pid > 0 && !m_ended) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    void Signal(int signal) { kill(m_pid, signal); }
    bool Running() {
        if (m_ended) {
            return false;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_ended = true;
            m_status = status;
            return false;
        }
        return true;
    }
    // The exit status once it has ended (-1 for a signal), or -2 when it
    // runs on past the time given.
    int WaitForExit(std::chrono::seconds limit = std::chrono::seconds(30)) {
        veqtest::WaitFor([this]() { return !Running(); }, limit, std::chrono::milliseconds(20));
        if (!m_ended) {
            return -2;
        }
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
    }
    std::string Output() const { return veqtest::ReadFile(m_output); }
    pid_t Pid() const { return m_pid; }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
    std::string m_output;
};

// Windows of the programs under test come and go while a test looks at them:
// one listed a moment ago may be gone when asked about (BadWindow), or no
// longer mapped when given the focus (BadMatch). While one of these is alive,
// errors on the test's own connection are dropped (the call reports failure
// instead), where Xlib's default handler would end the test; errors on other
// connections still go to the handler that was there before.
class DroppedXErrors {
public:
    explicit DroppedXErrors(Display* display) : m_display(display) {
        if (Depth()++ == 0) {
            XSync(m_display, False);
            Ours() = m_display;
            Previous() = XSetErrorHandler(&Drop);
        }
    }
    ~DroppedXErrors() {
        if (--Depth() == 0) {
            XSync(m_display, False);
            XSetErrorHandler(Previous());
            Ours() = nullptr;
        }
    }
    DroppedXErrors(const DroppedXErrors&) = delete;
    DroppedXErrors& operator=(const DroppedXErrors&) = delete;

private:
    static int Drop(Display* display, XErrorEvent* error) {
        if (display != Ours() && Previous()) {
            return Previous()(display, error);
        }
        return 0;
    }
    static int& Depth() {
        static int depth = 0;
        return depth;
    }
    static Display*& Ours() {
        static Display* ours = nullptr;
        return ours;
    }
    static XErrorHandler& Previous() {
        static XErrorHandler previous = nullptr;
        return previous;
    }

    Display* m_display;
};

// The test's X display (DISPLAY, set by xvfb-run).
class X11Windows {
public:
    X11Windows() : m_display(XOpenDisplay(nullptr)) {}
    ~X11Windows() {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool Ok() const { return m_display != nullptr; }

    // Top-level windows whose title is title, mapped or not. Tooltips, menus
    // and other pop-ups (override-redirect windows, which GTK names after the
    // program too) are not counted: a tooltip shown under a resting pointer is
    // no window of its own.
    std::vector<Window> Named(const std::string& title) {
        DroppedXErrors dropped(m_display);
        std::vector<Window> found;
        Walk(DefaultRootWindow(m_display), title, found, 0);
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [this](Window window) {
                                       XWindowAttributes attributes;
                                       return XGetWindowAttributes(m_display, window, &attributes) &&
                                              attributes.override_redirect;
                                   }),
                    found.end());
        return found;
    }
    size_t ViewableCount(const std::string& title) {
        DroppedXErrors dropped(m_display);
        size_t count = 0;
        for (Window window : Named(title)) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable) {
                ++count;
            }
        }
        return count;
    }
    bool AnyViewable(const std::string& title) { return ViewableCount(title) > 0; }
    // What the window manager's close box does: ask the window to close.
    void Close(Window window) {
        DroppedXErrors dropped(m_display);
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }
    // A key typed, as from the keyboard, into the first viewable window of
    // that title, which is given the input focus first; with control, the
    // Control key is held down around it.
    bool TypeKey(const std::string& title, KeySym key, bool control) {
        DroppedXErrors dropped(m_display);
        for (Window window : Named(title)) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable) {
                continue;
            }
            // The pointer out of the way: keys then go to the focus window itself.
            XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 0, 0);
            XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
            XSync(m_display, False);
            const unsigned controlKey = XKeysymToKeycode(m_display, XK_Control_L);
            const unsigned typedKey = XKeysymToKeycode(m_display, key);
            if (control) {
                XTestFakeKeyEvent(m_display, controlKey, True, CurrentTime);
            }
            XTestFakeKeyEvent(m_display, typedKey, True, CurrentTime);
            XTestFakeKeyEvent(m_display, typedKey, False, CurrentTime);
            if (control) {
                XTestFakeKeyEvent(m_display, controlKey, False, CurrentTime);
            }
            XSync(m_display, False);
            return true;
        }
        return false;
    }
    void CloseViewable(const std::string& title) {
        DroppedXErrors dropped(m_display);
        for (Window window : Named(title)) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable) {
                Close(window);
            }
        }
    }

private:
    void Walk(Window window, const std::string& title, std::vector<Window>& found, int depth) {
        char* name = nullptr;
        if (XFetchName(m_display, window, &name) && name) {
            if (title == name) {
                found.push_back(window);
            }
            XFree(name);
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (depth < 3 && XQueryTree(m_display, window, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                Walk(children[i], title, found, depth + 1);
            }
            if (children) {
                XFree(children);
            }
        }
    }

    Display* m_display;
};

// Everything the programs of this sandbox logged (the files under VEQ_ROOT's
// configuration folder).
inline std::string LogText() {
    const char* root = std::getenv("VEQ_ROOT");
    const std::string folder = std::string(root ? root : "") + "/Library/Application Support/Veqora/Logs";
    std::string text;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".log") {
                text += veqtest::ReadFile(folder + "/" + name);
            }
        }
        closedir(dir);
    }
    return text;
}

inline std::string ConfigFolder() {
    const char* root = std::getenv("VEQ_ROOT");
    return std::string(root ? root : "") + "/Library/Application Support/Veqora/";
}

}  // namespace veqprogram
