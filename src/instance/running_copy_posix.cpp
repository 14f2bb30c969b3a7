// POSIX: the lock is a file in the home that the running copy keeps locked with fcntl, so that a
// lock left by a copy that died tells from one whose holder still starts; the hand-over goes over
// a local socket.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "instance/running_copy.h"

namespace tarvella {

namespace {

using namespace std::chrono_literals;
using Clock = LockWorld::Clock;

const char* const kLockName = ".TarvellaSoftwareFromMorrowgate";
// Once connected, the running copy answers at once unless it is stuck.
constexpr auto kAnswerWithin = 5s;

// The lock file, or -1 when it is missing or not a regular file (a pipe would block the reader).
int OpenLockFile(const std::string& lockPath, int mode) {
    const int fd = open(lockPath.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat file {};
    if (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

long PidIn(int fd) {
    char bytes[32] = {};
    if (pread(fd, bytes, sizeof bytes - 1, 0) <= 0) return 0;
    char* end = nullptr;
    const long pid = std::strtol(bytes, &end, 10);
    return end != bytes && pid > 0 ? pid : 0;
}

bool FitsSocketAddress(const std::string& path) {
    return path.size() < sizeof(sockaddr_un::sun_path);
}

// A folder that only this user can enter, or empty: one that is anybody else's, or open to
// others, could hold a socket planted to take the files handed over.
std::string PrivateFolder(const std::string& path, bool make) {
    if (make) mkdir(path.c_str(), 0700);
    struct stat there {};
    if (lstat(path.c_str(), &there) != 0 || !S_ISDIR(there.st_mode) || there.st_uid != geteuid() ||
        (there.st_mode & 077) != 0) {
        return {};
    }
    return path;
}

// The name of the program a process runs; empty when it cannot be read.
std::string ProgramName(const std::string& process) {
    char target[PATH_MAX];
    const ssize_t n = readlink(("/proc/" + process + "/exe").c_str(), target, sizeof target - 1);
    if (n <= 0) return {};
    std::string name(target, static_cast<std::size_t>(n));
    // A program replaced on disk while it runs.
    const std::string deleted = " (deleted)";
    if (name.ends_with(deleted)) name.erase(name.size() - deleted.size());
    return name.substr(name.rfind('/') + 1);
}

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::string LockName() {
    return kLockName;
}

std::string LockPlace(const std::string& home) {
    return home + "/" + kLockName;
}

std::string HandOverPlace(const std::string& home, const std::string& runtimeDir, bool make) {
    const std::string beside = LockPlace(home) + ".socket";
    if (FitsSocketAddress(beside)) return beside;
    // FNV-1a: the same in every build, unlike std::hash.
    std::uint64_t hash = 14695981039346656037u;
    for (const char byte : home) hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211u;
    char name[40];
    std::snprintf(name, sizeof name, "/tarvella-%016llx.socket",
                  static_cast<unsigned long long>(hash));
    if (runtimeDir.starts_with('/')) {
        const std::string there = runtimeDir + name;
        return FitsSocketAddress(there) ? there : beside;
    }
    const std::string folder =
        PrivateFolder("/tmp/tarvella-" + std::to_string(static_cast<long>(geteuid())), make);
    if (folder.empty()) return beside;
    const std::string there = folder + name;
    return FitsSocketAddress(there) ? there : beside;
}

std::string PrepareHandOverPlace(const std::string& place) {
    // A shortened address would be some other file's.
    if (!FitsSocketAddress(place)) return "its path is too long for a socket";
    // Left behind by a copy that died: binding would fail on it. Anything else there is not ours
    // to remove.
    struct stat there {};
    if (lstat(place.c_str(), &there) == 0) {
        if (S_ISDIR(there.st_mode)) return "it is a folder";
        if (!S_ISSOCK(there.st_mode)) return "something that is not a socket is there";
        unlink(place.c_str());
    }
    return {};
}

bool SenderGone(long long nativeSocket) {
    pollfd p{static_cast<int>(nativeSocket), POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

OwnerOnlyFiles::OwnerOnlyFiles() : saved_(umask(077)) {}

OwnerOnlyFiles::~OwnerOnlyFiles() {
    umask(static_cast<mode_t>(saved_));
}

MadeHandOverPlace::MadeHandOverPlace(std::string place) : place_(std::move(place)) {
    struct stat made {};
    exists_ = stat(place_.c_str(), &made) == 0;
    device_ = made.st_dev;
    inode_ = made.st_ino;
}

MadeHandOverPlace::~MadeHandOverPlace() {
    struct stat now {};
    if (exists_ && stat(place_.c_str(), &now) == 0 && now.st_dev == device_ &&
        now.st_ino == inode_) {
        unlink(place_.c_str());
    }
}

// This copy's own locked descriptor of the lock file; -1 without one.
struct SystemLockWorld::Kept {
    int lockFd = -1;
};

SystemLockWorld::SystemLockWorld(const std::string& home, const std::string& runtimeDir,
                                 ToolkitChecks checks)
    : lockPlace_(LockPlace(home)),
      handOverPlace_(HandOverPlace(home, runtimeDir, false)),
      checks_(std::move(checks)),
      kept_(std::make_unique<Kept>()) {}

SystemLockWorld::~SystemLockWorld() {
    if (kept_->lockFd >= 0) close(kept_->lockFd);
}

bool SystemLockWorld::OwnsLockFile() {
    // Compared by the file itself, since reading it through another descriptor would drop the
    // lock.
    if (kept_->lockFd < 0) return LockOwner() == static_cast<long>(getpid());
    struct stat kept {};
    struct stat there {};
    return fstat(kept_->lockFd, &kept) == 0 && stat(lockPlace_.c_str(), &there) == 0 &&
           kept.st_dev == there.st_dev && kept.st_ino == there.st_ino;
}

bool SystemLockWorld::LockFileExists() {
    struct stat there {};
    return stat(lockPlace_.c_str(), &there) == 0 && S_ISREG(there.st_mode);
}

// Only asked in a copy that holds no lock there, since closing the file drops the own lock.
long SystemLockWorld::LockOwner() {
    const int fd = OpenLockFile(lockPlace_, O_RDONLY);
    if (fd < 0) return 0;
    const long pid = PidIn(fd);
    close(fd);
    return pid;
}

// Only asked in a copy that holds no lock there.
bool SystemLockWorld::LockHeld() {
    const int fd = OpenLockFile(lockPlace_, O_RDONLY);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held;
}

// The descriptor is kept for the whole run and closed only at the end, since closing any
// descriptor of the file drops the lock.
bool SystemLockWorld::KeepOwnLock() {
    const int fd = OpenLockFile(lockPlace_, O_RDWR);
    if (fd < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (PidIn(fd) == static_cast<long>(getpid()) && fcntl(fd, F_SETLK, &lock) == 0) {
        kept_->lockFd = fd;
        return true;
    }
    close(fd);
    return false;
}

bool SystemLockWorld::RunsOtherProgram(long pid) {
    const std::string ours = ProgramName("self");
    const std::string theirs = ProgramName(std::to_string(pid));
    return !ours.empty() && !theirs.empty() && ours != theirs;
}

void SystemLockWorld::RemoveLockFile() {
    unlink(lockPlace_.c_str());
}

void SystemLockWorld::RemoveHandOverPlace() {
    unlink(handOverPlace_.c_str());
}

std::string SystemLockWorld::LockPlaceProblem() {
    struct stat there {};
    if (lstat(lockPlace_.c_str(), &there) == 0) {
        if (S_ISREG(there.st_mode)) return {};
        if (S_ISDIR(there.st_mode)) return "it is a folder";
        if (S_ISLNK(there.st_mode)) {
            struct stat target {};
            return stat(lockPlace_.c_str(), &target) == 0 ? "it is a link"
                                                          : "it is a link to nothing";
        }
        return "it is not a regular file";
    }
    return errno == ENOENT ? std::string() : ErrorText(errno);
}

HandOverReply SystemLockWorld::Ask(const std::string& request,
                                   std::chrono::milliseconds listenWithin,
                                   const std::function<bool()>& holderGone) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!FitsSocketAddress(handOverPlace_)) return HandOverReply::Nobody;
    std::memcpy(address.sun_path, handOverPlace_.c_str(), handOverPlace_.size() + 1);

    const auto connectUntil = Clock::now() + listenWithin;
    int fd = -1;
    for (;;) {
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return HandOverReply::Nobody;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) break;
        // A full backlog: something listens there but takes no one in.
        const bool busy = errno == EAGAIN;
        close(fd);
        if (Clock::now() >= connectUntil || holderGone()) {
            return busy ? HandOverReply::Silent : HandOverReply::Nobody;
        }
        std::this_thread::sleep_for(100ms);
    }

    const auto answerUntil = Clock::now() + kAnswerWithin;
    HandOverReply reply = HandOverReply::Silent;
    std::size_t sent = 0;
    std::string answer;
    while (reply == HandOverReply::Silent) {
        pollfd p{fd, static_cast<short>(sent < request.size() ? POLLOUT : POLLIN), 0};
        const int ready = poll(&p, 1, MillisecondsUntil(answerUntil));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        if (sent < request.size()) {
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR) reply = HandOverReply::Nobody;
            if (n > 0) sent += static_cast<std::size_t>(n);
            continue;
        }
        char bytes[64];
        const ssize_t n = recv(fd, bytes, sizeof bytes, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            reply = HandOverReply::Nobody;
            break;
        }
        answer.append(bytes, static_cast<std::size_t>(n));
        if (answer.find('\n') != std::string::npos) {
            reply = answer == kHandOverAnswer ? HandOverReply::Ok : HandOverReply::Nobody;
        }
    }
    close(fd);
    return reply;
}

}  // namespace tarvella
