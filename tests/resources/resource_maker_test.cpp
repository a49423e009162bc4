// The resource maker is deterministic: two runs into fresh folders write
// the same files with the same bytes, so builds are reproducible.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "tests/resources/jigsaw_files.h"

namespace {

std::map<std::string, std::string> read_tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string data;
        FILE* f = std::fopen(entry.path().c_str(), "rb");
        if (!f) continue;
        char buffer[8192];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, got);
        std::fclose(f);
        files[std::filesystem::relative(entry.path(), root).string()] = data;
    }
    return files;
}

TEST(ResourceMaker, TwoRunsWriteTheSameBytes) {
    support::TempFolder first_run("tessellon-res"), second_run("tessellon-res");
    std::string a = first_run.path, b = second_run.path;
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    std::string fonts = std::string(" ") + FONT_TAHOMA + " " + FONT_TAHOMA_BOLD, output;
    ASSERT_EQ(run_command(std::string(TESSELLON_RESOURCES) + " " + a + fonts, &output), 0) << output;
    ASSERT_EQ(run_command(std::string(TESSELLON_RESOURCES) + " " + b + fonts, &output), 0) << output;
    std::map<std::string, std::string> first = read_tree(a), second = read_tree(b);
    EXPECT_GE(first.size(), 35u);
    EXPECT_TRUE(first.count("sounds/music.ogg"));
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, data] : first) {
        ASSERT_TRUE(second.count(name)) << name;
        EXPECT_TRUE(data == second[name]) << name << " differs between runs";
    }
}

}  // namespace
