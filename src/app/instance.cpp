#include "app/instance.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char* const kLockName = ".TarvellaSoftwareFromMorrowgate";
const char* const kAnswer = "ok\n";
// A copy that holds the lock may still be starting, slowly on a loaded machine.
constexpr auto kListensWithin = 10s;
// Once connected, the running copy answers at once unless it is stuck.
constexpr auto kAnswerWithin = 5s;
// What the running copy takes from one later start, and for how long it waits on a silent one.
constexpr std::size_t kMaxRequest = 1 << 20;
constexpr auto kClientPatience = 10s;
// How long a copy that is making the lock file may take to write its process id into it.
constexpr auto kStartingFor = 5s;
// How long a copy may pause between making the lock file and locking it.
constexpr auto kLockingWithin = 1s;
// The lock file missing this many times in a row after the checker failed to make it: the home
// takes no lock file, rather than a copy ending at that moment.
constexpr int kMissesForNoLock = 3;

// The lock file, or -1 when it is missing or not a regular file (a pipe would block the reader).
int OpenLockFile(const wxString& lockPath, int mode) {
    const int fd = open(lockPath.fn_str(), mode | O_NONBLOCK | O_CLOEXEC);
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

// The process id written in the lock file; 0 when there is none (yet).
// Only asked in a copy that holds no lock there, since closing the file drops the own lock.
long LockOwner(const wxString& lockPath) {
    const int fd = OpenLockFile(lockPath, O_RDONLY);
    if (fd < 0) return 0;
    const long pid = PidIn(fd);
    close(fd);
    return pid;
}

// Whether some process holds the lock file locked: a copy does from its start to its end.
// Only asked in a copy that holds no lock there.
bool LockHeld(const wxString& lockPath) {
    const int fd = OpenLockFile(lockPath, O_RDONLY);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held;
}

// In the copy whose id the lock file holds: a descriptor of it, locked, to keep for the whole run
// and close only at the end, since closing any descriptor of the file drops the lock. -1 when the
// file is not this copy's.
int KeepOwnLock(const wxString& lockPath) {
    const int fd = OpenLockFile(lockPath, O_RDWR);
    if (fd < 0) return -1;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (PidIn(fd) == static_cast<long>(getpid()) && fcntl(fd, F_SETLK, &lock) == 0) return fd;
    close(fd);
    return -1;
}

// Whether the file at the lock's path is still the one this copy locked through `fd`; compared
// by the file itself, since reading it through another descriptor would drop the lock.
bool OwnsLockFile(int fd, const wxString& lockPath) {
    if (fd < 0) return LockOwner(lockPath) == static_cast<long>(getpid());
    struct stat kept {};
    struct stat there {};
    return fstat(fd, &kept) == 0 && stat(lockPath.fn_str(), &there) == 0 &&
           kept.st_dev == there.st_dev && kept.st_ino == there.st_ino;
}

std::string Lowered(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// Why the lock's path holds something that can never be a lock file; empty for a file or nothing.
std::string LockPathProblem(const wxString& lockPath) {
    const std::string path(lockPath.fn_str());
    struct stat there {};
    if (lstat(path.c_str(), &there) == 0) {
        if (S_ISREG(there.st_mode)) return {};
        if (S_ISDIR(there.st_mode)) return "it is a folder";
        if (S_ISLNK(there.st_mode)) {
            struct stat target {};
            return stat(path.c_str(), &target) == 0 ? "it is a link" : "it is a link to nothing";
        }
        return "it is not a regular file";
    }
    return errno == ENOENT ? std::string() : Lowered(std::strerror(errno));
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

// Beside the lock file; when the home is too long for a socket address there, in the user's
// private runtime directory, or without one in a private folder of the user's in /tmp, under a
// name that every copy derives from the home alike. The listening copy makes that folder.
wxString SocketPathFor(const wxString& home, bool make) {
    const wxString beside = home + "/" + kLockName + ".socket";
    if (FitsSocketAddress(std::string(beside.fn_str()))) return beside;
    // FNV-1a: the same in every build, unlike std::hash.
    std::uint64_t hash = 14695981039346656037u;
    for (const char byte : std::string(home.fn_str())) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211u;
    }
    char name[40];
    std::snprintf(name, sizeof name, "/tarvella-%016llx.socket",
                  static_cast<unsigned long long>(hash));
    wxString runtime;
    if (wxGetEnv("XDG_RUNTIME_DIR", &runtime) && runtime.StartsWith("/")) {
        const wxString there = runtime + name;
        return FitsSocketAddress(std::string(there.fn_str())) ? there : beside;
    }
    const std::string folder =
        PrivateFolder("/tmp/tarvella-" + std::to_string(static_cast<long>(geteuid())), make);
    if (folder.empty()) return beside;
    const wxString there = wxString(folder.c_str(), *wxConvFileName) + name;
    return FitsSocketAddress(std::string(there.fn_str())) ? there : beside;
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

// Sure that the process runs some other program, so that its lock is stale without asking.
bool RunsOtherProgram(long pid) {
    const std::string ours = ProgramName("self");
    const std::string theirs = ProgramName(std::to_string(pid));
    return !ours.empty() && !theirs.empty() && ours != theirs;
}

enum class Reply { Ok, Nobody, Silent };

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Sends the request to whoever listens on the socket and reads the answer, never waiting longer
// than the deadlines. `holderGone` ends the wait for a listener early.
Reply Ask(const std::string& socketPath, const std::string& request,
          std::chrono::milliseconds listenWithin, const std::function<bool()>& holderGone) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!FitsSocketAddress(socketPath)) return Reply::Nobody;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);

    const auto connectUntil = Clock::now() + listenWithin;
    int fd = -1;
    for (;;) {
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return Reply::Nobody;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) break;
        // A full backlog: something listens there but takes no one in.
        const bool busy = errno == EAGAIN;
        close(fd);
        if (Clock::now() >= connectUntil || holderGone()) {
            return busy ? Reply::Silent : Reply::Nobody;
        }
        std::this_thread::sleep_for(100ms);
    }

    const auto answerUntil = Clock::now() + kAnswerWithin;
    Reply reply = Reply::Silent;
    std::size_t sent = 0;
    std::string answer;
    while (reply == Reply::Silent) {
        pollfd p{fd, static_cast<short>(sent < request.size() ? POLLOUT : POLLIN), 0};
        const int ready = poll(&p, 1, MillisecondsUntil(answerUntil));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        if (sent < request.size()) {
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR) reply = Reply::Nobody;
            if (n > 0) sent += static_cast<std::size_t>(n);
            continue;
        }
        char bytes[64];
        const ssize_t n = recv(fd, bytes, sizeof bytes, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            reply = Reply::Nobody;
            break;
        }
        answer.append(bytes, static_cast<std::size_t>(n));
        if (answer.find('\n') != std::string::npos) {
            reply = answer == kAnswer ? Reply::Ok : Reply::Nobody;
        }
    }
    close(fd);
    return reply;
}

}  // namespace

// The running copy's end of the socket: driven by socket events, so that a later start that
// sends nothing, or too much, never holds up the program.
class HandOverServer : public wxEvtHandler {
  public:
    explicit HandOverServer(std::function<bool(const wxArrayString&)> open)
        : open_(std::move(open)), timer_(this) {
        Bind(wxEVT_SOCKET, &HandOverServer::OnServerEvent, this, kServerId);
        Bind(wxEVT_SOCKET, &HandOverServer::OnClientEvent, this, kClientId);
        Bind(wxEVT_TIMER, &HandOverServer::OnTimer, this);
    }

    ~HandOverServer() override {
        timer_.Stop();
        for (Client& client : clients_) client.socket->Destroy();
        if (!server_) return;
        server_->Destroy();
        // Only our own socket: a copy that took over a lock we no longer answered has its own.
        struct stat now {};
        if (stat(path_.c_str(), &now) == 0 && now.st_dev == made_.st_dev &&
            now.st_ino == made_.st_ino) {
            unlink(path_.c_str());
        }
    }

    // Empty when it listens; else why it cannot.
    std::string Create(const wxString& path) {
        path_ = std::string(path.fn_str());
        // A shortened address would be some other file's.
        if (!FitsSocketAddress(path_)) return "its path is too long for a socket";
        // Left behind by a copy that died: binding would fail on it. Anything else there is not
        // ours to remove.
        struct stat there {};
        if (lstat(path_.c_str(), &there) == 0) {
            if (S_ISDIR(there.st_mode)) return "it is a folder";
            if (!S_ISSOCK(there.st_mode)) return "something that is not a socket is there";
            unlink(path_.c_str());
        }
        wxUNIXaddress address;
        address.Filename(path);
        // Only this user may connect.
        const mode_t mask = umask(077);
        errno = 0;
        server_ = new wxSocketServer(address, wxSOCKET_NOWAIT);
        const int error = errno;
        umask(mask);
        if (!server_->IsOk() || stat(path_.c_str(), &made_) != 0) {
            server_->Destroy();
            server_ = nullptr;
            return error != 0 ? Lowered(std::strerror(error)) : "the socket could not be made";
        }
        server_->SetEventHandler(*this, kServerId);
        server_->SetNotify(wxSOCKET_CONNECTION_FLAG);
        server_->Notify(true);
        return {};
    }

  private:
    enum { kServerId = 1, kClientId };

    struct Client {
        wxSocketBase* socket;
        std::string input;
        Clock::time_point since;
    };

    void OnServerEvent(wxSocketEvent&) {
        wxSocketBase* socket = server_->Accept(false);
        if (!socket) return;
        socket->SetFlags(wxSOCKET_NOWAIT);
        socket->SetEventHandler(*this, kClientId);
        socket->SetNotify(wxSOCKET_INPUT_FLAG | wxSOCKET_LOST_FLAG);
        socket->Notify(true);
        clients_.push_back({socket, {}, Clock::now()});
        if (!timer_.IsRunning()) timer_.Start(1000);
    }

    void OnClientEvent(wxSocketEvent& event) {
        auto it = std::find_if(clients_.begin(), clients_.end(),
                               [&](const Client& c) { return c.socket == event.GetSocket(); });
        if (it == clients_.end()) return;
        if (event.GetSocketEvent() == wxSOCKET_LOST) {
            Drop(it);
            return;
        }
        char bytes[4096];
        std::size_t got = 0;
        do {
            it->socket->Read(bytes, sizeof bytes);
            got = it->socket->LastReadCount();
            it->input.append(bytes, got);
        } while (got == sizeof bytes && it->input.size() <= kMaxRequest);
        // The list ends with an empty entry; an empty list is that entry alone.
        std::size_t end = std::string::npos;
        if (it->input.starts_with('\0')) {
            end = 0;
        } else if (const std::size_t blank = it->input.find(std::string_view("\0\0", 2));
                   blank != std::string::npos) {
            end = blank + 1;
        }
        if (end == std::string::npos) {
            if (it->input.size() > kMaxRequest) Drop(it);
            return;
        }
        // A later start that gave up waiting (this copy was stopped, say) has told the user that
        // these files were not opened.
        if (!StillWaiting(*it->socket)) {
            Drop(it);
            return;
        }
        wxArrayString files;
        for (std::size_t begin = 0; begin < end;) {
            const std::size_t nul = it->input.find('\0', begin);
            files.push_back(
                wxString(it->input.substr(begin, nul - begin).c_str(), *wxConvFileName));
            begin = nul + 1;
        }
        // Not answered when the files cannot be opened here: the later start then opens them.
        if (open_(files)) it->socket->Write(kAnswer, std::strlen(kAnswer));
        Drop(it);
    }

    void OnTimer(wxTimerEvent&) {
        const auto now = Clock::now();
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (now - it->since > kClientPatience) {
                it = Drop(it);
            } else {
                ++it;
            }
        }
        if (clients_.empty()) timer_.Stop();
    }

    static bool StillWaiting(wxSocketBase& socket) {
        pollfd p{static_cast<int>(socket.GetSocket()), POLLRDHUP, 0};
        return poll(&p, 1, 0) <= 0 || (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0;
    }

    std::vector<Client>::iterator Drop(std::vector<Client>::iterator it) {
        it->socket->Destroy();
        return clients_.erase(it);
    }

    std::function<bool(const wxArrayString&)> open_;
    std::string path_;
    struct stat made_ {};
    wxSocketServer* server_ = nullptr;
    std::vector<Client> clients_;
    wxTimer timer_;
};

InstanceLink::InstanceLink()
    : lockPath_(wxGetHomeDir() + "/" + kLockName),
      socketPath_(SocketPathFor(wxGetHomeDir(), false)) {
    TakeLock();
}

InstanceLink::~InstanceLink() {
    server_.reset();
    // The checker removes the lock file by its name; after a later start took over a lock we had
    // stopped answering on, that file is the other copy's.
    if (checker_ && !checker_->IsAnotherRunning() && !OwnsLockFile(lockFd_, lockPath_)) {
        static_cast<void>(checker_.release());
    }
    checker_.reset();
    if (lockFd_ >= 0) close(lockFd_);
}

void InstanceLink::TakeLock() {
    // A copy started at the same moment may have made the lock file without having written its
    // process id yet; the checker then takes neither copy for the running one and both would run.
    // Ask again until the file names a copy, ours or the other's. While the other copy writes, it
    // holds the file locked, which tells a copy still starting from one that died while starting,
    // however slow the write.
    // A folder, a pipe or a link in its place takes no lock: the checker would fail on it, and
    // another copy would run beside this one unseen.
    lockProblem_ = LockPathProblem(lockPath_);
    if (!lockProblem_.empty()) return;
    const auto giveUpAt = Clock::now() + kStartingFor;
    int misses = 0;
    // Since when the file has been seen unlocked and without an id, in a row.
    constexpr auto kNotYet = Clock::time_point::max();
    auto unlockedSince = kNotYet;
    for (;;) {
        const bool last = Clock::now() >= giveUpAt;
        {
            std::unique_ptr<wxLogNull> quiet(last ? nullptr : new wxLogNull);
            checker_ = std::make_unique<wxSingleInstanceChecker>(kLockName);
        }
        if (checker_->IsAnotherRunning()) break;
        if (!wxFileExists(lockPath_)) {
            // Gone between the checker's attempt to make it and its read: a copy ended just then.
            // Missing every time, it cannot be made here (a full or read-only home), and this
            // copy runs without it; anything else put in its place meanwhile stops it.
            if (++misses == kMissesForNoLock || last) {
                lockProblem_ = LockPathProblem(lockPath_);
                break;
            }
            checker_.reset();
            std::this_thread::sleep_for(50ms);
            continue;
        }
        misses = 0;
        lockFd_ = KeepOwnLock(lockPath_);
        if (lockFd_ >= 0) break;
        const bool starting = LockHeld(lockPath_);
        if (last) {
            holderSilent_ = starting;
            break;
        }
        checker_.reset();
        // Unlocked and without an id for a while: the other copy made the file and has not locked
        // it yet, or died; only the second lasts.
        const auto now = Clock::now();
        if (starting) {
            unlockedSince = kNotYet;
        } else if (unlockedSince == kNotYet) {
            unlockedSince = now;
        } else if (now - unlockedSince >= kLockingWithin) {
            wxRemoveFile(lockPath_);
            unlockedSince = kNotYet;
        }
        std::this_thread::sleep_for(50ms);
    }
}

InstanceLink::Outcome InstanceLink::HandOverOrTakeLock(const wxArrayString& files) {
    std::string request;
    for (const wxString& file : files) {
        wxFileName name(file);
        name.MakeAbsolute();
        request += name.GetFullPath().fn_str();
        request += '\0';
    }
    request += '\0';
    if (!lockProblem_.empty()) return Outcome::NoLock;
    if (holderSilent_) return Outcome::NoAnswer;
    const std::string socketPath(socketPath_.fn_str());
    // Each round either reaches the holder or removes its stale lock; a few rounds allow for
    // other copies racing for the lock at the same time.
    for (int round = 0; round < 3 && checker_->IsAnotherRunning(); ++round) {
        const long holder = LockOwner(lockPath_);
        // A copy keeps the file locked while it runs, however slowly it starts; unlocked, the file
        // was left by one that ended, whatever program has its id now. Only a copy that could not
        // lock the file may still listen then, and it is asked without waiting.
        const bool locked = LockHeld(lockPath_);
        Reply reply = Reply::Nobody;
        if (locked) {
            reply = Ask(socketPath, request, kListensWithin,
                        [&] { return LockOwner(lockPath_) != holder || !LockHeld(lockPath_); });
        } else if (holder == 0 || !RunsOtherProgram(holder)) {
            reply = Ask(socketPath, request, 0ms, [] { return true; });
        }
        if (reply == Reply::Ok) return Outcome::HandedOver;
        if (reply == Reply::Silent) return Outcome::NoAnswer;
        if (locked && LockHeld(lockPath_) && LockOwner(lockPath_) == holder) {
            return Outcome::NoAnswer;
        }
        checker_.reset();
        if (!locked && holder != 0 && LockOwner(lockPath_) == holder && !LockHeld(lockPath_)) {
            wxLogNull quiet;
            wxRemoveFile(lockPath_);
            wxRemoveFile(socketPath_);
        }
        TakeLock();
        if (!lockProblem_.empty()) return Outcome::NoLock;
        if (holderSilent_) return Outcome::NoAnswer;
    }
    return checker_->IsAnotherRunning() ? Outcome::NoAnswer : Outcome::Run;
}

std::string InstanceLink::Listen(std::function<bool(const wxArrayString&)> open) {
    wxLogNull quiet;
    socketPath_ = SocketPathFor(wxGetHomeDir(), true);
    server_ = std::make_unique<HandOverServer>(std::move(open));
    const std::string problem = server_->Create(socketPath_);
    if (problem.empty()) return {};
    server_.reset();
    return "Tarvella cannot listen at \"" + std::string(socketPath_.utf8_str()) + "\": " + problem +
           "; a later start cannot hand its charts to this one.";
}

void InstanceLink::StopListening() {
    server_.reset();
}
