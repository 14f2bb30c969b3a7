// A document loaded from any bytes and shown: its image written out as the last-data file, the
// chart read back with the preferences, divided and laid out at its level, the plain text made.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "document/chart_files.h"
#include "fuzz_support.h"
#include "view/report_layout.h"

using namespace tarvella;

namespace {

struct PlainDocument : ChartDocument {
    bool loaded = false;
    std::string image;
    bool LoadedFromFile() const override { return loaded; }
    void SetLoadedFromFile() override { loaded = true; }
    std::string ChartImage() const override { return image; }
    void SetChartImage(std::string_view bytes) override { image = bytes; }
    void SetModifiedFlag() override {}
    void UpdateOtherViews() override {}
};

// The data folder lives in memory where the system has a memory file system: the writes of the
// last-data and preference files are then no disk flushes, which cost more than the code under
// test. It goes at exit.
std::string DataFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path shm = "/dev/shm";
    const fs::path parent = fs::is_directory(shm, ec) && access(shm.c_str(), W_OK) == 0
                                ? shm
                                : fs::temp_directory_path();
    static std::string dir = (parent / "tarvella-fuzz-XXXXXX").string();
    if (!mkdtemp(dir.data())) std::abort();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    });
    return dir;
}

struct Fixture {
    Session session;
    std::string lastDataText = LastDataText(DefaultChart());
    std::string prefText = PreferencesText(Preferences{});
};

Fixture& TheFixture() {
    static Fixture* fixture = [] {
        auto* f = new Fixture;
        if (f->session.ephemeris.Open(TARVELLA_FUZZ_SUN_FILE) != SunFileStatus::Ok) std::abort();
        const std::string dir = DataFolder();
        f->session.lastDataPath = dir + "/lastdata.vkt";
        f->session.prefFilePath = dir + "/pref.vkp";
        return f;
    }();
    return *fixture;
}

// Every input starts from the same data files, so that it runs alike on its own and after any
// other: a chart document leaves its chart in the last-data file. They are written again only
// then, since that costs more than reading them.
void ResetDataFiles(const Fixture& f) {
    for (const auto& [path, text] : {std::pair{&f.session.lastDataPath, &f.lastDataText},
                                     std::pair{&f.session.prefFilePath, &f.prefText}}) {
        std::FILE* file = std::fopen(path->c_str(), "wb");
        if (!file) std::abort();
        std::fwrite(text->data(), 1, text->size(), file);
        std::fclose(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& fixture = TheFixture();
    static bool changed = true;
    if (changed) ResetDataFiles(fixture);
    Session& session = fixture.session;
    session.preferences = Preferences{};
    session.ayanamsa = Ayanamsa{};
    session.ApplyPreferences();
    PlainDocument doc;
    LoadDocumentFile(doc, std::string_view(reinterpret_cast<const char*>(data), size));
    if (doc.image.size() > kMaxChartImage) std::abort();
    ChartData chart;
    LoadChartAndPreferences(session, doc, chart);
    changed = doc.image != fixture.lastDataText;
    // A document that is no chart shows the chart the files started with, and its report is the
    // same every time: drawing it once is enough.
    static bool startChartDrawn = false;
    if (!changed && std::exchange(startChartDrawn, true)) return 0;
    NullCanvas canvas;
    SunContext sun = session.Sun();
    const std::string text = DrawReport(canvas, PrintState{}, sun, chart);
    if (text.size() >= (chart.level == kEventLevel ? 500u : 1400u)) std::abort();
    for (int index : {chart.adIndex, chart.pdIndex, chart.sdIndex, chart.padIndex}) {
        if (index < 0 || index > 11) std::abort();
    }
    return 0;
}
