#include "web/platform_pad.h"

#include <cstdint>

#include "world/keys.h"

namespace vantrel::web {

namespace {

// The desktop's dead zone and trigger threshold, 8000 of 32767, as fractions of full travel.
constexpr double STICK_DEAD_ZONE = 8000.0 / 32767.0;
constexpr double TRIGGER_THRESHOLD = 8000.0 / 32767.0;
constexpr double BUTTON_PRESSED = 0.5;

struct ButtonKey {
    int button;
    double threshold;
    uint8_t code;
};
constexpr ButtonKey BUTTON_KEYS[] = {
    {0, BUTTON_PRESSED, VK_Z},        {1, BUTTON_PRESSED, VK_X},        {4, BUTTON_PRESSED, VK_NUMPAD7},
    {5, BUTTON_PRESSED, VK_NUMPAD9},  {9, BUTTON_PRESSED, VK_SPACE},    {8, BUTTON_PRESSED, VK_ESCAPE},
    {12, BUTTON_PRESSED, VK_NUMPAD8}, {13, BUTTON_PRESSED, VK_NUMPAD5}, {3, BUTTON_PRESSED, VK_F3},
    {2, BUTTON_PRESSED, VK_F2},       {7, TRIGGER_THRESHOLD, VK_Q},     {6, TRIGGER_THRESHOLD, VK_A},
    {9, BUTTON_PRESSED, VK_PAUSE},
};

struct AxisKey {
    int axis;
    double threshold;  // negative: held below it
    uint8_t code;
};
constexpr AxisKey AXIS_KEYS[] = {
    {1, -STICK_DEAD_ZONE, VK_NUMPAD8},
    {1, STICK_DEAD_ZONE, VK_NUMPAD5},
    {0, -STICK_DEAD_ZONE, VK_NUMPAD4},
    {0, STICK_DEAD_ZONE, VK_NUMPAD6},
};

double valueAt(const std::vector<double>& values, int index) {
    return index < static_cast<int>(values.size()) ? values[static_cast<size_t>(index)] : 0.0;
}

}  // namespace

std::bitset<256> padKeys(const StandardPad& pad) {
    std::bitset<256> keys;
    for (const ButtonKey& b : BUTTON_KEYS) {
        if (valueAt(pad.buttons, b.button) > b.threshold) keys.set(b.code);
    }
    for (const AxisKey& a : AXIS_KEYS) {
        const double value = valueAt(pad.axes, a.axis);
        if (a.threshold < 0 ? value < a.threshold : value > a.threshold) keys.set(a.code);
    }
    return keys;
}

}  // namespace vantrel::web
