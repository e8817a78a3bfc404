#include "cli/CliDatabaseTest.h"

#include "data/BackupCopy.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
class CliBackupTest : public CliDatabaseTest
{
protected:
    CliBackupTest()
    {
        Sql("INSERT INTO Trans (AccountID, Sequence, Amount, Description) VALUES "
            "('1001', 1, -12.5, 'Grocer'), ('1001', 2, 800, 'Salary')");
    }

    std::string Count() { return Sql("SELECT COUNT(1) AS N FROM Trans"); }
};
} // namespace

TEST_F(CliBackupTest, CommandsThatOnlyReadTakeNoBackupThoseThatWriteDo)
{
    std::string backup = BackupPath(DatabasePath());
    fs::remove(backup);
    fs::remove_all(DailyBackupFolder(DatabasePath()));
    for (const std::vector<std::string>& reader : {std::vector<std::string>{"home"},
                                                   {"report"},
                                                   {"budget", "2026", "12"},
                                                   {"rules"},
                                                   {"export", "1001", File("out.ofx")},
                                                   {"backups"}})
    {
        CliRun run = Cli(reader);
        EXPECT_EQ(run.code, 0) << reader.front() << ": " << run.err;
        EXPECT_FALSE(fs::exists(backup)) << reader.front();
    }
    CliRun run = Cli({"rules", "add", "Description", "Contains", "Grocer", "Food"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(fs::exists(backup));
    EXPECT_TRUE(fs::exists(DailyBackupPath(DatabasePath(), std::time(nullptr))));
}

TEST_F(CliBackupTest, AZeroByteDatabaseIsRefusedLeftAsItIsAndRestoredFromTheNewestBackup)
{
    ASSERT_EQ(Cli({"split", "1", "0", "-2.5"}).code, 0); // a write: takes the backup
    fs::resize_file(DatabasePath(), 0);

    CliRun check = Cli({"check"});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.err, "The database '" + DatabasePath() +
                             "' is damaged: the file is empty. (-2147467259)\n");
    EXPECT_EQ(fs::file_size(DatabasePath()), 0u) << "nothing built on an empty file";

    CliRun list = Cli({"backups"});
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.out.starts_with("TAKEN\tBYTES\tTRANSACTIONS\tFILE\n")) << list.out;
    EXPECT_NE(list.out.find("\t2\t" + BackupPath(DatabasePath()) + "\n"), std::string::npos)
        << list.out;

    CliRun restore = Cli({"restore"});
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_NE(restore.out.find("2 transactions"), std::string::npos) << restore.out;
    EXPECT_EQ(Count(), "N\n2\n"); // as it was before the split
    std::size_t kept = 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(DatabasePath()).parent_path()))
        kept += entry.path().filename().string().starts_with("qtb.mdb.damaged-") ? 1 : 0;
    EXPECT_EQ(kept, 1u);
}

TEST_F(CliBackupTest, RestoreTakesANamedBackupAndRefusesADamagedOne)
{
    ASSERT_EQ(Cli({"check"}).code, 0); // PATH.bak holds both rows; the day's copy none
    std::string backup = BackupPath(DatabasePath());
    Sql("DELETE FROM Trans");

    std::string broken = File("broken.bak");
    std::ofstream(broken) << "not a database at all, though long enough to have a header. "
                          << std::string(100, '-');
    CliRun refused = Cli({"restore", broken});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("The backup '" + broken + "' cannot be restored: "),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Count(), "N\n0\n");

    CliRun restored = Cli({"restore", "qtb.mdb.bak"});
    EXPECT_EQ(restored.code, 0) << restored.err;
    EXPECT_NE(restored.out.find("from '" + backup + "'"), std::string::npos) << restored.out;
    EXPECT_EQ(Count(), "N\n2\n");
}

TEST_F(CliBackupTest, AFolderGivenAsTheDatabaseIsNotADatabaseFile)
{
    std::string folder = File("folder.mdb");
    fs::create_directory(folder);
    CliRun run = ::Cli({"--database", folder, "home"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "'" + folder + "' is not a database file. (-2147467259)\n");
}
