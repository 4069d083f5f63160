#include "ui/controls/list_sort.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// Whole-text strtod, with one "%" allowed after it: what every shortcut must agree with.
TEST(CellCompare, NumbersReadLikeWholeTextStrtod) {
    std::vector<std::string> texts = {
        "2007_05_03", "2007-05-03", "10:20",  "1e5", "1E5%", "0x10", "12abc",
        "12.5.3",     "-3-",        "1,5",    "inf", "15%%", "12 ",  " 12",
        "1.",         ".5",         "-.5e-2", "3e",  "1x",   "12%",  "-0",
    };
    texts.push_back("9999999999999999.5");
    std::mt19937 rng(99);
    for (int i = 0; i < 20000; ++i) {  // the fast path for plain decimals
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s%.*f", rng() % 4 ? "" : "-", static_cast<int>(rng() % 6),
                      static_cast<double>(rng()) / (1 + rng() % 1000));
        texts.push_back(buf);
    }
    for (const std::string& text : texts) {
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        const size_t used = static_cast<size_t>(end - text.c_str());
        const bool number =
            used > 0 && (used == text.size() || (used + 1 == text.size() && text[used] == '%'));
        double value = 0;
        ASSERT_EQ(ParseCellNumber(text, &value), number) << text;
        ASSERT_TRUE(!number || value == expected) << text << " read as " << value;
    }
}

TEST(CellCompare, Hex32ReadsLikeStrtoulOf32Bits) {
    // Overflow saturates, and a saturated value is not negated.
    const std::pair<const char*, uint32_t> read[] = {
        {" \t0x1f", 31},           {"+Ab", 0xAB},
        {"-1", 0xFFFFFFFF},        {"FFFFFFFF", 0xFFFFFFFF},
        {"123456789", 0xFFFFFFFF}, {"-123456789", 0xFFFFFFFF}};
    for (const auto& [text, value] : read) {
        uint32_t v = 0;
        EXPECT_TRUE(ParseCellHex32(text, &v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    uint32_t v = 0;
    for (const char* bad : {"", " ", "0x", "1 ", "-", "1g", "0x 1"})
        EXPECT_FALSE(ParseCellHex32(bad, &v)) << bad;
}

TEST(CellCompare, DatesAndTimesWithinTheirCalendarRanges) {
    int64_t t = 0;
    for (const char* ok :
         {"2007-5-3", "2007/05/03", "2007_05_03 10:00:59", "2007-05-03 10:00", "9:05",
          " 2007-05-03 ", "10：00：00", "2000-02-29", "2007-12-31", "23:59:59"})
        EXPECT_TRUE(ParseCellDateTime(ok, &t)) << ok;
    for (const char* bad :
         {"1900-02-29" /* no leap year */, "2007-02-30", "2007-12-32", "2007-13-01", "2007-05/03",
          "24:00", "10:60", "23:59:60", "9:5", "2007", "2007-05-03x", "12:30:", "07-05-03"})
        EXPECT_FALSE(ParseCellDateTime(bad, &t)) << bad;
    ASSERT_TRUE(ParseCellDateTime("10:59", &t));
    EXPECT_EQ(t, 10 * 3600 + 59 * 60);
}

// Texts in ascending order, each by the first form it shares with its neighbour: hex (0x1A =
// 26, words of a-f), numbers (one trailing % allowed, two make a text), dates and times
// (a time alone before every date), else the GBK bytes (李 C0EE < 王 CDF5) or the text's
// own bytes when it is not UTF-8; the empty text first. Every pair of a row by the text
// comparison and by the keys, both ways round.
TEST(CellCompare, NeighboursCompareByTheFirstFormBothTake) {
    const std::vector<Texts> ascending = {
        {"", "2", "9", "10", "1A", "fe", "ff", "ff0"},
        {"-1.5", "0.25", "3", "6", "12.5", "50%"},
        {"", "50%%", "6"},
        {"23:00", "1900-01-01", "2007-5-3", "2007-05-12"},
        {"9:05", "10:00"},
        {"9：05", "10：00：00"},
        {"2007_05_03 9:00:00", "2007_05_03 10:00:00"},
        {"2000-2-28", "2000-02-29"},
        {"1900-02-29", "1900-2-28"},  // no date: as text
        {"10:60", "9:59"},            // no time: as text
        {"", "abc", "李四", "王五", "张三"},
        {"a", "\xFF"},
        // the kinds meet only where their rules agree
        {"1.5%", "10:60", "12%", "15", "1900-02-29", "1A", "1F", "9:05", "9:30", "23:59",
         "2000-02-29", "2007-05-03", "2007-05-03 10:20", "李四", "王五", "张三"}};
    const std::vector<Texts> equal = {{"13800138000", "02161234567"},  // both saturate
                                      {"50%", "50"},
                                      {"", ""},
                                      {"2008-02-29", "2008_2_29 0:00"}};
    CellKeyBuilder builder;
    const auto expect = [&](const std::string& a, const std::string& b, int order) {
        EXPECT_EQ(CompareCellTexts(a, b), order) << a << " " << b;
        EXPECT_EQ(CompareCellTexts(b, a), -order) << b << " " << a;
        EXPECT_EQ(CompareCellKeys(builder.Build(a), builder.Build(b)), order) << a << " " << b;
    };
    for (const Texts& texts : ascending)
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = i + 1; j < texts.size(); ++j) expect(texts[i], texts[j], -1);
    for (const Texts& texts : equal) expect(texts[0], texts[1], 0);
}

TEST(ListQuickSortTest, EqualKeysLargeInputsAndInconsistentComparisons) {
    // Equal keys: the order the partitioning leaves, worked out by hand.
    std::vector<int> eq = {0, 1, 2, 3, 4};
    ListQuickSort(eq.data(), 0, 4, true, [](int, int) { return 0; });
    EXPECT_EQ(eq, (std::vector<int>{3, 4, 2, 0, 1}));

    std::vector<int> big(200000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<int>((i * 7919) % 1000);
    ListQuickSort(big.data(), 0, static_cast<long>(big.size()) - 1, false,
                  [](int a, int b) { return a - b; });
    EXPECT_TRUE(std::is_sorted(big.rbegin(), big.rend()));

    // A comparison that contradicts itself still leaves every element, once, in range.
    std::mt19937 rng(7);
    std::vector<int> a(5000);
    for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<int>(i);
    ListQuickSort(a.data(), 0, static_cast<long>(a.size()) - 1, true,
                  [&](int, int) { return static_cast<int>(rng() % 3) - 1; });
    std::sort(a.begin(), a.end());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], static_cast<int>(i));
}

// GB18030 of a text straight from iconv; false where iconv refuses it.
bool IconvGb18030(std::string utf8, std::string* out) {
    static const iconv_t cd = iconv_open("GB18030", "UTF-8");
    out->assign(utf8.size() * 4 + 4, '\0');
    char *in = utf8.data(), *to = out->data();
    size_t inLeft = utf8.size(), toLeft = out->size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1) && !inLeft;
    out->resize(out->size() - toLeft);
    return ok;
}

TEST(CellCompare, Gb18030BytesAreIconvsForEveryCharacter) {
    std::string text;
    for (uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string one = QString(QChar(static_cast<char16_t>(cp))).toUtf8().toStdString();
        std::string fast, reference;
        const bool ok = IconvGb18030(one, &reference);
        ASSERT_EQ(ToGb18030(one, &fast), ok) << cp;
        if (!ok) continue;
        ASSERT_EQ(fast, reference) << cp;
        text += one;
    }
    std::string fast, reference;
    text = "a" + text + "\xF0\x9F\x98\x80z";  // and one beyond the plane
    ASSERT_TRUE(IconvGb18030(text, &reference) && ToGb18030(text, &fast));
    EXPECT_EQ(fast, reference);
    for (const char* bad :
         {"\xFF", "\xC0\x80", "\xED\xA0\x80", "\xE5\xBC", "a\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(ToGb18030(bad, &fast)) << bad;
}

}  // namespace
