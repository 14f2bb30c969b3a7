#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "document/data_dir.h"
#include "document/kept_documents.h"
#include "instance/running_copy.h"
#include "test_support.h"
#include "view/window_geometry.h"

namespace tarvella {
namespace {

void ExpectRect(const WindowRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(MainWindowGeometry, FiveScreens) {
    ExpectRect(MainWindowGeometry(0, 0, 640, 480), 10, 0, 600, 480);
    ExpectRect(MainWindowGeometry(0, 0, 800, 600), 50, 12, 600, 551);
    ExpectRect(MainWindowGeometry(0, 0, 801, 600), 50, 0, 601, 600);
    ExpectRect(MainWindowGeometry(0, 0, 1024, 768), 106, 42, 600, 600);
    ExpectRect(MainWindowGeometry(0, 0, 1280, 1024), 170, 106, 600, 600);
}

TEST(MainWindowGeometry, NarrowAndOffsetScreens) {
    ExpectRect(MainWindowGeometry(0, 0, 500, 400), 0, 0, 500, 400);
    // A screen whose origin is not at (0, 0) keeps the same shares.
    ExpectRect(MainWindowGeometry(100, 50, 1124, 818), 206, 92, 600, 600);
}

TEST(MainWindowGeometry, ComesBackOnTheScreen) {
    const WindowRect screen{0, 0, 1280, 1024};
    ExpectRect(ClampToScreen({300, 200, 700, 500}, screen), 300, 200, 700, 500);
    // Left on a second screen that is gone, or dragged half off this one.
    ExpectRect(ClampToScreen({2000, 1500, 700, 500}, screen), 580, 524, 700, 500);
    ExpectRect(ClampToScreen({-300, -40, 700, 500}, screen), 0, 0, 700, 500);
    // Larger than the screen has become.
    ExpectRect(ClampToScreen({100, 100, 1920, 1200}, screen), 0, 0, 1280, 1024);
    ExpectRect(ClampToScreen({50, 50, 0, -5}, {100, 50, 800, 600}), 100, 50, 1, 1);
}

TEST(DataDirectory, FromTheEnvironment) {
    // As paths: Windows writes them with its own separator.
    using P = std::filesystem::path;
    EXPECT_EQ(P(UserDataDirectory("/x/data", "/home/u")), P("/x/data/tarvella"));
    EXPECT_EQ(P(UserDataDirectory(nullptr, "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(P(UserDataDirectory("", "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(P(UserDataDirectory("relative", "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(UserDataDirectory(nullptr, nullptr), "");
    EXPECT_EQ(UserDataDirectory(nullptr, "relative"), "");
}

TEST(DataDirectory, MadeWhenMissingRefusedOverAFile) {
    test::ScratchDir dir;
    const std::string deep = dir.File("a/b/tarvella");
    EXPECT_TRUE(MakeDataDirectory(deep));
    EXPECT_TRUE(MakeDataDirectory(deep));  // already there
    std::ofstream(dir.File("plain")) << "x";
    EXPECT_FALSE(MakeDataDirectory(dir.File("plain")));
    EXPECT_FALSE(MakeDataDirectory(dir.File("plain/tarvella")));
    EXPECT_FALSE(MakeDataDirectory(""));
}

TEST(HandOverFraming, RequestsReadBackOrWait) {
    using State = HandOverRead::State;
    EXPECT_EQ(HandOverRequest({}), std::string(1, '\0'));
    const std::vector<std::string> odd = {"/a b/c.vkt", "/line\nbreak.vkt", "/x"};
    const std::string request = HandOverRequest(odd);
    const HandOverRead whole = ReadHandOverRequest(request);
    EXPECT_EQ(whole.state, State::Complete);
    EXPECT_EQ(whole.files, odd);
    EXPECT_TRUE(ReadHandOverRequest(HandOverRequest({})).files.empty());
    EXPECT_EQ(ReadHandOverRequest(HandOverRequest({})).state, State::Complete);
    // Cut short anywhere before its last byte, it waits for more.
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, request.size() - 1}) {
        EXPECT_EQ(ReadHandOverRequest(std::string_view(request).substr(0, cut)).state,
                  State::Partial)
            << cut;
    }
    const std::string huge(kMaxHandOverRequest, 'a');
    EXPECT_EQ(ReadHandOverRequest(huge).state, State::Partial);
    EXPECT_EQ(ReadHandOverRequest(huge + "a").state, State::TooLong);
    EXPECT_EQ(ReadHandOverRequest(huge + "a" + std::string(2, '\0')).state, State::Complete);
}

// The lock as a toolkit check and the processes of a machine would show it, on a clock that only
// the protocol's sleeps move.
class FakeLockWorld final : public LockWorld {
  public:
    static constexpr long kSelf = 100;
    static constexpr long kOther = 200;

    Clock::time_point now{};
    bool exists = false;
    long owner = 0;
    bool heldByOther = false;
    std::map<long, std::string> programs{{kSelf, "tarvella"}};
    std::string problem;
    HandOverReply reply = HandOverReply::Ok;
    // Something another process does as time passes, or while it is asked.
    std::function<void(FakeLockWorld&)> onSleep;
    std::function<void(FakeLockWorld&)> onAsk;
    std::vector<std::chrono::milliseconds> asks;
    std::string lastRequest;
    int lockRemovals = 0;
    int placeRemovals = 0;

    void MakeOthersLock(long pid, const std::string& program, bool held) {
        exists = true;
        owner = pid;
        heldByOther = held;
        if (!program.empty()) programs[pid] = program;
    }

    Clock::time_point Now() override { return now; }
    void Sleep(std::chrono::milliseconds how_long) override {
        now += how_long;
        if (onSleep) onSleep(*this);
    }
    // Like wxSingleInstanceChecker: it makes a missing file, and replaces one whose process is
    // gone.
    bool CheckOthers(bool) override {
        if (!exists || (owner != 0 && !programs.contains(owner))) {
            MakeOthersLock(kSelf, "", false);
            mine_ = true;
            return false;
        }
        return owner != 0 && owner != kSelf;
    }
    void DropCheck() override {
        if (mine_) exists = false;
        mine_ = false;
    }
    bool LockFileExists() override { return exists; }
    long LockOwner() override { return exists ? owner : 0; }
    bool LockHeld() override { return exists && heldByOther; }
    bool KeepOwnLock() override { return exists && owner == kSelf; }
    bool RunsOtherProgram(long pid) override {
        return programs.contains(pid) && programs[pid] != programs[kSelf];
    }
    void RemoveLockFile() override {
        exists = false;
        ++lockRemovals;
    }
    void RemoveHandOverPlace() override { ++placeRemovals; }
    std::string LockPlaceProblem() override { return problem; }
    HandOverReply Ask(const std::string& request, std::chrono::milliseconds listenWithin,
                      const std::function<bool()>&) override {
        asks.push_back(listenWithin);
        lastRequest = request;
        if (onAsk) onAsk(*this);
        return reply;
    }

  private:
    bool mine_ = false;
};

TEST(RunningCopyLock, StaleTestOnFakeProcesses) {
    using namespace std::chrono_literals;
    using Outcome = LinkOutcome;
    const std::string request = HandOverRequest({"/c.vkt"});
    struct Case {
        const char* what;
        std::function<void(FakeLockWorld&)> setUp;
        Outcome outcome;
        std::size_t asks;
        int lockRemovals;
    };
    const Case cases[] = {
        {"no lock yet", [](FakeLockWorld&) {}, Outcome::Run, 0, 0},
        {"a running copy answers",
         [](FakeLockWorld& w) { w.MakeOthersLock(FakeLockWorld::kOther, "tarvella", true); },
         Outcome::HandedOver, 1, 0},
        {"a pid that is gone",
         [](FakeLockWorld& w) { w.MakeOthersLock(FakeLockWorld::kOther, "", false); }, Outcome::Run,
         0, 0},
        // Its id went to another program after the copy ended: not even asked.
        {"a pid that runs another program",
         [](FakeLockWorld& w) { w.MakeOthersLock(FakeLockWorld::kOther, "bash", false); },
         Outcome::Run, 0, 1},
        // Unlocked, so left by a copy that ended; the id may be a new copy's that failed to lock.
        {"an unlocked lock of this program that nobody answers on",
         [](FakeLockWorld& w) {
             w.MakeOthersLock(FakeLockWorld::kOther, "tarvella", false);
             w.reply = HandOverReply::Nobody;
         },
         Outcome::Run, 1, 1},
        {"a locked copy that refuses",
         [](FakeLockWorld& w) {
             w.MakeOthersLock(FakeLockWorld::kOther, "tarvella", true);
             w.reply = HandOverReply::Nobody;
         },
         Outcome::NoAnswer, 1, 0},
        {"a locked copy that is stuck",
         [](FakeLockWorld& w) {
             w.MakeOthersLock(FakeLockWorld::kOther, "tarvella", true);
             w.reply = HandOverReply::Silent;
         },
         Outcome::NoAnswer, 1, 0},
        {"a copy that ends while asked",
         [](FakeLockWorld& w) {
             w.MakeOthersLock(FakeLockWorld::kOther, "tarvella", true);
             w.reply = HandOverReply::Nobody;
             w.onAsk = [](FakeLockWorld& world) { world.exists = false; };
         },
         Outcome::Run, 1, 0},
        // Made but never locked nor named: one that died while starting, cleared after a second.
        {"a lock file that nobody locks or names",
         [](FakeLockWorld& w) { w.MakeOthersLock(0, "", false); }, Outcome::Run, 0, 1},
        {"a slow starter that names itself within the wait",
         [](FakeLockWorld& w) {
             w.MakeOthersLock(0, "", true);
             w.programs[FakeLockWorld::kOther] = "tarvella";
             w.onSleep = [start = w.now](FakeLockWorld& world) {
                 if (world.now - start >= 3s) world.owner = FakeLockWorld::kOther;
             };
         },
         Outcome::HandedOver, 1, 0},
        {"a starter that never names itself",
         [](FakeLockWorld& w) { w.MakeOthersLock(0, "", true); }, Outcome::NoAnswer, 0, 0},
        {"a lock that cannot be a file", [](FakeLockWorld& w) { w.problem = "it is a folder"; },
         Outcome::NoLock, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeLockWorld world;
        c.setUp(world);
        const bool named = world.owner != 0;
        const bool held = world.heldByOther;
        const auto start = world.now;
        RunningCopyLock lock(world);
        EXPECT_EQ(lock.HandOverOrTakeLock(request), c.outcome);
        EXPECT_EQ(world.asks.size(), c.asks);
        EXPECT_EQ(world.lockRemovals, c.lockRemovals);
        // The socket of a lock file that never named a copy is nobody's to remove.
        EXPECT_EQ(world.placeRemovals, named ? c.lockRemovals : 0);
        // Only a holder still starting is waited for, and not beyond its time to start.
        EXPECT_LE(world.now - start, 5050ms);
        if (c.outcome == Outcome::Run) {
            EXPECT_EQ(world.owner, FakeLockWorld::kSelf);
        }
        if (c.outcome == Outcome::NoLock) {
            EXPECT_EQ(lock.Problem(), "it is a folder");
        }
        if (!world.asks.empty()) {
            EXPECT_EQ(world.lastRequest, request);
            // A holder that holds its lock is given time to start listening; else not waited for.
            EXPECT_EQ(world.asks[0], held ? 10000ms : 0ms);
        }
    }
}

TEST(KeptDocuments, KeptListedAndToldOnce) {
    test::ScratchDir data;
    const std::string dir = data.File("recovered");
    const std::string dataDir = data.path().string();
    // Nothing kept yet, and nothing to tell.
    EXPECT_EQ(TakeKeptDocumentsNotice(dataDir), "");
    KeptDocuments first = KeepModifiedDocuments(dataDir, {{"VKT1", "one"}, {"chart.vkt", "c"}}, 15);
    EXPECT_TRUE(first.allKept);
    ASSERT_EQ(first.paths, (std::vector<std::string>{dir + "/VKT1.vkt", dir + "/chart.vkt"}));
    EXPECT_EQ(first.messages,
              (std::vector<std::string>{"Ended by signal 15; unsaved changes are kept in \"" + dir +
                                        "/VKT1.vkt\", \"" + dir + "/chart.vkt\"."}));
    EXPECT_EQ(test::ReadFileBytes(dir + "/chart.vkt"), "c");
    // A second signal's keeps go beside the first, and the list grows.
    KeptDocuments second = KeepModifiedDocuments(dataDir, {{"chart.vkt", "d"}, {"", "e"}}, 1);
    EXPECT_EQ(second.paths, (std::vector<std::string>{dir + "/chart-2.vkt", dir + "/VKT.vkt"}));
    EXPECT_EQ(test::ReadFileBytes(dir + "/chart.vkt"), "c");
    EXPECT_EQ(
        test::ReadFileBytes(dir + "/.untold"),
        dir + "/VKT1.vkt\n" + dir + "/chart.vkt\n" + dir + "/chart-2.vkt\n" + dir + "/VKT.vkt\n");
    EXPECT_EQ(TakeKeptDocumentsNotice(dataDir),
              "Unsaved changes of an earlier session were kept in \"" + dir + "/VKT1.vkt\", \"" +
                  dir + "/chart.vkt\", \"" + dir + "/chart-2.vkt\", \"" + dir + "/VKT.vkt\".");
    EXPECT_EQ(TakeKeptDocumentsNotice(dataDir), "");
    EXPECT_EQ(KeptDocumentPath(dir, "chart.vkt"), dir + "/chart-3.vkt");
    // A list of none is forgotten without a word; one that is not a file is left alone.
    test::WriteFileBytes(dir + "/.untold", "\n\n");
    EXPECT_EQ(TakeKeptDocumentsNotice(dataDir), "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/.untold"));
    std::filesystem::create_directory(dir + "/.untold");
    EXPECT_EQ(TakeKeptDocumentsNotice(dataDir), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/.untold"));
}

TEST(KeptDocuments, NotKeptWhereNoFolderCanBe) {
    test::ScratchDir data;
    test::WriteFileBytes(data.File("recovered"), "a file");
    const KeptDocuments kept = KeepModifiedDocuments(data.path().string(), {{"VKT2", "x"}}, 2);
    EXPECT_FALSE(kept.allKept);
    EXPECT_TRUE(kept.paths.empty());
    EXPECT_EQ(kept.messages,
              (std::vector<std::string>{"Could not keep the unsaved changes of VKT2 in \"" +
                                        data.File("recovered") + "\"."}));
    EXPECT_TRUE(KeepModifiedDocuments(data.path().string(), {}, 2).allKept);
}

}  // namespace
}  // namespace tarvella
