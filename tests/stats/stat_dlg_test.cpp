// The statistics window driven as a user would: pick the range and unit, press 开始统计,
// read the result list and the chart.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <ctime>

#include "platform/message_layer.h"
#include "stats/stat_chart_dlg.h"
#include "stats/stat_dlg.h"
#include "stats/stat_page.h"
#include "stats/stat_table_dlg.h"
#include "support/local_time.h"
#include "support/message_capture.h"
#include "support/patience.h"
#include "support/probes.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

using Texts = std::vector<std::string>;
using Table = std::vector<Texts>;

constexpr int kPatienceMs = static_cast<int>(kPatience.count());

// A sale of number pieces for money (twice that in all, payments 1 to 4); product is SQL text.
std::string Sale(long date, int number, double money, const std::string& product = "甲") {
    return "INSERT INTO SaleTable (SaleDate, SaleNumber, SaleMoney, TotalMoney, PayMent, "
           "UnPayMent, MakeInvoice, UnMakeInvoice, ProductName, ProductType) VALUES (" +
           std::to_string(date) + "," + std::to_string(number) + "," + std::to_string(money) + "," +
           std::to_string(money * 2) + ",1,2,3,4,'" + product + "','T1');";
}

// The sales of the boundary cases: 2007-03-31 / 2007-04-01, two sales of 2007-05-08 with
// quantities 2 and 3, January 2008.
std::string BoundarySales() {
    return Sale(LocalTime(2007, 3, 31, 23, 0), 1, 10) + Sale(LocalTime(2007, 4, 1, 1, 0), 1, 20) +
           Sale(LocalTime(2007, 5, 8, 9), 2, 1.5) + Sale(LocalTime(2007, 5, 8, 17), 3, 2.25) +
           Sale(LocalTime(2008, 1, 15), 4, 5);
}

int CountPixels(QWidget* widget, const QColor& color) {
    const QImage image = widget->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // The off-screen surface may keep fewer bits per channel.
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - color.red()) < 8 && std::abs(c.green() - color.green()) < 8 &&
                 std::abs(c.blue() - color.blue()) < 8;
        }
    return n;
}

class StatWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(HasFailure()) << "no database of the test's own";
        m_dlg->SetRunByEntry(1);
    }
    // Stores the records of sql and opens the window.
    void Open(const std::string& sql = "") {
        if (!sql.empty()) TestSql(m_dbPath).Exec(sql);
        ASSERT_EQ(m_dlg->OnInitDialog(), 1);
        m_dlg->show();
    }
    // Shows the page and, unless start is 0, sets its range.
    CStatPage* Page(int index, long start = 0, long end = 0) {
        m_dlg->Tabs()->SetCurSel(index);
        if (start) SetRange(m_dlg->Page(index), start, end);
        return m_dlg->Page(index);
    }
    static void SetRange(CStatPage* page, long start, long end) {
        Control<QDateTimeEdit>(page, IDC_STAT_START_DATE)
            ->setDateTime(QDateTime::fromSecsSinceEpoch(start));
        Control<QDateTimeEdit>(page, IDC_STAT_END_DATE)
            ->setDateTime(QDateTime::fromSecsSinceEpoch(end));
    }
    // Presses 开始统计 with the unit and, unless told not to, waits for the run to end.
    static void Run(CStatPage* page, int unit, bool wait = true) {
        Control<QComboBox>(page, IDC_STAT_UNIT)->setCurrentIndex(unit);
        QTest::mouseClick(Control<QPushButton>(page, IDC_STAT_RUN), Qt::LeftButton);
        if (wait) WaitIdle(page);
    }
    static void WaitIdle(CStatPage* page) {
        QTRY_VERIFY_WITH_TIMEOUT(!page->Table()->IsRunning(), kPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(Control<QPushButton>(page, IDC_STAT_RUN)->isEnabled(),
                                 kPatienceMs);
    }
    // Waits for the content list's reader, not for a count a wrong list would never reach.
    static void WaitContent(CStatPage* page) {
        QTRY_VERIFY_WITH_TIMEOUT(!page->IsFillingContent(), kPatienceMs);
        DispatchPendingMessages();
    }
    static Table Rows(CStatPage* page) {
        CCheckListCtrl* list = page->Table()->List();
        Table rows(list->GetRowCount());
        for (int r = 0; r < list->GetRowCount(); ++r)
            for (int c = 0; c < list->GetColumnCount(); ++c)
                rows[r].push_back(list->GetCellText(r, c));
        return rows;
    }
    static Texts Column(CStatPage* page, int column) {
        Texts cells;
        for (const auto& row : Rows(page)) cells.push_back(row[column]);
        return cells;
    }

    TempModuleFolder m_folder;
    MessageCapture m_capture;  // a box left unanswered would wait for ever
    std::string m_dbPath = m_folder.CreateDatabase();
    std::unique_ptr<CStatDlg> m_dlg = std::make_unique<CStatDlg>();
};

// The controls and defaults of each page. Curves in their colours, hidden and shown again by
// their tick boxes, legend lines staying; rows and series by day and quarter; Escape and Space
// never close the window, Enter in a control of the page starts a run; empty ranges; records
// dated 0; typed products and conditions; the runs of chances and expenses.
TEST_F(StatWindowTest, EveryPageByEveryUnitInTheListAndTheChart) {
    const long before = static_cast<long>(std::time(nullptr));
    Open(BoundarySales() + Sale(LocalTime(2009, 3, 1), 2, 1, "Pencil") +
         Sale(LocalTime(2009, 3, 2), 5, 1, "O''Neil") +
         "INSERT INTO ChanceTable (ChanceDate, ChanceNumber, ChanceMoney, SaleMoney) VALUES (" +
         std::to_string(LocalTime(2007, 2, 1)) + ", 3, 10, 20), (" +
         std::to_string(LocalTime(2007, 2, 9)) + ", 1, 0.5, 1);" +
         "INSERT INTO ConsumeTable (ConsumeDate, ConsumeMoney) VALUES (" +
         std::to_string(LocalTime(2007, 6, 30, 23)) + ", 8), (" +
         std::to_string(LocalTime(2007, 7, 1, 1)) + ", 2);");
    const long after = static_cast<long>(std::time(nullptr));
    CStatPage* page = Page(0);
    EXPECT_FALSE(Control<QPushButton>(page, IDC_STAT_STOP)->isEnabled());
    // The last 24 hours.
    const auto edit = [&](int id) {
        return Control<QDateTimeEdit>(page, id)->dateTime().toSecsSinceEpoch();
    };
    const long end = edit(IDC_STAT_END_DATE);
    EXPECT_TRUE(before <= end && end <= after) << end;
    EXPECT_EQ(edit(IDC_STAT_START_DATE), end - 86400);
    EXPECT_EQ(Control<QComboBox>(Page(2), IDC_STAT_CONDITION), nullptr);
    // Chance: three tick boxes; Consume: none.
    EXPECT_TRUE(Page(1)->Chart()->TickBox(3)->isVisibleTo(Page(1)->Chart()));
    EXPECT_FALSE(Page(1)->Chart()->TickBox(4)->isVisibleTo(Page(1)->Chart()));
    EXPECT_FALSE(Page(2)->Chart()->TickBox(1)->isVisibleTo(Page(2)->Chart()));

    Page(0, LocalTime(2007, 1, 1, 0), LocalTime(2008, 12, 31, 23));
    CStatChartDlg* chart = page->Chart();
    page->Sheets()->SetCurSel(1);
    const int legendOnly = CountPixels(chart, Qt::green);
    EXPECT_GE(legendOnly, 10);
    Run(page, 1);
    const int drawn = CountPixels(chart, Qt::green);
    EXPECT_GT(drawn, legendOnly + 100);
    EXPECT_GT(CountPixels(chart, Qt::red), 100);
    QTest::mouseClick(chart->TickBox(2), Qt::LeftButton);
    EXPECT_FALSE(chart->TickBox(2)->isChecked());
    EXPECT_EQ(CountPixels(chart, Qt::green), legendOnly);
    QTest::mouseClick(chart->TickBox(2), Qt::LeftButton);
    EXPECT_EQ(CountPixels(chart, Qt::green), drawn);

    Run(page, 0);
    EXPECT_EQ(Column(page, 0),
              (Texts{"", "2007年03月31日", "2007年04月01日", "2007年05月08日", "2008年01月15日"}));
    EXPECT_EQ(Rows(page)[0], (Texts{"", "合计:11", "合计:38.75", "合计:77.50", "合计:5.00",
                                    "合计:10.00", "合计:15.00", "合计:20.00"}));

    Run(page, 2);
    EXPECT_EQ(Column(page, 0), (Texts{"", "2007年1季度", "2007年2季度", "2008年1季度"}));
    EXPECT_EQ(Column(page, 1), (Texts{"合计:11", "1", "6", "4"}));

    // The chart got all seven series of the last run, the counts 1, 6 and 4 at their heights.
    EXPECT_EQ(chart->GetPointCount(), 3);
    for (int k = 1; k <= 7; ++k) ASSERT_TRUE(chart->HasSeries(k)) << k;
    const auto& counts = chart->GetPoints(1);
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(chart->OriginY() - counts[2].y, 153);  // 4 / (6 / 230)

    auto* unit = Control<QComboBox>(page, IDC_STAT_UNIT);
    unit->setCurrentIndex(3);
    unit->setFocus();
    QTest::keyClick(unit, Qt::Key_Escape);
    QTest::keyClick(unit, Qt::Key_Space);
    EXPECT_TRUE(m_dlg->isVisible());
    QTest::keyClick(unit, Qt::Key_Return);
    WaitIdle(page);
    EXPECT_EQ(Column(page, 0), (Texts{"", "2007年", "2008年"}));
    EXPECT_TRUE(m_dlg->isVisible());

    // An end before the start and a range without records: only the 合计 row, 0 periods.
    SetRange(page, LocalTime(2008, 12, 31), LocalTime(2007, 1, 1));
    Run(page, 1);
    EXPECT_EQ(Rows(page), (Table{{"", "合计:0", "合计:0.00", "合计:0.00", "合计:0.00", "合计:0.00",
                                  "合计:0.00", "合计:0.00"}}));
    EXPECT_EQ(chart->GetPointCount(), 0);
    SetRange(page, LocalTime(2010, 1, 1), LocalTime(2010, 12, 31));
    Run(page, 0);
    EXPECT_EQ(Rows(page).size(), 1u);
    EXPECT_EQ(chart->GetPointCount(), 0);

    // Records dated 0 (and negative dates, which read as 0) are a period of their own.
    TestSql(m_dbPath).Exec(Sale(0, 1, 1) + Sale(-50, 2, 1) + Sale(LocalTime(2007, 1, 5), 4, 1));
    SetRange(page, LocalTime(1970, 1, 1, 0), LocalTime(2007, 1, 31));
    Run(page, 1);
    EXPECT_EQ(Column(page, 0), (Texts{"", "1970年01月", "2007年01月"}));
    EXPECT_EQ(Column(page, 1), (Texts{"合计:7", "3", "4"}));

    // A typed product is matched as typed, never completed to a listed one it begins; an
    // apostrophe in it stays part of the text.
    SetRange(page, LocalTime(2009, 1, 1), LocalTime(2009, 12, 31));
    QComboBox* content = page->ContentCombo();
    WaitContent(page);
    ASSERT_EQ(content->count(), 3);  // 甲 too
    const std::pair<const char*, const char*> cases[] = {
        {"Pen", "合计:0"}, {"Pencil", "合计:2"}, {"O'Neil", "合计:5"}};
    for (const auto& [typed, total] : cases) {
        content->lineEdit()->setFocus();
        content->lineEdit()->clear();
        QTest::keyClicks(content->lineEdit(), typed);
        EXPECT_EQ(content->currentText().toStdString(), typed);
        Run(page, 3);
        EXPECT_EQ(Column(page, 1)[0], total) << typed;
    }
    EXPECT_EQ(m_capture.Count(), 0u);

    // Another condition clears the text and lists its contents: the one model T1, then none.
    Control<QComboBox>(page, IDC_STAT_CONDITION)->setCurrentIndex(1);
    EXPECT_EQ(content->currentText(), "");
    WaitContent(page);
    ASSERT_EQ(content->count(), 1);
    EXPECT_EQ(content->itemText(0), "T1");
    EXPECT_EQ(content->currentText(), "");
    Control<QComboBox>(page, IDC_STAT_CONDITION)->setCurrentIndex(2);
    WaitContent(page);
    EXPECT_EQ(content->count(), 0);

    CStatPage* chance = Page(1, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(chance, 1);
    EXPECT_EQ(Rows(chance), (Table{{"", "合计:4", "合计:10.50", "合计:21.00"},
                                   {"2007年02月", "4", "10.50", "21.00"}}));
    EXPECT_TRUE(chance->Chart()->HasSeries(3));
    EXPECT_FALSE(chance->Chart()->HasSeries(4));

    CStatPage* consume = Page(2, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(consume, 2);
    EXPECT_EQ(Rows(consume),
              (Table{{"", "合计:10.00"}, {"2007年2季度", "8.00"}, {"2007年3季度", "2.00"}}));
    EXPECT_TRUE(consume->Chart()->HasSeries(1));
    EXPECT_FALSE(consume->Chart()->HasSeries(2));
    EXPECT_EQ(consume->Chart()->GetPointCount(), 2);
    QTest::mouseClick(Control<QPushButton>(m_dlg.get(), 1), Qt::LeftButton);
    EXPECT_FALSE(m_dlg->isVisible());
}

// A text in an amount column (a file allows it) counts as 0: the run reads every record,
// with one message however many such values it meets.
TEST_F(StatWindowTest, UnreadableAmountsCountAsZeroAndEveryRecordIsRead) {
    if (TestOnPostgres()) GTEST_SKIP() << "a server keeps amount columns numeric";
    std::string sql;
    for (const auto& [day, amount] : {std::pair{1, "100"}, {2, "''"}, {4, "''"}, {8, "800"}})
        sql += "INSERT INTO SaleTable (SaleDate, SaleMoney, SaleNumber) VALUES (" +
               std::to_string(LocalTime(2007, 3, day)) + ", " + amount + ", " +
               std::to_string(day) + ");";
    Open(sql);
    CStatPage* page = Page(0, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(page, 3);
    EXPECT_EQ(Column(page, 0), (Texts{"", "2007年"}));
    EXPECT_EQ(Column(page, 1), (Texts{"合计:15", "15"}));
    EXPECT_EQ(Column(page, 2), (Texts{"合计:900.00", "900.00"}));
    EXPECT_EQ(m_capture.Count(), 1u);
}

// 停    止 keeps the rows so far without a 合计 row, the chart of the last run and enables
// 开始统计 again; a second 开始统计 during a run replaces it; closing during a run ends the
// worker first. The sales, one per hour, make a run last well beyond a click.
TEST_F(StatWindowTest, StopRestartAndCloseDuringARun) {
    Open(
        "BEGIN;WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i < 299999) "
        "INSERT INTO SaleTable (SaleDate, SaleNumber, SaleMoney) SELECT " +
        std::to_string(LocalTime(2000, 1, 1)) + " + i * 3600, 1, 1 FROM n;COMMIT;");
    CStatPage* page = Page(0, LocalTime(2000, 1, 1, 0), LocalTime(2040, 1, 1));
    Run(page, 3);
    Texts years{""};  // 300,000 hours from 2000 reach into 2034
    for (int year = 2000; year <= 2034; ++year) years.push_back(std::to_string(year) + "年");
    ASSERT_EQ(Column(page, 0), years);

    Run(page, 0, false);
    EXPECT_TRUE(Control<QPushButton>(page, IDC_STAT_STOP)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(page, IDC_STAT_RUN)->isEnabled());
    QTest::mouseClick(Control<QPushButton>(page, IDC_STAT_STOP), Qt::LeftButton);
    EXPECT_FALSE(page->Table()->IsRunning());
    EXPECT_TRUE(Control<QPushButton>(page, IDC_STAT_RUN)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(page, IDC_STAT_STOP)->isEnabled());
    QTest::qWait(50);
    const auto rows = Rows(page);
    EXPECT_LT(rows.size(), 12500u);
    for (const auto& row : rows) EXPECT_NE(row[0], "") << "a 合计 row after a stop";
    EXPECT_EQ(page->Chart()->GetPointCount(), 35);

    page->StartStat();  // by day
    Control<QComboBox>(page, IDC_STAT_UNIT)->setCurrentIndex(3);
    page->StartStat();
    WaitIdle(page);
    EXPECT_EQ(Column(page, 0), years);
    EXPECT_EQ(Column(page, 1)[0], "合计:300000");
    EXPECT_EQ(page->Chart()->GetPointCount(), 35);

    page->StartStat();
    m_dlg.reset();
}

TEST(StatWindow, MissingDatabaseEndsTheWindow) {
    TempModuleFolder folder;
    MessageCapture capture;
    CStatDlg dlg;
    dlg.SetRunByEntry(1);
    QTimer::singleShot(0, &dlg, [&] { dlg.reject(); });  // a window that did open
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_GE(capture.Count(), 1u);
    EXPECT_EQ(capture.Messages().front().caption, "连接失败");
}

}  // namespace
