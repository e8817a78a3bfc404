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

TEST(CAutoUpdater, NewerEqualAndUnreadableVersions)
{
    LoopbackHttpServer newer(UpdateFile("8.1.1"));
    UpdateCheckResult available = Check(newer.BaseUrl());
    EXPECT_EQ(available.Code(), 0);
    EXPECT_EQ(available.version, "8.1.1");
    ASSERT_EQ(newer.Requests().size(), 1u);
    EXPECT_EQ(newer.Requests().front().userAgent, "AutoUpdateAgent");

    LoopbackHttpServer equal(UpdateFile("8.1"));
    EXPECT_EQ(Check(equal.BaseUrl() + "/").Code(), 6);
    EXPECT_EQ(Check(equal.BaseUrl(), "8.0.9").Code(), 0);
    EXPECT_EQ(Check(equal.BaseUrl(), "9").Code(), 6);

    LoopbackHttpServer fiveParts(UpdateFile("9.0.0.0.1"));
    EXPECT_EQ(Check(fiveParts.BaseUrl()).Code(), 6);

    LoopbackHttpServer lineBreak(UpdateFile("8.2\n"));
    UpdateCheckResult withBreak = Check(lineBreak.BaseUrl());
    EXPECT_EQ(withBreak.Code(), 6);
    EXPECT_EQ(withBreak.version, "8.2\n");

    // The update file was read, but there is no own version to compare with.
    EXPECT_EQ(Check(newer.BaseUrl(), "").Code(), 5);
}

TEST(CAutoUpdater, ErrorStatusesEmptyFilesAndUnreachableSites)
{
    LoopbackHttpServer missing([](const LoopbackHttpServer::Request&) -> Reply
                               { return {404, "9.9.9", "text/plain", "", 0, false}; });
    // An error page is not the update file, even when its text reads as a version.
    EXPECT_EQ(Check(missing.BaseUrl()).Code(), 2);

    LoopbackHttpServer broken([](const LoopbackHttpServer::Request&) -> Reply
                              { return {500, "9.9.9", "text/plain", "", 0, false}; });
    EXPECT_EQ(Check(broken.BaseUrl()).Code(), 2);

    LoopbackHttpServer empty(UpdateFile(""));
    UpdateCheckResult nothing = Check(empty.BaseUrl());
    EXPECT_EQ(nothing.Code(), 3);
    EXPECT_EQ(nothing.version, "");

    LoopbackHttpServer silent([](const LoopbackHttpServer::Request&) -> Reply
                              { return {200, "9", "text/plain", "", 0, true}; });
    EXPECT_EQ(Check(silent.BaseUrl()).Code(), 2);

    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    EXPECT_EQ(Check(closed).Code(), 2);

    // Not a web address at all: the client is set up, the request fails.
    EXPECT_EQ(Check("no-such-scheme://site").Code(), 2);
}

TEST(CAutoUpdater, ReadsAtMost4096BytesAndFollowsRedirects)
{
    // The line break is byte 4097: the one read stops before it, so the text is a version.
    std::string longText = "8.1.1" + std::string(4091, '.') + "\n";
    LoopbackHttpServer big(UpdateFile(longText));
    UpdateCheckResult cut = Check(big.BaseUrl());
    EXPECT_EQ(cut.version, longText.substr(0, 4096));
    EXPECT_EQ(cut.Code(), 0);

    // One byte less and the line break is read.
    LoopbackHttpServer fits(UpdateFile(longText.substr(1)));
    EXPECT_EQ(Check(fits.BaseUrl()).Code(), 6);

    LoopbackHttpServer garbage(UpdateFile(std::string(10000, 'x')));
    UpdateCheckResult cutGarbage = Check(garbage.BaseUrl());
    EXPECT_EQ(cutGarbage.version.size(), 4096u);
    EXPECT_EQ(cutGarbage.Code(), 6);

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
