// The control kinds the Sale editor does not use, through a small table of the Active kind.
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <cstdlib>

#include "tests/records/editors/editor_fixture.h"

namespace {

constexpr const char* kYesNo[] = {"否", "是"};

constexpr EditField kActiveFields[] = {
    {.field = "ActiveName",
     .label = "活动主题：",
     .control = EditControl::Text,
     .id = 1000,
     .row = 0,
     .column = 2,
     .maxLength = 127},
    {.field = "ActiveBeginDate",
     .label = "开始时间：",
     .control = EditControl::DateTime,
     .id = 1009,
     .row = 1,
     .column = 2,
     .secondId = 1010},
    {.field = "ActiveUseDate",
     .label = "计划持续时间：",
     .control = EditControl::Duration,
     .id = 1020,
     .row = 2,
     .column = 2,
     .unit = "分钟",
     .secondId = 1021,
     .thirdId = 1022,
     .dropLetters = true},
    {.field = "ActiveAwoke",
     .label = "是否提醒：",
     .control = EditControl::Choice,
     .id = 1030,
     .row = 3,
     .column = 0,
     .items = kYesNo},
};

class TestActiveEditDlg : public CRecordEditDlg {
public:
    TestActiveEditDlg()
        : CRecordEditDlg(RecordKind::Active, kActiveFields, {"增加", "修改", "查看"}, nullptr) {}
};

// ActiveName, ActiveType, ClientName, ActiveChance, ActiveBeginDate, ActiveEndDate,
// ActiveUseDate, ActiveExplain, ActiveAwoke, ActiveAwokeDate, ActiveAwokeMode, ObjectDateTime
std::vector<std::string> ActiveValues() {
    return {"会议", "", "", "", "1172729109", "0", "1590", "", "1", "0", "", "5"};
}

using EditorControlsTest = EditorFixture;

}  // namespace

TEST_F(EditorControlsTest, DateTimeDurationAndChoiceRoundTrip) {
    TestActiveEditDlg dlg;
    dlg.m_mode = 1;
    dlg.m_values = ActiveValues();
    dlg.InitDialog();
    dlg.show();
    EXPECT_EQ(Control<QDateEdit>(&dlg, 1009)->date(), QDate(2007, 3, 1));
    EXPECT_EQ(Control<QTimeEdit>(&dlg, 1010)->time(), QTime(14, 5, 9));
    EXPECT_EQ(Shown(&dlg, 1020) + Shown(&dlg, 1021) + Shown(&dlg, 1022) + Shown(&dlg, 1030),
              "1230是");

    Type(&dlg, 1021, "25");
    QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(m_capture.Texts(),
              std::vector<std::string>{"计划持续时间（小时）：请输入 0 到 24 之间的整数。"});
    EXPECT_EQ(dlg.focusWidget(), Control<QWidget>(&dlg, 1021));

    Type(&dlg, 1020, "0");
    Type(&dlg, 1021, "24");
    Type(&dlg, 1022, "0");
    Control<QTimeEdit>(&dlg, 1010)->setTime(QTime(8, 30, 0));
    QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
    ASSERT_EQ(dlg.result(), 1);
    EXPECT_EQ(dlg.m_values[6], "1440");
    EXPECT_EQ(dlg.m_values[4], "1172709000");  // 2007-03-01 08:30:00 in Shanghai
    EXPECT_EQ(dlg.m_values[8], "1");
    EXPECT_EQ(dlg.m_values[11], "5");  // no contact combo: the key stays
}

TEST_F(EditorControlsTest, NewRecordDefaultsOfTheOtherKinds) {
    TestActiveEditDlg dlg;
    dlg.m_values.assign(12, "x");
    // Today's local date and time, to the second.
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-999);
    dlg.InitDialog();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_EQ(Shown(&dlg, 1020) + Shown(&dlg, 1021) + Shown(&dlg, 1022) + Shown(&dlg, 1030),
              "000否");
    const QDateTime shown(Control<QDateEdit>(&dlg, 1009)->date(),
                          Control<QTimeEdit>(&dlg, 1010)->time());
    EXPECT_LE(before, shown);
    EXPECT_LE(shown, after);
    // The picker stops at the first and last day it accepts.
    auto* date = Control<QDateEdit>(&dlg, 1009);
    date->setDate(QDate(1960, 1, 1));
    EXPECT_EQ(date->date(), QDate(1970, 1, 1));
    date->setDate(QDate(2040, 1, 1));
    EXPECT_EQ(date->date(), QDate(2037, 1, 1));
}
