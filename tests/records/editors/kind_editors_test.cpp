// The opportunity, expense, history, activity and feedback editors on their own: value
// forms, defaults, the success-rate and yes/no lists, durations, the related-opportunity
// list and the hidden reminder.
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <ctime>
#include <memory>

#include "platform/message_box.h"
#include "records/editors/editor_factory.h"
#include "records/editors/record_edit_dlg.h"
#include "tests/records/editors/editor_fixture.h"

namespace {

class KindEditorsTest : public EditorFixture {
protected:
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
    static long PickerTime(QWidget* dlg, int dateId, int timeId) {
        const QDate date = Control<QDateEdit>(dlg, dateId)->date();
        const QTime time = Control<QTimeEdit>(dlg, timeId)->time();
        return static_cast<long>(QDateTime(date, time).toSecsSinceEpoch());
    }
};

}  // namespace

TEST_F(KindEditorsTest, TitlesByModeAndEveryLabelLeadsToItsControl) {
    struct Case {
        RecordKind kind;
        const char* titles[3];
    };
    const Case cases[] = {
        {RecordKind::Chance, {"增加机会/报价记录", "修改机会/报价记录", "查看机会/报价记录"}},
        {RecordKind::Consume, {"增加费用记录", "修改费用记录", "查看费用记录"}},
        {RecordKind::History, {"增加历史记录", "修改历史记录", "查看历史记录"}},
        {RecordKind::Active, {"增加活动记录", "修改活动记录", "查看活动记录"}},
        {RecordKind::FeedBack, {"增加服务反馈记录", "修改服务反馈记录", "查看服务反馈记录"}},
    };
    for (const Case& c : cases) {
        for (int mode = 0; mode < 3; ++mode) {
            auto dlg = Open(c.kind, mode);
            EXPECT_EQ(dlg->windowTitle().toStdString(), c.titles[mode]);
            WaitLoaded(*dlg);
        }
        auto dlg = Open(c.kind, 0);
        EXPECT_EQ(Control<QPushButton>(dlg.get(), 1235)->text().toStdString(), "确定");
        EXPECT_EQ(Control<QPushButton>(dlg.get(), 2)->text().toStdString(), "取消");
        for (QLabel* label : dlg->findChildren<QLabel*>()) {
            if (!label->text().endsWith(QStringLiteral("：")) || !label->isVisible()) continue;
            ASSERT_TRUE(label->buddy()) << label->text().toStdString();
            EXPECT_TRUE(label->buddy()->isVisible()) << label->text().toStdString();
            EXPECT_TRUE(label->buddy()->objectName().startsWith(QStringLiteral("id")));
        }
        WaitLoaded(*dlg);
    }
}

TEST_F(KindEditorsTest, ChanceStoresTheRateStepAndNeedsASubject) {
    auto dlg = Open(RecordKind::Chance, 0, {}, 5);
    EXPECT_EQ(Shown(dlg.get(), 1055), "100%");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1285)->toolTip().toStdString(), "编辑销售状态");
    WaitLoaded(*dlg);
    // No subject: one message, the dialog stays open and returns nothing.
    EXPECT_FALSE(PressOk(*dlg));
    ASSERT_EQ(m_capture.Count(), 1u);
    const MessageInfo refused = m_capture.Messages()[0];
    EXPECT_EQ(refused.text, "机会主题不能为空");
    EXPECT_EQ(refused.caption, "错误");
    EXPECT_EQ(refused.icon, MsgIcon::Error);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->m_values[11], "");

    Type(dlg.get(), 1000, "大单");
    Pick(dlg.get(), 1055, "85%");
    ASSERT_TRUE(PressOk(*dlg));
    const std::vector<std::string>& v = dlg->m_values;
    EXPECT_EQ(v[0], "大单");
    EXPECT_EQ(v[11], "3");
    EXPECT_EQ(v[5], "0");  // quantity
    EXPECT_EQ(v[6], "0");  // discount
    EXPECT_EQ(v[4], "0.00");
    EXPECT_EQ(v[13], std::to_string(TodayLocalStart()));
    EXPECT_EQ(v[15], "5");
}

TEST_F(KindEditorsTest, ChanceLoadKeepsTheRateAndTheExpectedDatesTimeOfDay) {
    // 2007-03-01 13:25:09 in Shanghai.
    const std::vector<std::string> values = {"单",   "产品",       "型号",   "特征", "12.50", "7",
                                             "15",   "99.00",      "张三",   "对手", "洽谈",  "95%",
                                             "BJ-1", "1172726709", "300.00", "5",    "44"};
    auto dlg = Open(RecordKind::Chance, 1, values);
    EXPECT_EQ(Shown(dlg.get(), 1055), "95%");
    EXPECT_EQ(Shown(dlg.get(), 1019), "12.5");
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    std::vector<std::string> expected = values;
    expected[11] = "1";
    EXPECT_EQ(dlg->m_values, expected);
}

TEST_F(KindEditorsTest, DurationsStoreMinutesAndShowTheirParts) {
    auto history = Open(RecordKind::History, 0, {}, 5);
    Type(history.get(), 1020, "0");
    Type(history.get(), 1021, "24");
    Type(history.get(), 1022, "0");
    ASSERT_TRUE(PressOk(*history));
    EXPECT_EQ(history->m_values[5], "1440");
    history = Open(RecordKind::History, 1,
                   {"h", "张三", "", "1172726709", "1172730309", "1440", "", "5"});
    EXPECT_EQ(Shown(history.get(), 1020), "1");
    EXPECT_EQ(Shown(history.get(), 1021), "0");
    EXPECT_EQ(Shown(history.get(), 1022), "0");
    WaitLoaded(*history);

    auto active = Open(RecordKind::Active, 0, {}, 5);
    QTest::keyClicks(Control<QLineEdit>(active.get(), 1020), "x1");  // letters are dropped
    Type(active.get(), 1021, "2");
    Type(active.get(), 1022, "30");
    EXPECT_EQ(Shown(active.get(), 1020), "01");
    ASSERT_TRUE(PressOk(*active));
    EXPECT_EQ(active->m_values[6], "1590");

    active =
        Open(RecordKind::Active, 1,
             {"a", "拜访", "张三", "", "1172726709", "1172730309", "1590", "", "0", "0", "", "5"});
    EXPECT_EQ(Shown(active.get(), 1020), "1");
    EXPECT_EQ(Shown(active.get(), 1021), "2");
    EXPECT_EQ(Shown(active.get(), 1022), "30");
    Type(active.get(), 1021, "25");  // one hour past the limit
    EXPECT_FALSE(PressOk(*active));
    EXPECT_EQ(m_capture.Count(), 1u);
    EXPECT_TRUE(active->isVisible());
    WaitLoaded(*active);
}

TEST_F(KindEditorsTest, ConsumeStoresOneTimeTwiceAndStartsAtTheLocalClock) {
    AddChance("机会甲", 5);
    AddChance("机会乙", 6);
    const long before = static_cast<long>(std::time(nullptr));
    auto dlg = Open(RecordKind::Consume, 0, {}, 5);
    const long shown = PickerTime(dlg.get(), 1009, 1010);
    EXPECT_GE(shown, before);
    EXPECT_LE(shown, static_cast<long>(std::time(nullptr)));
    WaitLoaded(*dlg);
    // The expense can be linked to the client's opportunity.
    EXPECT_TRUE(Control<QComboBox>(dlg.get(), 1236)->isEnabled());
    EXPECT_EQ(Entries(dlg.get(), 1236), std::vector<std::string>{"机会甲"});
    Pick(dlg.get(), 1236, "机会甲");
    Control<QDateEdit>(dlg.get(), 1009)->setDate(QDate(2007, 3, 1));
    Control<QTimeEdit>(dlg.get(), 1010)->setTime(QTime(13, 25, 9));
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[3], "1172726709");
    EXPECT_EQ(dlg->m_values[4], "1172726709");
    EXPECT_EQ(dlg->m_values[2], "机会甲");
}

TEST_F(KindEditorsTest, RelatedListWithAndWithoutAContactKey) {
    AddChance("机会甲", 5);
    AddChance("机会乙", 5);
    AddChance("机会丙", 9);
    struct Case {
        RecordKind kind;
        long key;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {RecordKind::Active, 6, {}},  // a client without opportunities
        {RecordKind::Active, 0, {"机会甲", "机会乙", "机会丙"}},
        {RecordKind::History, 5, {"机会甲", "机会乙"}},
    };
    for (const Case& c : cases) {
        auto dlg = Open(c.kind, 0, {}, c.key);
        WaitLoaded(*dlg);
        EXPECT_TRUE(Control<QComboBox>(dlg.get(), 1236)->isEnabled()) << c.key;
        EXPECT_EQ(Entries(dlg.get(), 1236), c.entries) << c.key;
    }
    // A loaded subject that is not in the list is kept.
    auto dlg = Open(RecordKind::History, 1,
                    {"h", "张三", "旧机会", "1172726709", "1172730309", "0", "", "5"});
    WaitLoaded(*dlg);
    EXPECT_EQ(Shown(dlg.get(), 1236), "旧机会");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[2], "旧机会");
}

TEST_F(KindEditorsTest, RelatedListIsDisabledWhenItCannotBeRead) {
    Exec("DROP TABLE ChanceTable");
    auto dlg = Open(RecordKind::Active, 0, {}, 5);
    WaitLoaded(*dlg);
    EXPECT_FALSE(Control<QComboBox>(dlg.get(), 1236)->isEnabled());
}

TEST_F(KindEditorsTest, HiddenReminderGoesBackAsItCame) {
    // A reminder lead beyond every limit still passes: the user could not mend it.
    const std::vector<std::string> values = {"a",          "拜访",       "张三", "",
                                             "1172726709", "1172730309", "90",   "描述",
                                             "5",          "9999999",    "短信", "5"};
    auto dlg = Open(RecordKind::Active, 1, values);
    EXPECT_FALSE(Control<QComboBox>(dlg.get(), 1040)->isVisible());
    EXPECT_FALSE(Control<QLineEdit>(dlg.get(), 1041)->isVisible());
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(dlg->m_values, values);

    // A new activity has no reminder, whatever the page handed over.
    dlg = Open(RecordKind::Active, 0, values, 5);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[8], "0");
    EXPECT_EQ(dlg->m_values[9], "0");
    EXPECT_EQ(dlg->m_values[10], "");
}

TEST_F(KindEditorsTest, FeedBackEndAndItsDefaults) {
    auto dlg = Open(RecordKind::FeedBack, 0, {}, 5);
    EXPECT_EQ(Shown(dlg.get(), 1040), "否");
    // Today at the local clock of calendar time 0, both dates.
    EXPECT_EQ(PickerTime(dlg.get(), 1009, 1010), TodayLocalStart() + 8 * 3600);
    EXPECT_EQ(PickerTime(dlg.get(), 1011, 1012), TodayLocalStart() + 8 * 3600);
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[7], "0");

    std::vector<std::string> values = {"f", "1172726709", "张三",       "产品", "型号", "投诉",
                                       "d", "5",          "1172730309", "r",    "5"};
    dlg = Open(RecordKind::FeedBack, 1, values);
    EXPECT_EQ(Shown(dlg.get(), 1040), "是");
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    values[7] = "1";
    EXPECT_EQ(dlg->m_values, values);
}

TEST_F(KindEditorsTest, LoadedContactOutsideTheListKeepsItsKey) {
    const std::vector<std::string> values = {"h",          "王五", "", "1172726709",
                                             "1172730309", "0",    "", "9"};
    auto dlg = Open(RecordKind::History, 1, values);
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values, values);
    EXPECT_EQ(dlg->m_contactKey, 9);

    dlg = Open(RecordKind::History, 1, values);
    WaitLoaded(*dlg);
    Pick(dlg.get(), IDC_EDIT_CONTACT, "李四");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[1], "李四");
    EXPECT_EQ(dlg->m_values[7], "6");
}
