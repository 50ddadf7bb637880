#include "app/full_screen.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace vantrel {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
// A window manager that follows the desktop conventions names its check window on the root.
bool hasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* value = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &after, &value);
    if (value) XFree(value);
    return status == Success && count == 1;
}

// SDL takes the new size from the X server's answer, which arrives with its events: pumping
// them until the size shows (or a second has passed) lets the first frames fill the display.
void waitForWindowSize(SDL_Window* window, int width, int height) {
    constexpr Uint32 PATIENCE_MS = 1000;
    const Uint32 start = SDL_GetTicks();
    int w = 0, h = 0;
    for (;;) {
        SDL_PumpEvents();
        SDL_GetWindowSize(window, &w, &h);
        if ((w == width && h == height) || SDL_GetTicks() - start > PATIENCE_MS) return;
        SDL_Delay(5);
    }
}
#endif

}  // namespace

void fillDisplayWithoutWindowManager(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    if (hasWindowManager(display)) return;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0) return;
    XMoveResizeWindow(display, info.info.x11.window, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XSync(display, False);
    waitForWindowSize(window, bounds.w, bounds.h);
#else
    (void)window;
#endif
}

}  // namespace vantrel
