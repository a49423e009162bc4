// Files and folders: the text-line format both ways, streams, what exists
// at a path, making folders, listing them and removing them (never through
// a symbolic link), and writing files whole: a failed write, sync or rename
// keeps the old file, a link is replaced and not written through, and two
// writers at once never mix.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    void TearDown() override {
        file_faults = TFileFaults();
        EXPECT_TRUE(temp.remove());
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void write_raw(const std::string& name, const std::string& bytes) const { support::write_text(path(name), bytes); }
    std::string read_raw(const std::string& name) const { return support::read_text(path(name)); }
    // The folder's names, sorted, without "." and "..".
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        void* d = open_dir(dir);
        for (std::string n = next_dir_entry(d); !n.empty(); n = next_dir_entry(d))
            if (n != "." && n != "..") names.push_back(n);
        close_dir(d);
        std::sort(names.begin(), names.end());
        return names;
    }
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
    // A folder at the target is not a file to replace; nothing is left.
    ASSERT_EQ(mkdir(path("folder.txt").c_str(), 0777), 0);
    EXPECT_EQ(write_file(path("folder.txt")), nullptr);
    EXPECT_EQ(path_kind(path("folder.txt")), 2);
    // A folder that cannot take files, even for root: a path under a file.
    write_raw("plain", "x");
    EXPECT_EQ(write_file(path("plain/game.txt")), nullptr);
    EXPECT_EQ(entries(), (Lines{"folder.txt", "plain"}));
    EXPECT_FALSE(close_file(nullptr));
}

TEST_F(FilesTest, AFailedWriteSyncOrRenameLeavesTheOldFileByteIdentical) {
    // A full disk part way through, one at the first byte, a sync that
    // fails, a rename that fails: each keeps the old file and leaves no
    // temporary file behind.
    struct Fault {
        const char* what;
        int64_t after_bytes;
        bool sync, rename;
    };
    const Fault faults[] = {
        {"disk full after 5 bytes", 5, false, false},
        {"disk full at once", 0, false, false},
        {"sync fails", -1, true, false},
        {"rename fails", -1, false, true},
    };
    write_raw("game.txt", "old content\r\n");
    for (const Fault& f : faults) {
        file_faults = TFileFaults();
        file_faults.fail_after_bytes = f.after_bytes;
        file_faults.fail_sync = f.sync;
        file_faults.fail_rename = f.rename;
        TStream* s = write_file(path("game.txt"));
        ASSERT_NE(s, nullptr) << f.what;
        write_line(s, "new content that is longer");
        EXPECT_EQ(write_line(s, "more"), f.after_bytes < 0) << f.what;
        EXPECT_FALSE(close_file(s)) << f.what;
        EXPECT_EQ(read_raw("game.txt"), "old content\r\n") << f.what;
        EXPECT_EQ(entries(), (Lines{"game.txt"})) << f.what;
    }
    // Faults spare the files begun before them run out.
    file_faults = TFileFaults();
    file_faults.spare_files = 1;
    file_faults.fail_sync = true;
    TStream* spared = write_file(path("game.txt"));
    ASSERT_NE(spared, nullptr);
    write_line(spared, "spared");
    EXPECT_TRUE(close_file(spared));
    EXPECT_EQ(read_raw("game.txt"), "spared\r\n");
    TStream* hit = write_file(path("game.txt"));
    ASSERT_NE(hit, nullptr);
    EXPECT_FALSE(close_file(hit));
    EXPECT_EQ(read_raw("game.txt"), "spared\r\n");
}

TEST_F(FilesTest, ALinkAtTheTargetIsReplacedItselfAndWhatItPointsAtStaysByteIdentical) {
    write_raw("precious.txt", "the player's other file\n");
    chmod(path("precious.txt").c_str(), 0600);
    ASSERT_EQ(symlink(path("precious.txt").c_str(), path("game.txt").c_str()), 0);
    ASSERT_EQ(symlink(path("nowhere.txt").c_str(), path("dangling.txt").c_str()), 0);
    for (const char* name : {"game.txt", "dangling.txt"}) {
        TStream* s = write_file(path(name));
        ASSERT_NE(s, nullptr) << name;
        EXPECT_TRUE(write_line(s, "saved"));
        EXPECT_TRUE(close_file(s));
        struct stat st;
        ASSERT_EQ(lstat(path(name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << name << " is a file of its own now";
        EXPECT_EQ(read_raw(name), "saved\r\n");
    }
    // The mode goes to the link's own place only, never through a link.
    ASSERT_EQ(symlink(path("precious.txt").c_str(), path("link.txt").c_str()), 0);
    set_file_mode(path("link.txt"), 0666);
    struct stat st;
    ASSERT_EQ(stat(path("precious.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(read_raw("precious.txt"), "the player's other file\n");
    EXPECT_EQ(path_kind(path("nowhere.txt")), 0);
    // Links planted under every temporary name this process could pick
    // next are stepped around, never opened: at worst the save fails.
    write_raw("game.txt", "old\n");
    std::string prefix = path(".game.txt." + std::to_string(getpid()) + ".");
    for (int n = 0; n < 2000; n++)
        ASSERT_EQ(symlink(path("precious.txt").c_str(), (prefix + std::to_string(n) + ".tmp").c_str()), 0);
    TStream* s = write_file(path("game.txt"));
    if (s) {
        write_line(s, "saved");
        EXPECT_TRUE(close_file(s));
    }
    EXPECT_EQ(read_raw("game.txt"), s ? "saved\r\n" : "old\n");
    EXPECT_EQ(read_raw("precious.txt"), "the player's other file\n");
}

TEST_F(FilesTest, TwoWritersAtOnceGiveOneOfTheFilesWhole) {
    // Unique temporary names: two processes (same serials after the fork,
    // other pids) never share one, so the file found is one of the two
    // whole, never a mix of both.
    const std::string a(100000, 'a'), b(100000, 'b');
    // In one process the stream closed last is the file found.
    TStream* first = write_file(path("game.txt"));
    TStream* last = write_file(path("game.txt"));
    ASSERT_TRUE(first && last);
    EXPECT_EQ(write_bytes(first, a.data(), 100000) + write_bytes(last, b.data(), 100000), 200000);
    EXPECT_TRUE(close_file(first) && close_file(last));
    EXPECT_EQ(read_raw("game.txt"), b);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    const std::string& mine = child == 0 ? a : b;
    TStream* s = write_file(path("game.txt"));
    bool ok = s != nullptr;
    for (int k = 0; k < 10 && ok; k++) ok = write_bytes(s, mine.data(), 10000) == 10000;
    ok = close_file(s) && ok;
    if (child == 0) _exit(ok ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string found = read_raw("game.txt");
    EXPECT_TRUE(found == a || found == b) << "a mix of " << std::count(found.begin(), found.end(), 'a') << " a";
    EXPECT_EQ(entries(), (Lines{"game.txt"}));
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
    // Closing a written stream syncs its bytes, renames it over the old
    // file and syncs the folder, so a power cut leaves the old file or the
    // new one, whole.
    write_raw("game.txt", "old");
    int before = files_synced;
    TStream* s = write_file(path("game.txt"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(write_line(s, "new"));
    EXPECT_EQ(read_raw("game.txt"), "old") << "untouched until the close";
    EXPECT_TRUE(close_file(s));
    EXPECT_EQ(files_synced, before + 2) << "the file, then the folder after the rename";
    EXPECT_EQ(read_raw("game.txt"), "new\r\n");
    write_raw("game.txt.part", "part");
    EXPECT_TRUE(rename_file(path("game.txt.part"), path("game.txt")));
    EXPECT_EQ(files_synced, before + 3) << "the folder after a rename";
    // Reading syncs nothing; a failed rename syncs nothing.
    TStream* r = read_file(path("game.txt"));
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(close_file(r));
    EXPECT_FALSE(rename_file(path("gone.part"), path("game.txt")));
    EXPECT_EQ(files_synced, before + 3);
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
