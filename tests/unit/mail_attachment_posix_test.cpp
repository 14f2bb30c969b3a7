// A POSIX search: ':' between entries, execute bits; Windows mails through MAPI.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "view/mail_attachment.h"

namespace tarvella {
namespace {

namespace fs = std::filesystem;
using test::WriteFileBytes;

TEST(FindOnPath, FirstExecutableFileInPathOrder) {
    test::ScratchDir scratch;
    const fs::path plain = scratch.path() / "plain";
    const fs::path dir = scratch.path() / "dir";
    const fs::path exec1 = scratch.path() / "exec1";
    const fs::path exec2 = scratch.path() / "exec2";
    for (const fs::path& d : {plain, dir, exec1, exec2}) fs::create_directory(d);
    WriteFileBytes((plain / "xdg-email").string(), "#!/bin/sh\n");
    fs::create_directory(dir / "xdg-email");
    for (const fs::path& d : {exec1, exec2}) {
        WriteFileBytes((d / "xdg-email").string(), "#!/bin/sh\n");
        fs::permissions(d / "xdg-email", fs::perms::owner_exec, fs::perm_options::add);
    }

    const std::string list =
        ":" + plain.string() + ":" + dir.string() + "::" + exec2.string() + ":" + exec1.string();
    EXPECT_EQ(FindOnPath("xdg-email", list.c_str()), (exec2 / "xdg-email").string());
    const std::string without = plain.string() + ":" + dir.string();
    EXPECT_EQ(FindOnPath("xdg-email", without.c_str()), "");
    EXPECT_EQ(FindOnPath("xdg-email", nullptr), "");
    EXPECT_EQ(FindOnPath("xdg-email", ""), "");
    EXPECT_EQ(FindOnPath("exec1/xdg-email", scratch.path().c_str()), "");

    // A relative entry gives an absolute path, which stays right after a change of directory.
    const fs::path here = fs::current_path();
    fs::current_path(scratch.path());
    const std::string found = FindOnPath("xdg-email", "exec1");
    fs::current_path(here);
    EXPECT_EQ(found, (exec1 / "xdg-email").string());
}

}  // namespace
}  // namespace tarvella
