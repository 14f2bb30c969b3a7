// What only POSIX has: the lock and the hand-over as files, links and pipes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/kept_documents.h"
#include "instance/running_copy.h"
#include "test_support.h"

namespace tarvella {
namespace {

namespace fs = std::filesystem;

ToolkitChecks NoChecks() {
    return {[](bool) { return false; }, [] {}, nullptr};
}

TEST(RunningCopyPlaces, LockPlaceProblems) {
    test::ScratchDir home;
    const std::string lock = LockPlace(home.path().string());
    SystemLockWorld world(home.path().string(), "", NoChecks());
    EXPECT_EQ(world.LockPlaceProblem(), "");
    EXPECT_FALSE(world.LockFileExists());
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* problem;
    };
    const Case cases[] = {
        {"a file", [&] { std::ofstream(lock) << "1"; }, ""},
        {"a folder", [&] { fs::create_directory(lock); }, "it is a folder"},
        {"a pipe", [&] { ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0); }, "it is not a regular file"},
        {"a link to nothing", [&] { fs::create_symlink(home.File("gone"), lock); },
         "it is a link to nothing"},
        {"a link", [&] { fs::create_symlink(home.path(), lock); }, "it is a link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        EXPECT_EQ(world.LockPlaceProblem(), c.problem);
        // None of them is read as naming a copy, and a pipe does not block the reader.
        EXPECT_EQ(world.LockOwner(), c.problem[0] ? 0 : 1);
        EXPECT_FALSE(world.LockHeld());
        fs::remove(lock);
    }
}

TEST(RunningCopyPlaces, OwnLockKeptThroughItsFile) {
    test::ScratchDir home;
    const std::string lock = LockPlace(home.path().string());
    SystemLockWorld world(home.path().string(), "", NoChecks());
    std::ofstream(lock) << 1;
    EXPECT_FALSE(world.KeepOwnLock());  // another copy's id
    test::WriteFileBytes(lock, std::to_string(getpid()) + std::string(1, '\0'));
    EXPECT_EQ(world.LockOwner(), getpid());
    EXPECT_TRUE(world.KeepOwnLock());
    EXPECT_TRUE(world.OwnsLockFile());
    // Replaced by a later start that took the lock over: no longer this copy's file.
    fs::remove(lock);
    test::WriteFileBytes(lock, std::to_string(getpid()));
    EXPECT_FALSE(world.OwnsLockFile());
}

TEST(RunningCopyPlaces, HandOverPlaces) {
    test::ScratchDir dir;
    const std::string home = dir.path().string();
    EXPECT_EQ(HandOverPlace(home, "/run/user/1", false), LockPlace(home) + ".socket");
    // Too long for a socket address beside the lock: the runtime directory, under a name of the
    // home's own.
    const std::string longHome = home + "/" + std::string(120, 'h');
    const std::string inRuntime = HandOverPlace(longHome, "/run/user/1", false);
    EXPECT_TRUE(inRuntime.starts_with("/run/user/1/tarvella-")) << inRuntime;
    EXPECT_TRUE(inRuntime.ends_with(".socket"));
    EXPECT_EQ(HandOverPlace(longHome, "/run/user/1", false), inRuntime);
    EXPECT_NE(HandOverPlace(longHome + "x", "/run/user/1", false), inRuntime);

    EXPECT_EQ(PrepareHandOverPlace(longHome + "/s"), "its path is too long for a socket");
    EXPECT_EQ(PrepareHandOverPlace(home + "/none"), "");
    fs::create_directory(home + "/folder");
    EXPECT_EQ(PrepareHandOverPlace(home + "/folder"), "it is a folder");
    std::ofstream(home + "/file") << "x";
    EXPECT_EQ(PrepareHandOverPlace(home + "/file"), "something that is not a socket is there");
    EXPECT_TRUE(fs::exists(home + "/file"));
}

TEST(KeptDocuments, PipesAndLinksAreNotTheList) {
    test::ScratchDir data;
    const std::string dir = data.File("recovered");
    fs::create_directory(dir);
    ASSERT_EQ(mkfifo((dir + "/.untold").c_str(), 0600), 0);
    // Neither read nor written through: it would block the start or the end.
    EXPECT_EQ(TakeKeptDocumentsNotice(data.path().string()), "");
    fs::create_symlink(data.File("elsewhere"), dir + "/VKT1.vkt");
    EXPECT_EQ(KeptDocumentPath(dir, "VKT1"), dir + "/VKT1-2.vkt");
}

}  // namespace
}  // namespace tarvella
