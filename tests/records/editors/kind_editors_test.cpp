// The editors of every kind: alone (limits, value forms, defaults, lists, the hidden
// reminder) and through their pages' 新建 and 查看.
#include <QDateEdit>
#include <QTimeEdit>
#include <ctime>

#include "platform/messages.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

class KindEditorsTest : public EditorFixture {
protected:
    // Sets each control of "id=text|..." (lists picked, pickers set, edits typed into).
    static void Enter(CRecordEditDlg* dlg, const std::string& typed) {
        for (const auto& [id, text] : Pairs(typed)) {
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
    static long PickerTime(QWidget* dlg, int dateId) {
        return static_cast<long>(QDateTime(Control<QDateEdit>(dlg, dateId)->date(),
                                           Control<QTimeEdit>(dlg, dateId + 1)->time())
                                     .toSecsSinceEpoch());
    }
    // Sends a page command whose editor gets typed and 确定; false when the editor refused.
    bool RunEditor(UINT command, const std::string& typed) {
        bool refused = false;
        WhenShown<CRecordEditDlg>([typed, &refused](CRecordEditDlg* dlg) {
            Enter(dlg, typed);
            refused = !PressOk(*dlg);
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
    void ExpectCells(int row, const std::string& cells) {
        for (const auto& [column, text] : Pairs(cells))
            EXPECT_EQ(m_page->List()->GetCellText(row, column), text) << "column " << column;
    }
};

// Per kind: a stored record of client 5; a record typed in, then changed: what is typed, one
// text of the record read back with sql, some of its list cells.
struct PageCase {
    RecordKind kind;
    std::string insert, sql, added, addedText, addedCells, changed, changedText, changedCells;
};

// key: the name of the hidden row key.
std::vector<PageCase> PageCases(const std::string& key) {
    const std::string todayAt8 = QDateTime::fromSecsSinceEpoch(TodayLocalStart() + 8 * 3600)
                                     .toString(QStringLiteral("yyyy_MM_dd hh:mm:ss"))
                                     .toStdString();
    return {
        {RecordKind::Chance,
         InsertAll("ChanceTable",
                   "'机会一', '产品', '型号', '特征', 12.5, 7, 15, 99.25, "
                   "'张三', '对手', '洽谈', 3, 'BJ-1', 1172726709, 300.5, 5, 44"),
         "SELECT ChanceName, ChanceRate, Price, DisCount, "
         "ObjectDateTime FROM ChanceTable WHERE ChanceNumber=4",
         "1000=新机会|1055=85%|1019=12.5|1020=4|1051=15|1231=李四", "新机会/3/12.5/15/6",
         "11=85%|6=15%|4=12.50|8=李四", "1000=改机会|1055=95%", "改机会/1/12.5/15/6",
         "0=改机会|11=95%"},
        {RecordKind::Consume,
         InsertAll("ConsumeTable",
                   "'费用一', '张三', '机会一', 1172726709, 1172726709, '交通', 88.5, '打车', 5"),
         "SELECT ConsumeDate, ConsumeTime, ConsumeMoney, ConsumeType "
         "FROM ConsumeTable WHERE ConsumeName='新费用'",
         "1000=新费用|1019=66.5|1232=餐饮|1009=2007-03-02|1010=13:25:09",
         "1172813109/1172813109/66.5/餐饮", "3=2007_03_02|4=13：25：09|6=66.50", "1019=10",
         "1172813109/1172813109/10.0/餐饮", "6=10.00"},
        {RecordKind::History,
         InsertAll("HistoryTable",
                   "'历史一', '张三', '机会一', 1172726709, 1172730309, 1590, '电话', 5"),
         "SELECT HistoryBeginDate, HistoryUseDate FROM HistoryTable WHERE " + key + "=2",
         "1000=新历史|1009=2007-03-02|1010=13:25:09|1020=1|1021=2|1022=30", "1172813109/1590",
         "3=2007_03_02 13:25:09|5=1天2小时30分", "1022=0", "1172813109/1560", "5=1天2小时0分"},
        {RecordKind::Active,
         InsertAll("ActiveTable",
                   "'活动一', '拜访', '张三', '机会一', 1172726709, "
                   "1172730309, 90, '描述', 1, 120, '短信', 5"),
         "SELECT ActiveName, ActiveType, ActiveUseDate, ActiveAwoke, "
         "ActiveAwokeDate FROM ActiveTable WHERE " +
             key + "=2",
         "1000=新活动|1232=电话|1021=1", "新活动/电话/60/0/0", "1=电话|6=0天1小时0分",
         "1000=改活动", "改活动/电话/60/0/0", "0=改活动"},
        // An unfinished feedback shows no end.
        {RecordKind::FeedBack,
         InsertAll("FeedBackTable",
                   "'反馈一', 1172726709, '张三', '产品', '型号', "
                   "'投诉', '描述', 1, 1172730309, '已解决', 5"),
         "SELECT FeedBackEnd, FeedBackRet, (FeedBackEndDate - FeedBackDate) "
         "FROM FeedBackTable WHERE " +
             key + "=2",
         "1000=新反馈|1040=否|1053=结果", "0/结果/0", "7=否|8=|9=", "1040=是", "1/结果/0",
         "7=是|8=" + todayAt8 + "|9=结果"},
    };
}

}  // namespace

TEST_F(KindEditorsTest, PagesAddChangeAndRoundTripTheirRecords) {
    for (const PageCase& c : PageCases(m_sql->RowKey())) {
        const char* table = KindTable(c.kind).name;
        SCOPED_TRACE(table);
        Exec(c.insert);
        Exec(std::string("CREATE TABLE Before AS SELECT * FROM ") + table);
        OpenPage(c.kind, 5);
        ASSERT_EQ(m_page->List()->GetRowCount(), 1);
        // 查看 and 确定 with nothing typed write nothing and change neither table nor row.
        const std::vector<std::string> row = ListRow(0);
        m_page->List()->SelectRow(0);
        m_sql->RefuseUpdates(table, "written");
        EXPECT_TRUE(RunEditor(WM_PAGE_VIEW, ""));
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
    const std::tuple<RecordKind, const char*, const char*> cases[] = {
        {RecordKind::Sale, "SaleName", "AgreeMent"},
        {RecordKind::Chance, "ChanceName", "CompeteObject"},
        {RecordKind::Consume, "ConsumeName", "ConsumeExplain"},
        {RecordKind::History, "HistoryName", "HistoryExplain"},
        {RecordKind::Active, "ActiveName", "ActiveExplain"},
        {RecordKind::FeedBack, "FeedBackName", "FeedBackExplain"}};
    for (auto [kind, subject, other] : cases) {
        const std::string table = KindTable(kind).name, stored = "SELECT " + std::string(subject) +
                                                                 ", " + other + " FROM " + table;
        SCOPED_TRACE(table);
        const int column = kind == RecordKind::Sale;  // the subject's in the list
        Exec("INSERT INTO " + table + " (" + subject + ", " + other +
             ", ObjectDateTime) VALUES ('old', 'kept', 5)");
        OpenPage(kind, 5);
        ASSERT_EQ(m_page->List()->GetRowCount(), 1);
        m_page->List()->SelectRow(0);
        m_capture.Clear();

        const auto view = [this] { SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0); };
        AnswerEditors(view, {[&](CRecordEditDlg* dlg) {
                          Exec("UPDATE " + table + " SET " + other + "='theirs'");
                          Type(dlg, 1000, "mine");
                          PressOk(*dlg);
                      }});
        EXPECT_EQ(m_capture.Count(), 0u);
        EXPECT_EQ(Joined(stored), "mine/theirs");

        std::string shownAgain, rowAgain;
        AnswerEditors(view, {[&](CRecordEditDlg* dlg) {
                                 Exec("UPDATE " + table + " SET " + subject + "='their subject'");
                                 Type(dlg, 1000, "my subject");
                                 PressOk(*dlg);
                             },
                             [&](CRecordEditDlg* again) {
                                 shownAgain = Shown(again, 1000);
                                 rowAgain = m_page->List()->GetCellText(0, column);
                                 PressOk(*again);
                             }});
        ASSERT_EQ(m_capture.Count(), 1u);
        EXPECT_NE(m_capture.Texts()[0].find("这条记录已被其他用户修改，请重新查询后再修改。"),
                  std::string::npos);
        EXPECT_EQ(shownAgain + "|" + rowAgain, "my subject|their subject");
        EXPECT_EQ(Joined(stored), "my subject/theirs");
        EXPECT_EQ(m_page->List()->GetCellText(0, column), "my subject");
    }
}

// A value past its limit shows its one message (Enter acts as 确定), keeps the editor open
// with the focus on its control and the values as they were; the value at the limit is
// then stored.
TEST_F(KindEditorsTest, AValuePastItsLimitIsRefusedAndOneAtItStored) {
    const std::string c127(127, 'c'), c128(128, 'c');
    struct Case {
        RecordKind kind;
        int id;
        std::string refused, message, accepted;
        const char* field;
        std::string stored = "";  // "": as accepted
    };
    const Case cases[] = {
        {RecordKind::Sale, 1051, "101", "折扣：请输入 0 到 100 之间的整数。", "100", "DisCount"},
        {RecordKind::Sale, 1042, "100000000", "未开票金额：请输入 0 到 99999999 之间的数。",
         "99999999", "UnMakeInvoice", "99999999.00"},
        {RecordKind::Sale, 1000, c128, "销售主题：请输入不超过 127 个字符。", c127, "SaleName"},
        {RecordKind::Sale, 1054, std::string(51, 'm'), "货币类型：请输入不超过 50 个字符。",
         std::string(50, 'm'), "MoneyType"},
        {RecordKind::Active, 1236, c128, "相关机会：请输入不超过 127 个字符。", c127,
         "ActiveChance"},
        {RecordKind::Active, 1021, "25", "计划持续时间（小时）：请输入 0 到 24 之间的整数。", "24",
         "ActiveUseDate", "1440"},
        {RecordKind::Chance, 1000, "", "机会主题不能为空", "大单", "ChanceName"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        m_capture.Clear();
        auto dlg = Open(c.kind, 0, {}, 5);
        WaitLoaded(*dlg);
        const std::vector<std::string> before = dlg->m_values;
        Type(dlg.get(), c.id, c.refused);
        Type(dlg.get(), c.id == 1000 ? 1052 : 1000, "x");  // the focus elsewhere
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(dlg->isVisible());
        ASSERT_EQ(m_capture.Texts(), std::vector<std::string>{c.message});
        QWidget* control = Control<QWidget>(dlg.get(), c.id);
        EXPECT_EQ(dlg->focusWidget(), control->focusProxy() ? control->focusProxy() : control);
        EXPECT_EQ(dlg->m_values, before);
        Type(dlg.get(), c.id, c.accepted);
        ASSERT_TRUE(PressOk(*dlg));
        EXPECT_EQ(dlg->m_values[KindTable(c.kind).FieldIndex(c.field)],
                  c.stored.empty() ? c.accepted : c.stored);
    }
    EXPECT_EQ(m_capture.Messages()[0].caption, "错误");  // the last: the opportunity's
    EXPECT_EQ(m_capture.Messages()[0].icon, MsgIcon::Error);
}

TEST_F(KindEditorsTest, NewAndStoredValuesStartInTheirForms) {
    // A whole day of a duration shows as one; the hours take digits only.
    auto history = Open(RecordKind::History, 1, {"h", "张三", "", "0", "0", "1440", "", "5"});
    EXPECT_EQ(Shown(history.get(), 1020) + Shown(history.get(), 1021) + Shown(history.get(), 1022),
              "100");
    QTest::keyClicks(Control<QLineEdit>(history.get(), 1021), "x5");
    EXPECT_EQ(Shown(history.get(), 1021), "05");
    WaitLoaded(*history);
    // A new expense starts at the local clock.
    const long before = static_cast<long>(std::time(nullptr));
    auto consume = Open(RecordKind::Consume, 0, {}, 5);
    EXPECT_GE(PickerTime(consume.get(), 1009), before);
    EXPECT_LE(PickerTime(consume.get(), 1009), static_cast<long>(std::time(nullptr)));
    // The picker stops at the first and last day it accepts.
    auto* date = Control<QDateEdit>(consume.get(), 1009);
    date->setDate(QDate(1960, 1, 1));
    EXPECT_EQ(date->date(), QDate(1970, 1, 1));
    date->setDate(QDate(2040, 1, 1));
    EXPECT_EQ(date->date(), QDate(2037, 1, 1));
    WaitLoaded(*consume);
    // Feedback: today, at the local clock of calendar time 0 (08:00 in Shanghai), 处理结束 否.
    auto feedback = Open(RecordKind::FeedBack, 0, {}, 5);
    EXPECT_EQ(PickerTime(feedback.get(), 1011), TodayLocalStart() + 8 * 3600);
    EXPECT_EQ(Shown(feedback.get(), 1040), "否");
    WaitLoaded(*feedback);
    // An opportunity: 100 % (the step 0) on today.
    auto chance = Open(RecordKind::Chance, 0, {}, 5);
    Type(chance.get(), 1000, "大单");
    WaitLoaded(*chance);
    ASSERT_TRUE(PressOk(*chance));
    EXPECT_EQ(chance->m_values[11] + "/" + chance->m_values[13],
              "0/" + std::to_string(TodayLocalStart()));

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

TEST_F(KindEditorsTest, RelatedListOfTheClientOrOfEveryClient) {
    Exec(
        "INSERT INTO ChanceTable (ChanceName, ObjectDateTime) VALUES ('机会甲', 5), "
        "('机会乙', 9), ('A机会', 5)");
    // The expense's list is sorted, the activity's in the order read.
    const std::tuple<RecordKind, long, std::vector<std::string>> cases[] = {
        {RecordKind::Active, 6, {}},
        {RecordKind::Active, 0, {"机会甲", "机会乙", "A机会"}},
        {RecordKind::Consume, 5, {"A机会", "机会甲"}}};
    for (const auto& [kind, client, expected] : cases) {
        auto dlg = Open(kind, 0, {}, client);
        WaitLoaded(*dlg);
        auto* related = Control<QComboBox>(dlg.get(), 1236);
        EXPECT_TRUE(related->isEnabled()) << client;
        std::vector<std::string> entries;
        for (int e = 0; e < related->count(); ++e)
            entries.push_back(related->itemText(e).toStdString());
        EXPECT_EQ(entries, expected) << client;
    }
    Exec("DROP TABLE ChanceTable");
    auto dlg = Open(RecordKind::History, 0, {}, 5);
    WaitLoaded(*dlg);
    EXPECT_FALSE(Control<QComboBox>(dlg.get(), 1236)->isEnabled());
}
