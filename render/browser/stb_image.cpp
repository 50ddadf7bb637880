// The desktop links Debian's libstb; the browser build compiles stb_image's decoder itself.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
