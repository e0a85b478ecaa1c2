#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "settings/Settings.h"

const char* const File = "Settings.zorvat";

using SettingsTest = ZorvatTest;

TEST_F(SettingsTest, FileIsReadLittleEndianAsFarAsItGoesAndLeftAsItIs) {
    CSettings();
    EXPECT_EQ(ReadBytes(File), SettingsBytes(2, 0)) << "a missing file is made with the defaults";
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
        EXPECT_EQ(ReadBytes(File), c.file);
        settings.Save(); // written back whole: the level's four bytes, the display byte, zeros
        EXPECT_EQ(ReadBytes(File), SettingsBytes(c.level, c.fullHd));
    }
}

// What cannot be read is neither read nor replaced: the player gets the defaults, and an empty
// folder that cannot be written gets no file (its group may write it: the player is not in
// root's groups). The settings run in a child as a player, not as root, who could read and
// write them all; one that hangs (opening a pipe with no writer would block the start for good)
// is ended by its alarm.
TEST_F(SettingsTest, WhatCannotBeReadOrWrittenIsLeftAsItIs) {
    const struct {
        mode_t type, folder; // what stands at the file's place (0: nothing), the folder's mode
    } cases[] = {{S_IFIFO, 0755}, {S_IFDIR, 0755}, {S_IFREG, 0755}, {0, 0575}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        WriteSettings(3, 1);
        chmod(File, 0222); // the player's values in a file that can be written, not read
        if (c.type != S_IFREG) {
            ASSERT_EQ(remove(File), 0);
            ASSERT_EQ(c.type == S_IFDIR ? mkdir(File, 0755) : c.type ? mkfifo(File, 0644) : 0, 0);
        }
        chmod(".", c.folder);
        if (fork() == 0) {
            signal(SIGALRM, SIG_DFL); // SDL may have taken the alarm for its timers
            alarm(5);
            if (getuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534))) {
                _exit(2);
            }
            CSettings settings;
            const bool defaults = settings.level == 2 && settings.fullHd == 0;
            settings.level = 3;
            if (c.type != S_IFREG) { // a file that can be written takes what is saved
                settings.Save();
            }
            settings.Load();
            _exit(defaults && settings.level == 3 ? 0 : 1);
        }
        int status = -1;
        wait(&status);
        chmod(".", 0700);
        chmod(File, 0600);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
            GTEST_SKIP() << "root cannot become uid 65534 here (a user namespace that lacks it?)";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        struct stat info;
        EXPECT_EQ(lstat(File, &info) == 0 ? info.st_mode & S_IFMT : 0, c.type);
        EXPECT_TRUE(c.type != S_IFREG || ReadBytes(File) == SettingsBytes(3, 1));
        remove(File);
    }
}
