#include "tests/screen/WindowManagerAtoms.h"

#include <juce_core/juce_core.h>

namespace tessel::test
{
void ensureWindowManagerAtoms()
{
#if JUCE_LINUX
    static bool done = false;

    if (done)
        return;

    done = true;

    // Loaded at run time, as JUCE loads it, so nothing links against X11.
    static juce::DynamicLibrary x11;

    if (!x11.open("libX11.so.6"))
        return;

    using OpenDisplay = void* (*)(const char*);
    using InternAtom = unsigned long (*)(void*, const char*, int);
    using Flush = int (*)(void*);
    auto openDisplay = (OpenDisplay)x11.getFunction("XOpenDisplay");
    auto internAtom = (InternAtom)x11.getFunction("XInternAtom");
    auto flush = (Flush)x11.getFunction("XFlush");

    if (openDisplay == nullptr || internAtom == nullptr || flush == nullptr)
        return;

    // Left open on purpose: an X server resets (and drops its atoms) when its last client leaves.
    static void* display = openDisplay(nullptr);

    if (display == nullptr)
        return;

    for (const char* name :
         {"WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
          "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_STATE",
          "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_ABOVE",
          "_NET_WM_ALLOWED_ACTIONS", "_MOTIF_WM_HINTS", "_NET_FRAME_EXTENTS"})
        internAtom(display, name, 0);

    flush(display);
#endif
}
} // namespace tessel::test
