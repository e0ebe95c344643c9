// Plain Xlib, apart from JUCE: its names clash with X11's macros.
#include "WindowClose.h"

#include <X11/Xlib.h>

namespace testing_support
{
bool requestWindowClose(unsigned long windowId, const char* displayName)
{
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr)
        return false;

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = windowId;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, windowId, False, NoEventMask, &event) != 0;
    XFlush(display);
    XCloseDisplay(display);
    return sent;
}

bool internWindowManagerAtoms(const char* displayName)
{
    // The connection stays open: a virtual X server with no client left resets itself and forgets
    // the atoms.
    Display* const display = XOpenDisplay(displayName);
    if (display == nullptr)
        return false;
    const bool made = XInternAtom(display, "WM_PROTOCOLS", False) != None &&
                      XInternAtom(display, "WM_DELETE_WINDOW", False) != None;
    XSync(display, False);
    return made;
}
} // namespace testing_support
