#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "document/data_dir.h"
#include "test_support.h"
#include "view/window_geometry.h"

namespace tarvella {
namespace {

void ExpectRect(const WindowRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(MainWindowGeometry, FiveScreens) {
    ExpectRect(MainWindowGeometry(0, 0, 640, 480), 10, 0, 600, 480);
    ExpectRect(MainWindowGeometry(0, 0, 800, 600), 50, 12, 600, 551);
    ExpectRect(MainWindowGeometry(0, 0, 801, 600), 50, 0, 601, 600);
    ExpectRect(MainWindowGeometry(0, 0, 1024, 768), 106, 42, 600, 600);
    ExpectRect(MainWindowGeometry(0, 0, 1280, 1024), 170, 106, 600, 600);
}

TEST(MainWindowGeometry, NarrowAndOffsetScreens) {
    ExpectRect(MainWindowGeometry(0, 0, 500, 400), 0, 0, 500, 400);
    // A screen whose origin is not at (0, 0) keeps the same shares.
    ExpectRect(MainWindowGeometry(100, 50, 1124, 818), 206, 92, 600, 600);
}

TEST(MainWindowGeometry, ComesBackOnTheScreen) {
    const WindowRect screen{0, 0, 1280, 1024};
    ExpectRect(ClampToScreen({300, 200, 700, 500}, screen), 300, 200, 700, 500);
    // Left on a second screen that is gone, or dragged half off this one.
    ExpectRect(ClampToScreen({2000, 1500, 700, 500}, screen), 580, 524, 700, 500);
    ExpectRect(ClampToScreen({-300, -40, 700, 500}, screen), 0, 0, 700, 500);
    // Larger than the screen has become.
    ExpectRect(ClampToScreen({100, 100, 1920, 1200}, screen), 0, 0, 1280, 1024);
    ExpectRect(ClampToScreen({50, 50, 0, -5}, {100, 50, 800, 600}), 100, 50, 1, 1);
}

TEST(DataDirectory, FromTheEnvironment) {
    // As paths: Windows writes them with its own separator.
    using P = std::filesystem::path;
    EXPECT_EQ(P(UserDataDirectory("/x/data", "/home/u")), P("/x/data/tarvella"));
    EXPECT_EQ(P(UserDataDirectory(nullptr, "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(P(UserDataDirectory("", "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(P(UserDataDirectory("relative", "/home/u")), P("/home/u/.local/share/tarvella"));
    EXPECT_EQ(UserDataDirectory(nullptr, nullptr), "");
    EXPECT_EQ(UserDataDirectory(nullptr, "relative"), "");
}

#ifdef _WIN32
TEST(DataDirectory, ApplicationDataOnWindows) {
    const std::wstring saved = _wgetenv(L"APPDATA") ? _wgetenv(L"APPDATA") : L"";
    _wputenv_s(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(DefaultUserDataDirectory(), "C:\\Users\\u\\AppData\\Roaming\\Tarvella");
    _wputenv_s(L"APPDATA", L"relative");
    EXPECT_EQ(DefaultUserDataDirectory(), "");
    _wputenv_s(L"APPDATA", saved.c_str());
}
#endif

TEST(DataDirectory, MadeWhenMissingRefusedOverAFile) {
    test::ScratchDir dir;
    const std::string deep = dir.File("a/b/tarvella");
    EXPECT_TRUE(MakeDataDirectory(deep));
    EXPECT_TRUE(MakeDataDirectory(deep));  // already there
    std::ofstream(dir.File("plain")) << "x";
    EXPECT_FALSE(MakeDataDirectory(dir.File("plain")));
    EXPECT_FALSE(MakeDataDirectory(dir.File("plain/tarvella")));
    EXPECT_FALSE(MakeDataDirectory(""));
}

}  // namespace
}  // namespace tarvella
