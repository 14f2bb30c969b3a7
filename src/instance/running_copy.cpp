#include "instance/running_copy.h"

#include <cctype>
#include <cstring>
#include <thread>

namespace tarvella {

namespace {

using namespace std::chrono_literals;
using Clock = LockWorld::Clock;

// A copy that holds the lock may still be starting, slowly on a loaded machine.
constexpr auto kListensWithin = 10s;
// How long a copy that is making the lock file may take to write its process id into it.
constexpr auto kStartingFor = 5s;
// How long a copy may pause between making the lock file and locking it.
constexpr auto kLockingWithin = 1s;
// The lock file missing this many times in a row after the check failed to make it: the home
// takes no lock file, rather than a copy ending at that moment.
constexpr int kMissesForNoLock = 3;

}  // namespace

std::string HandOverRequest(const std::vector<std::string>& paths) {
    std::string request;
    for (const std::string& path : paths) {
        request += path;
        request += '\0';
    }
    request += '\0';
    return request;
}

HandOverRead ReadHandOverRequest(std::string_view bytes) {
    HandOverRead read;
    // The list ends with an empty entry; an empty list is that entry alone.
    std::size_t end = std::string_view::npos;
    if (bytes.starts_with('\0')) {
        end = 0;
    } else if (const std::size_t blank = bytes.find(std::string_view("\0\0", 2));
               blank != std::string_view::npos) {
        end = blank + 1;
    }
    if (end == std::string_view::npos) {
        if (bytes.size() > kMaxHandOverRequest) read.state = HandOverRead::State::TooLong;
        return read;
    }
    read.state = HandOverRead::State::Complete;
    for (std::size_t begin = 0; begin < end;) {
        const std::size_t nul = bytes.find('\0', begin);
        read.files.emplace_back(bytes.substr(begin, nul - begin));
        begin = nul + 1;
    }
    return read;
}

std::string ErrorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

RunningCopyLock::RunningCopyLock(LockWorld& world) : world_(world) {
    TakeLock();
}

void RunningCopyLock::TakeLock() {
    // A copy started at the same moment may have made the lock file without having written its
    // process id yet; the check then takes neither copy for the running one and both would run.
    // Ask again until the file names a copy, ours or the other's. While the other copy writes, it
    // holds the file locked, which tells a copy still starting from one that died while starting,
    // however slow the write.
    // A folder, a pipe or a link in its place takes no lock: the check would fail on it, and
    // another copy would run beside this one unseen.
    problem_ = world_.LockPlaceProblem();
    if (!problem_.empty()) return;
    const auto giveUpAt = world_.Now() + kStartingFor;
    int misses = 0;
    // Since when the file has been seen unlocked and without an id, in a row.
    constexpr auto kNotYet = Clock::time_point::max();
    auto unlockedSince = kNotYet;
    for (;;) {
        const bool last = world_.Now() >= giveUpAt;
        anotherRunning_ = world_.CheckOthers(!last);
        if (anotherRunning_) break;
        if (!world_.LockFileExists()) {
            // Gone between the check's attempt to make it and its read: a copy ended just then.
            // Missing every time, it cannot be made here (a full or read-only home), and this
            // copy runs without it; anything else put in its place meanwhile stops it.
            if (++misses == kMissesForNoLock || last) {
                problem_ = world_.LockPlaceProblem();
                break;
            }
            world_.DropCheck();
            world_.Sleep(50ms);
            continue;
        }
        misses = 0;
        if (world_.KeepOwnLock()) break;
        const bool starting = world_.LockHeld();
        if (last) {
            holderSilent_ = starting;
            break;
        }
        world_.DropCheck();
        // Unlocked and without an id for a while: the other copy made the file and has not locked
        // it yet, or died; only the second lasts.
        const auto now = world_.Now();
        if (starting) {
            unlockedSince = kNotYet;
        } else if (unlockedSince == kNotYet) {
            unlockedSince = now;
        } else if (now - unlockedSince >= kLockingWithin) {
            world_.RemoveLockFile();
            unlockedSince = kNotYet;
        }
        world_.Sleep(50ms);
    }
}

LinkOutcome RunningCopyLock::HandOverOrTakeLock(const std::string& request) {
    if (!problem_.empty()) return LinkOutcome::NoLock;
    if (holderSilent_) return LinkOutcome::NoAnswer;
    // Each round either reaches the holder or removes its stale lock; a few rounds allow for
    // other copies racing for the lock at the same time.
    for (int round = 0; round < 3 && anotherRunning_; ++round) {
        const long holder = world_.LockOwner();
        // A copy keeps the file locked while it runs, however slowly it starts; unlocked, the file
        // was left by one that ended, whatever program has its id now. Only a copy that could not
        // lock the file may still listen then, and it is asked without waiting.
        const bool locked = world_.LockHeld();
        HandOverReply reply = HandOverReply::Nobody;
        if (locked) {
            reply = world_.Ask(request, kListensWithin,
                               [&] { return world_.LockOwner() != holder || !world_.LockHeld(); });
        } else if (holder == 0 || !world_.RunsOtherProgram(holder)) {
            reply = world_.Ask(request, 0ms, [] { return true; });
        }
        if (reply == HandOverReply::Ok) return LinkOutcome::HandedOver;
        if (reply == HandOverReply::Silent) return LinkOutcome::NoAnswer;
        if (locked && world_.LockHeld() && world_.LockOwner() == holder) {
            return LinkOutcome::NoAnswer;
        }
        world_.DropCheck();
        if (!locked && holder != 0 && world_.LockOwner() == holder && !world_.LockHeld()) {
            world_.RemoveLockFile();
            world_.RemoveHandOverPlace();
        }
        TakeLock();
        if (!problem_.empty()) return LinkOutcome::NoLock;
        if (holderSilent_) return LinkOutcome::NoAnswer;
    }
    return anotherRunning_ ? LinkOutcome::NoAnswer : LinkOutcome::Run;
}

// The same on every platform: the clock, and the toolkit's own check.
LockWorld::Clock::time_point SystemLockWorld::Now() {
    return Clock::now();
}

void SystemLockWorld::Sleep(std::chrono::milliseconds how_long) {
    std::this_thread::sleep_for(how_long);
}

bool SystemLockWorld::CheckOthers(bool quiet) {
    return checks_.check(quiet);
}

void SystemLockWorld::DropCheck() {
    checks_.drop();
}

}  // namespace tarvella
