#include "cli/CliRun.h"

#include "base/Settings.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using Reply = LoopbackHttpServer::Reply;

namespace
{
class CliUpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_home.Path() / "Quorvel/Tallybrook");
    }

    static LoopbackHttpServer::Handler UpdateFile(const std::string& text)
    {
        return [text](const LoopbackHttpServer::Request& request) -> Reply
        {
            if (request.target == "/tallybrook/update.txt")
                return {200, text, "text/plain", "", 0, false};
            return {404, "", "text/plain", "", 0, false};
        };
    }

    TempDir m_home;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_home.Path().string()};
};
} // namespace

TEST_F(CliUpdateCheck, PrintsTheCodeAndTheVersionOnOffer)
{
    WriteSetting("LastUpdateCheck", "2020-01-01", "Settings");
    LoopbackHttpServer newer(UpdateFile("8.1.1"));
    CliRun run = Cli({"update-check", "--site", newer.BaseUrl()});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "code 0\navailable 8.1.1\n");
    ASSERT_EQ(newer.Requests().size(), 1u);
    EXPECT_EQ(newer.Requests().front().target, "/tallybrook/update.txt");

    LoopbackHttpServer same(UpdateFile("8.1"));
    EXPECT_EQ(Cli({"update-check", "--site=" + same.BaseUrl()}).out, "code 6\n");
    // The command checks whatever the date says and leaves the date alone.
    EXPECT_EQ(GetSetting("LastUpdateCheck", "Settings"), "2020-01-01");
}

TEST_F(CliUpdateCheck, FailuresAreCodesNotErrors)
{
    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    CliRun run = Cli({"update-check", "--site", closed});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "code 2\n");
    EXPECT_EQ(GetSetting("LastUpdateCheck", "Settings"), "");
}
