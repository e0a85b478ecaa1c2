#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "TestSupport.h"
#include "settings/Settings.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const char* const File = "Settings.zorvat";

// Exit code of a child that could not drop root rights.
const int CannotDropRoot = 99;

// Runs body in a child process in the folder dir, as the unprivileged user "nobody" when the
// tests run as root (root ignores permission bits); returns the child's exit code.
int RunUnprivileged(const std::string& dir, int (*body)()) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(CannotDropRoot);
        }
        if (chdir(dir.c_str()) != 0) {
            _exit(98);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 97;
}

// 0 when a record built here holds the defaults, 1 otherwise.
int BuildRecordExpectingDefaults() {
    CSettings settings;
    settings.Load();
    return settings.level == 2 && settings.fullHd == 0 ? 0 : 1;
}

class SettingsTest : public ZorvatTest {
protected:
    // A folder inside the test folder with the given mode; the test folder is opened to others
    // so that the unprivileged child can reach it.
    std::string MakeFolder(const char* name, mode_t mode) {
        chmod(dir.c_str(), 0755);
        std::string path = dir + "/" + name;
        mkdir(path.c_str(), 0755);
        chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(SettingsTest, MissingFileIsCreatedWithTheDefaults) {
    CSettings first;
    EXPECT_EQ(first.level, 2);
    EXPECT_EQ(first.fullHd, 0);
    EXPECT_EQ(ReadBytes(File), (Bytes{2, 0, 0, 0, 0, 0, 0, 0}));

    CSettings second;
    second.Load();
    EXPECT_EQ(second.level, 2);
    EXPECT_EQ(second.fullHd, 0);
}

TEST_F(SettingsTest, RecordReadsLevelLittleEndianAndTheDisplayByteUnvalidated) {
    const struct {
        Bytes file;
        int level;
        int fullHd;
    } cases[] = {
        {{3, 0, 0, 0, 1, 0, 0, 0}, 3, 1},
        {{7, 0, 0, 0, 0, 0, 0, 0}, 7, 0},
        {{0x78, 0x56, 0x34, 0x12, 2, 9, 9, 9}, 0x12345678, 2},
        {{0xFF, 0xFF, 0xFF, 0xFF, 255, 0, 0, 0}, -1, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        WriteBytes(File, c.file);
        CSettings settings;
        EXPECT_EQ(settings.level, c.level);
        EXPECT_EQ(settings.fullHd, c.fullHd);
        settings.level = 0;
        settings.fullHd = 0;
        settings.Load();
        EXPECT_EQ(settings.level, c.level);
        EXPECT_EQ(settings.fullHd, c.fullHd);
        EXPECT_EQ(ReadBytes(File), c.file) << "reading leaves the file alone";
    }
}

TEST_F(SettingsTest, LongFileUsesItsFirstEightBytesAndIsCutBySave) {
    WriteBytes(File, {3, 0, 0, 0, 1, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD});
    CSettings settings;
    EXPECT_EQ(settings.level, 3);
    EXPECT_EQ(settings.fullHd, 1);

    settings.Save();
    EXPECT_EQ(ReadBytes(File), (Bytes{3, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(SettingsTest, ShortFileReplacesOnlyTheBytesItHolds) {
    WriteBytes(File, {3, 0, 0, 0, 1});
    CSettings fromFive;
    EXPECT_EQ(fromFive.level, 3);
    EXPECT_EQ(fromFive.fullHd, 1);

    // Loaded into a record that holds level 2 and full HD: the level's low bytes change.
    WriteBytes(File, {3, 0});
    fromFive.level = 2;
    fromFive.fullHd = 1;
    fromFive.Load();
    EXPECT_EQ(fromFive.level, 3);
    EXPECT_EQ(fromFive.fullHd, 1);

    fromFive.level = 0x11223344;
    WriteBytes(File, {0xAA, 0xBB});
    fromFive.Load();
    EXPECT_EQ(fromFive.level, 0x1122BBAA);

    // A fresh record starts from the defaults for what the file does not cover.
    CSettings fresh;
    EXPECT_EQ(fresh.level, 0xBBAA);
    EXPECT_EQ(fresh.fullHd, 0);
}

TEST_F(SettingsTest, EmptyFileChangesNothingAndIsKept) {
    WriteBytes(File, {});
    CSettings settings;
    EXPECT_EQ(settings.level, 2);
    EXPECT_EQ(settings.fullHd, 0);
    EXPECT_TRUE(FileExists(File));
    EXPECT_TRUE(ReadBytes(File).empty());
}

TEST_F(SettingsTest, SaveAfterLoadKeepsTheBytes) {
    WriteBytes(File, {0x78, 0x56, 0x34, 0x12, 1, 0x55, 0x66, 0x77});
    CSettings settings;
    settings.Load();
    settings.Save();
    Bytes written = ReadBytes(File);
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 5), (Bytes{0x78, 0x56, 0x34, 0x12, 1}));
}

TEST_F(SettingsTest, MissingFileLeavesTheRecordAsItIs) {
    CSettings settings;
    ASSERT_EQ(unlink(File), 0);
    settings.level = 3;
    settings.fullHd = 1;
    settings.Load();
    EXPECT_EQ(settings.level, 3);
    EXPECT_EQ(settings.fullHd, 1);
    EXPECT_FALSE(FileExists(File)) << "Load never creates the file";
}

TEST_F(SettingsTest, FolderNamedLikeTheFileGivesDefaultsAndIsLeftAlone) {
    ASSERT_EQ(mkdir(File, 0755), 0);
    CSettings settings;
    settings.Load();
    EXPECT_EQ(settings.level, 2);
    EXPECT_EQ(settings.fullHd, 0);
    settings.level = 3;
    settings.Save();
    struct stat info;
    ASSERT_EQ(stat(File, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(SettingsTest, UnwritableFolderGivesDefaultsAndCreatesNothing) {
    std::string folder = MakeFolder("readonly", 0555);

    int result = RunUnprivileged(folder, BuildRecordExpectingDefaults);

    if (result == CannotDropRoot) {
        GTEST_SKIP() << "running as root and cannot switch to the user nobody";
    }
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(FileExists(folder + "/" + File));
}

TEST_F(SettingsTest, UnreadableFileIsNotOverwrittenWithTheDefaults) {
    // Writable but not readable: a record cannot read it, and must not replace the
    // player's values with the defaults either.
    std::string folder = MakeFolder("private", 0777);
    std::string path = folder + "/" + File;
    WriteBytes(path, {3, 0, 0, 0, 1, 0, 0, 0});
    ASSERT_EQ(chmod(path.c_str(), 0222), 0);

    int result = RunUnprivileged(folder, BuildRecordExpectingDefaults);

    if (result == CannotDropRoot) {
        GTEST_SKIP() << "running as root and cannot switch to the user nobody";
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), (Bytes{3, 0, 0, 0, 1, 0, 0, 0}));
}

} // namespace
