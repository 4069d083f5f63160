// The desktop's opener as the export starts it: stand-in openers on PATH record what they get.
#include "export/viewer_launch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace {

using Words = std::vector<std::string>;

// Records its name, its arguments and its process id, then `then` (a shell line).
std::string StandIn(const std::string& name, const std::string& then) {
    return "#!/bin/sh\nprintf '%s\\0' " + name +
           " \"$@\" > \"$ORVI_OPENER_LOG.part\"\necho $$ > \"$ORVI_OPENER_LOG.pid\"\n"
           "/bin/mv \"$ORVI_OPENER_LOG.part\" \"$ORVI_OPENER_LOG\"\n" +
           then + "\n";
}

class ViewerLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_bin = m_temp.Path() + "bin/";
        m_log = m_temp.Path() + "opener.log";
        std::filesystem::create_directories(m_bin);
        m_savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", m_bin.c_str(), 1);  // the stand-ins and nothing else
        setenv("ORVI_OPENER_LOG", m_log.c_str(), 1);
        m_folder = m_temp.Path() + "a  b 'c' \"d\" $HOME; `x` 导出/";
    }
    void TearDown() override {
        setenv("PATH", m_savedPath.c_str(), 1);
        unsetenv("ORVI_OPENER_LOG");
    }

    void Install(const std::string& name, const std::string& script) {
        const std::string file = m_bin + name;
        std::ofstream(file) << script;
        chmod(file.c_str(), 0755);
    }

    // What the stand-in recorded once it has; empty if it never ran.
    Words Recorded() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(m_log) && std::chrono::steady_clock::now() < end)
            QTest::qWait(5);
        std::ostringstream text;
        text << std::ifstream(m_log, std::ios::binary).rdbuf();
        std::filesystem::remove(m_log);
        Words words;
        std::istringstream in(text.str());
        for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
        return words;
    }
    pid_t RecordedPid() {
        long pid = 0;
        std::ifstream(m_log + ".pid") >> pid;
        return static_cast<pid_t>(pid);
    }

    TempModuleFolder m_temp;
    std::string m_bin, m_log, m_savedPath, m_folder;
};

TEST_F(ViewerLaunchTest, TheOpenerGetsThePathAsOneArgumentForEveryFileType) {
    Install("xdg-open", StandIn("xdg-open", "exit 0"));
    for (const char* name : {"报表 1.htm", "报表;2.csv", "报表 $3.xlsx"}) {
        const std::string path = m_folder + name;
        OpenExportedFile(path);
        EXPECT_EQ(Recorded(), (Words{"xdg-open", path}));
    }
}

TEST_F(ViewerLaunchTest, GioOpensWithoutXdgOpenAndWithoutEitherALineGoesToStandardError) {
    Install("gio", StandIn("gio", "exit 0"));
    const std::string path = m_folder + "list.xlsx";
    OpenExportedFile(path);
    EXPECT_EQ(Recorded(), (Words{"gio", "open", path}));

    std::filesystem::remove(m_bin + "gio");
    testing::internal::CaptureStderr();
    OpenExportedFile(path);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot open " + path + ":"), std::string::npos) << said;
}

TEST_F(ViewerLaunchTest, AViewerThatNeverExitsIsNotWaitedFor) {
    Install("xdg-open", StandIn("xdg-open", "exec /bin/sleep 100000"));
    const std::string path = m_folder + "list.csv";
    OpenExportedFile(path);  // returns while the viewer runs on
    EXPECT_EQ(Recorded(), (Words{"xdg-open", path}));
    const pid_t viewer = RecordedPid();
    ASSERT_GT(viewer, 1);
    EXPECT_EQ(kill(viewer, 0), 0);  // still running
    kill(viewer, SIGKILL);
}

}  // namespace
