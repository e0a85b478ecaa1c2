#include <csignal>
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

TEST_F(SettingsTest, NamedPipeOrFolderInItsPlaceIsNeitherReadNorReplaced) {
    for (const bool pipe : {true, false}) {
        ASSERT_EQ(pipe ? mkfifo(File, 0644) : mkdir(File, 0755), 0);
        // Opening a pipe with no writer would block start-up for good: a child that hangs is
        // ended by its alarm.
        if (fork() == 0) {
            signal(SIGALRM, SIG_DFL); // SDL may have taken the alarm for its timers
            alarm(5);
            CSettings settings;
            settings.level = 3;
            settings.Save();
            settings.Load();
            _exit(settings.level == 3 && settings.fullHd == 0 ? 0 : 1);
        }
        int status = -1;
        wait(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        struct stat info;
        EXPECT_TRUE(stat(File, &info) == 0 &&
                    (pipe ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode)));
        ASSERT_EQ(remove(File), 0);
    }
}
