// File names between wx and the library, which takes them as bytes: in the file-name encoding on
// POSIX; in UTF-8 on Windows, which the programs' manifest makes the narrow code page.
#pragma once

#include <wx/string.h>

#include <string>

namespace tarvella::app {

std::string FileNameBytes(const wxString& name);
wxString FileNameFromBytes(const std::string& bytes);

}  // namespace tarvella::app
