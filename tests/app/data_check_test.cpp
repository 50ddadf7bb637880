#include "play/data_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/e2e/run_program.h"

namespace vantrel {
namespace {

TEST(DataCheck, TheBuiltDataIsWholeAndAWantingCopyIsNamedFileByFile) {
    EXPECT_TRUE(checkDataFiles(VANTREL_DATA_DIR).empty());

    const std::string dir = test::freshDir("data-check");
    for (const auto& entry : std::filesystem::directory_iterator(VANTREL_DATA_DIR)) {
        std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string());
    }
    std::filesystem::remove(dir + "/plane31.bmp");
    test::writeText(dir + "/map1.hd", "short");
    test::writeText(dir + "/s4.au1", "not a situation");
    test::writeText(dir + "/s2.txt", "one\ntwo\nthree lines are too many\n");
    const std::vector<DataProblem> problems = checkDataFiles(dir);
    std::vector<std::string> files;
    for (const DataProblem& p : problems) files.push_back(p.file);
    EXPECT_EQ(files, (std::vector<std::string>{"map1.hd", "s2.txt", "s4.au1", "plane31.bmp"}));
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].reason, "holds 5 bytes, not 10000");
    EXPECT_NE(problems[3].reason.find("missing"), std::string::npos) << problems[3].reason;
}

TEST(DataCheck, TheTitlesLineNamesTheFirstFileAndCountsTheRest) {
    EXPECT_EQ(dataProblemLine({}), "");
    EXPECT_EQ(dataProblemLine({"sky.bmp"}), "DATA FILE MISSING OR DAMAGED: sky.bmp");
    EXPECT_EQ(dataProblemLine({"sky.bmp", "sky.x", "hit.wav"}), "DATA FILE MISSING OR DAMAGED: sky.bmp AND 2 MORE");
}

}  // namespace
}  // namespace vantrel
