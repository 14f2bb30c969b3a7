#include "app/file_names.h"

namespace tarvella::app {

std::string FileNameBytes(const wxString& name) {
    return name.utf8_string();
}

wxString FileNameFromBytes(const std::string& bytes) {
    return wxString::FromUTF8(bytes);
}

}  // namespace tarvella::app
