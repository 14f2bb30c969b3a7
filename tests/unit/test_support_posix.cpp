#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>

#include "test_support.h"

namespace tarvella::test {

std::string SunFilePath() {
    return TARVELLA_TEST_SUN_FILE;
}

std::string CliPath() {
    return TARVELLA_TEST_CLI;
}

std::string ProgramFileName(const std::string& name) {
    return name;
}

int RunShell(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string InDirectory(const std::string& dir, const std::string& command) {
    return "cd " + dir + " && " + command;
}

bool OnlyOwnerMayEnter(const std::filesystem::path& folder) {
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && (info.st_mode & 0777) == 0700;
}

std::vector<std::string> PathsOnlyThisPlatformSeparates() {
    return {};
}

std::vector<std::string> LostOutputRedirections() {
    return {">/dev/full", ">&-"};
}

std::string EmptyArgument() {
    return "''";
}

std::string FolderNameWithNewline() {
    return "exports\nwith a newline";
}

}  // namespace tarvella::test
