#include "game/briefing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixtures.h"
#include "game/flow.h"

namespace vantrel {
namespace {

constexpr const std::string* NO_FILE = nullptr;

// A data directory holding s1.au1 with the given header title and, unless NO_FILE, s1.txt.
std::string dataWith(const std::string& label, const std::string& title, const std::string* briefing) {
    std::vector<uint8_t> situation = test::situationBytes(0, 0, {});
    std::copy(title.begin(), title.end(), situation.begin());
    const std::string path = test::writeTempFile(label + ".au1", situation);
    const std::string dir = std::filesystem::path(path).parent_path() / (label + "-data");
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(path, situationPath(dir, 1), std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(briefingPath(dir, 1));
    if (briefing) std::ofstream(briefingPath(dir, 1), std::ios::binary) << *briefing;
    return dir;
}

TEST(Briefing, TitleFromTheHeaderAndTwoLinesFromTheFileBeside) {
    const std::string text = "Shoot it down.\r\nOne on one.\n";
    const MissionBriefing b = loadBriefing(dataWith("brief-good", "VANTREL 1: DUEL", &text), 1);
    EXPECT_EQ(b.title, "VANTREL 1: DUEL");
    EXPECT_EQ(b.lines, (std::vector<std::string>{"Shoot it down.", "One on one."}));
}

TEST(Briefing, AMissingOrDamagedFileLeavesJustTheTitle) {
    const std::string longLine(BRIEFING_MAX_LINE_LENGTH + 1, 'x');
    const std::string damaged[] = {"one\ntwo\nthree\n", longLine, std::string("bad\0byte", 8), "tab\there",
                                   std::string(5000, '\n')};
    for (const std::string& text : damaged) {
        const MissionBriefing b = loadBriefing(dataWith("brief-damaged", "VANTREL 2: PATROL", &text), 1);
        EXPECT_EQ(b.title, "VANTREL 2: PATROL");
        EXPECT_TRUE(b.lines.empty()) << text.substr(0, 20);
    }
    std::vector<std::string> lines{"kept?"};
    EXPECT_FALSE(parseBriefing(std::string("bad\0byte", 8), lines));
    EXPECT_TRUE(lines.empty()) << "a refused briefing keeps no lines";
    const MissionBriefing missing = loadBriefing(dataWith("brief-missing", "VANTREL 3", NO_FILE), 1);
    EXPECT_EQ(missing.title, "VANTREL 3");
    EXPECT_TRUE(missing.lines.empty());
}

TEST(Briefing, AnUnreadableTitleOrSituationFileGivesNoTitle) {
    const uint8_t junk[] = {'O', 'K', 0x07, 'X'};
    EXPECT_EQ(titleFromHeader(junk, sizeof junk), "");
    const uint8_t stopped[] = {'O', 'K', 0, 0x07};
    EXPECT_EQ(titleFromHeader(stopped, sizeof stopped), "OK");
    const MissionBriefing none = loadBriefing("/nonexistent-data-dir", 1);
    EXPECT_EQ(none.title, "");
    EXPECT_TRUE(none.lines.empty());
}

}  // namespace
}  // namespace vantrel
