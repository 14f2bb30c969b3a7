#include <cstdlib>

#include "document/data_dir.h"

namespace tarvella {

std::string DefaultUserDataDirectory() {
    return UserDataDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

}  // namespace tarvella
