// Figures of the check-box list: appending a million rows of 18 columns, sorting by a
// decimal, a money, a date and a Chinese text column (each against std::sort of the same
// precomputed keys), ticking every row, and the list's memory against its text.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tools/bench/bench.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/controls/list_sort.h"

namespace {

constexpr int kColumns = 18;

double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

std::string ChineseName(std::mt19937& rng) {
    static const char* const kChars[] = {
        "张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴", "徐", "孙", "马", "朱",
        "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯",
        "邓", "曹", "明", "华", "国", "建", "伟", "芳", "秀", "英", "敏", "静", "丽", "强"};
    constexpr size_t n = sizeof kChars / sizeof kChars[0];
    std::string s = kChars[rng() % 30];
    for (unsigned i = 0, len = 1 + rng() % 2; i < len; ++i) s += kChars[rng() % n];
    return s;
}

// Texts to draw each column's cells from.
std::vector<std::vector<std::string>> MakePools(std::mt19937& rng) {
    std::vector<std::vector<std::string>> pools(kColumns);
    char buf[64];
    for (int c = 0; c < kColumns; ++c) {
        const int size = c < 5 ? 65536 : 256;
        for (int i = 0; i < size; ++i) {
            switch (c) {
                case 0:
                    pools[c].push_back("SO" + std::to_string(100000 + rng() % 900000));
                    break;
                case 1:
                    pools[c].push_back(std::to_string(rng() % 100000000));
                    break;
                case 2:
                    std::snprintf(buf, sizeof buf, "%.2f", (rng() % 10000000) / 100.0);
                    pools[c].push_back(buf);
                    break;
                case 3:
                    std::snprintf(buf, sizeof buf, "%04d_%02d_%02d", 2000 + int(rng() % 11),
                                  1 + int(rng() % 12), 1 + int(rng() % 28));
                    pools[c].push_back(buf);
                    break;
                case 4:
                    pools[c].push_back(ChineseName(rng));
                    break;
                default:
                    pools[c].push_back(c % 3 == 0 ? ChineseName(rng) + "产品"
                                                  : "T" + std::to_string(rng() % 5000));
            }
        }
    }
    return pools;
}

double BaselineSeconds(CCheckListCtrl& list, int column) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(list.GetRowCount()));
    for (int r = 0; r < list.GetRowCount(); ++r) texts.push_back(list.GetCellText(r, column));
    CellKeyBuilder builder;
    std::vector<std::pair<CellKey, int>> items;
    items.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) items.push_back({builder.Build(texts[i]), int(i)});
    Stopwatch watch;
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return CompareCellKeys(a.first, b.first) < 0; });
    return watch.Seconds();
}

void ListBench(BenchContext& ctx) {
    std::mt19937 rng(2007);
    const auto pools = MakePools(rng);
    std::vector<uint32_t> picks(static_cast<size_t>(ctx.rows) * kColumns);
    for (auto& p : picks) p = rng();

    const double heapBefore = HeapBytes();
    CCheckListCtrl list;
    list.Initialize(0, 0x30, 0);
    for (int c = 0; c < kColumns; ++c) list.AddColumn(c, "列" + std::to_string(c), 80);
    list.SetRedraw(1);

    double textBytes = 0;
    Stopwatch insert;
    for (int r = 0; r < ctx.rows; ++r) {
        const uint32_t* pick = &picks[static_cast<size_t>(r) * kColumns];
        const std::string& first = pools[0][pick[0] % pools[0].size()];
        const int row = list.InsertRow(list.GetRowCount(), first);
        textBytes += static_cast<double>(first.size());
        for (int c = 1; c < kColumns; ++c) {
            const std::string& text = pools[c][pick[c] % pools[c].size()];
            list.SetCellText(row, c, text);
            textBytes += static_cast<double>(text.size());
        }
        list.SetCheck(row, 0);
    }
    list.GetView();  // the view learns of every row
    ctx.Print("list.insert_s", insert.Seconds(), "s");
    ctx.Print("list.memory_ratio", (HeapBytes() - heapBefore) / textBytes, "x");
    ctx.Print("list.text_mib", textBytes / (1 << 20), "MiB");

    const struct {
        const char* name;
        int column;
    } sorts[] = {{"decimal", 1}, {"money", 2}, {"date", 3}, {"chinese", 4}};
    for (const auto& sort : sorts) {
        const std::string prefix = std::string("list.sort.") + sort.name;
        if (!ctx.Wants(prefix)) continue;
        const double baseline = BaselineSeconds(list, sort.column);
        Stopwatch watch;
        list.SortByColumn(sort.column, 1);
        const double seconds = watch.Seconds();
        ctx.Print(prefix + "_s", seconds, "s");
        ctx.Print(prefix + ".ratio", seconds / baseline, "x");
    }

    Stopwatch check;
    list.CheckAll();
    ctx.Print("list.checkall_s", check.Seconds(), "s");
    Stopwatch clear;
    list.DeleteAllRows();
    ctx.Print("list.clear_s", clear.Seconds(), "s");
}

}  // namespace

ORVI_BENCH_GROUP("list.", ListBench);
