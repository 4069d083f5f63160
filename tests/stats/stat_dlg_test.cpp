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
#include <ctime>

#include "platform/files.h"
#include "stats/stat_chart_dlg.h"
#include "stats/stat_dlg.h"
#include "stats/stat_page.h"
#include "stats/stat_table_dlg.h"
#include "support/local_time.h"
#include "support/message_capture.h"
#include "support/patience.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

constexpr int kPatienceMs = static_cast<int>(kPatience.count());

void Exec(const std::string& path, const std::string& sql) {
    TestSql(path).Exec(sql);
}

std::string Sale(long date, int number, double money, std::string product = "甲") {
    for (size_t at = product.find('\''); at != std::string::npos; at = product.find('\'', at + 2))
        product.insert(at, 1, '\'');
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

class StatWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dbPath = m_folder.CreateDatabase();
        m_dlg = std::make_unique<CStatDlg>();
        m_dlg->SetRunByEntry(1);
    }
    void Open() {
        ASSERT_EQ(m_dlg->OnInitDialog(), 1);
        m_dlg->show();
    }
    CStatPage* Page(int index) {
        m_dlg->Tabs()->SetCurSel(index);
        return m_dlg->Page(index);
    }
    template <class T>
    T* Control(CStatPage* page, int id) {
        return page->findChild<T*>(QStringLiteral("id%1").arg(id));
    }
    void SetRange(CStatPage* page, long start, long end) {
        Control<QDateTimeEdit>(page, IDC_STAT_START_DATE)
            ->setDateTime(QDateTime::fromSecsSinceEpoch(start));
        Control<QDateTimeEdit>(page, IDC_STAT_END_DATE)
            ->setDateTime(QDateTime::fromSecsSinceEpoch(end));
    }
    // Presses 开始统计 with the unit and waits for the run to end.
    void Run(CStatPage* page, int unit) {
        Control<QComboBox>(page, IDC_STAT_UNIT)->setCurrentIndex(unit);
        QTest::mouseClick(Control<QPushButton>(page, IDC_STAT_RUN), Qt::LeftButton);
        WaitIdle(page);
    }
    void WaitIdle(CStatPage* page) {
        QTRY_VERIFY_WITH_TIMEOUT(!page->Table()->IsRunning(), kPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(Control<QPushButton>(page, IDC_STAT_RUN)->isEnabled(),
                                 kPatienceMs);
    }
    static std::vector<std::vector<std::string>> Rows(CStatPage* page) {
        CCheckListCtrl* list = page->Table()->List();
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < list->GetRowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < list->GetColumnCount(); ++c) row.push_back(list->GetCellText(r, c));
            rows.push_back(row);
        }
        return rows;
    }
    static std::vector<std::string> Column(CStatPage* page, int column) {
        std::vector<std::string> cells;
        for (const auto& row : Rows(page)) cells.push_back(row[column]);
        return cells;
    }

    TempModuleFolder m_folder;
    std::string m_dbPath;
    std::unique_ptr<CStatDlg> m_dlg;
};

using Texts = std::vector<std::string>;

TEST_F(StatWindowTest, DefaultsAndControlsPerPage) {
    const long before = static_cast<long>(std::time(nullptr));
    Open();
    const long after = static_cast<long>(std::time(nullptr));
    CStatPage* sale = Page(0);
    EXPECT_FALSE(Control<QPushButton>(sale, IDC_STAT_STOP)->isEnabled());
    const long start =
        Control<QDateTimeEdit>(sale, IDC_STAT_START_DATE)->dateTime().toSecsSinceEpoch();
    const long end = Control<QDateTimeEdit>(sale, IDC_STAT_END_DATE)->dateTime().toSecsSinceEpoch();
    EXPECT_LE(before, end);
    EXPECT_LE(end, after);
    // The default run asks for the last 24 hours.
    EXPECT_EQ(sale->CurrentQuery(),
              "SELECT * FROM SaleTable WHERE SaleDate >=" + std::to_string(end - 86400) +
                  " AND SaleDate <= " + std::to_string(end) + " ORDER BY SaleDate ");
    EXPECT_EQ(start, end - 86400);

    EXPECT_EQ(Control<QComboBox>(Page(2), IDC_STAT_CONDITION), nullptr);
    // Chance: three tick boxes; Consume: none.
    EXPECT_TRUE(Page(1)->Chart()->TickBox(3)->isVisibleTo(Page(1)->Chart()));
    EXPECT_FALSE(Page(1)->Chart()->TickBox(4)->isVisibleTo(Page(1)->Chart()));
    EXPECT_FALSE(Page(2)->Chart()->TickBox(1)->isVisibleTo(Page(2)->Chart()));
}

TEST_F(StatWindowTest, SalesByDayAndQuarterAndEmptyRanges) {
    Exec(m_dbPath, BoundarySales());
    Open();
    CStatPage* page = Page(0);
    SetRange(page, LocalTime(2007, 1, 1, 0), LocalTime(2008, 12, 31, 23));

    Run(page, 0);
    EXPECT_EQ(Column(page, 0),
              (Texts{"", "2007年03月31日", "2007年04月01日", "2007年05月08日", "2008年01月15日"}));
    EXPECT_EQ(Rows(page)[3],
              (Texts{"2007年05月08日", "5", "3.75", "7.50", "2.00", "4.00", "6.00", "8.00"}));
    EXPECT_EQ(Rows(page)[0], (Texts{"", "合计:11", "合计:38.75", "合计:77.50", "合计:5.00",
                                    "合计:10.00", "合计:15.00", "合计:20.00"}));

    Run(page, 2);
    EXPECT_EQ(Column(page, 0), (Texts{"", "2007年1季度", "2007年2季度", "2008年1季度"}));
    EXPECT_EQ(Column(page, 1), (Texts{"合计:11", "1", "6", "4"}));

    // The chart got all seven series of the last run: three periods, 400 / 3 pixels apart.
    CStatChartDlg* chart = page->Chart();
    EXPECT_EQ(chart->GetPointCount(), 3);
    for (int k = 1; k <= 7; ++k) ASSERT_TRUE(chart->HasSeries(k)) << k;
    const auto& counts = chart->GetPoints(1);  // 1, 6 and 4: the 6 at the top
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts[1].x, chart->OriginX() + 133);
    EXPECT_EQ(chart->OriginY() - counts[1].y, 230);
    EXPECT_EQ(chart->OriginY() - counts[2].y, 153);  // 4 / (6 / 230)

    // An end before the start and a range without records: only the 合计 row, 0 periods.
    SetRange(page, LocalTime(2008, 12, 31), LocalTime(2007, 1, 1));
    Run(page, 1);
    EXPECT_EQ(Rows(page), (std::vector<Texts>{{"", "合计:0", "合计:0.00", "合计:0.00", "合计:0.00",
                                               "合计:0.00", "合计:0.00", "合计:0.00"}}));
    EXPECT_EQ(chart->GetPointCount(), 0);
    SetRange(page, LocalTime(2010, 1, 1), LocalTime(2010, 12, 31));
    Run(page, 0);
    EXPECT_EQ(Rows(page).size(), 1u);
    EXPECT_EQ(chart->GetPointCount(), 0);
}

TEST_F(StatWindowTest, ChanceAndConsumeSendTheirSeries) {
    Exec(m_dbPath,
         "INSERT INTO ChanceTable (ChanceDate, ChanceNumber, ChanceMoney, SaleMoney) VALUES (" +
             std::to_string(LocalTime(2007, 2, 1)) + ", 3, 10, 20), (" +
             std::to_string(LocalTime(2007, 2, 9)) + ", 1, 0.5, 1);" +
             "INSERT INTO ConsumeTable (ConsumeDate, ConsumeMoney) VALUES (" +
             std::to_string(LocalTime(2007, 6, 30, 23)) + ", 8), (" +
             std::to_string(LocalTime(2007, 7, 1, 1)) + ", 2);");
    Open();
    CStatPage* chance = Page(1);
    SetRange(chance, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(chance, 1);
    EXPECT_EQ(Rows(chance), (std::vector<Texts>{{"", "合计:4", "合计:10.50", "合计:21.00"},
                                                {"2007年02月", "4", "10.50", "21.00"}}));
    EXPECT_TRUE(chance->Chart()->HasSeries(3));
    EXPECT_FALSE(chance->Chart()->HasSeries(4));

    CStatPage* consume = Page(2);
    SetRange(consume, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(consume, 2);
    EXPECT_EQ(
        Rows(consume),
        (std::vector<Texts>{{"", "合计:10.00"}, {"2007年2季度", "8.00"}, {"2007年3季度", "2.00"}}));
    EXPECT_TRUE(consume->Chart()->HasSeries(1));
    EXPECT_FALSE(consume->Chart()->HasSeries(2));
    EXPECT_EQ(consume->Chart()->GetPointCount(), 2);
}

// A typed product is matched as typed, never completed to a listed one it begins; an
// apostrophe in it stays part of the text.
TEST_F(StatWindowTest, TypedContentIsMatchedAsTypedAndAConditionChangeRefillsTheList) {
    Exec(m_dbPath,
         Sale(LocalTime(2007, 3, 1), 2, 1, "Pencil") + Sale(LocalTime(2007, 3, 2), 5, 1, "O'Neil"));
    Open();
    MessageCapture capture;
    CStatPage* page = Page(0);
    QComboBox* content = page->ContentCombo();
    QTRY_COMPARE_WITH_TIMEOUT(content->count(), 2, kPatienceMs);
    SetRange(page, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
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
    EXPECT_EQ(capture.Count(), 0u);

    // Another condition clears the text and lists its contents: the one model T1, then none.
    Control<QComboBox>(page, IDC_STAT_CONDITION)->setCurrentIndex(1);
    EXPECT_EQ(content->currentText(), "");
    QTRY_COMPARE_WITH_TIMEOUT(content->count(), 1, kPatienceMs);
    EXPECT_EQ(content->itemText(0), "T1");
    EXPECT_EQ(content->currentText(), "");
    Control<QComboBox>(page, IDC_STAT_CONDITION)->setCurrentIndex(2);
    QTRY_VERIFY_WITH_TIMEOUT(!page->IsFillingContent(), kPatienceMs);
    EXPECT_EQ(content->count(), 0);
}

// Records dated 0 (and negative dates, which read as 0) are a period of their own.
TEST_F(StatWindowTest, RecordsDatedZero) {
    Exec(m_dbPath, Sale(0, 1, 1) + Sale(-50, 2, 1) + Sale(LocalTime(2007, 1, 5), 4, 1));
    Open();
    CStatPage* page = Page(0);
    SetRange(page, LocalTime(1970, 1, 1, 0), LocalTime(2007, 12, 31));
    Run(page, 1);
    EXPECT_EQ(Column(page, 0), (Texts{"", "1970年01月", "2007年01月"}));
    EXPECT_EQ(Column(page, 1), (Texts{"合计:7", "3", "4"}));
}

// A text in an amount column (a file allows it) counts as 0: the run reads every record,
// with one message however many such values it meets.
TEST_F(StatWindowTest, UnreadableAmountsCountAsZeroAndEveryRecordIsRead) {
    if (TestOnPostgres()) GTEST_SKIP() << "a server keeps amount columns numeric";
    const char* amounts[] = {"100", "''", "''", "800"};
    std::string sql;
    for (int i = 0; i < 4; ++i)
        sql += "INSERT INTO SaleTable (SaleDate, SaleMoney, SaleNumber) VALUES (" +
               std::to_string(LocalTime(2007, 3, 1 + i)) + ", " + amounts[i] + ", " +
               std::to_string(1 << i) + ");";
    Exec(m_dbPath, sql);
    Open();
    MessageCapture capture;
    CStatPage* page = Page(0);
    SetRange(page, LocalTime(2007, 1, 1), LocalTime(2007, 12, 31));
    Run(page, 3);
    const auto rows = Rows(page);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Texts(rows[0].begin(), rows[0].begin() + 3), (Texts{"", "合计:15", "合计:900.00"}));
    EXPECT_EQ(rows[1][0], "2007年");
    EXPECT_EQ(capture.Count(), 1u);
}

class StatRunControlTest : public StatWindowTest {
protected:
    // Enough sales, one per hour, for a run to last well beyond a click.
    void SetUp() override {
        StatWindowTest::SetUp();
        std::string sql =
            "BEGIN;WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n "
            "WHERE i < 299999) INSERT INTO SaleTable (SaleDate, SaleNumber, "
            "SaleMoney) SELECT " +
            std::to_string(LocalTime(2000, 1, 1)) + " + i * 3600, 1, 1 FROM n;COMMIT;";
        Exec(m_dbPath, sql);
        Open();
        m_page = Page(0);
        SetRange(m_page, LocalTime(2000, 1, 1, 0), LocalTime(2040, 1, 1));
    }
    CStatPage* m_page = nullptr;
};

// 停    止 keeps the rows so far without a 合计 row, the chart of the last run and enables
// 开始统计 again; a second 开始统计 during a run replaces it; closing during a run ends the
// worker first.
TEST_F(StatRunControlTest, StopRestartAndCloseDuringARun) {
    Control<QComboBox>(m_page, IDC_STAT_UNIT)->setCurrentIndex(3);
    QTest::mouseClick(Control<QPushButton>(m_page, IDC_STAT_RUN), Qt::LeftButton);
    WaitIdle(m_page);
    const int years = m_page->Chart()->GetPointCount();
    ASSERT_GT(years, 30);

    Control<QComboBox>(m_page, IDC_STAT_UNIT)->setCurrentIndex(0);
    QTest::mouseClick(Control<QPushButton>(m_page, IDC_STAT_RUN), Qt::LeftButton);
    EXPECT_TRUE(Control<QPushButton>(m_page, IDC_STAT_STOP)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(m_page, IDC_STAT_RUN)->isEnabled());
    QTest::mouseClick(Control<QPushButton>(m_page, IDC_STAT_STOP), Qt::LeftButton);
    EXPECT_FALSE(m_page->Table()->IsRunning());
    EXPECT_TRUE(Control<QPushButton>(m_page, IDC_STAT_RUN)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(m_page, IDC_STAT_STOP)->isEnabled());
    QTest::qWait(50);
    const auto rows = Rows(m_page);
    EXPECT_LT(rows.size(), 12500u);
    for (const auto& row : rows) EXPECT_NE(row[0], "") << "a 合计 row after a stop";
    EXPECT_EQ(m_page->Chart()->GetPointCount(), years);

    m_page->StartStat();  // by day
    Control<QComboBox>(m_page, IDC_STAT_UNIT)->setCurrentIndex(3);
    m_page->StartStat();
    WaitIdle(m_page);
    const auto labels = Column(m_page, 0);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[0], "");
    EXPECT_EQ(labels[1], "2000年");
    EXPECT_EQ(std::count(labels.begin(), labels.end(), ""), 1);
    EXPECT_EQ(Column(m_page, 1)[0], "合计:300000");
    EXPECT_EQ(m_page->Chart()->GetPointCount(), static_cast<int>(labels.size()) - 1);

    m_page->StartStat();
    m_dlg.reset();
}

TEST_F(StatWindowTest, KeysNeverCloseTheWindow) {
    Exec(m_dbPath, BoundarySales());
    Open();
    CStatPage* page = Page(0);
    SetRange(page, LocalTime(2007, 1, 1), LocalTime(2008, 12, 31));
    auto* unit = Control<QComboBox>(page, IDC_STAT_UNIT);
    unit->setCurrentIndex(3);
    unit->setFocus();
    QTest::keyClick(unit, Qt::Key_Escape);
    QTest::keyClick(unit, Qt::Key_Space);
    EXPECT_TRUE(m_dlg->isVisible());
    // Enter in a control of the page starts a statistic.
    QTest::keyClick(unit, Qt::Key_Return);
    WaitIdle(page);
    EXPECT_EQ(Column(page, 0), (Texts{"", "2007年", "2008年"}));
    EXPECT_TRUE(m_dlg->isVisible());
    QTest::mouseClick(m_dlg->findChild<QPushButton*>("id1"), Qt::LeftButton);
    EXPECT_FALSE(m_dlg->isVisible());
}

TEST(StatWindow, MissingDatabaseEndsTheWindow) {
    TempModuleFolder folder;
    MessageCapture capture;
    CStatDlg dlg;
    dlg.SetRunByEntry(1);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_GE(capture.Count(), 1u);
    EXPECT_EQ(capture.Messages().front().caption, "连接失败");
}

}  // namespace

namespace {

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

// Curves in their colours, hidden and shown again by their tick boxes; legend lines stay.
TEST_F(StatWindowTest, ChartDrawsTickedSeries) {
    Exec(m_dbPath, BoundarySales());
    Open();
    CStatPage* page = Page(0);
    SetRange(page, LocalTime(2007, 1, 1), LocalTime(2008, 12, 31));
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
    if (const char* dir = std::getenv("ORVI_CHART_PICTURES"))
        chart->grab().save(QString::fromUtf8(dir) + "/sale_chart.png");
}

}  // namespace
