#include "view/print_pages.h"

#include <algorithm>
#include <filesystem>

#include "document/chart_data.h"
#include "document/period_path.h"

namespace tarvella {
namespace {

// Levels printed: the current one alone, or every one from the ADs down to it.
int LevelsPrinted(int printAllLevels, int level) {
    if (printAllLevels != 1 || level == kEventLevel) return 1;
    return std::clamp(level, 1, kDeepestLevel);
}

}  // namespace

int PrintPageCount(int printAllLevels, int level) {
    return (LevelsPrinted(printAllLevels, level) + 1) / 2;
}

std::vector<PrintedLevel> LevelsOnPage(int printAllLevels, int level, int page) {
    if (printAllLevels != 1 || level == kEventLevel) {
        if (page == 1) return {{level, 0}};
        return {};
    }
    std::vector<PrintedLevel> levels;
    for (int i = 0; i < LevelsPrinted(printAllLevels, level); ++i) {
        if (page == i / 2 + 1) levels.push_back({i + 1, i % 2});
    }
    return levels;
}

std::string HeadingTitle(const std::string& title) {
    const std::size_t dot = title.find('.');
    return dot == std::string::npos || dot == 0 ? title : title.substr(0, dot);
}

std::string PageNumberText(int page, int pageCount) {
    return "Page " + std::to_string(page) + "/" + std::to_string(pageCount);
}

std::string TextAttachmentName(const std::string& title) {
    const std::size_t dot = title.find('.');
    if (dot == std::string::npos || dot == 0) return "Tarvella.txt";
    return title.substr(0, dot) + ".txt";
}

std::string DataAttachmentName(const std::string& title, const std::string& path) {
    if (!path.empty()) return std::filesystem::path(path).filename().string();
    return title.find('.') == std::string::npos ? title + ".vkt" : title;
}

}  // namespace tarvella
