#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/platform.h"

namespace tarvella::test {

const SunEphemeris& GeneratedTable() {
    static const SunEphemeris* table = [] {
        auto* t = new SunEphemeris;
        if (t->Open(SunFilePath()) != SunFileStatus::Ok) {
            ADD_FAILURE() << "cannot open " << SunFilePath();
        }
        return t;
    }();
    return *table;
}

const places::Atlas& GeneratedAtlas() {
    static const places::Atlas* atlas = [] {
        auto* a = new places::Atlas;
        if (a->Open(TARVELLA_TEST_PLACES_FILE) != places::PlacesStatus::Ok) {
            ADD_FAILURE() << "cannot open " << TARVELLA_TEST_PLACES_FILE << ": " << a->problem();
        }
        return a;
    }();
    return *atlas;
}

std::string BesideTests(const std::string& relative) {
    const std::filesystem::path exe = ExecutablePath();
    return (exe.parent_path() / relative).lexically_normal().string();
}

ScratchDir::ScratchDir() {
    const std::optional<std::filesystem::path> dir =
        MakePrivateDirectory(std::filesystem::temp_directory_path(), "tarvella-test-");
    if (!dir) ADD_FAILURE() << "cannot make a scratch directory";
    path_ = dir.value_or(std::filesystem::path());
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteSyntheticTable(const std::string& path, const std::function<double(int, int)>& value) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(kSunFileSize));
    for (int s = 0; s < kSunFileSize / kSlotBytes; ++s) {
        EncodeSunValue(value(s, 0), bytes.data() + 16 * s);
        EncodeSunValue(value(s, 1), bytes.data() + 16 * s + 8);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

ChartData DefaultChartAt(SunContext& sun, int level) {
    ChartData c = DefaultChart();
    c.level = level;
    ComputeSunPosition(sun, c.birth, c.birthZone);
    ComputeSunPosition(sun, c.event, c.eventZone);
    return c;
}

}  // namespace tarvella::test
