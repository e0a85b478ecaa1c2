#include <csignal>
#include <filesystem>
#include <grp.h>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "settings/Settings.h"

const char* const File = "Settings.zorvat";
namespace fs = std::filesystem;

using SettingsTest = ZorvatTest;

TEST_F(SettingsTest, FileIsReadLittleEndianAsFarAsItGoesAndWrittenBackWhole) {
    const struct {
        Bytes file;
        int level, fullHd;
    } cases[] = {
        {{0x78, 0x56, 0x34, 0x12, 2, 9, 9, 9}, 0x12345678, 2},
        {{0xFF, 0xFF, 0xFF, 0xFF, 255, 0, 0, 0}, -1, 255},
        {{3, 0, 0, 0, 1, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD}, 3, 1},
        {{3, 0, 0, 0, 1}, 3, 1},
        {{0xAA, 0xBB}, 0xBBAA, 0}, // what the file does not cover keeps the defaults
        {{}, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.file));
        WriteBytes(File, c.file);
        CSettings settings;
        EXPECT_EQ(std::pair(settings.level, int(settings.fullHd)), std::pair(c.level, c.fullHd));
        settings.Save(); // written back whole: the level's four bytes, the display byte, zeros
        EXPECT_EQ(ReadBytes(File), SettingsBytes(c.level, c.fullHd));
    }
}

// What cannot be read or written is left as it is: the player gets the defaults where the file
// cannot be read, and no save replaces what is not a file, nor a file that he may not write,
// though the folder would let him, nor writes into a folder that he may not write (its group
// may: the player is not in root's groups), nor on a disk full after 4 bytes; a failed save
// leaves nothing behind. The settings run in a child as a player, not as root, who could read
// and write them all; one that hangs (opening a pipe with no writer would block the start for
// good) is ended by its alarm.
TEST_F(SettingsTest, WhatCannotBeReadOrWrittenIsLeftAsItIs) {
    const struct {
        // What stands at the file's place (0: nothing), the file's mode, the room on the disk in
        // bytes, and ten times the display byte plus the level after a save of level 1 and a load.
        unsigned type, file, disk, seen;
    } cases[] = {{S_IFIFO, 0, 8, 1},     {S_IFDIR, 0, 8, 1},     {S_IFREG, 0222, 8, 1},
                 {S_IFREG, 0444, 8, 13}, {S_IFREG, 0666, 4, 13}, {0, 0, 8, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type | c.file);
        WriteSettings(3, 1);
        chmod(File, c.file);
        if (c.type != S_IFREG) {
            ASSERT_EQ(remove(File), 0);
            ASSERT_EQ(c.type == S_IFDIR ? mkdir(File, 0755) : c.type ? mkfifo(File, 0644) : 0, 0);
        }
        chmod(".", c.type ? 0777 : 0575);
        if (fork() == 0) {
            signal(SIGALRM, SIG_DFL); // SDL may have taken the alarm for its timers
            signal(SIGXFSZ, SIG_IGN); // a full disk fails the write, as a real one does
            alarm(5);
            const rlimit disk = {c.disk, c.disk};
            if (setrlimit(RLIMIT_FSIZE, &disk) ||
                (getuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534)))) {
                _exit(99);
            }
            CSettings settings;
            settings.level = 1;
            if (c.file != 0222) { // the start alone must write no defaults over what it cannot read
                settings.Save();
            }
            settings.Load();
            _exit(settings.fullHd * 10 + settings.level);
        }
        int status = -1;
        wait(&status);
        chmod(".", 0700);
        chmod(File, 0600);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 99) {
            GTEST_SKIP() << "root cannot become uid 65534 here (a user namespace that lacks it?)";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == int(c.seen)) << "status " << status;
        struct stat info;
        EXPECT_EQ(lstat(File, &info) == 0 ? info.st_mode & S_IFMT : 0, c.type);
        EXPECT_TRUE(c.type != S_IFREG || ReadBytes(File) == SettingsBytes(3, 1));
        remove(File);
        EXPECT_TRUE(fs::is_empty("."));
    }
}

// A save replaces the file whole or not at all: two games save, each its own level again and
// again, while the file is read, and are killed at a random moment, round after round. The file
// always holds a whole record, the old one or a new one. A link the player made stays a link:
// the file it leads to takes the save, keeping its mode and owner, or is made where it is
// missing, with the defaults and the mode of any new file.
TEST_F(SettingsTest, SaveReplacesTheFileWholeOrNotAtAll) {
    fs::create_directory("sub");
    fs::create_symlink("sub/link", File);
    fs::create_symlink("other", "sub/link"); // leads from sub/, as relative links do
    fs::create_symlink(fs::absolute("sub/settings"), "sub/other");
    const mode_t mask = umask(027);
    CSettings();
    EXPECT_EQ(umask(mask), 027u) << "the game's own mask is left as it was";
    EXPECT_EQ(ReadBytes("sub/settings"), SettingsBytes(2, 0));
    const bool root = chown(File, 65534, 65534) == 0; // another player's file, which root saves
    const std::set<Bytes> records = {SettingsBytes(1, 0), SettingsBytes(2, 0)};
    const auto whole = [&records](const Bytes& file) { return records.count(file) == 1; };
    for (int round = 0; round < 12; ++round) {
        pid_t games[2];
        for (int level = 1; level <= 2; ++level) {
            if ((games[level - 1] = fork()) == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the test
                for (CSettings settings;; settings.Save()) {
                    settings.level = level;
                }
            }
            ASSERT_NE(games[level - 1], -1); // a kill of -1 would reach every process
        }
        for (int reads = rand() % 600; reads > 0 && !HasFailure(); --reads) {
            EXPECT_PRED1(whole, ReadBytes(File)) << "read while saved, round " << round;
        }
        for (const pid_t game : games) {
            kill(game, SIGKILL);
            waitpid(game, nullptr, 0);
        }
        ASSERT_PRED1(whole, ReadBytes(File)) << "killed while saving, round " << round;
    }
    CSettings().Save();
    struct stat st;
    EXPECT_TRUE(stat(File, &st) == 0 && fs::is_symlink(File) && fs::is_symlink("sub/other"));
    EXPECT_EQ(std::pair(st.st_mode & 07777, st.st_uid), std::pair(0640u, root ? 65534 : getuid()));
}
