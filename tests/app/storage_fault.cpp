// Loaded with LD_PRELOAD by the fault tests: makes one directory tree behave as a full or a
// read-only file system, without root and without touching any other file of the process.
//   STORAGE_FAULT_DIR=/abs/dir/   the tree (a prefix of absolute paths)
//   STORAGE_FAULT=full:N          the first N bytes written into the tree land, later writes fail
//                                 with ENOSPC (N = 0: every write fails)
//   STORAGE_FAULT=slow:MS         every write into the tree waits MS milliseconds first
//   STORAGE_FAULT=readonly        opening for writing, making, renaming or removing fails with
//                                 EROFS
//   STORAGE_FAULT=unreadable      opening for reading fails with EACCES, as a file without read
//                                 permission does for anyone but root
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* Tree() {
    const char* dir = std::getenv("STORAGE_FAULT_DIR");
    return dir != nullptr && dir[0] == '/' ? dir : nullptr;
}

bool InTree(const char* path) {
    const char* tree = Tree();
    return tree != nullptr && path != nullptr && std::strncmp(path, tree, std::strlen(tree)) == 0;
}

bool Mode(const char* name) {
    const char* mode = std::getenv("STORAGE_FAULT");
    return mode != nullptr && std::strncmp(mode, name, std::strlen(name)) == 0;
}

bool ReadOnlyPath(const char* path) {
    return Mode("readonly") && InTree(path);
}

bool UnreadablePath(const char* path) {
    return Mode("unreadable") && InTree(path);
}

bool WantsWrite(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

// Opening refused as the mode says, or 0.
int OpenFault(const char* path, int flags) {
    if (WantsWrite(flags) && ReadOnlyPath(path)) return EROFS;
    if (!WantsWrite(flags) && UnreadablePath(path)) return EACCES;
    return 0;
}

bool FdInTree(int fd) {
    struct stat st {};
    if (Tree() == nullptr || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
    return InTree(path);
}

template <class F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

std::atomic<long> written{0};

using FopenFn = FILE* (*)(const char*, const char*);

FILE* OpenStream(FopenFn next, const char* path, const char* mode) {
    if (mode[0] == 'r' && std::strchr(mode, '+') == nullptr && UnreadablePath(path)) {
        errno = EACCES;
        return nullptr;
    }
    return next(path, mode);
}

int Refuse(int error) {
    errno = error;
    return -1;
}

mode_t ModeArg(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buf, size_t count) {
    static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (count != 0 && Mode("slow:") && FdInTree(fd)) {
        usleep(static_cast<useconds_t>(std::atol(std::getenv("STORAGE_FAULT") + 5)) * 1000);
        return next(fd, buf, count);
    }
    if (count == 0 || !Mode("full:") || !FdInTree(fd)) return next(fd, buf, count);
    const long budget = std::atol(std::getenv("STORAGE_FAULT") + 5) - written.load();
    if (budget <= 0) return Refuse(ENOSPC);
    const ssize_t n = next(fd, buf, count < static_cast<size_t>(budget) ? count : budget);
    if (n > 0) written += n;
    return n;
}

int open(const char* path, int flags, ...) {
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArg(flags, args);
    va_end(args);
    if (const int error = OpenFault(path, flags)) return Refuse(error);
    return next(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static const auto next = Next<int (*)(const char*, int, ...)>("open64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArg(flags, args);
    va_end(args);
    if (const int error = OpenFault(path, flags)) return Refuse(error);
    return next(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArg(flags, args);
    va_end(args);
    if (const int error = OpenFault(path, flags)) return Refuse(error);
    return next(dirfd, path, flags, mode);
}

int mkostemp(char* pattern, int flags) {
    static const auto next = Next<int (*)(char*, int)>("mkostemp");
    return ReadOnlyPath(pattern) ? Refuse(EROFS) : next(pattern, flags);
}

int mkostemps(char* pattern, int suffixLength, int flags) {
    static const auto next = Next<int (*)(char*, int, int)>("mkostemps");
    return ReadOnlyPath(pattern) ? Refuse(EROFS) : next(pattern, suffixLength, flags);
}

// The streams of the C++ library open their files through these.
FILE* fopen(const char* path, const char* mode) {
    static const auto next = Next<FopenFn>("fopen");
    return OpenStream(next, path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    static const auto next = Next<FopenFn>("fopen64");
    return OpenStream(next, path, mode);
}

int mkstemp(char* pattern) {
    static const auto next = Next<int (*)(char*)>("mkstemp");
    return ReadOnlyPath(pattern) ? Refuse(EROFS) : next(pattern);
}

int rename(const char* from, const char* to) {
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    return ReadOnlyPath(from) || ReadOnlyPath(to) ? Refuse(EROFS) : next(from, to);
}

int unlink(const char* path) {
    static const auto next = Next<int (*)(const char*)>("unlink");
    return ReadOnlyPath(path) ? Refuse(EROFS) : next(path);
}

int mkdir(const char* path, mode_t mode) {
    static const auto next = Next<int (*)(const char*, mode_t)>("mkdir");
    return ReadOnlyPath(path) ? Refuse(EROFS) : next(path, mode);
}

}  // extern "C"
