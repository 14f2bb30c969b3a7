// Shared by the unit tests: the generated Sun table, scratch directories and synthetic tables.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"
#include "places/places.h"

#ifdef _WIN32
// Paths of the build host mean nothing to a Windows program: there the build tree is found from
// the test program's own place in it, which has the installation's shape.
#undef TARVELLA_TEST_SUN_FILE
#undef TARVELLA_TEST_CLI
#undef TARVELLA_TEST_PLACES_FILE
#define TARVELLA_TEST_SUN_FILE (::tarvella::test::BesideTests("../share/tarvella/18002099.sun"))
#define TARVELLA_TEST_PLACES_FILE (::tarvella::test::BesideTests("../share/tarvella/places.dat"))
#define TARVELLA_TEST_CLI (::tarvella::test::BesideTests("tarvella-cli.exe"))
#endif

namespace tarvella::test {

// A path relative to the directory of the test program.
std::string BesideTests(const std::string& relative);

// The Sun table and the command-line program of the build. Paths of the build host mean nothing
// to a Windows program: there they are found from the test program's own place in the build
// tree, which has the installation's shape.
std::string SunFilePath();
std::string CliPath();
// The file name of the program called `name`: "tarvella-cli.exe" on Windows.
std::string ProgramFileName(const std::string& name);
// Runs `command` through the shell, its standard output read as bytes into `out`; its exit
// status, -1 when it did not end normally.
int RunShell(const std::string& command, std::string& out);
// The command run from `dir`, drive and all.
std::string InDirectory(const std::string& dir, const std::string& command);
// Whether nobody but the user may enter the folder (always on Windows, where a folder inherits
// the access of the user's temporary folder).
bool OnlyOwnerMayEnter(const std::filesystem::path& folder);
// Names that this platform alone reads as paths: a\b.vkt and C:escape.txt on Windows.
std::vector<std::string> PathsOnlyThisPlatformSeparates();
// Redirections of standard output that make every write fail (none on Windows).
std::vector<std::string> LostOutputRedirections();
// An empty argument as this platform's shell spells it: '' for sh, "" for cmd.
std::string EmptyArgument();
// A folder name with a newline in it where the platform allows one (Windows does not).
std::string FolderNameWithNewline();

// The table written by the build, opened once for the whole test run.
const SunEphemeris& GeneratedTable();

// The places file written by the build, opened once.
const places::Atlas& GeneratedAtlas();

// A fresh directory under the system's temporary directory, removed by the destructor.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes a full-size table whose value in slot s, half h (0 = 0h, 1 = 12h) is value(s, h).
void WriteSyntheticTable(const std::string& path, const std::function<double(int, int)>& value);

// The default chart at `level`, with the Sun at its birth and its event computed.
ChartData DefaultChartAt(SunContext& sun, int level);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace tarvella::test
