#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "support/probes.h"
#include "support/temp_dir.h"
#include "ui/main/ini_file.h"

namespace {

class IniFile : public ::testing::Test {
protected:
    TempModuleFolder folder;
    std::string path = folder.Path() + "test.ini";
    CIniFile ini;
    void SetUp() override { ini.SetPath(path); }
};

// Lines end in LF or CRLF (the CR is dropped); a value runs to the line's end, "=" and all;
// a line without "=" reads as a value without a key, its first byte lost.
TEST_F(IniFile, ReadsSectionsKeysAndValuesAndWritesThemBack) {
    WriteFile(path,
              "[infowindow]\nleft=10\ntop=20\r\nwidth=800\n\nheight=600\n[[other]]\r\na=b=c\r\n"
              "noequals\r\n");
    ASSERT_TRUE(ini.ReadFile());
    EXPECT_EQ(ini.GetErrorText(), "");
    ini.WriteFile();  // what was read, as it is held
    EXPECT_EQ(
        ReadFile(path),
        "[infowindow]\nleft=10\ntop=20\nwidth=800\nheight=600\n\n[other]\na=b=c\n=oequals\n\n");
    ini.SetValue("other", "big", std::string(3000, '9'));
    EXPECT_EQ(ini.GetValueI("other", "big"), INT_MAX);

    EXPECT_EQ(ini.GetValue("nosuch", "width"), "");
    EXPECT_EQ(ini.GetErrorText(), "Unable to locate specified key.");
    EXPECT_EQ(ini.GetValueI("infowindow", "depth"), 0);
    EXPECT_EQ(ini.GetErrorText(), "Unable to locate specified value.");

    // A long line is cut: its first 2047 bytes are a line without "=", the rest "x=1" a
    // line of its own.
    WriteFile(path, "[s]\n" + std::string(CIniFile::kMaxLine, 'k') + "x=1\nwidth=800\n");
    ASSERT_TRUE(ini.ReadFile());
    EXPECT_EQ(ini.GetValue("s", "").size(), CIniFile::kMaxLine - 1);
    EXPECT_EQ(ini.GetValue("s", "x"), "1");
    EXPECT_EQ(ini.GetValueI("s", "width"), 800);
}

// A missing file reads as nothing and writing makes it; a folder in the file's place is
// neither read nor written.
TEST_F(IniFile, MissingOrUnreadableFiles) {
    EXPECT_FALSE(ini.ReadFile());
    EXPECT_EQ(ini.GetErrorText(), "");
    EXPECT_EQ(ini.GetValueI("infowindow", "left"), 0);
    EXPECT_FALSE(ini.SetValueI("infowindow", "left", 5, false));
    EXPECT_TRUE(ini.SetValueI("infowindow", "left", 5, true));
    EXPECT_TRUE(ini.SetValueI("infowindow", "left", 6, false));
    ini.WriteFile();
    EXPECT_EQ(ReadFile(path), "[infowindow]\nleft=6\n\n");

    std::filesystem::remove(path);
    std::filesystem::create_directories(path);
    EXPECT_FALSE(ini.ReadFile());
    EXPECT_EQ(ini.GetErrorText(), "Unable to open ini file.");
    ini.WriteFile();
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(IniFile, WritesBackInOrderDroppingEmptySections) {
    WriteFile(path, "top=1\n[empty]\n[b]\nx=1\n[a]\ny=2\n[b]\nz=3\nx=4\n");
    ASSERT_TRUE(ini.ReadFile());
    EXPECT_TRUE(ini.SetValue("a", "new", "v", true));
    ini.WriteFile();
    EXPECT_EQ(ReadFile(path), "[]\ntop=1\n\n[b]\nx=4\nz=3\n\n[a]\ny=2\nnew=v\n\n");
    // Reading again keeps what is in memory and replaces the values met again, also in a
    // section of more keys than are looked up without an index.
    std::string many = "[a]\ny=9\n[b]\n";
    for (int i = 0; i < 10; ++i) many += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    WriteFile(path, many + "[b]\nk7=seven\n");
    ASSERT_TRUE(ini.ReadFile());
    EXPECT_EQ(ini.GetValue("a", "y"), "9");
    EXPECT_EQ(ini.GetValue("b", "z"), "3");
    EXPECT_EQ(ini.GetValue("b", "k9"), "9");
    EXPECT_EQ(ini.GetValue("b", "k7"), "seven");
}

}  // namespace
