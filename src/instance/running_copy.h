// One running copy per user: a later start hands the files named on its command line to the copy
// that runs and ends. This is that protocol without the toolkit's IPC calls: the hand-over's
// bytes, the places of the lock and of the hand-over, and the test of whether a lock is stale,
// which asks the system through a LockWorld so that tests can give it a clock and processes.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvella {

// The hand-over is each absolute path followed by a NUL byte, then a NUL byte that ends the list
// (a file name may hold a newline, never a NUL); the running copy answers "ok" and a newline.
inline constexpr std::string_view kHandOverAnswer = "ok\n";
// What the running copy takes from one later start.
inline constexpr std::size_t kMaxHandOverRequest = 1 << 20;

std::string HandOverRequest(const std::vector<std::string>& paths);

struct HandOverRead {
    enum class State {
        Partial,   // the end of the list has not come yet
        Complete,  // `files` holds the list
        TooLong,   // over kMaxHandOverRequest without an end: the sender is dropped
    };
    State state = State::Partial;
    std::vector<std::string> files;
};
HandOverRead ReadHandOverRequest(std::string_view bytes);

enum class HandOverReply {
    Ok,      // the running copy took the files
    Nobody,  // nobody listens, or it refused them
    Silent,  // something listens but does not answer
};

// The system as the lock's protocol sees it: the real one is SystemLockWorld; tests give a fake.
class LockWorld {
  public:
    using Clock = std::chrono::steady_clock;
    virtual ~LockWorld() = default;

    virtual Clock::time_point Now() = 0;
    virtual void Sleep(std::chrono::milliseconds how_long) = 0;
    // The toolkit's single-instance check made anew, which makes the lock file with this copy's
    // id when there is none: true when another copy holds the lock. `quiet` keeps its complaints.
    virtual bool CheckOthers(bool quiet) = 0;
    // The check let go; it removes the lock file only when it made it.
    virtual void DropCheck() = 0;
    virtual bool LockFileExists() = 0;
    // The process id written in the lock file; 0 when there is none (yet).
    virtual long LockOwner() = 0;
    // Whether some process holds the lock file locked: a copy does from its start to its end.
    virtual bool LockHeld() = 0;
    // Locks the lock file for the whole run when it names this copy; false when it does not.
    virtual bool KeepOwnLock() = 0;
    // Sure that the process runs some other program, so that its lock is stale without asking.
    virtual bool RunsOtherProgram(long pid) = 0;
    virtual void RemoveLockFile() = 0;
    virtual void RemoveHandOverPlace() = 0;
    // Why the lock's place holds something that can never be a lock; empty when it can be one.
    virtual std::string LockPlaceProblem() = 0;
    // Sends the request to whoever listens at the hand-over's place, waiting up to `listenWithin`
    // for a listener unless `holderGone` says there is none to wait for.
    virtual HandOverReply Ask(const std::string& request, std::chrono::milliseconds listenWithin,
                              const std::function<bool()>& holderGone) = 0;
};

enum class LinkOutcome {
    Run,         // this copy holds the lock and runs
    HandedOver,  // the running copy took the files
    NoAnswer,    // a copy is there but did not answer in time; the files were not opened
    NoLock,      // the lock cannot be taken here (Problem says why): running would risk a second
                 // copy beside the first
};

// This copy's side of the lock: taken at construction when nobody holds it.
class RunningCopyLock {
  public:
    explicit RunningCopyLock(LockWorld& world);

    // Hands `request` to the copy that holds the lock. A lock whose holder does not answer as
    // this program is stale: it is taken over, and the outcome is Run.
    LinkOutcome HandOverOrTakeLock(const std::string& request);
    // Why the lock cannot be taken, after NoLock: "it is a folder".
    const std::string& Problem() const { return problem_; }
    bool AnotherRunning() const { return anotherRunning_; }

  private:
    void TakeLock();

    LockWorld& world_;
    bool anotherRunning_ = false;
    // Another copy keeps making the lock file and never names itself in it.
    bool holderSilent_ = false;
    std::string problem_;
};

// What only the toolkit can do, given by the application.
struct ToolkitChecks {
    // Makes the single-instance check anew: true when another copy holds it.
    std::function<bool(bool quiet)> check;
    std::function<void()> drop;
    // Windows: hands the files over through the toolkit's IPC; true when they were taken.
    std::function<bool(const std::vector<std::string>& files)> handOver;
};

// The name the toolkit's single-instance check is given.
std::string LockName();
// Where the lock is for the user whose home is `home`.
std::string LockPlace(const std::string& home);
// Where the running copy listens: beside the lock; when the home is too long for a socket address
// there, in the user's private runtime directory `runtimeDir`, or without one in a private folder
// of the user's in /tmp, under a name that every copy derives from the home alike. The listening
// copy makes that folder (`make`).
std::string HandOverPlace(const std::string& home, const std::string& runtimeDir, bool make);
// Why the running copy cannot listen at `place`; empty when it can. A socket that a copy which
// died left there is removed.
std::string PrepareHandOverPlace(const std::string& place);
// Whether the later start on the other end of `nativeSocket` has gone away.
bool SenderGone(long long nativeSocket);
// The error as a sentence's middle: "permission denied".
std::string ErrorText(int error);

// Files made while it lives are this user's alone.
class OwnerOnlyFiles {
  public:
    OwnerOnlyFiles();
    ~OwnerOnlyFiles();
    OwnerOnlyFiles(const OwnerOnlyFiles&) = delete;
    OwnerOnlyFiles& operator=(const OwnerOnlyFiles&) = delete;

  private:
    unsigned saved_ = 0;
};

// The hand-over's place as made by this copy, removed only while it is still that one: a copy
// that took over a lock this one no longer answered on has its own.
class MadeHandOverPlace {
  public:
    explicit MadeHandOverPlace(std::string place);
    ~MadeHandOverPlace();
    MadeHandOverPlace(const MadeHandOverPlace&) = delete;
    MadeHandOverPlace& operator=(const MadeHandOverPlace&) = delete;
    bool Exists() const { return exists_; }

  private:
    std::string place_;
    bool exists_ = false;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
};

// The real system. It keeps this copy's own locked descriptor of the lock file until it goes.
class SystemLockWorld final : public LockWorld {
  public:
    SystemLockWorld(const std::string& home, const std::string& runtimeDir, ToolkitChecks checks);
    ~SystemLockWorld() override;

    // Whether the file at the lock's place is still this copy's.
    bool OwnsLockFile();

    Clock::time_point Now() override;
    void Sleep(std::chrono::milliseconds how_long) override;
    bool CheckOthers(bool quiet) override;
    void DropCheck() override;
    bool LockFileExists() override;
    long LockOwner() override;
    bool LockHeld() override;
    bool KeepOwnLock() override;
    bool RunsOtherProgram(long pid) override;
    void RemoveLockFile() override;
    void RemoveHandOverPlace() override;
    std::string LockPlaceProblem() override;
    HandOverReply Ask(const std::string& request, std::chrono::milliseconds listenWithin,
                      const std::function<bool()>& holderGone) override;

  private:
    std::string lockPlace_;
    std::string handOverPlace_;
    ToolkitChecks checks_;
    // What the platform keeps of the lock.
    struct Kept;
    std::unique_ptr<Kept> kept_;
};

}  // namespace tarvella
