#include "export/cell_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "records/pages/row_display.h"

namespace {

// 2007-03-01 14:05:09 in Shanghai (the tests' time zone).
constexpr long kStamp = 1172729109;

TEST(ExportCellText, FollowsTypeCodeAndColumnName) {
    const char* const days[] = {"SaleDate", "BornDate", "ChanceDate", "ConsumeDate"};
    const char* const times[] = {"HistoryBeginDate", "HistoryEndDate",  "ActiveBeginDate",
                                 "ActiveEndDate",    "FeedBackEndDate", "FeedBackDate",
                                 "CallOutDateTime",  "CallInDateTime"};
    std::vector<std::tuple<const char*, int, FieldValue, std::string>> cases = {
        {"SaleName", 3, {0, 0, "合同 <A>"}, "合同 <A>"},  // escaping is the writer's
        {"SaleName", 3, {0, 0, ""}, ""},
        {"ProductPrice", 1, {0, 12.5, "9"}, "12.50"},
        {"ProductPrice", 1, {0, 0.004, ""}, "0.00"},
        {"ChanceRate", 0, {3, 0, ""}, "85%"},
        {"ChanceRate", 0, {20, 0, ""}, "0%"},
        {"ChanceRate", 0, {0, 0, ""}, "100%"},
        {"FeedBackEnd", 0, {1, 0, ""}, "是"},
        {"FeedBackEnd", 0, {0, 0, ""}, "否"},
        {"Seed", 0, {2, 0, ""}, "是"},
        {"Seed", 0, {0, 0, ""}, "否"},
        {"ActiveAwoke", 0, {7, 0, ""}, "7"},
        {"DisCount", 2, {85, 0, ""}, "85%"},
        {"ConsumeTime", 2, {kStamp, 0, ""}, "14：05：09"},
        {"HistoryUseDate", 2, {1590, 0, ""}, "1天2小时30分"},
        {"ActiveUseDate", 2, {1500, 0, ""}, "1天1小时0分"},
        {"ActiveUseDate", 2, {59, 0, ""}, "0天0小时59分"},
        {"SaleNumber", 2, {123, 0, ""}, "123"},
        {"ObjectDateTime", 2, {kStamp, 0, ""}, "1172729109"},
        // Names are matched exactly and only with their type code.
        {"saledate", 2, {kStamp, 0, ""}, "1172729109"},
        {"SaleDate", 0, {5, 0, ""}, "5"},
        {"DisCount", 0, {85, 0, ""}, "85"},
    };
    for (const char* day : days) cases.push_back({day, 2, {kStamp, 0, ""}, "2007_03_01"});
    for (const char* time : times)
        cases.push_back({time, 2, {kStamp, 0, ""}, "2007_03_01 14：05：09"});
    for (const auto& [field, type, value, expected] : cases)
        EXPECT_EQ(ExportCellText(ExportCellForm(field, type), type, value), expected)
            << field << " type " << type;
}

TEST(ExportCell, GivesTypedFilesTheValueBehindTheText) {
    const struct {
        const char* field;
        int type;
        long number;
        double real;
        CellKind kind;
        double value;
    } cases[] = {
        {"SaleName", 3, 0, 0, CellKind::Text, 0},
        {"Seed", 0, 2, 0, CellKind::Text, 0},  // 是
        {"ProductPrice", 1, 0, 12.5, CellKind::Money, 12.5},
        {"SaleNumber", 2, -3, 0, CellKind::Integer, -3},
        {"ActiveAwoke", 0, 7, 0, CellKind::Integer, 7},
        {"ChanceRate", 0, 3, 0, CellKind::Percent, 0.85},
        {"DisCount", 2, 85, 0, CellKind::Percent, 0.85},
        {"ActiveUseDate", 2, 1590, 0, CellKind::Minutes, 1590},
        {"SaleDate", 2, kStamp, 0, CellKind::Day, kStamp},
        {"ConsumeTime", 2, kStamp, 0, CellKind::TimeOfDay, kStamp},
        {"CallInDateTime", 2, kStamp, 0, CellKind::DateTime, kStamp},
        {"CallInDateTime", 2, -5, 0, CellKind::DateTime, 0},  // shown as the epoch
    };
    for (const auto& c : cases) {
        const FieldValue value{c.number, c.real, "t"};
        const CellForm form = ExportCellForm(c.field, c.type);
        TableCell cell;
        ExportCell(form, c.type, value, cell);
        EXPECT_EQ(cell.text, ExportCellText(form, c.type, value)) << c.field;
        EXPECT_EQ(cell.kind, c.kind) << c.field;
        EXPECT_DOUBLE_EQ(cell.value, c.value) << c.field;
    }
}

}  // namespace
