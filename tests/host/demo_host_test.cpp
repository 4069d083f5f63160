#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <filesystem>

#include "support/temp_dir.h"
#include "support/test_sql.h"

namespace fs = std::filesystem;

TEST(SharedLibrary, ExportsTheEntryPointsOnly) {
    const std::string path =
        QCoreApplication::applicationDirPath().toStdString() + "/libOrviCrm.so";
    if (!fs::exists(path)) GTEST_SKIP() << "not built: " << path;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"CM_OpenCrm", "CM_OpenCrm2", "CM_OpenCrmStat"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    for (const char* name : {"g_clientNames", "g_hostWnd", "g_hostPickMsg"})
        EXPECT_EQ(dlsym(library, name), nullptr) << name;
    dlclose(library);
}

// The snapshot run ends on its own, also past a page's message box, and reports the failure.
TEST(DemoHost, SnapshotAnswersMessageBoxesAndReportsThem) {
    const fs::path bin = QCoreApplication::applicationDirPath().toStdString();
    if (!fs::exists(bin / "orvicrm-host") || !fs::exists(bin / "libOrviCrm.so"))
        GTEST_SKIP() << "the demo host is not built";
    // A column the 机会 page reads is missing: its load fails with a message box while the
    // tabs are walked.
    TempModuleFolder folder;
    ASSERT_TRUE(TestSql(folder.CreateDatabase())
                    .Exec("ALTER TABLE ChanceTable DROP COLUMN ChanceName;"
                          "INSERT INTO ChanceTable (ObjectDateTime) VALUES (101)"));
    // Copies of the host and the module in the module folder use its database.
    for (const char* file : {"orvicrm-host", "libOrviCrm.so"})
        fs::copy_file(bin / file, folder.Path() + file, fs::copy_options::overwrite_existing);
    QProcess host;  // killed when it goes, should the run not end
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString shots = QString::fromStdString(folder.Path() + "shots");
    host.start(QString::fromStdString(folder.Path() + "orvicrm-host"),
               {QStringLiteral("--snapshot"), shots});
    ASSERT_TRUE(host.waitForFinished(180000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_GT(host.exitCode(), 0);
    const QStringList pictures = QDir(shots).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(pictures.filter("MessageBox1.png").size(), 1) << pictures.join(' ').toStdString();
}
