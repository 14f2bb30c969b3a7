// A document loaded from any bytes and shown: its image written out as the last-data file, the
// chart read back with the preferences, divided and laid out at its level, the plain text made.
#include <cstdlib>
#include <filesystem>

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

Session& TheSession() {
    static Session* session = [] {
        auto* s = new Session;
        if (s->ephemeris.Open(TARVELLA_FUZZ_SUN_FILE) != SunFileStatus::Ok) std::abort();
        std::string dir =
            (std::filesystem::temp_directory_path() / "tarvella-fuzz-XXXXXX").string();
        if (!mkdtemp(dir.data())) std::abort();
        s->lastDataPath = dir + "/lastdata.vkt";
        s->prefFilePath = dir + "/pref.vkp";
        return s;
    }();
    return *session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Session& session = TheSession();
    PlainDocument doc;
    LoadDocumentFile(doc, std::string_view(reinterpret_cast<const char*>(data), size));
    if (doc.image.size() > kMaxChartImage) std::abort();
    ChartData chart;
    LoadChartAndPreferences(session, doc, chart);
    NullCanvas canvas;
    SunContext sun = session.Sun();
    const std::string text = DrawReport(canvas, PrintState{}, sun, chart);
    if (text.size() >= (chart.level == kEventLevel ? 500u : 1400u)) std::abort();
    for (int index : {chart.adIndex, chart.pdIndex, chart.sdIndex, chart.padIndex}) {
        if (index < 0 || index > 11) std::abort();
    }
    return 0;
}
