#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>

// The shared library a host loads exports the entry points and keeps its insides hidden.
TEST(SharedLibrary, ExportsTheEntryPointsOnly) {
    std::string path = QCoreApplication::applicationDirPath().toStdString() + "/libOrviCrm.so";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "not built: " << path;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"CM_OpenCrm", "CM_OpenCrm2", "CM_OpenCrmStat"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    for (const char* name : {"g_clientNames", "g_hostWnd", "g_hostPickMsg"})
        EXPECT_EQ(dlsym(library, name), nullptr) << name;
    dlclose(library);
}
