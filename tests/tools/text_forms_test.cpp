#include <gtest/gtest.h>

#include <cmath>

#include "tools/orvicrm-db/access_text.h"
#include "tools/orvicrm-db/copy_text.h"

namespace {

using namespace std::string_literals;

TEST(AccessText, Jet4TextsInEveryStoredForm) {
    const struct {
        std::string stored, text, why;
    } kCases[] = {
        {"", "", ""},
        {"A\0\x2D\x4E"s, "A中", ""},                       // UTF-16LE
        {"\x3D\xD8\x00\xDE\x40\xD8\x00\xDC"s, "😀𠀀", ""},  // surrogate pairs
        {"\377\376It's"s, "It's", ""},                     // compressed
        // compressed: Latin letters, a switch to two bytes a letter, and back
        {"\377\376ab\0\x2D\x4E\0c\r\n"s, "ab中c\r\n", ""},
        {"\377\376a\0\x2D"s, "", "a compressed text that ends in the middle of a letter"},
        {"A\0B"s, "", "a text of an odd number of bytes"},
        {"\x3D\330A\0"s, "", "a text with a lone surrogate U+D83D"},
        {"\x00\xDE"s, "", "a text with a lone surrogate U+DE00"},
    };
    for (const auto& c : kCases) {
        std::string text, why;
        EXPECT_EQ(DecodeJet4Text(c.stored, &text, &why), c.why.empty()) << c.text;
        EXPECT_EQ(why, c.why);
        if (c.why.empty()) {
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST(AccessText, Jet3TextsInTheirCodePage) {
    CodePageDecoder gbk("GBK");
    ASSERT_TRUE(gbk.Known());
    std::string text, why;
    ASSERT_TRUE(gbk.Decode("\xD6\xD0\xCE\xC4 It's\r\n", &text, &why));
    EXPECT_EQ(text, "中文 It's\r\n");
    EXPECT_FALSE(gbk.Decode("ok\xD6", &text, &why));
    EXPECT_EQ(why, "bytes that are no text in GBK (at byte 3)");
    EXPECT_FALSE(CodePageDecoder("NO-SUCH-PAGE").Known());
}

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

TEST(CopyText, ReadsTheServersOtherEscapesAndRefusesWrongFieldCountsAndNonNumbers) {
    std::vector<CellValue> row;
    std::string error;
    ASSERT_TRUE(ParseCopyRow("\\x41\\101\\b\\v\\f\\q\t-Infinity\t7\t\\", kTable, &row, &error));
    EXPECT_EQ(row[0].text, "AA\b\v\fq");
    EXPECT_TRUE(std::isinf(row[1].d) && row[1].d < 0);
    EXPECT_EQ(row[3].text, "\\");
    EXPECT_FALSE(ParseCopyRow("a\t1\t2", kTable, &row, &error));
    EXPECT_FALSE(ParseCopyRow("a\t1\t2\tb\tc", kTable, &row, &error));
    EXPECT_FALSE(ParseCopyRow("a\t1\t2x\tb", kTable, &row, &error));
    EXPECT_EQ(error, "T: Count holds \"2x\", not a number");
    EXPECT_FALSE(ParseCopyRow("a\t\t2\tb", kTable, &row, &error));  // empty is no number
}

}  // namespace
