// The player's files in $XDG_CONFIG_HOME/vantrel/ (keys.conf, settings.conf): text, one
// "name = value" a line, '#' starts a comment, blank lines and CRLF endings are fine.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// $XDG_CONFIG_HOME/vantrel/fileName, or ~/.config/vantrel/fileName when the variable is unset
// or not an absolute path; empty when neither variable is usable.
std::string configFilePath(const std::string& fileName);

// s without the blanks (spaces, tabs, carriage returns) at either end.
std::string_view trimmed(std::string_view s);

// The whole text of the file, or nothing when there is no such file or it cannot be read.
std::optional<std::string> readTextFile(const std::string& path);

// A line that is not blank or a comment: its number from 1, where it lies in the text (without
// its line break, LF or CRLF), and what it says, the comment and the blanks at either end taken off.
struct ConfigLine {
    int number;
    std::size_t begin, end;
    std::string_view content;
};
std::vector<ConfigLine> configLines(std::string_view text);

// Applies one line's name and value, both trimmed; returns why the line is refused, or "".
using ConfigLineApplier = std::function<std::string(std::string_view name, std::string_view value)>;

// Gives apply every line that is not blank or a comment, counting lines from 1. A line without
// '=' is refused as not being of lineForm (such as "name = value"). Each refused line adds
// "FILE:LINE: reason" to problems, fileName being the file's path.
void readConfigLines(std::string_view text, const std::string& fileName, const char* lineForm,
                     const ConfigLineApplier& apply, std::vector<std::string>& problems);

}  // namespace vantrel
