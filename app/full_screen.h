// Full screen that really covers the display. A desktop full-screen request is granted by the
// window manager; on an X server without one the request goes unanswered while SDL already
// reports the display's size, so the window is moved and sized by hand to match.
#pragma once

struct SDL_Window;

namespace vantrel {

// Call after switching the window to full screen; does nothing where a window manager runs.
void fillDisplayWithoutWindowManager(SDL_Window* window);

}  // namespace vantrel
