#include "tools/orvicrm-db/copy_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr FieldDef kFields[] = {
    {"Name", kFieldText, "", 0},
    {"Amount", kFieldFloat, "", 0},
    {"Count", kFieldInt, "", 0},
    {"Note", kFieldText, "", 0},
};
const TableDef kTable = {"T", kFields, 0};

TEST(CopyText, EscapesAndNullsGoOutAndComeBack) {
    const CellValue row[] = {
        {kCellText, 0, 0, "O'Brien\t\\path\nnext\r%中文\\N"},
        {kCellFloat, 0, static_cast<double>(0.1f), {}},
        {kCellInteger, -2147483648LL, 0, {}},
        {kCellNull, 0, 0, {}},
    };
    std::string line;
    AppendCopyRow(row, &line);
    EXPECT_EQ(line, "O'Brien\\t\\\\path\\nnext\\r%中文\\\\N\t0.1\t-2147483648\t\\N\n");

    std::vector<CellValue> back;
    std::string error;
    ASSERT_TRUE(ParseCopyRow(line, kTable, &back, &error)) << error;
    EXPECT_EQ(back[0].type, kCellText);
    EXPECT_EQ(back[0].text, row[0].text);
    EXPECT_EQ(back[1].type, kCellFloat);
    EXPECT_EQ(back[1].d, static_cast<double>(0.1f));  // the float, not the decimal 0.1
    EXPECT_EQ(back[2].i, -2147483648LL);
    EXPECT_EQ(back[3].type, kCellNull);

    const CellValue empty[] = {{kCellText, 0, 0, ""}, {kCellFloat, 0, 1234.5678901234, {}}};
    line.clear();
    AppendCopyRow(empty, &line);
    EXPECT_EQ(line, "\t1234.5679\n");  // an empty text, not NULL; a real as its float
}

TEST(CopyText, ReadsTheServersOtherEscapes) {
    std::vector<CellValue> row;
    std::string error;
    ASSERT_TRUE(ParseCopyRow("\\x41\\101\\b\\v\\f\\q\t-Infinity\t7\t\\", kTable, &row, &error));
    EXPECT_EQ(row[0].text, "AA\b\v\fq");
    EXPECT_TRUE(std::isinf(row[1].d) && row[1].d < 0);
    EXPECT_EQ(row[3].text, "\\");
}

TEST(CopyText, RefusesWrongFieldCountsAndNonNumbers) {
    std::vector<CellValue> row;
    std::string error;
    EXPECT_FALSE(ParseCopyRow("a\t1\t2", kTable, &row, &error));
    EXPECT_FALSE(ParseCopyRow("a\t1\t2\tb\tc", kTable, &row, &error));
    EXPECT_FALSE(ParseCopyRow("a\t1\t2x\tb", kTable, &row, &error));
    EXPECT_EQ(error, "T: Count holds \"2x\", not a number");
    EXPECT_FALSE(ParseCopyRow("a\t\t2\tb", kTable, &row, &error));  // empty is no number
}

}  // namespace
