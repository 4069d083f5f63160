#include "export/cell_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "records/pages/row_display.h"

namespace {

// 2007-03-01 14:05:09 in Shanghai (the tests' time zone).
constexpr long kStamp = 1172729109;

// The text every file shows, and for typed files the kind and the value behind it.
TEST(ExportCell, FollowsTypeCodeAndColumnName) {
    const char* const days[] = {"SaleDate", "BornDate", "ChanceDate", "ConsumeDate"};
    const char* const times[] = {"HistoryBeginDate", "HistoryEndDate",  "ActiveBeginDate",
                                 "ActiveEndDate",    "FeedBackEndDate", "FeedBackDate",
                                 "CallOutDateTime",  "CallInDateTime"};
    std::vector<std::tuple<const char*, int, FieldValue, std::string, CellKind, double>> cases = {
        {"SaleName", 3, {0, 0, "合同 <A>"}, "合同 <A>", CellKind::Text, 0},  // escaped by writers
        {"SaleName", 3, {0, 0, ""}, "", CellKind::Text, 0},
        {"ProductPrice", 1, {0, 12.5, "9"}, "12.50", CellKind::Money, 12.5},
        {"ProductPrice", 1, {0, 0.004, ""}, "0.00", CellKind::Money, 0.004},
        {"ChanceRate", 0, {3, 0, ""}, "85%", CellKind::Percent, 0.85},
        {"ChanceRate", 0, {20, 0, ""}, "0%", CellKind::Percent, 0},
        {"ChanceRate", 0, {0, 0, ""}, "100%", CellKind::Percent, 1},
        {"FeedBackEnd", 0, {1, 0, ""}, "是", CellKind::Text, 0},
        {"FeedBackEnd", 0, {0, 0, ""}, "否", CellKind::Text, 0},
        {"Seed", 0, {2, 0, ""}, "是", CellKind::Text, 0},
        {"Seed", 0, {0, 0, ""}, "否", CellKind::Text, 0},
        {"ActiveAwoke", 0, {7, 0, ""}, "7", CellKind::Integer, 7},
        {"DisCount", 2, {85, 0, ""}, "85%", CellKind::Percent, 0.85},
        {"ConsumeTime", 2, {kStamp, 0, ""}, "14：05：09", CellKind::TimeOfDay, kStamp},
        {"HistoryUseDate", 2, {1590, 0, ""}, "1天2小时30分", CellKind::Minutes, 1590},
        {"ActiveUseDate", 2, {1500, 0, ""}, "1天1小时0分", CellKind::Minutes, 1500},
        {"ActiveUseDate", 2, {59, 0, ""}, "0天0小时59分", CellKind::Minutes, 59},
        {"SaleNumber", 2, {-3, 0, ""}, "-3", CellKind::Integer, -3},
        {"ObjectDateTime", 2, {kStamp, 0, ""}, "1172729109", CellKind::Integer, kStamp},
        {"CallInDateTime", 2, {-5, 0, ""}, "1970_01_01 08：00：00", CellKind::DateTime, 0},
        // Names are matched exactly and only with their type code.
        {"saledate", 2, {kStamp, 0, ""}, "1172729109", CellKind::Integer, kStamp},
        {"SaleDate", 0, {5, 0, ""}, "5", CellKind::Integer, 5},
        {"DisCount", 0, {85, 0, ""}, "85", CellKind::Integer, 85},
    };
    for (const char* day : days)
        cases.push_back({day, 2, {kStamp, 0, ""}, "2007_03_01", CellKind::Day, kStamp});
    for (const char* time : times)
        cases.push_back(
            {time, 2, {kStamp, 0, ""}, "2007_03_01 14：05：09", CellKind::DateTime, kStamp});
    for (const auto& [field, type, value, text, kind, number] : cases) {
        TableCell cell;
        ExportCell(ExportCellForm(field, type), type, value, cell);
        EXPECT_EQ(cell.text, text) << field << " type " << type;
        EXPECT_EQ(cell.kind, kind) << field << " type " << type;
        EXPECT_DOUBLE_EQ(cell.value, number) << field << " type " << type;
    }
}

}  // namespace
