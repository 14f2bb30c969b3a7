// What only Windows has.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "document/data_dir.h"
#include "instance/running_copy.h"

namespace tarvella {
namespace {

TEST(DataDirectory, ApplicationDataOnWindows) {
    const std::wstring saved = _wgetenv(L"APPDATA") ? _wgetenv(L"APPDATA") : L"";
    _wputenv_s(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(DefaultUserDataDirectory(), "C:\\Users\\u\\AppData\\Roaming\\Tarvella");
    _wputenv_s(L"APPDATA", L"relative");
    EXPECT_EQ(DefaultUserDataDirectory(), "");
    _wputenv_s(L"APPDATA", saved.c_str());
}

// The toolkit's check as Windows' named mutex is: opening it while any handle is open finds it
// there, and it is gone with its last handle; each check made anew replaces the one before.
struct FakeMutex {
    int othersHandles = 0;
    bool ours = false;
    // What the running copy does when a later start hands it files.
    enum class Holder { Answers, EndsWhileAsked, Absent } holder = Holder::Absent;
    std::vector<std::string> handed;
    int asked = 0;

    ToolkitChecks Checks() {
        ToolkitChecks checks;
        checks.check = [this](bool) {
            const bool opened = othersHandles + (ours ? 1 : 0) > 0;
            ours = true;
            return opened;
        };
        checks.drop = [this] { ours = false; };
        checks.handOver = [this](const std::vector<std::string>& files) {
            ++asked;
            if (holder == Holder::Answers) {
                handed = files;
                return true;
            }
            if (holder == Holder::EndsWhileAsked) othersHandles = 0;
            return false;
        };
        return checks;
    }
};

TEST(RunningCopyLock, NamedMutexOnWindows) {
    using Holder = FakeMutex::Holder;
    const struct {
        Holder holder;
        LinkOutcome outcome;
        int asked;
    } cases[] = {
        {Holder::Absent, LinkOutcome::Run, 0},
        {Holder::Answers, LinkOutcome::HandedOver, 1},
        // The copy's own handle kept the mutex alive after the holder ended, so it took itself
        // for a running copy that did not answer.
        {Holder::EndsWhileAsked, LinkOutcome::Run, 1},
    };
    for (const auto& c : cases) {
        FakeMutex mutex;
        mutex.holder = c.holder;
        mutex.othersHandles = c.holder == Holder::Absent ? 0 : 1;
        SystemLockWorld world("C:\\Users\\u", "", mutex.Checks());
        RunningCopyLock lock(world);
        const auto started = LockWorld::Clock::now();
        EXPECT_EQ(lock.HandOverOrTakeLock(HandOverRequest({"C:\\a b\\c.vkt"})), c.outcome)
            << static_cast<int>(c.holder);
        EXPECT_LT(LockWorld::Clock::now() - started, std::chrono::seconds(2));
        EXPECT_EQ(mutex.asked, c.asked);
        // A copy that runs holds the mutex, and so does one that asked, until it ends.
        EXPECT_TRUE(mutex.ours);
        if (c.holder == Holder::Answers) {
            EXPECT_EQ(mutex.handed, std::vector<std::string>{"C:\\a b\\c.vkt"});
        }
    }
}

}  // namespace
}  // namespace tarvella
