#include "play/settings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "play/config_file.h"

namespace vantrel {

namespace {

std::string applyQuality(std::string_view value, Options& options) {
    render::Quality quality{};
    std::string error;
    if (!parseQuality(value, quality, error)) return error;
    options.quality = quality;
    return {};
}

std::string applyRenderScale(std::string_view value, Options& options) {
    float scale = 1.0f;
    std::string error;
    if (!parseRenderScale(value, scale, error)) return error;
    options.renderScale = scale;
    return {};
}

std::string applyHints(std::string_view value, Options& options) {
    if (value != "on" && value != "off") return "wants on or off, got \"" + std::string(value) + "\"";
    options.hints = value == "on";
    return {};
}

struct Setting {
    const char* name;
    // Sets the option from the line's value; the reason when the value is refused.
    std::string (*apply)(std::string_view value, Options& options);
};
constexpr Setting SETTINGS[] = {
    {"quality", applyQuality},
    {"render-scale", applyRenderScale},
    {"hints", applyHints},
};

std::string applySetting(std::string_view name, std::string_view value, Options& options) {
    for (const Setting& setting : SETTINGS) {
        if (name != setting.name) continue;
        const std::string reason = setting.apply(value, options);
        return reason.empty() ? reason : std::string(name) + " " + reason;
    }
    return "unknown setting \"" + std::string(name) + "\"";
}

std::string_view settingName(const ConfigLine& line) { return trimmed(line.content.substr(0, line.content.find('='))); }

}  // namespace

std::string settingsPath() { return configFilePath("settings.conf"); }

void applySettings(std::string_view text, const std::string& fileName, Options& options,
                   std::vector<std::string>& problems) {
    readConfigLines(
        text, fileName, "name = value",
        [&options](std::string_view name, std::string_view value) { return applySetting(name, value, options); },
        problems);
}

void loadSettings(Options& options) {
    const std::string path = settingsPath();
    const std::optional<std::string> text = readTextFile(path);
    if (!text) return;
    std::vector<std::string> problems;
    applySettings(*text, path, options, problems);
    for (const std::string& p : problems) std::fprintf(stderr, "vantrel: %s (line ignored)\n", p.c_str());
}

std::string withSetting(std::string_view text, std::string_view name, std::string_view value) {
    const std::string line = std::string(name) + " = " + std::string(value);
    for (const ConfigLine& l : configLines(text)) {
        if (l.content.find('=') == std::string_view::npos || settingName(l) != name) continue;
        return std::string(text.substr(0, l.begin)) + line + std::string(text.substr(l.end));
    }
    std::string out(text);
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out + line + '\n';
}

// Written beside the file, then renamed over it, so the file is never half written.
bool saveSetting(std::string_view name, std::string_view value) {
    const std::filesystem::path path = settingsPath();
    if (path.empty()) return false;
    const std::string text = withSetting(readTextFile(path).value_or(""), name, value);
    std::error_code failed;
    std::filesystem::create_directories(path.parent_path(), failed);
    const std::filesystem::path partial = path.string() + ".new";
    {
        std::ofstream file(partial, std::ios::trunc);
        if (!(file << text) || !file.flush()) {
            file.close();
            std::filesystem::remove(partial, failed);
            return false;
        }
    }
    std::filesystem::rename(partial, path, failed);
    if (!failed) return true;
    std::filesystem::remove(partial, failed);
    return false;
}

}  // namespace vantrel
