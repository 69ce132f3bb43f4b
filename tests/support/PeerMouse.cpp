#include "PeerMouse.h"

// After every JUCE header: Xlib's macros would clash with JUCE's names.
#include <X11/Xlib.h>

PeerMouse::PeerMouse (juce::Component& windowContent) : content (windowContent)
{
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });

    content.setTopLeftPosition (20000, 20000);
    content.addToDesktop (0);
    content.setVisible (true);
}
