// Message boxes. Modal: the main loop, with every tick and frame, waits until the box is
// dismissed. With no window system the text goes to standard error instead.
#pragma once

#include <string>

struct SDL_Window;

namespace vantrel {

constexpr int MESSAGE_BUFFER_SIZE = 256;  // the text shown keeps within 255 characters

// A format containing '%' or a backslash is formatted printf-style with the arguments and
// cut to fit the buffer; any other text is used as it is.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows caption and text with one OK button over owner (may be null). Returns true when a
// box was shown, false when the text went to standard error.
bool showMessage(SDL_Window* owner, const char* caption, const std::string& text);

// True while SDL video runs on a driver with no screen or keyboard (offscreen, dummy).
bool noWindowSystem();

}  // namespace vantrel
