#include "export/export_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace {

TEST(ExportPath, AppendsHtmUnlessThePathNamesHtmlCsvOrXlsx) {
    EXPECT_EQ(WithExportExtension("/out/list"), "/out/list.htm");
    EXPECT_EQ(WithExportExtension("/out/list.htm"), "/out/list.htm");
    EXPECT_EQ(WithExportExtension("/out/list.HTML"), "/out/list.HTML");
    EXPECT_EQ(WithExportExtension("/a.html.bak"), "/a.html.bak");
    EXPECT_EQ(WithExportExtension("/my.htmfiles/list"), "/my.htmfiles/list");
    EXPECT_EQ(WithExportExtension("/out/list.Htm"), "/out/list.Htm.htm");  // case counts
    EXPECT_EQ(WithExportExtension("/out/list.csv"), "/out/list.csv");
    EXPECT_EQ(WithExportExtension("/out/list.CSV"), "/out/list.CSV");
    EXPECT_EQ(WithExportExtension("/out/list.csv.txt"), "/out/list.csv.txt.htm");
    EXPECT_EQ(WithExportExtension("/out/list.xlsx"), "/out/list.xlsx");
    EXPECT_EQ(WithExportExtension("/out/list.XLSX"), "/out/list.XLSX");
    EXPECT_EQ(WithExportExtension("/out/list.xls"), "/out/list.xls.htm");
}

TEST(ExportPath, PrepareMakesFoldersAndAnEmptyFileButKeepsAnExistingOne) {
    TempModuleFolder temp;
    const std::string fresh = temp.Path() + "a/b/c.htm";
    ASSERT_TRUE(PrepareExportFile(fresh));
    EXPECT_EQ(std::filesystem::file_size(fresh), 0u);

    const std::string existing = temp.Path() + "old.htm";
    std::ofstream(existing) << "keep";
    ASSERT_TRUE(PrepareExportFile(existing));
    EXPECT_EQ(std::filesystem::file_size(existing), 4u);

    std::ofstream(temp.Path() + "plain") << "x";
    EXPECT_FALSE(PrepareExportFile(temp.Path() + "plain/c.htm"));  // a file stands in the way
    std::filesystem::create_directory(temp.Path() + "dir.htm");
    EXPECT_FALSE(PrepareExportFile(temp.Path() + "dir.htm"));  // a folder is no file
}

}  // namespace
