#include "cli/CliDatabaseTest.h"

#include "data/BackupCopy.h"

#include <filesystem>
#include <fstream>
#include <functional>

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

TEST_F(CliBackupTest, EachDamageIsRefusedLeavesTheBackupsAndIsUndoneByRestore)
{
    const std::string& db = DatabasePath();
    struct Case
    {
        const char* name;
        std::function<void()> damage;
        std::string message;
    } cases[] = {
        {"cut in half", [&] { fs::resize_file(db, fs::file_size(db) / 2); },
         "The database '" + db +
             "' is damaged: the file is shorter than its header says; it was cut short."},
        {"zeroed header",
         [&]
         {
             std::fstream file(db, std::ios::in | std::ios::out | std::ios::binary);
             file.write(std::string(100, '\0').data(), 100);
         },
         "Unrecognized database format '" + db + "': the file is not a Tallybrook database."},
        {"zero bytes", [&] { fs::resize_file(db, 0); },
         "The database '" + db + "' is damaged: the file is empty."},
        {"a folder in its place",
         [&]
         {
             fs::remove(db);
             fs::create_directory(db);
         },
         "'" + db + "' is not a database file."},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        const Case& c = cases[i];
        ASSERT_EQ(Cli({"split", "1", "0", "-2.5"}).code, 0); // a write: takes the backup
        std::string backup = FileContents(BackupPath(db));
        c.damage();

        CliRun check = Cli({"check"});
        EXPECT_EQ(check.code, 1) << c.name;
        EXPECT_EQ(check.err, c.message + " (-2147467259)\n") << c.name;
        EXPECT_EQ(FileContents(BackupPath(db)), backup) << c.name;
        CliRun list = Cli({"backups"});
        EXPECT_TRUE(list.out.starts_with("TAKEN\tBYTES\tTRANSACTIONS\tFILE\n")) << list.out;
        EXPECT_NE(list.out.find("\t2\t" + BackupPath(db) + "\n"), std::string::npos) << list.out;

        CliRun restore = Cli({"restore"});
        EXPECT_EQ(restore.code, 0) << c.name << ": " << restore.err;
        EXPECT_NE(restore.out.find("2 transactions"), std::string::npos) << restore.out;
        EXPECT_EQ(Count(), "N\n2\n") << c.name; // as it was before the split
        std::size_t kept = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(db).parent_path()))
            kept += entry.path().filename().string().starts_with("qtb.mdb.damaged-") ? 1 : 0;
        EXPECT_EQ(kept, i + 1) << c.name;
    }
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
