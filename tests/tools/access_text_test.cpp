#include "tools/orvicrm-db/access_text.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(AccessText, Jet4TextsInEveryStoredForm) {
    const struct {
        std::string stored, text, why;
    } kCases[] = {
        {"", "", ""},
        {"A\0\x2D\x4E"s, "A中", ""},                       // UTF-16LE
        {"\x3D\xD8\x00\xDE\x40\xD8\x00\xDC"s, "😀𠀀", ""},  // surrogate pairs
        {"\xFF\xFE"
         "It's"s,
         "It's", ""},  // compressed
        // compressed: Latin letters, a switch to two bytes a letter, and back
        {"\xFF\xFE"
         "ab\0\x2D\x4E\0"
         "c\r\n"s,
         "ab中c\r\n", ""},
        {"\xFF\xFE"
         "a\0\x2D"s,
         "", "a compressed text that ends in the middle of a letter"},
        {"A\0B"s, "", "a text of an odd number of bytes"},
        {"\x3D\xD8"
         "A\0"s,
         "", "a text with a lone surrogate U+D83D"},
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
    CodePageDecoder latin("CP1252");
    ASSERT_TRUE(latin.Decode("M\xFCller", &text, &why));
    EXPECT_EQ(text, "Müller");
    EXPECT_FALSE(CodePageDecoder("NO-SUCH-PAGE").Known());
}

}  // namespace
