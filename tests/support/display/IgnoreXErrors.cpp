// A JUCE application installs an X error handler that ignores protocol errors; a test program is not
// a JUCE application, so Xlib's default handler would end it at the first error. Without a window
// manager JUCE asks for window-manager properties that do not exist and gets such errors, harmless
// in the application. This installs the same ignoring handler before any window is made.

#include <X11/Xlib.h>

namespace
{
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

const bool installed = (XSetErrorHandler(ignoreXError), true);
} // namespace
