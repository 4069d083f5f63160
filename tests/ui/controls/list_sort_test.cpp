#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <random>
#include <string>
#include <vector>

#include "direct_sort.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/controls/list_sort.h"

namespace {

int Cmp(const std::string& a, const std::string& b) {
    return CompareCellTexts(a, b);
}

// Sorts texts through the comparison rules, ascending.
std::vector<std::string> SortedByKeys(std::vector<std::string> texts, bool ascending = true) {
    CellKeyBuilder builder;
    std::vector<CellKey> keys;
    for (const std::string& t : texts) keys.push_back(builder.Build(t));
    std::vector<std::pair<CellKey, int>> items;
    for (size_t i = 0; i < keys.size(); ++i) items.push_back({keys[i], static_cast<int>(i)});
    ListQuickSort(items.data(), 0, static_cast<long>(items.size()) - 1, ascending,
                  [](const auto& a, const auto& b) { return CompareCellKeys(a.first, b.first); });
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(texts[static_cast<size_t>(item.second)]);
    return out;
}

TEST(CellCompare, FastDecimalsReadExactlyLikeStrtod) {
    std::mt19937 rng(99);
    for (int i = 0; i < 20000; ++i) {
        char buf[64];
        const int decimals = static_cast<int>(rng() % 6);
        std::snprintf(buf, sizeof buf, "%s%.*f", rng() % 4 ? "" : "-", decimals,
                      static_cast<double>(rng()) / (1 + rng() % 1000));
        double fast = 0;
        ASSERT_TRUE(ParseCellNumber(buf, &fast)) << buf;
        EXPECT_EQ(fast, std::strtod(buf, nullptr)) << buf;
    }
}

// Whole-text strtod, with one "%" allowed after it: what every shortcut must agree with.
TEST(CellCompare, NumbersReadLikeWholeTextStrtod) {
    for (const char* text : {"2007_05_03", "2007-05-03",
                             "10:20",      "1e5",
                             "1E5%",       "0x10",
                             "12abc",      "12.5.3",
                             "-3-",        "1,5",
                             "inf",        "15%%",
                             "12 ",        " 12",
                             "1.",         ".5",
                             "-.5e-2",     "3e",
                             "1x",         "12%",
                             "-0",         "9999999999999999.5"}) {
        char* end = nullptr;
        const double expected = std::strtod(text, &end);
        const size_t used = static_cast<size_t>(end - text);
        const size_t size = std::strlen(text);
        const bool number = used > 0 && (used == size || (used + 1 == size && text[used] == '%'));
        double value = 0;
        EXPECT_EQ(ParseCellNumber(text, &value), number) << text;
        if (number) {
            EXPECT_EQ(value, expected) << text;
        }
    }
}

TEST(CellCompare, IntegersHexAndDecimals) {
    EXPECT_EQ(SortedByKeys({"100", "9", "10"}), (std::vector<std::string>{"9", "10", "100"}));
    EXPECT_LT(Cmp("2", "1A"), 0);    // 0x1A = 26
    EXPECT_LT(Cmp("3", "12.5"), 0);  // doubles, not text
    EXPECT_GT(Cmp("50%", "6"), 0);   // a single trailing % is allowed
    EXPECT_EQ(Cmp("50%", "50"), 0);
    EXPECT_LT(Cmp("50%%", "6"), 0);  // two percent signs: text, "5" < "6"
    EXPECT_LT(Cmp("-1.5", "0.25"), 0);
    EXPECT_GT(Cmp("ff", "fe"), 0);  // letter words a-f are numbers
    EXPECT_LT(Cmp("fe", "ff0"), 0);
}

TEST(CellCompare, Hex32ReadsLikeStrtoulOf32Bits) {
    uint32_t v = 0;
    ASSERT_TRUE(ParseCellHex32(" \t0x1f", &v));
    EXPECT_EQ(v, 31u);
    ASSERT_TRUE(ParseCellHex32("+Ab", &v));
    EXPECT_EQ(v, 0xABu);
    ASSERT_TRUE(ParseCellHex32("-1", &v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(ParseCellHex32("123456789", &v));  // overflow saturates
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(ParseCellHex32("-123456789", &v));  // and is not negated
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(ParseCellHex32("FFFFFFFF", &v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    for (const char* bad : {"", " ", "0x", "1 ", "-", "1g", "0x 1"})
        EXPECT_FALSE(ParseCellHex32(bad, &v)) << bad;
    // Telephone numbers all read as the largest value and compare equal.
    EXPECT_EQ(Cmp("13800138000", "02161234567"), 0);
}

TEST(CellCompare, EmptyCellsAreTextAndSortFirst) {
    EXPECT_LT(Cmp("", "0"), 0);
    EXPECT_LT(Cmp("", "abc"), 0);
    EXPECT_EQ(Cmp("", ""), 0);
    EXPECT_EQ(SortedByKeys({"5", "", "x", ""}), (std::vector<std::string>{"", "", "5", "x"}));
}

TEST(CellCompare, DatesAndTimes) {
    int64_t t = 0;
    for (const char* ok : {"2007-5-3", "2007/05/03", "2007_05_03", "2007-05-03 10:00",
                           "2007_05_03 10:00:59", "9:05", "23:59:59", " 2007-05-03 ",
                           "10\xEF\xBC\x9A"
                           "00\xEF\xBC\x9A"
                           "00"})
        EXPECT_TRUE(ParseCellDateTime(ok, &t)) << ok;
    for (const char* bad : {"2007-02-30", "2007-13-01", "2007-05/03", "24:00", "9:5", "2007",
                            "2007-05-03x", "12:30:", "07-05-03"})
        EXPECT_FALSE(ParseCellDateTime(bad, &t)) << bad;
    EXPECT_LT(Cmp("2007-5-3", "2007-05-12"), 0);  // as text it would be the other way
    EXPECT_LT(Cmp("2007_05_03 9:00:00", "2007_05_03 10:00:00"), 0);
    EXPECT_LT(Cmp("9:05", "10:00"), 0);
    EXPECT_LT(Cmp("9\xEF\xBC\x9A"
                  "05\xEF\xBC\x9A"
                  "00",
                  "10\xEF\xBC\x9A"
                  "00\xEF\xBC\x9A"
                  "00"),
              0);
    EXPECT_LT(Cmp("23:00", "1900-01-01"), 0);  // a time alone falls before every date
    EXPECT_EQ(Cmp("2008-02-29", "2008_2_29 0:00"), 0);
}

TEST(CellCompare, CalendarBoundaries) {
    int64_t t = 0;
    EXPECT_FALSE(ParseCellDateTime("1900-02-29", &t));  // 1900 is no leap year
    EXPECT_TRUE(ParseCellDateTime("2000-02-29", &t));   // 2000 is one
    EXPECT_TRUE(ParseCellDateTime("2007-12-31", &t));
    EXPECT_FALSE(ParseCellDateTime("2007-12-32", &t));
    EXPECT_TRUE(ParseCellDateTime("10:59", &t));
    EXPECT_EQ(t, 10 * 3600 + 59 * 60);
    EXPECT_FALSE(ParseCellDateTime("10:60", &t));
    EXPECT_TRUE(ParseCellDateTime("23:59:59", &t));
    EXPECT_FALSE(ParseCellDateTime("23:59:60", &t));
    // Not a date: compared as text ("0" < "2"); a date: chronologically.
    EXPECT_LT(Cmp("1900-02-29", "1900-2-28"), 0);
    EXPECT_GT(Cmp("2000-02-29", "2000-2-28"), 0);
    EXPECT_LT(Cmp("9:59", "10:59"), 0);  // times
    EXPECT_GT(Cmp("9:59", "10:60"), 0);  // text: "9" > "1"
}

// A mixed column whose order is written out by hand: the kinds meet only where the rules
// agree, so the order is a consistent one the sort must find in both directions.
TEST(CellCompare, MixedColumnSortsInTheHandWrittenOrder) {
    const std::vector<std::string> ascending = {
        "1.5%", "10:60", "12%",        "15",         "1900-02-29",       "1A",   "1F",   "9:05",
        "9:30", "23:59", "2000-02-29", "2007-05-03", "2007-05-03 10:20", "李四", "王五", "张三"};
    const std::vector<std::string> shuffled = {
        "张三",  "9:30",       "1A",         "2007-05-03 10:20",
        "15",    "李四",       "1900-02-29", "23:59",
        "1.5%",  "2000-02-29", "王五",       "1F",
        "10:60", "2007-05-03", "12%",        "9:05"};
    EXPECT_EQ(SortedByKeys(shuffled), ascending);
    EXPECT_EQ(SortedByKeys(shuffled, false),
              std::vector<std::string>(ascending.rbegin(), ascending.rend()));
    CCheckListCtrl list;
    list.Initialize(0, 0x30, 0);
    list.AddColumn(0, "列", 80);
    for (const std::string& text : shuffled) list.InsertRow(list.GetRowCount(), text);
    list.SortByColumn(0, 1);
    std::vector<std::string> listed;
    for (int r = 0; r < list.GetRowCount(); ++r) listed.push_back(list.GetCellText(r, 0));
    EXPECT_EQ(listed, ascending);
}

TEST(CellCompare, ChineseFollowsGbkOrder) {
    // 李 (C0EE) < 王 (CDF5) < 张 (D5C5); in UTF-8 张 would come first.
    EXPECT_EQ(SortedByKeys({"张三", "王五", "李四", "abc"}),
              (std::vector<std::string>{"abc", "李四", "王五", "张三"}));
    EXPECT_EQ(SortedByKeys({"张三", "王五", "李四"}, false),
              (std::vector<std::string>{"张三", "王五", "李四"}));
    std::string gb;
    ASSERT_TRUE(ToGb18030("张", &gb));
    EXPECT_EQ(gb, "\xD5\xC5");
    // Text that is not UTF-8 compares by its bytes.
    EXPECT_FALSE(ToGb18030("\xFF", &gb));
    EXPECT_GT(Cmp("\xFF", "a"), 0);
    EXPECT_LT(Cmp("a", "\xFF"), 0);
}

TEST(CellCompare, KeysSortLikePairwiseComparison) {
    const std::vector<std::string> pool = {"",
                                           " ",
                                           "0",
                                           "7",
                                           "9",
                                           "10",
                                           "010",
                                           "1A",
                                           "a",
                                           "ff",
                                           "-1",
                                           "-0x10",
                                           "+5",
                                           "12.5",
                                           "3.0",
                                           "50%",
                                           "1e3",
                                           "1.5e3",
                                           "nan",
                                           "inf",
                                           "-inf",
                                           "13800138000",
                                           "99999999999",
                                           "2007_05_03",
                                           "2007-5-3",
                                           "2007/05/03 10:00",
                                           "2006_12_31 23:59:59",
                                           "9:05",
                                           "10:00",
                                           "张三",
                                           "王五",
                                           "李四",
                                           "abc",
                                           "ABC",
                                           "\xFF",
                                           "x y",
                                           "0x",
                                           "1 "};
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        const size_t n = 1 + rng() % 60;
        std::vector<std::string> texts;
        for (size_t i = 0; i < n; ++i) texts.push_back(pool[rng() % pool.size()]);
        for (bool asc : {true, false}) {
            std::vector<int> direct;
            for (size_t i = 0; i < n; ++i) direct.push_back(static_cast<int>(i));
            DirectSort(direct, texts, 0, static_cast<long>(n) - 1, asc);

            CellKeyBuilder builder;
            std::vector<std::pair<CellKey, int>> items;
            for (size_t i = 0; i < n; ++i) items.push_back({builder.Build(texts[i]), int(i)});
            ListQuickSort(
                items.data(), 0, static_cast<long>(n) - 1, asc,
                [](const auto& a, const auto& b) { return CompareCellKeys(a.first, b.first); });
            std::vector<int> keyed;
            for (const auto& item : items) keyed.push_back(item.second);
            ASSERT_EQ(keyed, direct) << "round " << round;
        }
    }
}

TEST(ListQuickSortTest, InconsistentComparisonStaysInRange) {
    std::mt19937 rng(7);
    std::vector<int> a(5000);
    for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<int>(i);
    ListQuickSort(a.data(), 0, static_cast<long>(a.size()) - 1, true,
                  [&](int, int) { return static_cast<int>(rng() % 3) - 1; });
    std::vector<int> sorted = a;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], static_cast<int>(i));
}

TEST(ListQuickSortTest, EqualKeysAndLargeInputs) {
    // Equal keys: the order the partitioning leaves, worked out by hand.
    std::vector<std::pair<int, int>> eq;
    for (int i = 0; i < 5; ++i) eq.push_back({0, i});
    ListQuickSort(eq.data(), 0, 4, true, [](auto a, auto b) { return a.first - b.first; });
    std::vector<int> order;
    for (auto& e : eq) order.push_back(e.second);
    EXPECT_EQ(order, (std::vector<int>{3, 4, 2, 0, 1}));

    std::vector<int> big(200000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<int>((i * 7919) % 1000);
    ListQuickSort(big.data(), 0, static_cast<long>(big.size()) - 1, false,
                  [](int a, int b) { return a - b; });
    EXPECT_TRUE(std::is_sorted(big.rbegin(), big.rend()));
}

}  // namespace

namespace {

// GB18030 of a text straight from iconv.
bool IconvGb18030(const std::string& utf8, std::string* out) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string buffer(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = buffer.data();
    size_t toLeft = buffer.size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1) && !inLeft;
    iconv_close(cd);
    out->assign(buffer.data(), buffer.size() - toLeft);
    return ok;
}

}  // namespace

TEST(CellCompare, Gb18030BytesAreIconvsForEveryCharacter) {
    std::string text;
    for (uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string one;
        if (cp < 0x800) {
            one = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            one = {static_cast<char>(0xE0 | (cp >> 12)),
                   static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                   static_cast<char>(0x80 | (cp & 0x3F))};
        }
        std::string fast, reference;
        const bool ok = IconvGb18030(one, &reference);
        ASSERT_EQ(ToGb18030(one, &fast), ok) << cp;
        if (!ok) continue;
        ASSERT_EQ(fast, reference) << cp;
        text += one;
    }
    std::string fast, reference;
    ASSERT_TRUE(IconvGb18030("a" + text + "\xF0\x9F\x98\x80z", &reference));
    ASSERT_TRUE(ToGb18030("a" + text + "\xF0\x9F\x98\x80z", &fast));  // and one beyond the plane
    EXPECT_EQ(fast, reference);
    for (const char* bad :
         {"\xC0\x80", "\xED\xA0\x80", "\xE5\xBC", "a\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(ToGb18030(bad, &fast)) << bad;
}
