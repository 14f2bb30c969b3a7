// Documents with unsaved changes when a signal ends the program: each is kept in the data
// directory's "recovered" folder instead of asking whether to save it, told on standard error
// then, and listed in that folder's ".untold" file for the next start to tell, once.
#pragma once

#include <string>
#include <vector>

namespace tarvella {

inline constexpr const char* kRecoveredDirName = "recovered";
inline constexpr const char* kUntoldFileName = ".untold";

std::string RecoveredDirectory(const std::string& dataDir);

// A file in `dir` named after the document's title ("VKT1" gives "VKT1.vkt", "chart.vkt" then
// "chart-2.vkt"), that does not exist yet; empty when there is none.
std::string KeptDocumentPath(const std::string& dir, const std::string& title);

struct ModifiedDocument {
    std::string title;  // as the user reads it
    std::string image;  // the bytes of its chart file
};

struct KeptDocuments {
    std::vector<std::string> paths;
    // For standard error, in order: one for each document that could not be kept, then the
    // signal and where the rest are.
    std::vector<std::string> messages;
    bool allKept = true;
};

// Keeps the documents and adds them to the list of those not yet told.
KeptDocuments KeepModifiedDocuments(const std::string& dataDir,
                                    const std::vector<ModifiedDocument>& documents, int signal);

// At start: what the list of kept documents not yet told says, which is then forgotten; empty
// when it names none.
std::string TakeKeptDocumentsNotice(const std::string& dataDir);

}  // namespace tarvella
