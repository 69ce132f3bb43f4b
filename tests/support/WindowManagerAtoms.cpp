#include <X11/Xlib.h>

#include <array>

namespace
{
    // JUCE 7 names window-manager atoms (WM_PROTOCOLS and others) to the X server when it opens a
    // window, looking them up without creating them. A bare server, like the tests' Xvfb, has none
    // until a window manager or another client makes them, and then rejects the window. Make them
    // before JUCE connects, on a connection kept open so the server does not reset and forget them.
    struct WindowManagerAtoms final
    {
        WindowManagerAtoms()
        {
            display = XOpenDisplay (nullptr);

            if (display == nullptr)
                return;

            std::array<const char*, 9> names { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "WM_CHANGE_STATE",
                                               "WM_STATE", "_NET_WM_PING", "_NET_WM_WINDOW_TYPE",
                                               "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_STATE" };
            std::array<Atom, names.size()> atoms {};
            XInternAtoms (display, const_cast<char**> (names.data()), static_cast<int> (names.size()), False, atoms.data());
            XSync (display, False);
        }

        ~WindowManagerAtoms()
        {
            if (display != nullptr)
                XCloseDisplay (display);
        }

        WindowManagerAtoms (const WindowManagerAtoms&) = delete;
        WindowManagerAtoms& operator= (const WindowManagerAtoms&) = delete;

        Display* display = nullptr;
    };

    const WindowManagerAtoms windowManagerAtoms;
}
