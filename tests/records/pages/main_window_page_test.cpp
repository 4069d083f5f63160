// The pages inside the real main window: count label, 全选, tab switches, keys and buttons.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "support/record_windows.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/crm_manage_dlg.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

void WaitIdle(CRecordPage* page) {
    ASSERT_TRUE(WaitUntil([page] { return !page->IsLoading(); }));
}

using MainWindowPages = RecordWindowsTest;

}  // namespace

TEST_F(MainWindowPages, CountSelectAllAndKeysFollowTheVisiblePage) {
    Exec(
        "INSERT INTO SaleTable (SaleName, ObjectDateTime) VALUES ('s1', 5), ('s2', 5), "
        "('s3', 5); INSERT INTO ChanceTable (ChanceName, ObjectDateTime) VALUES ('c1', 5)");
    CCrmManageDlg dlg;
    dlg.SetClientKey(5);
    ASSERT_EQ(dlg.OnInitDialog(), 1);
    dlg.show();
    auto* sale = static_cast<CRecordPage*>(dlg.GetPage(RecordKind::Sale));
    auto* chance = static_cast<CRecordPage*>(dlg.GetPage(RecordKind::Chance));
    WaitIdle(sale);
    auto* count = dlg.findChild<QLabel*>("id1364");
    auto* selectAll = dlg.findChild<QCheckBox*>("id1044");
    EXPECT_EQ(count->text(), "3");
    EXPECT_FALSE(chance->IsLoading());  // never shown, never loaded
    EXPECT_EQ(sale->List()->width(), dlg.GetTabCtrl()->width() - 8);

    QTest::mouseClick(selectAll, Qt::LeftButton);
    EXPECT_TRUE(sale->List()->GetCheck(0) && sale->List()->GetCheck(2));

    dlg.GetTabCtrl()->SetCurSel(1);
    WaitIdle(chance);
    EXPECT_EQ(count->text(), "1");
    EXPECT_FALSE(selectAll->isChecked());
    chance->RunQuery();  // a page loading behind another never shows its count
    dlg.GetTabCtrl()->SetCurSel(0);
    WaitIdle(chance);
    EXPECT_EQ(count->text(), "3");
    EXPECT_TRUE(selectAll->isChecked());

    // Enter in the content edit runs the query through the main window's key handling.
    auto* edit = sale->findChild<QLineEdit*>("id1000");
    edit->setText("s2");
    QTest::keyClick(edit, Qt::Key_Return);
    WaitIdle(sale);
    EXPECT_EQ(count->text(), "1");
    EXPECT_FALSE(selectAll->isChecked());

    // Space types a blank into the content edit and the contact box; in the list it ticks
    // nothing.
    edit->clear();
    QTest::keyClicks(edit, "2007-5-3 10:20");
    EXPECT_EQ(edit->text(), "2007-5-3 10:20");
    auto* contact = sale->findChild<QComboBox*>("id1231");
    contact->lineEdit()->clear();
    QTest::keyClicks(contact->lineEdit(), "a b");
    EXPECT_EQ(contact->currentText(), "a b");
    sale->List()->GetView()->setFocus();
    QTest::keyClick(sale->List()->GetView(), Qt::Key_Space);
    EXPECT_FALSE(sale->List()->GetCheck(0));

    // 删除 with the one row ticked, confirmed.
    sale->List()->SetCheck(0, 1);
    m_capture.QueueAnswers({IDYES});
    QTest::mouseClick(dlg.findChild<QPushButton*>("id1027"), Qt::LeftButton);
    EXPECT_EQ(m_capture.Texts(), std::vector<std::string>{"确实要删除所选记录吗？"});
    EXPECT_EQ(count->text(), "0");
}
