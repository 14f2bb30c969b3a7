// Windows: the lock is a named mutex, which the system releases when its holder ends, so no lock
// is ever stale and it has no file; the hand-over goes over DDE, the toolkit's IPC there, under
// the mutex's name.
#include <algorithm>
#include <thread>

#include "instance/running_copy.h"

namespace tarvella {

namespace {

using namespace std::chrono_literals;

const char* const kMutexName = "TarvellaSoftwareFromMorrowgate";
// A copy still starting may not listen yet; DDE waits 5 seconds for the answer itself.
constexpr std::chrono::milliseconds kConnectFor = 3s;

}  // namespace

std::string LockName() {
    return kMutexName;
}

std::string LockPlace(const std::string&) {
    return kMutexName;
}

std::string HandOverPlace(const std::string&, const std::string&, bool) {
    return kMutexName;
}

std::string PrepareHandOverPlace(const std::string&) {
    return {};
}

bool SenderGone(long long) {
    return false;
}

OwnerOnlyFiles::OwnerOnlyFiles() = default;
OwnerOnlyFiles::~OwnerOnlyFiles() = default;

MadeHandOverPlace::MadeHandOverPlace(std::string place) : place_(std::move(place)) {}
MadeHandOverPlace::~MadeHandOverPlace() = default;

// The mutex is the toolkit check's own.
struct SystemLockWorld::Kept {};

SystemLockWorld::SystemLockWorld(const std::string& home, const std::string& runtimeDir,
                                 ToolkitChecks checks)
    : lockPlace_(LockPlace(home)),
      handOverPlace_(HandOverPlace(home, runtimeDir, false)),
      checks_(std::move(checks)),
      kept_(std::make_unique<Kept>()) {}

SystemLockWorld::~SystemLockWorld() = default;

bool SystemLockWorld::OwnsLockFile() {
    return true;
}

bool SystemLockWorld::LockFileExists() {
    return true;
}

long SystemLockWorld::LockOwner() {
    return 0;
}

// The mutex tells only whether it is held: asked anew, since its holder may have ended. Asked only
// by a copy that does not hold it, whose own handle is let go first: while it is open the mutex
// outlives the holder, and this copy would take its own handle for a running copy.
bool SystemLockWorld::LockHeld() {
    checks_.drop();
    return checks_.check(true);
}

bool SystemLockWorld::KeepOwnLock() {
    return true;
}

bool SystemLockWorld::RunsOtherProgram(long) {
    return false;
}

void SystemLockWorld::RemoveLockFile() {}

void SystemLockWorld::RemoveHandOverPlace() {}

std::string SystemLockWorld::LockPlaceProblem() {
    return {};
}

HandOverReply SystemLockWorld::Ask(const std::string& request,
                                   std::chrono::milliseconds listenWithin,
                                   const std::function<bool()>& holderGone) {
    const std::vector<std::string> files = ReadHandOverRequest(request).files;
    const auto until = Clock::now() + std::min(listenWithin, kConnectFor);
    for (;;) {
        if (checks_.handOver(files)) return HandOverReply::Ok;
        if (Clock::now() >= until || holderGone()) return HandOverReply::Nobody;
        std::this_thread::sleep_for(100ms);
    }
}

}  // namespace tarvella
