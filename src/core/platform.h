// The few services of the operating system that POSIX and Windows give differently, each behind
// one small function so that the rest of the library stays the same on both.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarvella {

// The running program's own file; empty when it cannot be found.
std::string ExecutablePath();

// Takes the bytes of a file piece by piece; false when they could not be written.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Writes into a new file `prefix` + 6 random characters + `suffix` in `dir` what `produce`
// hands to the sink it is given (false from it gives up), flushed to the disk. The file gets
// the mode of `modeOf` when that is a regular file, else the mode a new file of the user gets
// (POSIX; Windows has no modes). Its path, or nullopt when it was not written, and then nothing
// is left behind.
std::optional<std::filesystem::path> WriteTemporaryFile(
    const std::filesystem::path& dir, std::string_view prefix, std::string_view suffix,
    const std::function<bool(const ByteSink& out)>& produce, const std::filesystem::path& modeOf);

// Renames `from` to `to`, replacing a file of that name as one step.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// A new directory `prefix` + 6 random characters in `parent`, that only this user can enter;
// nullopt when it cannot be made.
std::optional<std::filesystem::path> MakePrivateDirectory(const std::filesystem::path& parent,
                                                          std::string_view prefix);

// Whether `name` names a file of its own inside a folder: not empty, not "." or "..", without a
// separator (nor, on Windows, a drive).
bool IsPlainFileName(std::string_view name);

// Standard output and error take bytes as they are: a report carries its own CR LF, which a
// text-mode stream (Windows) would make CR CR LF.
void UseBinaryStandardStreams();

}  // namespace tarvella
