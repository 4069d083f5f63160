#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <memory>
#include <random>
#include <vector>

#include "platform/message_layer.h"
#include "platform/messages.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/controls/list_sort.h"

namespace {

using Texts = std::vector<std::string>;

struct Msg {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Msg&) const = default;
};
using Msgs = std::vector<Msg>;

class ParentWindow : public QWidget, public MessageTarget {
public:
    Msgs got;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        got.push_back({msg, wParam, lParam});
        return 0;
    }
};

class CheckListTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = std::make_unique<ParentWindow>();
        list = new CCheckListCtrl(parent.get());
        ASSERT_EQ(list->Initialize(0, 0x30, 0), 1);
        EXPECT_EQ(list->AddColumn(0, "名称", 120), 0);
        EXPECT_EQ(list->AddColumn(1, "数量", 80), 1);
        list->SetRedraw(1);
        parent->resize(400, 300);
        list->resize(400, 300);
        parent->show();
    }
    void AddRows(const std::vector<std::pair<std::string, std::string>>& rows) {
        for (const auto& [name, count] : rows) {
            const int row = list->InsertRow(list->GetRowCount(), name);
            list->SetCellText(row, 1, count);
            list->SetRowData(row, static_cast<uint32_t>(row));
        }
    }
    Texts Column(int column) {
        Texts out;
        for (int r = 0; r < list->GetRowCount(); ++r) out.push_back(list->GetCellText(r, column));
        return out;
    }
    // One digit a row: "0100".
    std::string PerRow(int (CSortListCtrl::*get)(int) const) {
        std::string out;
        for (int r = 0; r < list->GetRowCount(); ++r)
            out += static_cast<char>('0' + (list->*get)(r));
        return out;
    }
    std::string Ticks() { return PerRow(&CSortListCtrl::GetCheck); }
    std::string Selected() { return PerRow(&CSortListCtrl::IsRowSelected); }
    QVariant Cell(int row, int column, int role = Qt::DisplayRole) {
        return list->GetView()->model()->index(row, column).data(role);
    }
    void ClickHeader(int column) {
        QHeaderView* header = list->GetView()->horizontalHeader();
        QCoreApplication::processEvents();  // lets the view lay out its header
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(list->GetView()->viewport(), button, {}, at);
    }
    QRect CellRect(int row, int column) {
        return list->GetView()->visualRect(list->GetView()->model()->index(row, column));
    }
    std::unique_ptr<ParentWindow> parent;
    CCheckListCtrl* list = nullptr;
};

TEST_F(CheckListTest, CellsColumnsAndRows) {
    AddRows({{"a", "1"}, {"b", ""}});
    EXPECT_EQ(list->SetCellText(5, 0, "x"), 0);
    EXPECT_EQ(list->SetCellText(0, 2, "x"), 0);
    // A column inserted in the middle shifts the cells after it.
    EXPECT_EQ(list->AddColumn(1, "中", 50), 1);
    EXPECT_EQ(Column(1), (Texts{"", ""}));
    list->SetCellText(1, 2, "7");
    EXPECT_EQ(Column(2), (Texts{"1", "7"}));
    // A row inserted in front moves the others down, record and all.
    EXPECT_EQ(list->InsertRow(0, "z"), 0);
    EXPECT_EQ(Column(0), (Texts{"z", "a", "b"}));
    EXPECT_EQ(list->GetRowData(2), 1u);
    EXPECT_EQ(Cell(2, 2).toString(), "7");
    EXPECT_EQ(list->InsertRow(-1, "bad"), -1);
}

TEST_F(CheckListTest, TicksAndDeletion) {
    AddRows({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    EXPECT_EQ(list->SetCheck(1, 1), 1);
    EXPECT_EQ(list->SetCheck(9, 1), 0);
    EXPECT_EQ(Ticks(), "010");
    list->CheckAll();
    EXPECT_EQ(Ticks(), "111");
    list->UncheckAll();
    EXPECT_EQ(Ticks(), "000");
    list->SetCheck(2, 1);
    EXPECT_EQ(Cell(2, 0, Qt::CheckStateRole).toInt(), Qt::Checked);
    // A tick set through the model is the list's tick; other columns take none.
    QAbstractItemModel* model = list->GetView()->model();
    EXPECT_TRUE(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model->setData(model->index(0, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(Ticks(), "101");
    EXPECT_TRUE(model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(Ticks(), "001");

    list->SelectRow(0);
    EXPECT_EQ(list->DeleteRow(0, 1), 1);  // the next row is selected first
    EXPECT_EQ(Column(0), (Texts{"b", "c"}));
    EXPECT_EQ(list->GetFirstSelectedRow(), 0);
    EXPECT_EQ(Ticks(), "01");
    EXPECT_EQ(list->DeleteRow(5, 0), 0);
    EXPECT_EQ(list->DeleteAllRows(), 2);
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetFirstSelectedRow(), -1);
}

TEST_F(CheckListTest, SortMovesTicksSelectionFocusAndRecords) {
    AddRows({{"c", "100"}, {"a", "9"}, {"b", "10"}, {"d", "1A"}});
    list->SetCheck(0, 1);                                       // "100"
    list->SetCellColors(1, 1, RGB(255, 0, 0), RGB(0, 0, 255));  // "9"
    list->SelectRow(2);                                         // "10"
    list->SortByColumn(1, 1);
    // Base 16: 9, 0x10, 0x1A, 0x100.
    EXPECT_EQ(Column(1), (Texts{"9", "10", "1A", "100"}));
    EXPECT_EQ(Column(0), (Texts{"a", "b", "d", "c"}));
    EXPECT_EQ(Ticks(), "0001");
    EXPECT_EQ(list->GetRowData(0), 1u);
    EXPECT_EQ(list->GetRowData(3), 0u);
    EXPECT_EQ(Selected(), "0100");
    EXPECT_EQ(list->GetFocusedRow(), 1);
    EXPECT_EQ(Cell(0, 1, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(Cell(1, 1, Qt::ForegroundRole).isValid());
    EXPECT_EQ(parent->got, (Msgs{{WM_CHECKLIST_SORTED, 1, 1}}));
    EXPECT_EQ(list->CompareCells(0, 1), -1);
}

TEST_F(CheckListTest, EveryKindOfColumnSortsLikePairwiseComparison) {
    // Columns where every cell shares a numeric form and mixed ones; heavy duplicates so the
    // order of equal cells counts.
    std::vector<std::pair<int, Texts>> pools = {
        // rows, cells to pick from
        {300, {"7", "10", "1A", "ff", "-1", "13800138000", "0x20"}},
        {300, {"12.5", "3", "50%", "-0.5", "7", "10"}},
        // amounts whose hundredths and row numbers no longer share one word
        {9000, {"-9999999999999.99", "9999999999999.99", "12.25", "-3.75", "0.5"}},
        {300, {"0.125", "3", "-1e300", "nan", "7.5", "0.30000000000000004", "0.3"}},
        // "1e5" and "500" are hex too, and as hex 1e5 comes first
        {300, {"12.5", "3", "50%", "-0.5", "7", "1e5", "500"}},
        {300, {"2007_05_03", "2007-5-3 10:00", "9:05", "2006/12/31", "23:59:59"}}};
    // Every form at once, sorted by the full keys, in a long and a short list.
    Texts mixed = {"",     " ",    "a",     "abc",        "x y",        "0x",
                   "1 ",   "+5",   "-0x10", "inf",        "张三",       "李四",
                   "王五", "\xFF", "1.5%",  "10:60",      "12%",        "1900-02-29",
                   "1F",   "9:30", "23:59", "2000-02-29", "2007-05-03", "2007-05-03 10:20"};
    for (const auto& [rows, cells] : pools) mixed.insert(mixed.end(), cells.begin(), cells.end());
    pools.push_back({300, mixed});
    pools.push_back({25, mixed});
    std::mt19937 rng(3);
    for (const auto& [rows, pool] : pools) {
        list->DeleteAllRows();
        Texts cellOf;  // by row name
        for (int i = 0; i < rows; ++i) {
            list->InsertRow(i, std::to_string(i));
            list->SetCellText(i, 1, cellOf.emplace_back(pool[rng() % pool.size()]));
        }
        for (int asc : {1, 0}) {
            Texts expected = Column(0);
            ListQuickSort(expected.data(), 0, rows - 1, asc != 0, [&](auto& a, auto& b) {
                return CompareCellTexts(cellOf[std::stoi(a)], cellOf[std::stoi(b)]);
            });
            list->SortByColumn(1, asc);
            ASSERT_EQ(Column(0), expected) << pool[0] << " asc " << asc;
        }
    }
}

TEST_F(CheckListTest, HeaderClicksToggleDirectionUntilTheDataChangesAndBadSortsAreIgnored) {
    ClickHeader(1);  // an empty list reports its sort too
    AddRows({{"only", "1"}});
    ClickHeader(1);  // remembered sort was forgotten by the insert: ascending again
    EXPECT_EQ(parent->got, (Msgs{{WM_CHECKLIST_SORTED, 1, 1}, {WM_CHECKLIST_SORTED, 1, 1}}));
    parent->got.clear();
    list->SortByColumn(2, 1);
    list->SortByColumn(-1, 1);
    list->SetHeaderClickable(false);
    list->SortByColumn(0, 1);
    list->SetHeaderClickable(true);
    list->SetHeaderVisible(false);
    list->SortByColumn(0, 1);
    EXPECT_TRUE(parent->got.empty());
    EXPECT_EQ(list->GetSortColumn(), 1);  // ignored calls keep the remembered sort

    list->SetHeaderVisible(true);
    list->DeleteAllRows();
    AddRows({{"2", "x"}, {"1", "y"}, {"3", "z"}});
    ClickHeader(0);
    EXPECT_EQ(Column(0), (Texts{"1", "2", "3"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), (Texts{"3", "2", "1"}));
    list->SetCellText(0, 1, "changed");  // forgets the sort: the next click ascends
    ClickHeader(0);
    EXPECT_EQ(Column(0), (Texts{"1", "2", "3"}));
    ClickHeader(1);
    EXPECT_EQ(list->GetSortColumn(), 1);
    EXPECT_EQ(parent->got, (Msgs{{WM_CHECKLIST_SORTED, 0, 1},
                                 {WM_CHECKLIST_SORTED, 0, 0},
                                 {WM_CHECKLIST_SORTED, 0, 1},
                                 {WM_CHECKLIST_SORTED, 1, 1}}));
}

TEST_F(CheckListTest, ClickOnTickBoxTogglesSelectsOnlyThatRowAndReports) {
    AddRows({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    QTableView* view = list->GetView();
    // Find the tick box: near the left edge of the first cell, vertically centred.
    const QRect rect = CellRect(1, 0);
    QPoint box;
    for (int x = rect.left(); x < rect.left() + 30 && box.isNull(); ++x) {
        Click({x, rect.center().y()});
        if (list->GetCheck(1)) box = {x, rect.center().y()};
    }
    ASSERT_FALSE(box.isNull()) << "no tick box found";
    list->SetCheck(1, 0);
    list->SelectRow(0);
    view->selectionModel()->select(view->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const Msgs ticked{{WM_CHECKLIST_CHECKCHANGED, 1, WM_LBUTTONDOWN}};
    parent->got.clear();
    Click(box);
    EXPECT_EQ(Ticks(), "010");
    EXPECT_EQ(Selected(), "010");
    EXPECT_EQ(list->GetFocusedRow(), 1);
    EXPECT_EQ(parent->got, ticked);
    parent->got.clear();
    Click(box);
    EXPECT_EQ(Ticks(), "000");
    EXPECT_EQ(parent->got, ticked);

    // A click on the text selects as usual and changes no tick.
    parent->got.clear();
    Click(CellRect(2, 1).center());
    EXPECT_EQ(Ticks(), "000");
    EXPECT_EQ(Selected(), "001");
    EXPECT_TRUE(parent->got.empty());

    // A row appended just now (no event-loop turn since) takes a click too.
    AddRows({{"d", "4"}});
    Click(box + QPoint(0, 2 * view->rowHeight(0)));
    EXPECT_EQ(Ticks(), "0001");
    EXPECT_EQ(parent->got, (Msgs{{WM_CHECKLIST_CHECKCHANGED, 3, WM_LBUTTONDOWN}}));
}

TEST_F(CheckListTest, SpaceNeverTicksAndRightButtonIsForwarded) {
    AddRows({{"a", "1"}, {"b", "2"}});
    list->SelectRow(1);
    list->GetView()->setFocus();
    QTest::keyClick(list->GetView(), Qt::Key_Space);
    QTest::keyClick(list->GetView(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Ticks(), "00");
    EXPECT_EQ(Selected(), "01");
    Click(CellRect(0, 1).center(), Qt::RightButton);
    EXPECT_EQ(Selected(), "01");  // the press changed no selection
    EXPECT_EQ(parent->got, (Msgs{{WM_RBUTTONUP, 0, 0}}));

    // An explicit message parent takes precedence over the parent widget.
    ParentWindow other;
    list->SetMessageParent(other.GetSafeHwnd());
    list->SortByColumn(0, 0);
    EXPECT_EQ(other.got, (Msgs{{WM_CHECKLIST_SORTED, 0, 0}}));
}

}  // namespace
