// Which levels go on which printed page, the page heading, and the names of mailed attachments.
#pragma once

#include <string>
#include <vector>

namespace tarvella {

// 1 to 3 pages: two levels a page when every level from the ADs down is printed.
int PrintPageCount(int printAllLevels, int level);

struct PrintedLevel {
    int level = 1;
    int lowerHalf = 0;
};

// The levels drawn on page `page` (from 1), in drawing order.
std::vector<PrintedLevel> LevelsOnPage(int printAllLevels, int level, int page);

// The document's title up to its first "." (the whole title when it has none or starts with one).
std::string HeadingTitle(const std::string& title);

// "Page %d/%d".
std::string PageNumberText(int page, int pageCount);

// The report mailed as text is named after the title up to its first "." plus ".txt", or
// "Tarvella.txt"; the data file after the file part of its path, or the title plus ".vkt".
std::string TextAttachmentName(const std::string& title);
std::string DataAttachmentName(const std::string& title, const std::string& path);

}  // namespace tarvella
