#pragma once

#include "cli/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

/// A database of its own, made by the first start in a fresh application-data folder, with the
/// account 1001 "Checking"; every command is run through the command line on it.
class CliDatabaseTest : public ::testing::Test
{
protected:
    CliDatabaseTest()
    {
        std::ostringstream ignored;
        EXPECT_EQ(RunCli({"check"}, ignored, ignored), 0);
        m_db = (m_home.Path() / "Quorvel/Tallybrook/db/qtb.mdb").string();
        Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('1001', 'Checking', "
            "'Bank')");
    }

    CliRun Cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--database", m_db});
        return ::Cli(args);
    }

    /// The output of statements run on the database as it is.
    std::string Sql(const std::string& statement)
    {
        CliRun run = Cli({"sql", statement});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    }

    /// The database file the commands run on.
    const std::string& DatabasePath() const { return m_db; }

    /// A path in a folder of the test's own.
    std::string File(const std::string& name) const { return m_dir.File(name); }

    /// Writes a file of that name and content and returns its path.
    std::string Write(const std::string& name, const std::string& content)
    {
        std::string path = File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

private:
    TempDir m_home;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_home.Path().string()};
    TempDir m_dir;
    std::string m_db;
};
