// Why: the viewer's settings files are edited by hand and by the installer; they must read
// as the Windows profile functions read them and keep every other line when written.
#include "platform/ProfileFile.h"

#include "tests/ScratchFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ProfileFileTest, IntegersReadFromTheLeadingDigits)
{
    const struct
    {
        const char* text;
        int value;
    } cases[] = {{"500", 500},
                 {"-5", -5},
                 {"+7", 7},
                 {"abc", 0},
                 {"12px", 12},
                 {" 42 ", 42},
                 {"", 0},
                 {"-", 0},
                 {"0x10", 0},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ParseProfileInt(c.text), c.value) << c.text;
    }
}

TEST(ProfileFileTest, FindsSectionsAndKeysWithoutRegardToCase)
{
    ScratchFolder scratch("ProfileFileTest");
    const std::string path = scratch.Write("User.ini", "\xEF\xBB\xBF; note\r\n"
                                                       "[Other]\r\nWidth=1\r\n"
                                                       "[ printimage ]\r\n"
                                                       "WIDTH = 640 \r\n"
                                                       "Height=\"abc\"\r\n"
                                                       "Empty=\n"
                                                       "Width=9\n"
                                                       "[PrintImage]\nHeight=3\n");
    EXPECT_EQ(platform::ReadProfileInt(path, "PrintImage", "Width", 500), 640);
    // The first section of a name is the only one read.
    EXPECT_EQ(platform::ReadProfileInt(path, "PrintImage", "Height", 700), 0);
    EXPECT_EQ(platform::ReadProfileInt(path, "PrintImage", "Empty", 700), 700);
    EXPECT_EQ(platform::ReadProfileInt(path, "PrintImage", "Missing", 700), 700);
    EXPECT_EQ(platform::ReadProfileInt(path, "Missing", "Width", 500), 500);
    EXPECT_EQ(platform::ReadProfileInt(scratch / "none.ini", "PrintImage", "Width", 500), 500);
    // A folder under the file's name reads as no file.
    EXPECT_EQ(platform::ReadProfileInt(scratch.MakeFolder("dir.ini"), "A", "B", 5), 5);
}

TEST(ProfileFileTest, WritesReplaceOrAddOneLineAndKeepTheRest)
{
    ScratchFolder scratch("ProfileFileTest");
    const std::string path = scratch.Write("User.ini", "; mine\n[printimage]\nwidth=1\n\n"
                                                       "[Other]\nKey=v\n");
    ASSERT_TRUE(platform::WriteProfileString(path, "PrintImage", "Width", "640"));
    ASSERT_TRUE(platform::WriteProfileString(path, "PrintImage", "Height", "480"));
    ASSERT_TRUE(platform::WriteProfileString(path, "New", "A", "-5"));
    EXPECT_EQ(ReadAll(path), "; mine\r\n[printimage]\r\nWidth=640\r\nHeight=480\r\n\r\n"
                             "[Other]\r\nKey=v\r\n[New]\r\nA=-5\r\n");

    const std::string fresh = scratch / "fresh.ini";
    ASSERT_TRUE(platform::WriteProfileString(fresh, "PrintImage", "Width", "500"));
    ASSERT_TRUE(platform::WriteProfileString(fresh, "PrintImage", "Height", "700"));
    EXPECT_EQ(ReadAll(fresh), "[PrintImage]\r\nWidth=500\r\nHeight=700\r\n");

    EXPECT_FALSE(platform::WriteProfileString(scratch / "missing/x.ini", "A", "B", "C"));
    EXPECT_FALSE(platform::WriteProfileString(scratch.MakeFolder("dir.ini"), "A", "B", "C"));
}

} // namespace
