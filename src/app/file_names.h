// File names between wx and the library, which takes them as bytes: in the file-name encoding on
// POSIX; in UTF-8 on Windows, which the programs' manifest makes the narrow code page.
#pragma once

#include <wx/string.h>

#include <string>

namespace tarvella::app {

inline std::string FileNameBytes(const wxString& name) {
#ifdef __WXMSW__
    return name.utf8_string();
#else
    return std::string(name.fn_str());
#endif
}

inline wxString FileNameFromBytes(const std::string& bytes) {
#ifdef __WXMSW__
    return wxString::FromUTF8(bytes);
#else
    return wxString(bytes.c_str(), *wxConvFileName);
#endif
}

}  // namespace tarvella::app
