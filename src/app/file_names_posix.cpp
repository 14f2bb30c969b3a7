#include "app/file_names.h"

namespace tarvella::app {

std::string FileNameBytes(const wxString& name) {
    return std::string(name.fn_str());
}

wxString FileNameFromBytes(const std::string& bytes) {
    return wxString(bytes.c_str(), *wxConvFileName);
}

}  // namespace tarvella::app
