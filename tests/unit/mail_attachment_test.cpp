#include "view/mail_attachment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "test_support.h"

namespace tarvella {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(MailAttachment, ReportTextIsExactlyTheReport) {
    const std::string report = "Vimshottari dasa\r\nSun MD\r\n";
    const MailAttachment untitled = ReportTextAttachment("VKT1", report);
    EXPECT_EQ(untitled.name, "Tarvella.txt");
    EXPECT_EQ(untitled.bytes, report);
    EXPECT_EQ(ReportTextAttachment("chart.vkt", report).name, "chart.txt");

    // A mirror still carrying its zero and an earlier, longer report gives only the new text.
    const std::string area = report + '\0' + "Moon AD\r\nMars AD\r\n" + std::string(20, '\0');
    EXPECT_EQ(ReportTextAttachment("chart.vkt", area).bytes, report);
    EXPECT_EQ(ReportTextAttachment("VKT1", "").bytes, "");
}

TEST(MailAttachment, DataFileIsTheChartImage) {
    const std::string image = "4002\r\n1970\r\n";
    const MailAttachment untitled = DataFileAttachment("VKT1", "", image);
    EXPECT_EQ(untitled.name, "VKT1.vkt");
    EXPECT_EQ(untitled.bytes, image);
    EXPECT_EQ(DataFileAttachment("chart.vkt", "/home/a/chart.vkt", image).name, "chart.vkt");
}

TEST(AttachmentFolder, KeepsEachAttachmentPrivateUntilItGoes) {
    test::ScratchDir scratch;
    fs::path first, second;
    {
        AttachmentFolder folder(scratch.path());
        EXPECT_TRUE(fs::is_empty(scratch.path())) << "nothing is made before the first mail";
        const std::string bytes = std::string("a\r\nb\0c", 6);
        first = folder.Write({"Tarvella.txt", bytes}).value();
        second = folder.Write({"Tarvella.txt", "later"}).value();
        EXPECT_EQ(first.filename(), "Tarvella.txt");
        EXPECT_NE(first, second);
        EXPECT_EQ(ReadFileBytes(first.string()), bytes);
        EXPECT_EQ(ReadFileBytes(second.string()), "later");

        // One directory in the parent, which no one else may enter.
        ASSERT_EQ(std::distance(fs::directory_iterator(scratch.path()), {}), 1);
        const fs::path root = *fs::directory_iterator(scratch.path());
        EXPECT_TRUE(first.string().starts_with((root / "").string()));
        EXPECT_TRUE(test::OnlyOwnerMayEnter(root));

        std::vector<std::string> names = {"", ".", "..", "../escape.txt", "a/b.vkt"};
        for (const std::string& name : test::PathsOnlyThisPlatformSeparates()) {
            names.push_back(name);
        }
        for (const std::string& name : names) EXPECT_FALSE(folder.Write({name, "x"})) << name;
    }
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::is_empty(scratch.path()));

    AttachmentFolder nowhere(scratch.path() / "missing");
    EXPECT_FALSE(nowhere.Write({"VKT1.vkt", "x"}));
}

}  // namespace
}  // namespace tarvella
