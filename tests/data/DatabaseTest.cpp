#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
std::string MakeDatabase(const std::string& path)
{
    std::ofstream(path).flush();
    Database db(path, OpenOptions{BackupWhen::Never, false});
    CreateInitialSchema(db);
    return path;
}

// The message of the error opening `path` raises; empty when it opens.
std::string OpenFailure(const std::string& path)
{
    try
    {
        Database db(path);
    }
    catch (const DatabaseError& error)
    {
        return GetComExceptionMessage(error);
    }
    return "";
}

// A database of the first shape in a fresh folder, migrated on opening.
class DatabaseWork : public ::testing::Test
{
protected:
    TempDir dir;
    Database db{MakeDatabase(dir.File("qtb.mdb"))};
};
} // namespace

TEST(DatabaseOpen, NeverCreatesAMissingFile)
{
    TempDir dir;
    std::string missing = dir.File("missing/qtb.mdb");
    EXPECT_EQ(OpenFailure(missing), "Could not find file '" + missing + "'. (-2147467259)");
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(missing + ".bak"));
    EXPECT_FALSE(fs::exists(dir.File("missing")));
}

TEST(DatabaseOpen, CreateDatabaseFileBuildsTheOldShapeThatOpeningMigrates)
{
    TempDir dir;
    std::string path = dir.File("new/folder/qtb.mdb");
    CreateDatabaseFile(path);
    EXPECT_FALSE(fs::exists(path + ".new"));
    {
        Database raw(path, OpenOptions{BackupWhen::Never, false});
        EXPECT_THROW(raw.Execute("SELECT * FROM CategoryRule"), DatabaseError);
    }
    Database db(path);
    EXPECT_EQ(ReadSchemaVersion(db), 9);
    for (const char* table :
         {"Account", "Trans", "Budget", "Loan", "Investment", "CategoryRule", "Schedule"})
        EXPECT_NO_THROW(db.Execute(std::string("SELECT * FROM ") + table)) << table;
    EXPECT_TRUE(fs::exists(path + ".bak"));
}

TEST(DatabaseOpen, RefusesAFileThatIsNotADatabaseAndLeavesItAlone)
{
    TempDir dir;
    std::string path = dir.File("notes.mdb");
    std::string content = "This is a letter, not a database.\n" + std::string(5000, 'x');
    std::ofstream(path) << content;
    EXPECT_NE(OpenFailure(path).find("not a Tallybrook database"), std::string::npos);
    EXPECT_EQ(FileContents(path), content);
}

TEST(DatabaseOpen, RefusesAReadOnlyFileWithAClearMessage)
{
    TempDir dir;
    std::string path = dir.File("qtb.mdb");
    MakeDatabase(path);
    chmod(dir.Path().c_str(), 0777);
    chmod(path.c_str(), 0444);
    // Permissions bind only an ordinary user, so the check runs in a child that is one.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0)
    {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        try
        {
            Database db(path, OpenOptions{BackupWhen::Never, true});
        }
        catch (const DatabaseError& error)
        {
            bool clear = GetComExceptionMessage(error).find("read-only") != std::string::npos;
            _exit(clear ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened, 2: unclear message, 3: no ordinary user";
    chmod(path.c_str(), 0644);
    Database db(path);
    EXPECT_EQ(ReadSchemaVersion(db), 9);
}

TEST(DatabaseErrorText, FollowsTheDescriptionThenTheCode)
{
    EXPECT_EQ(GetComExceptionMessage(DatabaseError(Status::NoSuchTable, "")),
              "IDispatch error #3127 (-2147217865)");
    EXPECT_EQ(GetComExceptionMessage(DatabaseError(Status::Fail, "Could not find file 'x'.")),
              "Could not find file 'x'. (-2147467259)");
    EXPECT_EQ(GetComExceptionMessage(DatabaseError(Status::TypeMismatch, "")),
              "Type mismatch. (-2147352571)");
    EXPECT_EQ(GetComExceptionMessage(DatabaseError(0x1234, "")), "Unknown error 0x1234 (4660)");
}

TEST_F(DatabaseWork, TransactionsRollBackUnlessCommittedAndNest)
{
    {
        Transaction outer(db);
        db.Execute("INSERT INTO Account (AccountID) VALUES ('kept')");
        {
            Transaction inner(db);
            db.Execute("INSERT INTO Account (AccountID) VALUES ('dropped')");
        }
        outer.Commit();
    }
    {
        Transaction abandoned(db);
        db.Execute("INSERT INTO Account (AccountID) VALUES ('abandoned')");
    }
    EXPECT_TRUE(db.HasRows("Account", "AccountID = 'kept'"));
    EXPECT_FALSE(db.HasRows("Account", "AccountID = 'dropped'"));
    EXPECT_FALSE(db.HasRows("Account", "AccountID = 'abandoned'"));
    EXPECT_EQ(db.TransactionDepth(), 0);
}

TEST_F(DatabaseWork, AStatementThatFailsHalfWayChangesNothing)
{
    db.Execute("CREATE UNIQUE INDEX OneNumber ON Account (AccountID)");
    db.Execute("INSERT INTO Account (AccountID, Description) VALUES ('a', 'first')");
    db.Execute("INSERT INTO Account (AccountID, Description) VALUES ('b', 'second')");
    // The first row takes the number; the second clashes with it.
    EXPECT_THROW(db.Execute("UPDATE Account SET AccountID = 'c', Description = 'changed'"),
                 DatabaseError);
    EXPECT_TRUE(db.HasRows("Account", "AccountID = 'a' AND Description = 'first'"));
    EXPECT_TRUE(db.HasRows("Account", "AccountID = 'b' AND Description = 'second'"));
    EXPECT_FALSE(db.HasRows("Account", "AccountID = 'c'"));
}
