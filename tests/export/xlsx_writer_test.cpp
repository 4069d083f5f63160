#include "export/xlsx_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export_files.h"
#include "support/temp_dir.h"

namespace {

using Row = std::vector<TableCell>;

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

TEST(XlsxTableWriter, RowsBeyondASheetContinueOnTheNextUnderTheHeadingAgain) {
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
}

TEST(XlsxTableWriter, ACancelledWorkbookIsDroppedWithItsTemporaryFiles) {
    TempModuleFolder temp;
    const auto openFiles = [] {
        const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    const auto before = openFiles();
    const std::string path = temp.Path() + "cancel.xlsx";
    CXlsxTableWriter writer(2);
    ASSERT_EQ(writer.Open("t", path), 1);
    for (const char* text : {"h", "a", "b"}) writer.WriteRow(Row{text});  // on two sheets
    writer.CloseWithoutTail();
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(openFiles(), before);
}

}  // namespace
