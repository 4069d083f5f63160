// The opportunity, expense, history, activity and feedback editors: alone (value forms,
// defaults, lists, the hidden reminder) and through their pages' 新建 and 查看.
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <ctime>
#include <memory>

#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/editors/editor_factory.h"
#include "records/pages/page_factory.h"
#include "records/pages/record_page.h"
#include "support/patience.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

using Typed = std::vector<std::pair<int, std::string>>;
using Cells = std::vector<std::pair<int, std::string>>;  // list column, text

class KindEditorsTest : public EditorFixture {
protected:
    void TearDown() override {
        m_page.reset();
        EditorFixture::TearDown();
    }
    std::unique_ptr<CRecordEditDlg> Open(RecordKind kind, int mode,
                                         std::vector<std::string> values = {}, long key = 0) {
        auto dlg = CreateRecordEditor(kind, nullptr);
        dlg->m_mode = mode;
        dlg->m_contactKey = key;
        if (!values.empty()) dlg->m_values = std::move(values);
        dlg->InitDialog();
        dlg->show();
        return dlg;
    }
    static bool PressOk(CRecordEditDlg& dlg) {
        QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
        return dlg.isHidden() && dlg.result() == 1;
    }
    // Sets each control (lists picked, pickers set, edits typed into).
    static void Enter(CRecordEditDlg* dlg, const Typed& typed) {
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
    }
    void AddChance(const char* name, long client) {
        Exec("INSERT INTO ChanceTable (ChanceName, ObjectDateTime) VALUES ('" + std::string(name) +
             "', " + std::to_string(client) + ")");
    }
    static std::vector<std::string> Entries(QWidget* dlg, int id) {
        std::vector<std::string> out;
        auto* combo = Control<QComboBox>(dlg, id);
        for (int i = 0; i < combo->count(); ++i) out.push_back(combo->itemText(i).toStdString());
        return out;
    }
    static long PickerTime(QWidget* dlg, int dateId) {
        return static_cast<long>(QDateTime(Control<QDateEdit>(dlg, dateId)->date(),
                                           Control<QTimeEdit>(dlg, dateId + 1)->time())
                                     .toSecsSinceEpoch());
    }

    // The page of kind for client 5, loaded, inside a window with the count label and box.
    void OpenPage(RecordKind kind) {
        m_page.reset();  // before the window that holds it
        m_main = std::make_unique<QWidget>();
        m_main->resize(1100, 600);
        SetControlId(new QLabel(m_main.get()), 1364);
        SetControlId(new QCheckBox(m_main.get()), 1044);
        m_page.reset(static_cast<CRecordPage*>(CreateRecordPage(kind, m_main.get())));
        m_page->SetHosted(1);
        m_page->SetClientKey(5);
        m_page->LayoutControls();
        m_main->show();
        m_page->show();
        ASSERT_TRUE(WaitUntil([this] { return !m_page->IsLoading(); }));
    }
    // Sends a page command whose editor gets typed and 确定; false when the editor refused.
    bool RunEditor(UINT command, const Typed& typed) {
        bool refused = false;
        WhenEditorShown([typed, &refused](CRecordEditDlg* dlg) {
            Enter(dlg, typed);
            QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
            refused = dlg->isVisible();
            if (refused) dlg->OnCancel();
        });
        SendMessage(m_page->GetSafeHwnd(), command, 0, 0);
        return !refused;
    }
    std::vector<std::string> ListRow(int row) {
        std::vector<std::string> cells;
        for (int c = 0; c < m_page->Kind().ColumnCount(); ++c)
            cells.push_back(m_page->List()->GetCellText(row, c));
        return cells;
    }
    void ExpectCells(int row, const Cells& cells) {
        for (const auto& [column, text] : cells)
            EXPECT_EQ(m_page->List()->GetCellText(row, column), text) << "column " << column;
    }
    std::unique_ptr<CRecordPage> m_page;
    std::unique_ptr<QWidget> m_main;
};

// Per kind: a stored record of client 5; a record typed in (one text of it read back with
// sql, some of its list cells); then a change to it.
struct PageCase {
    RecordKind kind;
    std::string insert, sql;
    Typed added;
    std::string addedText;
    Cells addedCells;
    Typed changed;
    std::string changedText;
    Cells changedCells;
};

std::string TodayAt8() {
    const std::time_t t = TodayLocalStart();
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[40];
    std::snprintf(text, sizeof text, "%04d_%02d_%02d 08:00:00", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
    return text;
}

// key: the name of the hidden row key.
std::vector<PageCase> PageCases(const std::string& key) {
    return {
        {RecordKind::Chance,
         InsertAll("ChanceTable",
                   "'机会一', '产品', '型号', '特征', 12.5, 7, 15, 99.25, "
                   "'张三', '对手', '洽谈', 3, 'BJ-1', 1172726709, 300.5, 5, 44"),
         "SELECT ChanceName, ChanceRate, Price, DisCount, "
         "ObjectDateTime FROM ChanceTable WHERE ChanceNumber=4",
         {{1000, "新机会"},
          {1055, "85%"},
          {1019, "12.5"},
          {1020, "4"},
          {1051, "15"},
          {1231, "李四"}},
         "新机会/3/12.5/15/6",
         {{11, "85%"}, {6, "15%"}, {4, "12.50"}, {8, "李四"}},
         {{1000, "改机会"}, {1055, "95%"}},
         "改机会/1/12.5/15/6",
         {{0, "改机会"}, {11, "95%"}}},
        {RecordKind::Consume,
         InsertAll("ConsumeTable",
                   "'费用一', '张三', '机会一', 1172726709, 1172726709, "
                   "'交通', 88.5, '打车', 5"),
         "SELECT ConsumeDate, ConsumeTime, ConsumeMoney, ConsumeType "
         "FROM ConsumeTable WHERE ConsumeName='新费用'",
         {{1000, "新费用"},
          {1019, "66.5"},
          {1232, "餐饮"},
          {1009, "2007-03-02"},
          {1010, "13:25:09"}},
         "1172813109/1172813109/66.5/餐饮",
         {{3, "2007_03_02"}, {4, "13：25：09"}, {6, "66.50"}},
         {{1019, "10"}},
         "1172813109/1172813109/10.0/餐饮",
         {{6, "10.00"}}},
        {RecordKind::History,
         InsertAll("HistoryTable",
                   "'历史一', '张三', '机会一', 1172726709, 1172730309, "
                   "1590, '电话', 5"),
         "SELECT HistoryBeginDate, HistoryUseDate FROM HistoryTable WHERE " + key + "=2",
         {{1000, "新历史"},
          {1009, "2007-03-02"},
          {1010, "13:25:09"},
          {1020, "1"},
          {1021, "2"},
          {1022, "30"}},
         "1172813109/1590",
         {{3, "2007_03_02 13:25:09"}, {5, "1天2小时30分"}},
         {{1022, "0"}},
         "1172813109/1560",
         {{5, "1天2小时0分"}}},
        {RecordKind::Active,
         InsertAll("ActiveTable",
                   "'活动一', '拜访', '张三', '机会一', 1172726709, "
                   "1172730309, 90, '描述', 1, 120, '短信', 5"),
         "SELECT ActiveName, ActiveType, ActiveUseDate, ActiveAwoke, "
         "ActiveAwokeDate FROM ActiveTable WHERE " +
             key + "=2",
         {{1000, "新活动"}, {1232, "电话"}, {1021, "1"}},
         "新活动/电话/60/0/0",
         {{1, "电话"}, {6, "0天1小时0分"}},
         {{1000, "改活动"}},
         "改活动/电话/60/0/0",
         {{0, "改活动"}}},
        {RecordKind::FeedBack,
         InsertAll("FeedBackTable",
                   "'反馈一', 1172726709, '张三', '产品', '型号', "
                   "'投诉', '描述', 1, 1172730309, '已解决', 5"),
         "SELECT FeedBackEnd, FeedBackRet, (FeedBackEndDate - FeedBackDate) "
         "FROM FeedBackTable WHERE " +
             key + "=2",
         {{1000, "新反馈"}, {1040, "否"}, {1053, "结果"}},
         "0/结果/0",
         {{7, "否"}, {8, ""}, {9, ""}},  // an unfinished feedback shows no end
         {{1040, "是"}},
         "1/结果/0",
         {{7, "是"}, {8, TodayAt8()}, {9, "结果"}}},
    };
}

}  // namespace

TEST_F(KindEditorsTest, PagesAddChangeAndRoundTripTheirRecords) {
    for (const PageCase& c : PageCases(m_sql->RowKey())) {
        const char* table = KindTable(c.kind).name;
        SCOPED_TRACE(table);
        Exec(c.insert);
        Exec(std::string("CREATE TABLE Before AS SELECT * FROM ") + table);
        OpenPage(c.kind);
        ASSERT_EQ(m_page->List()->GetRowCount(), 1);
        // 查看 and 确定 with nothing typed write nothing and change neither table nor row.
        const std::vector<std::string> row = ListRow(0);
        m_page->List()->SelectRow(0);
        m_sql->RefuseUpdates(table, "written");
        EXPECT_TRUE(RunEditor(WM_PAGE_VIEW, {}));
        m_sql->AllowUpdates(table);
        EXPECT_EQ(Text(std::string("SELECT COUNT(*) FROM (SELECT * FROM ") + table +
                       " EXCEPT SELECT * FROM Before) AS changed"),
                  "0");
        Exec("DROP TABLE Before");
        EXPECT_EQ(ListRow(0), row);

        EXPECT_TRUE(RunEditor(WM_PAGE_NEW, c.added));
        EXPECT_EQ(Joined(c.sql), c.addedText);
        ASSERT_EQ(m_page->List()->GetRowCount(), 2);
        ExpectCells(1, c.addedCells);
        m_page->List()->SelectRow(1);
        EXPECT_TRUE(RunEditor(WM_PAGE_VIEW, c.changed));
        EXPECT_EQ(Joined(c.sql), c.changedText);
        ExpectCells(1, c.changedCells);
        EXPECT_EQ(m_capture.Count(), 0u) << (m_capture.Count() ? m_capture.Texts()[0] : "");
    }
}

// Another seat changes the record while its editor is open. A field the user leaves alone
// keeps the other seat's value; a field both changed refuses the save, the row shows the
// stored record and the editor comes back with the user's text, whose 确定 then saves it.
TEST_F(KindEditorsTest, ASaveWritesOnlyWhatTheUserChanged) {
    struct Case {
        RecordKind kind;
        const char* subject;
        const char* other;
        int column;  // the subject's in the list
    };
    const Case cases[] = {
        {RecordKind::Sale, "SaleName", "AgreeMent", 1},
        {RecordKind::Chance, "ChanceName", "CompeteObject", 0},
        {RecordKind::Consume, "ConsumeName", "ConsumeExplain", 0},
        {RecordKind::History, "HistoryName", "HistoryExplain", 0},
        {RecordKind::Active, "ActiveName", "ActiveExplain", 0},
        {RecordKind::FeedBack, "FeedBackName", "FeedBackExplain", 0},
    };
    for (const Case& c : cases) {
        const std::string table = KindTable(c.kind).name;
        SCOPED_TRACE(table);
        const std::string stored =
            "SELECT " + std::string(c.subject) + ", " + c.other + " FROM " + table;
        auto otherSeat = [&](const char* column, const char* value) {
            Exec("UPDATE " + table + " SET " + column + "='" + value + "'");
        };
        Exec("INSERT INTO " + table + " (" + c.subject + ", " + c.other +
             ", ObjectDateTime) VALUES ('old', 'kept', 5)");
        OpenPage(c.kind);
        ASSERT_EQ(m_page->List()->GetRowCount(), 1);
        m_page->List()->SelectRow(0);
        m_capture.Clear();

        const auto view = [this] { SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0); };
        AnswerEditors({[&](CRecordEditDlg* dlg) {
                          otherSeat(c.other, "theirs");
                          Type(dlg, 1000, "mine");
                          QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
                      }},
                      view);
        EXPECT_EQ(m_capture.Count(), 0u);
        EXPECT_EQ(Joined(stored), "mine/theirs");

        std::string shownAgain, rowAgain;
        AnswerEditors(
            {[&](CRecordEditDlg* dlg) {
                 otherSeat(c.subject, "their subject");
                 Type(dlg, 1000, "my subject");
                 QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
             },
             [&](CRecordEditDlg* again) {
                 shownAgain = Shown(again, 1000);
                 rowAgain = m_page->List()->GetCellText(0, c.column);
                 QTest::mouseClick(Control<QPushButton>(again, IDC_EDIT_OK), Qt::LeftButton);
             }},
            view);
        ASSERT_EQ(m_capture.Count(), 1u);
        EXPECT_NE(m_capture.Texts()[0].find("这条记录已被其他用户修改，请重新查询后再修改。"),
                  std::string::npos);
        EXPECT_EQ(shownAgain, "my subject");
        EXPECT_EQ(rowAgain, "their subject");
        EXPECT_EQ(Joined(stored), "my subject/theirs");
        EXPECT_EQ(m_page->List()->GetCellText(0, c.column), "my subject");
    }
}

TEST_F(KindEditorsTest, RelatedOpportunityTakesAtMost127Characters) {
    for (auto [kind, field] : {std::pair{RecordKind::Consume, "ConsumeChance"},
                               std::pair{RecordKind::History, "HistoryChance"},
                               std::pair{RecordKind::Active, "ActiveChance"}}) {
        SCOPED_TRACE(field);
        m_capture.Clear();
        auto dlg = Open(kind, 0, {}, 5);
        WaitLoaded(*dlg);
        Type(dlg.get(), 1000, "s");
        Type(dlg.get(), 1236, std::string(128, 'c'));
        EXPECT_FALSE(PressOk(*dlg));
        EXPECT_EQ(m_capture.Texts(),
                  std::vector<std::string>{"相关机会：请输入不超过 127 个字符。"});
        Type(dlg.get(), 1236, std::string(127, 'c'));
        ASSERT_TRUE(PressOk(*dlg));
        EXPECT_EQ(dlg->m_values[KindTable(kind).FieldIndex(field)], std::string(127, 'c'));
    }
}

TEST_F(KindEditorsTest, ChanceNeedsASubject) {
    auto dlg = Open(RecordKind::Chance, 0, {}, 5);
    WaitLoaded(*dlg);
    EXPECT_FALSE(PressOk(*dlg));
    ASSERT_EQ(m_capture.Texts(), std::vector<std::string>{"机会主题不能为空"});
    EXPECT_EQ(m_capture.Messages()[0].caption, "错误");
    EXPECT_EQ(m_capture.Messages()[0].icon, MsgIcon::Error);
    EXPECT_TRUE(dlg->isVisible());
    Type(dlg.get(), 1000, "大单");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[11], "0");  // 100%
    EXPECT_EQ(dlg->m_values[13], std::to_string(TodayLocalStart()));
}

TEST_F(KindEditorsTest, DurationsShowTheirPartsAndKeepTheirLimits) {
    auto history = Open(RecordKind::History, 1, {"h", "张三", "", "0", "0", "1440", "", "5"});
    EXPECT_EQ(Shown(history.get(), 1020) + Shown(history.get(), 1021) + Shown(history.get(), 1022),
              "100");
    WaitLoaded(*history);

    auto active =
        Open(RecordKind::Active, 1, {"a", "", "张三", "", "0", "0", "1590", "", "0", "0", "", "5"});
    EXPECT_EQ(Shown(active.get(), 1020) + "/" + Shown(active.get(), 1021) + "/" +
                  Shown(active.get(), 1022),
              "1/2/30");
    QTest::keyClicks(Control<QLineEdit>(active.get(), 1021), "x5");  // letters are dropped
    EXPECT_EQ(Shown(active.get(), 1021), "25");
    EXPECT_FALSE(PressOk(*active));  // one hour past the limit
    EXPECT_EQ(m_capture.Count(), 1u);
    WaitLoaded(*active);
}

TEST_F(KindEditorsTest, NewRecordsStartAtTheLocalClock) {
    const long before = static_cast<long>(std::time(nullptr));
    auto consume = Open(RecordKind::Consume, 0, {}, 5);
    EXPECT_GE(PickerTime(consume.get(), 1009), before);
    EXPECT_LE(PickerTime(consume.get(), 1009), static_cast<long>(std::time(nullptr)));
    WaitLoaded(*consume);
    // Feedback: today, at the local clock of calendar time 0 (08:00 in Shanghai), 处理结束 否.
    auto feedback = Open(RecordKind::FeedBack, 0, {}, 5);
    EXPECT_EQ(PickerTime(feedback.get(), 1011), TodayLocalStart() + 8 * 3600);
    EXPECT_EQ(Shown(feedback.get(), 1040), "否");
    WaitLoaded(*feedback);
    // A stored 5 is a finished feedback.
    feedback = Open(RecordKind::FeedBack, 1, {"f", "0", "张三", "", "", "", "", "5", "0", "", "5"});
    EXPECT_EQ(Shown(feedback.get(), 1040), "是");
    WaitLoaded(*feedback);
}

TEST_F(KindEditorsTest, RelatedListOfTheClientOrOfEveryClient) {
    AddChance("机会甲", 5);
    AddChance("机会乙", 9);
    AddChance("A机会", 5);
    const std::pair<RecordKind, long> cases[] = {
        {RecordKind::Active, 6}, {RecordKind::Active, 0}, {RecordKind::Consume, 5}};
    // The expense's list is sorted, the activity's in the order read.
    const std::vector<std::string> expected[] = {
        {}, {"机会甲", "机会乙", "A机会"}, {"A机会", "机会甲"}};
    for (int i = 0; i < 3; ++i) {
        auto dlg = Open(cases[i].first, 0, {}, cases[i].second);
        WaitLoaded(*dlg);
        EXPECT_TRUE(Control<QComboBox>(dlg.get(), 1236)->isEnabled()) << i;
        EXPECT_EQ(Entries(dlg.get(), 1236), expected[i]) << i;
    }
    Exec("DROP TABLE ChanceTable");
    auto dlg = Open(RecordKind::History, 0, {}, 5);
    WaitLoaded(*dlg);
    EXPECT_FALSE(Control<QComboBox>(dlg.get(), 1236)->isEnabled());
}

TEST_F(KindEditorsTest, HiddenReminderAndAnUnlistedContactGoBackAsTheyCame) {
    // A lead beyond every limit still passes: the user could not mend it. Contact key 9
    // belongs to nobody in the list.
    const std::vector<std::string> values = {"a",          "拜访",       "王五", "旧机会",
                                             "1172726709", "1172730309", "90",   "",
                                             "5",          "9999999",    "短信", "9"};
    auto dlg = Open(RecordKind::Active, 1, values);
    EXPECT_FALSE(Control<QComboBox>(dlg.get(), 1040)->isVisible());
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(dlg->m_values, values);

    // A new activity has no reminder, whatever the page handed over; a picked contact's key.
    dlg = Open(RecordKind::Active, 0, values, 0);
    Pick(dlg.get(), IDC_EDIT_CONTACT, "李四");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[8] + "/" + dlg->m_values[9] + "/" + dlg->m_values[10] + "/" +
                  dlg->m_values[11],
              "0/0//6");
}
