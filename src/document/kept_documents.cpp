#include "document/kept_documents.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "document/chart_files.h"
#include "document/data_dir.h"

namespace tarvella {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxSameNames = 1000;

std::string QuotedList(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += (text.empty() ? "\"" : ", \"") + path + '"';
    return text;
}

// Only a regular file: reading a pipe in its place would block the start or the end.
bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

std::string RecoveredDirectory(const std::string& dataDir) {
    // The platform's separator: on Windows the data folder's path is told with backslashes.
    return (fs::path(dataDir) / kRecoveredDirName).string();
}

std::string KeptDocumentPath(const std::string& dir, const std::string& title) {
    std::string base = fs::path(title).stem().string();
    if (base.empty()) base = "VKT";
    for (int n = 1; n < kMaxSameNames; ++n) {
        // Appended, not "-" + to_string(n): GCC 12 warns falsely (-Wrestrict) about that insert.
        std::string path = dir + "/" + base;
        if (n > 1) path.append("-").append(std::to_string(n));
        path.append(".vkt");
        // A link, even to nothing, is somebody's: never written through.
        std::error_code ec;
        const fs::file_type there = fs::symlink_status(path, ec).type();
        if (there == fs::file_type::not_found) return path;
        if (there == fs::file_type::none) return {};
    }
    return {};
}

KeptDocuments KeepModifiedDocuments(const std::string& dataDir,
                                    const std::vector<ModifiedDocument>& documents, int signal) {
    KeptDocuments result;
    const std::string dir = RecoveredDirectory(dataDir);
    const bool haveDir = MakeDataDirectory(dir);
    for (const ModifiedDocument& document : documents) {
        const std::string path = haveDir ? KeptDocumentPath(dir, document.title) : "";
        if (!path.empty() && WriteFileAtomically(path, document.image)) {
            result.paths.push_back(path);
        } else {
            result.messages.push_back("Could not keep the unsaved changes of " + document.title +
                                      " in \"" + dir + "\".");
            result.allKept = false;
        }
    }
    if (result.paths.empty()) return result;
    result.messages.push_back("Ended by signal " + std::to_string(signal) +
                              "; unsaved changes are kept in " + QuotedList(result.paths) + ".");
    const std::string untold = dir + "/" + kUntoldFileName;
    std::string names;
    if (IsRegularFile(untold)) {
        std::ifstream in(untold, std::ios::binary);
        names.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (const std::string& path : result.paths) names += path + "\n";
    WriteFileAtomically(untold, names);
    return result;
}

std::string TakeKeptDocumentsNotice(const std::string& dataDir) {
    const std::string untold = RecoveredDirectory(dataDir) + "/" + kUntoldFileName;
    if (!IsRegularFile(untold)) return {};
    std::ifstream in(untold, std::ios::binary);
    std::vector<std::string> paths;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) paths.push_back(line);
    }
    if (!in.is_open()) return {};
    in.close();
    std::error_code ec;
    fs::remove(untold, ec);
    if (paths.empty()) return {};
    return "Unsaved changes of an earlier session were kept in " + QuotedList(paths) + ".";
}

}  // namespace tarvella
