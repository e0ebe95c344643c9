#pragma once

namespace testing_support
{
/** Asks a top-level X window to close as a window manager's close button does: a WM_PROTOCOLS
    client message carrying WM_DELETE_WINDOW. True when the message was sent. */
bool requestWindowClose(unsigned long windowId, const char* displayName = nullptr);

/** Makes sure the atoms of that message exist on the X server, as a window manager's presence
    does: a program that starts on a bare server finds no WM_DELETE_WINDOW otherwise and cannot
    recognise the message. Call before starting the program; the server keeps them while this
    process stays connected. */
bool internWindowManagerAtoms(const char* displayName = nullptr);
} // namespace testing_support
