#pragma once

namespace tessel::test
{
/** Makes sure the X server knows the window-manager atoms JUCE sets on its windows (WM_PROTOCOLS,
    _NET_WM_STATE and the like). JUCE looks them up without creating them and fails with an X error
    when they are missing, which is the case on an X server without a window manager (a bare Xvfb).
    Keeps one connection open for the life of the process, so that the server does not reset and
    forget them. Does nothing without an X display or without libX11; safe to call more than once. */
void ensureWindowManagerAtoms();
} // namespace tessel::test
