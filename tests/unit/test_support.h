// Shared by the unit tests: the generated Sun table, scratch directories and synthetic tables.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "core/sun_ephemeris.h"
#include "document/chart_data.h"

namespace tarvella::test {

// The table written by the build, opened once for the whole test run.
const SunEphemeris& GeneratedTable();

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
