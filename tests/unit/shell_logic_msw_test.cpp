// What only Windows has.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "document/data_dir.h"

namespace tarvella {
namespace {

TEST(DataDirectory, ApplicationDataOnWindows) {
    const std::wstring saved = _wgetenv(L"APPDATA") ? _wgetenv(L"APPDATA") : L"";
    _wputenv_s(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(DefaultUserDataDirectory(), "C:\\Users\\u\\AppData\\Roaming\\Tarvella");
    _wputenv_s(L"APPDATA", L"relative");
    EXPECT_EQ(DefaultUserDataDirectory(), "");
    _wputenv_s(L"APPDATA", saved.c_str());
}

}  // namespace
}  // namespace tarvella
