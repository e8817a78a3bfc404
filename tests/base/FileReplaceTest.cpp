#include "base/FileReplace.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace
{
// The names in a folder, so a test can see that no temporary file was left.
std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the check in a child process as an ordinary user (permissions bind no one else) with
// the given limit on the size of files it writes; the child's exit code.
int RunAsOrdinaryUser(const std::function<bool()>& check, rlim_t fileSizeLimit = RLIM_INFINITY)
{
    pid_t child = fork();
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
        rlimit limit{fileSizeLimit, fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(3);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(FileReplace, ALinkKeepsPointingAtItsFileWhichGetsTheNewBytes)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    std::ofstream(dir.File("real/data.csv")) << "old";
    fs::create_symlink("real/data.csv", dir.Path() / "link.csv");

    EXPECT_EQ(ReplaceFile(dir.File("link.csv"), "new bytes"), "");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.csv"));
    EXPECT_EQ(FileContents(dir.File("real/data.csv")), "new bytes");
    EXPECT_EQ(Names(dir.Path() / "real"), std::vector<std::string>{"data.csv"});

    // A link to a file not there yet makes that file.
    fs::create_symlink("real/later.csv", dir.Path() / "later.csv");
    EXPECT_EQ(ReplaceFile(dir.File("later.csv"), "first"), "");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "later.csv"));
    EXPECT_EQ(FileContents(dir.File("real/later.csv")), "first");
}

TEST(FileReplace, ATargetThatIsNotARegularFileIsRefusedAndLeftAlone)
{
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    fs::create_directory(dir.Path() / "folder");
    struct Case
    {
        std::string path;
        fs::file_type type;
    } cases[] = {{dir.File("pipe"), fs::file_type::fifo},
                 {dir.File("folder"), fs::file_type::directory}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(ReplaceFile(c.path, "bytes"),
                  "The file '" + c.path + "' could not be written: it is not a regular file.");
        EXPECT_EQ(fs::symlink_status(c.path).type(), c.type) << c.path;
    }
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"folder", "pipe"}));
}

TEST(FileReplace, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile)
{
    TempDir dir;
    std::string path = dir.File("export.ofx");
    std::ofstream(path) << "the old export";
    // The writer's own failure.
    std::string message =
        ReplaceFile(path,
                    [](int fd, const std::string&) -> std::string
                    { return write(fd, "half", 4) == 4 ? "the disk is full" : "write failed"; });
    EXPECT_EQ(message, "The file '" + path + "' could not be written: the disk is full.");
    EXPECT_EQ(FileContents(path), "the old export");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"export.ofx"});

    // A real one: a limit on the size of files, as a quota or a full disk gives.
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(path, fs::perms::all);
    int code = RunAsOrdinaryUser(
        [&]
        {
            std::string big(100000, 'x');
            return ReplaceFile(path, big) ==
                   "The file '" + path + "' could not be written: File too large.";
        },
        1000);
    EXPECT_EQ(code, 0) << "1: not refused as expected, 3: no ordinary user";
    EXPECT_EQ(FileContents(path), "the old export");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"export.ofx"});
}

TEST(FileReplace, AReadOnlyFolderIsReportedAndItsFileKept)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "locked");
    std::string path = dir.File("locked/settings.ini");
    std::ofstream(path) << "[Settings]\n";
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(dir.Path() / "locked", fs::perms(0555));
    int code = RunAsOrdinaryUser(
        [&]
        {
            return ReplaceFile(path, "changed") ==
                   "The file '" + path + "' could not be written: Permission denied.";
        });
    fs::permissions(dir.Path() / "locked", fs::perms(0755));
    EXPECT_EQ(code, 0) << "1: not refused as expected, 3: no ordinary user";
    EXPECT_EQ(FileContents(path), "[Settings]\n");
}

TEST(FileReplace, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheAskedOnes)
{
    TempDir dir;
    std::string kept = dir.File("kept.csv");
    std::ofstream(kept) << "old";
    fs::permissions(kept, fs::perms(0640));
    EXPECT_EQ(ReplaceFile(kept, "new"), "");
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0640));

    std::string fresh = dir.File("fresh.bak");
    EXPECT_EQ(ReplaceFile(fresh, CopyOf(kept), 0600), "");
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0600));
    EXPECT_EQ(FileContents(fresh), "new");
}
