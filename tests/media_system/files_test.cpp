// Files and folders: the text-line format both ways, streams, what exists
// at a path, making folders, listing them and removing them (never through
// a symbolic link).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "media/media_internal.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

// A fresh folder for each test, removed afterwards by the test support
// (not by delete_dir, so that a broken delete_dir cannot hide its own mess).
class FilesTest : public ::testing::Test {
protected:
    support::TempFolder temp{"media_files"};
    std::string dir;
    void SetUp() override {
        ASSERT_FALSE(temp.path.empty());
        dir = temp.path;
    }
    void TearDown() override { EXPECT_TRUE(temp.remove()); }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void write_raw(const std::string& name, const std::string& bytes) const { support::write_text(path(name), bytes); }
    std::string read_raw(const std::string& name) const { return support::read_text(path(name)); }
    std::vector<std::string> read_all_lines(const std::string& name) const {
        std::vector<std::string> lines;
        TStream* s = read_file(path(name));
        EXPECT_NE(s, nullptr);
        if (!s) return lines;
        while (!eof(s)) lines.push_back(read_line(s));
        close_file(s);
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST_F(FilesTest, CrLfAndLfFilesReadTheSameLines) {
    write_raw("dos.txt", "12\r\nhello world\r\n\r\nlast\r\n");
    write_raw("unix.txt", "12\nhello world\n\nlast\n");
    Lines expected = {"12", "hello world", "", "last"};
    EXPECT_EQ(read_all_lines("dos.txt"), expected);
    EXPECT_EQ(read_all_lines("unix.txt"), expected);
}

TEST_F(FilesTest, LoneCrInsideALineDisappears) {
    write_raw("cr.txt", "ab\rcd\n\rx\r");
    EXPECT_EQ(read_all_lines("cr.txt"), (Lines{"abcd", "x"}));
}

TEST_F(FilesTest, ZeroByteEndsALine) {
    write_raw("nul.txt", std::string("ab\0cd\n", 6));
    EXPECT_EQ(read_all_lines("nul.txt"), (Lines{"ab", "cd"}));
}

TEST_F(FilesTest, LastLineWithoutLineFeedAndReadsPastTheEndGiveEmpty) {
    write_raw("t.txt", "one\ntwo");
    TStream* s = read_file(path("t.txt"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(stream_size(s), 7);
    EXPECT_EQ(read_line(s), "one");
    EXPECT_FALSE(eof(s));
    EXPECT_EQ(read_line(s), "two");
    EXPECT_TRUE(eof(s));
    EXPECT_EQ(read_line(s), "");
    EXPECT_EQ(read_line(s), "");
    EXPECT_TRUE(close_file(s));
}

TEST_F(FilesTest, WriteLineWritesTheBytesThenCrLf) {
    TStream* s = write_file(path("w.txt"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(write_line(s, "12"));
    EXPECT_TRUE(write_line(s, std::string("\xe9", 1)));  // one byte per character
    EXPECT_TRUE(close_file(s));
    std::string bytes = read_raw("w.txt");
    ASSERT_EQ(bytes.size(), 7u);
    const unsigned char expect[] = {49, 50, 13, 10, 0xe9, 13, 10};
    for (size_t i = 0; i < bytes.size(); i++) EXPECT_EQ((unsigned char)bytes[i], expect[i]) << "byte " << i;
}

TEST_F(FilesTest, LinesSurviveAWriteReadRoundTrip) {
    Lines lines = {"jigsaw 1", "", "  spaced  ", "-7", std::string("\xff\x80", 2)};
    TStream* s = write_file(path("r.txt"));
    ASSERT_NE(s, nullptr);
    for (const std::string& line : lines) EXPECT_TRUE(write_line(s, line));
    EXPECT_TRUE(close_file(s));
    EXPECT_EQ(read_all_lines("r.txt"), lines);
}

TEST_F(FilesTest, WriteFileTruncatesAnExistingFile) {
    write_raw("old.txt", "a long old content\n");
    TStream* s = write_file(path("old.txt"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(write_line(s, "x"));
    EXPECT_TRUE(close_file(s));
    EXPECT_EQ(read_raw("old.txt"), "x\r\n");
}

TEST_F(FilesTest, RawBytesAndSizeAndPosition) {
    TStream* w = write_file(path("b.bin"));
    ASSERT_NE(w, nullptr);
    const char data[5] = {1, 0, 2, 0, 3};
    EXPECT_EQ(write_bytes(w, data, 5), 5);
    EXPECT_EQ(stream_size(w), 5);
    EXPECT_TRUE(close_file(w));

    TStream* r = read_file(path("b.bin"));
    ASSERT_NE(r, nullptr);
    char back[8] = {};
    EXPECT_EQ(read_bytes(r, back, 3), 3);
    EXPECT_FALSE(eof(r));
    EXPECT_EQ(read_bytes(r, back + 3, 8), 2);  // only what is left
    EXPECT_TRUE(eof(r));
    EXPECT_EQ(memcmp(back, data, 5), 0);
    EXPECT_EQ(read_bytes(r, back, 1), 0);
    EXPECT_TRUE(close_file(r));
}

TEST_F(FilesTest, StreamsFailAsNullForMissingFilesAndFolders) {
    EXPECT_EQ(read_file(path("missing.txt")), nullptr);
    EXPECT_EQ(read_file(dir), nullptr);
    EXPECT_EQ(write_file(path("no/such/folder.txt")), nullptr);
    EXPECT_FALSE(close_file(nullptr));
}

TEST_F(FilesTest, CloseFileReportsAFailedFinalFlush) {
    // A full device accepts the buffered write and fails when it is flushed.
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no full device";
    TStream* s = write_file("/dev/full");
    ASSERT_NE(s, nullptr);
    write_line(s, "data that cannot land");
    EXPECT_FALSE(close_file(s));
}

TEST_F(FilesTest, PathKindTellsFilesFromFoldersAndNothing) {
    write_raw("f.txt", "x");
    ASSERT_EQ(mkdir(path("sub").c_str(), 0777), 0);
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0666), 0);
    EXPECT_EQ(path_kind(path("f.txt")), 1);
    EXPECT_EQ(path_kind(path("sub")), 2);
    EXPECT_EQ(path_kind(path("missing")), 0);
    EXPECT_EQ(path_kind(path("fifo")), 0);  // neither file nor folder
    EXPECT_EQ(path_kind(""), 0);
    EXPECT_EQ(path_kind("/"), 2);
}

TEST_F(FilesTest, BackslashesAreSlashesAndTrailingSlashIsIgnored) {
    ASSERT_EQ(mkdir(path("sub").c_str(), 0777), 0);
    write_raw("sub/f.txt", "x\n");
    EXPECT_EQ(path_kind(dir + "\\sub\\"), 2);
    EXPECT_EQ(path_kind(dir + "/sub/"), 2);
    EXPECT_EQ(path_kind(dir + "\\sub\\f.txt"), 1);
    TStream* s = read_file(dir + "\\sub\\f.txt");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(read_line(s), "x");
    close_file(s);
    EXPECT_TRUE(create_dir(path("made/")));
    EXPECT_EQ(path_kind(path("made")), 2);
}

TEST_F(FilesTest, CreateDirMakesOnlyTheLastElementWithModeThroughUmask) {
    mode_t old = umask(022);
    EXPECT_TRUE(create_dir(path("new")));
    umask(old);
    struct stat st;
    ASSERT_EQ(stat(path("new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01755u);
    EXPECT_TRUE(create_dir(path("new")));  // already there counts as success
    EXPECT_FALSE(create_dir(path("a/b")));
    EXPECT_EQ(path_kind(path("a")), 0);
    write_raw("file", "x");
    EXPECT_FALSE(create_dir(path("file")));
}

TEST_F(FilesTest, ListingReturnsDotEntriesAndEveryNameThenEmpty) {
    write_raw("a.txt", "x");
    write_raw("b.png", "x");
    ASSERT_EQ(mkdir(path("c").c_str(), 0777), 0);
    void* d = open_dir(dir);
    ASSERT_NE(d, nullptr);
    std::vector<std::string> names;
    for (std::string name = next_dir_entry(d); !name.empty(); name = next_dir_entry(d)) names.push_back(name);
    EXPECT_EQ(next_dir_entry(d), "");
    close_dir(d);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "b.png", "c"}));
    EXPECT_EQ(open_dir(path("missing")), nullptr);
    EXPECT_EQ(next_dir_entry(nullptr), "");
}

TEST_F(FilesTest, DeleteDirRecursiveRemovesTheWholeTree) {
    ASSERT_EQ(mkdir(path("top").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(path("top/mid").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(path("top/mid/deep").c_str(), 0777), 0);
    write_raw("top/1.png", "x");
    write_raw("top/mid/2.png", "x");
    write_raw("top/mid/deep/3.png", "x");
    EXPECT_TRUE(delete_dir(path("top"), true));
    EXPECT_EQ(path_kind(path("top")), 0);
}

TEST_F(FilesTest, DeleteDirWithoutRecurseFailsOnAFullFolder) {
    ASSERT_EQ(mkdir(path("top").c_str(), 0777), 0);
    write_raw("top/keep.txt", "x");
    EXPECT_FALSE(delete_dir(path("top"), false));
    EXPECT_EQ(path_kind(path("top/keep.txt")), 1);
    ASSERT_EQ(mkdir(path("empty").c_str(), 0777), 0);
    EXPECT_TRUE(delete_dir(path("empty"), false));
    EXPECT_TRUE(delete_dir(path("never-was"), true));  // nothing there afterwards
}

TEST_F(FilesTest, DeleteDirRemovesLinksNotWhatTheyPointAt) {
    ASSERT_EQ(mkdir(path("outside").c_str(), 0777), 0);
    write_raw("outside/precious.txt", "keep me");
    write_raw("lonely.txt", "keep me too");
    ASSERT_EQ(mkdir(path("victim").c_str(), 0777), 0);
    ASSERT_EQ(symlink(path("outside").c_str(), path("victim/folder-link").c_str()), 0);
    ASSERT_EQ(symlink(path("lonely.txt").c_str(), path("victim/file-link").c_str()), 0);
    ASSERT_EQ(symlink(path("nowhere").c_str(), path("victim/dangling").c_str()), 0);
    EXPECT_TRUE(delete_dir(path("victim"), true));
    struct stat st;
    EXPECT_NE(lstat(path("victim").c_str(), &st), 0);
    EXPECT_EQ(read_raw("outside/precious.txt"), "keep me");
    EXPECT_EQ(read_raw("lonely.txt"), "keep me too");
}

TEST_F(FilesTest, RenameReplacesTheTargetAndDeleteFileRemoves) {
    write_raw("new.txt", "new");
    write_raw("old.txt", "old");
    EXPECT_TRUE(rename_file(path("new.txt"), path("old.txt")));
    EXPECT_EQ(read_raw("old.txt"), "new");
    EXPECT_EQ(path_kind(path("new.txt")), 0);
    EXPECT_FALSE(rename_file(path("new.txt"), path("other.txt")));
    EXPECT_TRUE(delete_file(path("old.txt")));
    EXPECT_EQ(path_kind(path("old.txt")), 0);
    EXPECT_FALSE(delete_file(path("old.txt")));
}

TEST_F(FilesTest, AWrittenFileAndTheRenameThatPlacesItAreSyncedToDisk) {
    // The save sequence: write beside the old file, close, rename over it.
    // The file's bytes are synced at close and the folder after the
    // rename, so a power cut leaves the old file or the new one, whole.
    write_raw("game.txt", "old");
    int before = files_synced;
    TStream* s = write_file(path("game.txt.part"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(write_line(s, "new"));
    EXPECT_TRUE(close_file(s));
    EXPECT_EQ(files_synced, before + 1) << "the file at close";
    EXPECT_TRUE(rename_file(path("game.txt.part"), path("game.txt")));
    EXPECT_EQ(files_synced, before + 2) << "the folder after the rename";
    EXPECT_EQ(read_raw("game.txt"), "new\r\n");
    // Reading syncs nothing; a failed rename syncs nothing.
    TStream* r = read_file(path("game.txt"));
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(close_file(r));
    EXPECT_FALSE(rename_file(path("gone.part"), path("game.txt")));
    EXPECT_EQ(files_synced, before + 2);
}

TEST_F(FilesTest, AnEndlessLineKeepsItsStartAndTheNextLineStillReads) {
    write_raw("long.txt", "-42" + std::string(100000, '7') + "\n5\n");
    TStream* s = read_file(path("long.txt"));
    ASSERT_NE(s, nullptr);
    std::string first = read_line(s);
    EXPECT_EQ(first.size(), 4096u);
    EXPECT_EQ(first.substr(0, 4), "-427");
    EXPECT_EQ(read_line(s), "5");
    EXPECT_TRUE(eof(s));
    close_file(s);
}

}  // namespace
