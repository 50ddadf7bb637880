#include "app/message.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vantrel {

std::string formatMessage(const char* format, ...) {
    if (std::strchr(format, '%') == nullptr && std::strchr(format, '\\') == nullptr) return format;
    char buffer[MESSAGE_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

bool noWindowSystem() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool showMessage(SDL_Window* owner, const char* caption, const std::string& text) {
    if (!noWindowSystem() && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text.c_str(), owner) == 0) {
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
    return false;
}

}  // namespace vantrel
