// 新建 and 查看 on the opportunity, expense, history, activity and feedback pages: records
// added and changed through their editors, read back from the table and the list row, and
// a record taken through 查看 and 确定 untouched.
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <memory>

#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/page_factory.h"
#include "records/pages/record_page.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

using Typed = std::vector<std::pair<int, std::string>>;

// A record kind's case: a stored record of client 5, and a record typed in, then changed.
struct KindCase {
    RecordKind kind;
    std::string insert;  // the stored record
    Typed added;
    std::string addedSql;  // one text of the added record
    std::string addedText;
    std::vector<std::pair<int, std::string>> addedCells;  // list column, text
    Typed changed;
    std::string changedText;  // addedSql after the change
    std::vector<std::pair<int, std::string>> changedCells;
};

std::string TodayAt(const char* time) {
    const std::time_t t = TodayLocalStart();
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[40];
    std::snprintf(text, sizeof text, "%04d_%02d_%02d %s", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, time);
    return text;
}

std::vector<KindCase> Cases() {
    return {
        {RecordKind::Chance,
         "INSERT INTO ChanceTable VALUES ('机会一', '产品', '型号', '特征', 12.5, 7, 15, "
         "99.25, '张三', '对手', '洽谈', 3, 'BJ-1', 1172726709, 300.5, 5, 44)",
         {{1000, "新机会"},
          {1055, "85%"},
          {1019, "12.5"},
          {1020, "4"},
          {1051, "15"},
          {1021, "42.5"},
          {1231, "李四"}},
         "SELECT ChanceName || '/' || ChanceRate || '/' || Price || '/' || ChanceNumber || '/' || "
         "DisCount || '/' || ChanceMoney || '/' || ObjectDateTime FROM ChanceTable WHERE "
         "ChanceNumber=4",
         "新机会/3/12.5/4/15/42.5/6",
         {{0, "新机会"}, {11, "85%"}, {6, "15%"}, {4, "12.50"}, {8, "李四"}},
         {{1000, "改机会"}, {1055, "95%"}},
         "改机会/1/12.5/4/15/42.5/6",
         {{0, "改机会"}, {11, "95%"}}},
        {RecordKind::Consume,
         "INSERT INTO ConsumeTable VALUES ('费用一', '张三', '机会一', 1172726709, "
         "1172726709, '交通', 88.5, '打车', 5)",
         {{1000, "新费用"},
          {1019, "66.5"},
          {1232, "餐饮"},
          {1009, "2007-03-02"},
          {1010, "13:25:09"}},
         "SELECT ConsumeName || '/' || ConsumeDate || '/' || ConsumeTime || '/' || ConsumeMoney "
         "|| '/' || ConsumeType || '/' || ObjectDateTime FROM ConsumeTable WHERE "
         "ConsumeMoney<>88.5",
         "新费用/1172813109/1172813109/66.5/餐饮/5",
         {{3, "2007_03_02"}, {4, "13：25：09"}, {6, "66.50"}, {5, "餐饮"}},
         {{1019, "10"}},
         "新费用/1172813109/1172813109/10.0/餐饮/5",
         {{6, "10.00"}}},
        {RecordKind::History,
         "INSERT INTO HistoryTable VALUES ('历史一', '张三', '机会一', 1172726709, "
         "1172730309, 1590, '电话', 5)",
         {{1000, "新历史"},
          {1009, "2007-03-02"},
          {1010, "13:25:09"},
          {1020, "1"},
          {1021, "2"},
          {1022, "30"}},
         "SELECT HistoryName || '/' || HistoryBeginDate || '/' || HistoryUseDate FROM "
         "HistoryTable WHERE HistoryName LIKE '%新%' OR HistoryName LIKE '%改%'",
         "新历史/1172813109/1590",
         {{0, "新历史"}, {3, "2007_03_02 13:25:09"}, {5, "1天2小时30分"}},
         {{1000, "改历史"}, {1022, "0"}},
         "改历史/1172813109/1560",
         {{0, "改历史"}, {5, "1天2小时0分"}}},
        {RecordKind::Active,
         "INSERT INTO ActiveTable VALUES ('活动一', '拜访', '张三', '机会一', 1172726709, "
         "1172730309, 90, '描述', 1, 120, '短信', 5)",
         {{1000, "新活动"}, {1232, "电话"}, {1020, "0"}, {1021, "1"}, {1022, "0"}},
         "SELECT ActiveName || '/' || ActiveType || '/' || ActiveUseDate || '/' || ActiveAwoke || "
         "'/' || ActiveAwokeDate || '/' || ActiveAwokeMode FROM ActiveTable WHERE ActiveUseDate=60",
         "新活动/电话/60/0/0/",
         {{0, "新活动"}, {1, "电话"}, {6, "0天1小时0分"}},
         {{1000, "改活动"}},
         "改活动/电话/60/0/0/",
         {{0, "改活动"}}},
        {RecordKind::FeedBack,
         "INSERT INTO FeedBackTable VALUES ('反馈一', 1172726709, '张三', '产品', '型号', "
         "'投诉', '描述', 1, 1172730309, '已解决', 5)",
         {{1000, "新反馈"}, {1040, "否"}, {1053, "结果"}},
         "SELECT FeedBackName || '/' || FeedBackEnd || '/' || FeedBackRet || '/' || "
         "(FeedBackEndDate - FeedBackDate) FROM FeedBackTable WHERE FeedBackRet='结果'",
         "新反馈/0/结果/0",
         {{0, "新反馈"}, {7, "否"}, {8, ""}, {9, ""}},
         {{1040, "是"}},
         "新反馈/1/结果/0",
         {{7, "是"}, {8, TodayAt("08:00:00")}, {9, "结果"}}},
    };
}

class KindPagesEditorTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        m_main.resize(1100, 600);
        auto* count = new QLabel(&m_main);
        SetControlId(count, 1364);
        auto* all = new QCheckBox(&m_main);
        SetControlId(all, 1044);
        m_tab = new QWidget(&m_main);
        m_tab->setGeometry(0, 0, 1100, 600);
        m_main.show();
    }
    void TearDown() override {
        m_page.reset();
        EditorFixture::TearDown();
    }
    void OpenPage(RecordKind kind) {
        m_page.reset(static_cast<CRecordPage*>(CreateRecordPage(kind, m_tab)));
        m_page->SetHosted(1);
        m_page->SetClientKey(5);
        m_page->LayoutControls();
        m_page->show();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (m_page->IsLoading() && std::chrono::steady_clock::now() < end) QTest::qWait(2);
        ASSERT_FALSE(m_page->IsLoading());
    }
    // Every column of the table's only or first record, as text.
    std::vector<std::string> Stored(const char* table) {
        sqlite3_stmt* st = nullptr;
        std::vector<std::string> out;
        const std::string sql = std::string("SELECT * FROM ") + table;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                out.push_back(t ? reinterpret_cast<const char*>(t) : "<null>");
            }
        sqlite3_finalize(st);
        return out;
    }
    // Answers the next editor: sets each control (lists are picked, pickers set, edits
    // typed into) and presses 确定; a refused editor is cancelled and noted.
    void AnswerEditor(Typed typed, bool* refused) {
        *refused = false;
        WhenEditorShown([typed, refused](CRecordEditDlg* dlg) {
            for (const auto& [id, text] : typed) {
                const QString value = QString::fromStdString(text);
                if (auto* date = Control<QDateEdit>(dlg, id))
                    date->setDate(QDate::fromString(value, QStringLiteral("yyyy-MM-dd")));
                else if (auto* time = Control<QTimeEdit>(dlg, id))
                    time->setTime(QTime::fromString(value, QStringLiteral("HH:mm:ss")));
                else if (auto* combo = Control<QComboBox>(dlg, id);
                         combo && (!combo->isEditable() || id == IDC_EDIT_CONTACT))
                    Pick(dlg, id, text);
                else
                    Type(dlg, id, text);
            }
            QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
            if (dlg->isVisible()) {
                *refused = true;
                dlg->OnCancel();
            }
        });
    }
    void ExpectCells(int row, const std::vector<std::pair<int, std::string>>& cells) {
        for (const auto& [column, text] : cells)
            EXPECT_EQ(m_page->List()->GetCellText(row, column), text) << "column " << column;
    }

    QWidget m_main;
    QWidget* m_tab = nullptr;
    std::unique_ptr<CRecordPage> m_page;
};

}  // namespace

TEST_F(KindPagesEditorTest, ViewAndOkLeaveTheRecordAsItWas) {
    for (const KindCase& c : Cases()) {
        const char* table = KindTable(c.kind).name;
        SCOPED_TRACE(table);
        Exec(c.insert);
        const std::vector<std::string> before = Stored(table);
        OpenPage(c.kind);
        ASSERT_EQ(m_page->List()->GetRowCount(), 1);
        std::vector<std::string> row;
        for (int col = 0; col < KindTable(c.kind).columnCount; ++col)
            row.push_back(m_page->List()->GetCellText(0, col));
        m_page->List()->SelectRow(0);
        bool refused = true;
        AnswerEditor({}, &refused);
        SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
        EXPECT_FALSE(refused);
        EXPECT_EQ(m_capture.Count(), 0u);
        EXPECT_EQ(Stored(table), before);
        for (int col = 0; col < KindTable(c.kind).columnCount; ++col)
            EXPECT_EQ(m_page->List()->GetCellText(0, col), row[col]) << col;
    }
}

TEST_F(KindPagesEditorTest, AddThenModifyThroughTheEditor) {
    for (const KindCase& c : Cases()) {
        SCOPED_TRACE(KindTable(c.kind).name);
        Exec(c.insert);
        OpenPage(c.kind);
        bool refused = true;
        AnswerEditor(c.added, &refused);
        EXPECT_EQ(SendMessage(m_page->GetSafeHwnd(), WM_PAGE_NEW, 0, 0), 2);
        EXPECT_FALSE(refused);
        EXPECT_EQ(m_capture.Count(), 0u);
        EXPECT_EQ(Text(c.addedSql), c.addedText);
        ExpectCells(1, c.addedCells);
        EXPECT_FALSE(m_page->List()->GetCheck(1));

        m_page->List()->SelectRow(1);
        AnswerEditor(c.changed, &refused);
        SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
        EXPECT_FALSE(refused);
        EXPECT_EQ(Text(c.addedSql), c.changedText);
        ExpectCells(1, c.changedCells);
        EXPECT_EQ(m_page->List()->GetRowCount(), 2);
    }
}
