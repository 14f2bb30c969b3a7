// The few services of the operating system that POSIX and Windows give differently, each behind
// one small function so that the rest of the library stays the same on both.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvella {

// The running program's own file; empty when it cannot be found.
std::string ExecutablePath();

// Writes `bytes` into a new file `prefix` + 6 random characters + `suffix` in `dir`, flushed to
// the disk. It gets the mode of `modeOf` when that is a regular file, else the mode a new file
// of the user gets (POSIX; Windows has no modes). Its path, or nullopt when it was not written,
// and then nothing is left behind.
std::optional<std::filesystem::path> WriteTemporaryFile(const std::filesystem::path& dir,
                                                        std::string_view prefix,
                                                        std::string_view suffix,
                                                        std::string_view bytes,
                                                        const std::filesystem::path& modeOf);

// Renames `from` to `to`, replacing a file of that name as one step.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// A new directory `prefix` + 6 random characters in `parent`, that only this user can enter;
// nullopt when it cannot be made.
std::optional<std::filesystem::path> MakePrivateDirectory(const std::filesystem::path& parent,
                                                          std::string_view prefix);

}  // namespace tarvella
