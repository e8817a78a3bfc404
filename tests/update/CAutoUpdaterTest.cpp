#include "update/CAutoUpdater.h"

#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

using Reply = LoopbackHttpServer::Reply;

namespace
{
const char* const UpdatePath = "/tallybrook/update.txt";

/// A maker's site whose update file holds the given text.
LoopbackHttpServer::Handler UpdateFile(const std::string& text)
{
    return [text](const LoopbackHttpServer::Request& request) -> Reply
    {
        if (request.target == UpdatePath)
            return {200, text, "text/plain", "", 0, false};
        return {404, "not found", "text/html", "", 0, false};
    };
}

UpdateCheckResult Check(const std::string& site, const std::string& own = "8.1.0")
{
    CAutoUpdater updater(site, own);
    // Short waits keep a silent server from holding the test for the full ten seconds.
    updater.SetTimeouts(1000, 1500);
    return updater.CheckForUpdate();
}
} // namespace

TEST(CAutoUpdater, AsksForTheUpdateFileUnderTheSiteAndWatchesTheStopFlag)
{
    for (const char* site : {"https://site.example/", "https://site.example"})
        EXPECT_EQ(CAutoUpdater(site, "8.1.0").UpdateFileRequest().url,
                  "https://site.example/tallybrook/update.txt");
    EXPECT_EQ(UpdatePageUrl("https://site.example//", "8.1.0"),
              "https://site.example/tallybrook/checkforupdates.html?version=8.1.0");
    // A worker's stop flag reaches the request, where the client watches it.
    CAutoUpdater updater("https://site.example/", "8.1.0");
    EXPECT_EQ(updater.UpdateFileRequest().cancel, nullptr);
    std::atomic<bool> stop{false};
    updater.SetCancelFlag(&stop);
    EXPECT_EQ(updater.UpdateFileRequest().cancel, &stop);
}

TEST(CAutoUpdater, ComparesTheUpdateFileWithTheOwnVersion)
{
    // The line break of `longText` is byte 4097: the one read stops before it.
    const std::string longText = "8.1.1" + std::string(4091, '.') + "\n";
    const struct
    {
        std::string text;
        std::string own;
        int code;
        std::string version; ///< what was read
    } cases[] = {
        {"8.1.1", "8.1.0", 0, "8.1.1"},
        {"8.1", "8.1.0", 6, "8.1"},
        {"8.1", "8.0.9", 0, "8.1"},
        {"8.1", "9", 6, "8.1"},
        {"9.0.0.0.1", "8.1.0", 6, "9.0.0.0.1"},
        {"8.2\n", "8.1.0", 6, "8.2\n"},
        {"", "8.1.0", 3, ""},
        // The update file was read, but there is no own version to compare with.
        {"8.1.1", "", 5, "8.1.1"},
        {longText, "8.1.0", 0, longText.substr(0, 4096)},
        // One byte less and the line break is read.
        {longText.substr(1), "8.1.0", 6, longText.substr(1)},
        {std::string(10000, 'x'), "8.1.0", 6, std::string(4096, 'x')},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text.substr(0, 20) + " against " + c.own);
        LoopbackHttpServer site(UpdateFile(c.text));
        UpdateCheckResult result = Check(site.BaseUrl(), c.own);
        EXPECT_EQ(result.Code(), c.code);
        EXPECT_EQ(result.version, c.version);
        ASSERT_EQ(site.Requests().size(), 1u);
        EXPECT_EQ(site.Requests().front().userAgent, "AutoUpdateAgent");
    }
    LoopbackHttpServer equal(UpdateFile("8.1"));
    EXPECT_EQ(Check(equal.BaseUrl() + "/").Code(), 6) << "a site ending in a slash";
}

TEST(CAutoUpdater, ErrorStatusesAndUnreachableSites)
{
    LoopbackHttpServer missing([](const LoopbackHttpServer::Request&) -> Reply
                               { return {404, "9.9.9", "text/plain", "", 0, false}; });
    // An error page is not the update file, even when its text reads as a version.
    EXPECT_EQ(Check(missing.BaseUrl()).Code(), 2);

    LoopbackHttpServer broken([](const LoopbackHttpServer::Request&) -> Reply
                              { return {500, "9.9.9", "text/plain", "", 0, false}; });
    EXPECT_EQ(Check(broken.BaseUrl()).Code(), 2);

    LoopbackHttpServer silent([](const LoopbackHttpServer::Request&) -> Reply
                              { return {200, "9", "text/plain", "", 0, true}; });
    EXPECT_EQ(Check(silent.BaseUrl()).Code(), 2);

    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    EXPECT_EQ(Check(closed).Code(), 2);

    // Not a web address at all: the client is set up, the request fails.
    EXPECT_EQ(Check("no-such-scheme://site").Code(), 2);
}

TEST(CAutoUpdater, FollowsRedirects)
{
    LoopbackHttpServer moved(
        [](const LoopbackHttpServer::Request& request) -> Reply
        {
            if (request.target == "/tallybrook/update.txt")
                return {302, "", "text/plain", "/new/update.txt", 0, false};
            if (request.target == "/new/update.txt")
                return {200, "8.1.5", "text/plain", "", 0, false};
            return {404, "", "text/plain", "", 0, false};
        });
    UpdateCheckResult followed = Check(moved.BaseUrl());
    EXPECT_EQ(followed.Code(), 0);
    EXPECT_EQ(followed.version, "8.1.5");

    LoopbackHttpServer movedAway(
        [](const LoopbackHttpServer::Request& request) -> Reply
        {
            if (request.target == "/tallybrook/update.txt")
                return {301, "", "text/plain", "/gone", 0, false};
            return {404, "8.1.5", "text/plain", "", 0, false};
        });
    EXPECT_EQ(Check(movedAway.BaseUrl()).Code(), 2);
}
