// The desktop's opener as the export starts it: stand-ins on PATH record what they get.
#include "export/viewer_launch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/probes.h"
#include "support/temp_dir.h"

namespace {

using Words = std::vector<std::string>;

class ViewerLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_bin);
        setenv("PATH", m_bin.c_str(), 1);  // the stand-ins and nothing else
        setenv("ORVI_OPENER_LOG", m_log.c_str(), 1);
    }
    void TearDown() override { setenv("PATH", m_savedPath.c_str(), 1); }

    // An opener that records its name, arguments and process id, then runs `then`.
    void Install(const std::string& name, const std::string& then = "exit 0") {
        const std::string file = m_bin + name;
        std::ofstream(file)
            << "#!/bin/sh\nprintf '%s\\0' " << name
            << " \"$@\" > \"$ORVI_OPENER_LOG.part\"\necho $$ > \"$ORVI_OPENER_LOG.pid\"\n"
               "/bin/mv \"$ORVI_OPENER_LOG.part\" \"$ORVI_OPENER_LOG\"\n"
            << then << "\n";
        chmod(file.c_str(), 0755);
    }

    // What the opener recorded, once it has (the test's own timeout ends a wait for nothing).
    Words Recorded() {
        while (!std::filesystem::exists(m_log)) QTest::qWait(5);
        std::istringstream in(ReadFile(m_log));
        std::filesystem::remove(m_log);
        Words words;
        for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
        return words;
    }

    TempModuleFolder m_temp;
    const std::string m_bin = m_temp.Path() + "bin/";
    const std::string m_log = m_temp.Path() + "opener.log";
    const std::string m_savedPath = std::getenv("PATH");
    const std::string m_folder = m_temp.Path() + "a  b 'c' \"d\" $HOME; `x` 导出/";
};

// xdg-open, else gio, gets the path as one argument whatever it holds; without either a
// line goes to standard error. The opener is not waited for.
TEST_F(ViewerLaunchTest, TheOpenerGetsThePathAsOneArgument) {
    Install("xdg-open");
    for (const char* name : {"报表 1.htm", "报表;2.csv", "报表 $3.xlsx"}) {
        OpenExportedFile(m_folder + name);
        EXPECT_EQ(Recorded(), (Words{"xdg-open", m_folder + name}));
    }
    std::filesystem::remove(m_bin + "xdg-open");
    Install("gio");
    const std::string path = m_folder + "list.xlsx";
    OpenExportedFile(path);
    EXPECT_EQ(Recorded(), (Words{"gio", "open", path}));

    std::filesystem::remove(m_bin + "gio");
    testing::internal::CaptureStderr();
    OpenExportedFile(path);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot open " + path + ":"), std::string::npos) << said;

    // A viewer that never exits is not waited for.
    Install("xdg-open", "exec /bin/sleep 100000");
    OpenExportedFile(path);
    EXPECT_EQ(Recorded(), (Words{"xdg-open", path}));
    pid_t viewer = 0;
    std::ifstream(m_log + ".pid") >> viewer;
    ASSERT_GT(viewer, 1);
    EXPECT_EQ(kill(viewer, 0), 0);  // still running
    kill(viewer, SIGKILL);
}

}  // namespace
