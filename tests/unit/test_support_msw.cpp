#include <cstdio>

#include "test_support.h"

namespace tarvella::test {

std::string SunFilePath() {
    return BesideTests("../share/tarvella/18002099.sun");
}

std::string CliPath() {
    return BesideTests("tarvella-cli.exe");
}

std::string ProgramFileName(const std::string& name) {
    return name + ".exe";
}

int RunShell(const std::string& command, std::string& out) {
    // Binary, or the pipe itself would turn the report's CR LF into LF.
    FILE* pipe = _popen(command.c_str(), "rb");
    if (pipe == nullptr) return -1;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    return _pclose(pipe);
}

std::string InDirectory(const std::string& dir, const std::string& command) {
    return "cd /d " + dir + " && " + command;  // /d: the drive changes too
}

bool OnlyOwnerMayEnter(const std::filesystem::path&) {
    return true;
}

std::vector<std::string> PathsOnlyThisPlatformSeparates() {
    return {"..\\escape.txt", "a\\b.vkt", "C:escape.txt"};
}

std::vector<std::string> LostOutputRedirections() {
    return {};
}

std::string EmptyArgument() {
    return "\"\"";
}

std::string FolderNameWithNewline() {
    return "exports without a newline";
}

}  // namespace tarvella::test
