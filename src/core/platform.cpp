#include "core/platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace tarvella {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// Windows has no mkstemp: names are drawn until one is new.
std::string RandomName(std::string_view prefix, std::string_view suffix) {
    static std::mt19937_64 generator{std::random_device{}() ^
                                     static_cast<std::uint64_t>(GetTickCount64())};
    const char* const letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name(prefix);
    for (int i = 0; i < 6; ++i) name += letters[generator() % 62];
    return name.append(suffix);
}

constexpr int kNameAttempts = 100;

}  // namespace

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return fs::path(path).string();
        }
        path.resize(path.size() * 2);
    }
}

std::optional<fs::path> WriteTemporaryFile(const fs::path& dir, std::string_view prefix,
                                           std::string_view suffix,
                                           const std::function<bool(const ByteSink&)>& produce,
                                           const fs::path&) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path temp = dir / RandomName(prefix, suffix);
        const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return std::nullopt;
        }
        const ByteSink out = [file](std::string_view bytes) {
            bool ok = true;
            for (std::string_view rest = bytes; ok && !rest.empty();) {
                DWORD written = 0;
                const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1 << 30));
                ok = WriteFile(file, rest.data(), chunk, &written, nullptr) && written > 0;
                rest.remove_prefix(written);
            }
            return ok;
        };
        bool ok = produce(out);
        // Flushed before the rename, or a crash could leave the new name on an empty file.
        ok = FlushFileBuffers(file) && ok;
        ok = CloseHandle(file) && ok;
        if (ok) return temp;
        DeleteFileW(temp.c_str());
        return std::nullopt;
    }
    return std::nullopt;
}

bool RenameReplacing(const fs::path& from, const fs::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<fs::path> MakePrivateDirectory(const fs::path& parent, std::string_view prefix) {
    // The user's temporary folder is the user's own; a new folder inherits its access.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path dir = parent / RandomName(prefix, "");
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

bool IsPlainFileName(std::string_view name) {
    // Separators and drive letters there too.
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos;
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

#else

std::string ExecutablePath() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).string();
}

std::optional<fs::path> WriteTemporaryFile(const fs::path& dir, std::string_view prefix,
                                           std::string_view suffix,
                                           const std::function<bool(const ByteSink&)>& produce,
                                           const fs::path& modeOf) {
    std::string temp = (dir / prefix).string();
    temp.append("XXXXXX").append(suffix);
    const int fd = ::mkostemps(temp.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    // mkostemps makes the file owner-only; the replacement keeps the old file's mode, and a new
    // file gets the mode any other new file of the user would get. Only a regular file lends its
    // mode: a device's would make the chart world-writable. The owner can always read and write
    // it, or the program could not read back what it wrote.
    struct stat old {};
    mode_t mode;
    if (::stat(modeOf.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = (old.st_mode & 07777) | S_IRUSR | S_IWUSR;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    const ByteSink out = [fd](std::string_view bytes) {
        bool ok = true;
        for (std::string_view rest = bytes; ok && !rest.empty();) {
            const ssize_t n = ::write(fd, rest.data(), rest.size());
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) rest.remove_prefix(static_cast<std::size_t>(n));
        }
        return ok;
    };
    bool ok = produce(out);
    // fsync before the rename, or a crash could leave the new name on an empty file.
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) return fs::path(temp);
    ::unlink(temp.c_str());
    return std::nullopt;
}

bool RenameReplacing(const fs::path& from, const fs::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// mkdtemp makes the directory readable by its owner only.
std::optional<fs::path> MakePrivateDirectory(const fs::path& parent, std::string_view prefix) {
    std::string name = (parent / prefix).string() + "XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) return std::nullopt;
    return fs::path(name);
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

void UseBinaryStandardStreams() {}

#endif

}  // namespace tarvella
