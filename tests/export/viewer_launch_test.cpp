#include "export/viewer_launch.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(ViewerLaunch, ExecLineIsReadFromTheDesktopEntryGroupOnly) {
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\r\nName=Web\r\nExec=firefox %u\r\n"
                               "[Desktop Action new-window]\nExec=firefox --new-window %u\n"),
              "firefox %u");
    EXPECT_EQ(DesktopEntryExec("[Desktop Action x]\nExec=other %u\n[Desktop Entry]\n"
                               "Exec=browser %U\n"),
              "browser %U");
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nName=none\n"), "");
}

TEST(ViewerLaunch, CommandIsCutAtThePlaceholderAndGetsThePathAsOneArgument) {
    const std::string path = "/home/a b/导出 1.htm";
    EXPECT_EQ(ViewerCommand("firefox %u", path), (Words{"firefox", path}));
    EXPECT_EQ(ViewerCommand("chromium --incognito %F --x", path),
              (Words{"chromium", "--incognito", path}));
    EXPECT_EQ(ViewerCommand("\"/opt/my browser/run\" \"%f\"", path),
              (Words{"/opt/my browser/run", path}));
    EXPECT_EQ(ViewerCommand("viewer --open", path), (Words{"viewer", "--open", path}));
    EXPECT_EQ(ViewerCommand("%U", path), Words{});
    EXPECT_EQ(ViewerCommand("", path), Words{});
}

}  // namespace
