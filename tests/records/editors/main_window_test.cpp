// The pages inside the real main window: count label, 全选, tab switches, keys and buttons;
// the Sale page's 新建 and 查看 through the editor and the write-back into table and list.
#include <QTableView>
#include <QTableWidget>

#include "params/param_adjust_dlg.h"
#include "params/param_kinds.h"
#include "params/param_name_dlg.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/controls/check_list_ctrl.h"
#include "ui/main/crm_manage_dlg.h"
#include "ui/main/crm_tab_ctrl.h"

namespace {

void WaitIdle(CRecordPage* page) {
    ASSERT_TRUE(WaitUntil([page] { return !page->IsLoading(); }));
}
void Click(QWidget* window, int id) {
    QTest::mouseClick(Control<QPushButton>(window, id), Qt::LeftButton);
}

class MainWindowTest : public EditorFixture {
protected:
    void OpenMain(int clientKey) {
        m_window.reset();
        m_window = std::make_unique<CCrmManageDlg>();
        m_window->SetClientKey(clientKey);
        ASSERT_EQ(m_window->OnInitDialog(), 1);
        m_window->show();
        m_sale = static_cast<CRecordPage*>(m_window->GetPage(RecordKind::Sale));
        WaitIdle(m_sale);
    }
    void TearDown() override {
        m_window.reset();
        EditorFixture::TearDown();
    }
    void AddSale(const char* name, double money) {
        Exec(
            "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, SaleMoney, SaleNumber, "
            "DisCount, ObjectDateTime, ClientDateTime) VALUES (1172729109, '" +
            std::string(name) + "', '张三', " + std::to_string(money) + ", 1, 100, 5, 3)");
    }
    std::string Cell(int row, int column) { return m_sale->List()->GetCellText(row, column); }
    int RowOf(const std::string& subject) {
        for (int r = 0; r < m_sale->List()->GetRowCount(); ++r)
            if (Cell(r, 1) == subject) return r;
        return -1;
    }
    // Presses 新建 (1016) or 查看 (1043); the editor gets "id=text|..." typed, then the key.
    void Command(int button, const std::string& typed, Qt::Key key = Qt::Key_Return) {
        WhenShown<CRecordEditDlg>([typed, key](CRecordEditDlg* dlg) {
            for (const auto& [id, text] : Pairs(typed)) Type(dlg, id, text);
            QTest::keyClick(Control<QLineEdit>(dlg, 1000), key);
            if (dlg->isVisible()) dlg->OnCancel();  // refused: do not hang the test
        });
        Click(m_window.get(), button);
    }

    std::unique_ptr<CCrmManageDlg> m_window;
    CRecordPage* m_sale = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, AddSortReopenChangeAndReadTheTable) {
    AddSale("甲", 10);
    AddSale("乙", 50);
    OpenMain(5);
    Command(1016, "1000=不要", Qt::Key_Escape);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM SaleTable"), "2");

    Command(1016, "1000=新的销售|1019=12.5|1020=4|1051=15|1021=42.5|1054=RMB|1003=HT-9|1231=李四");
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(
        Joined("SELECT SaleNumber, DisCount, ProductPrice, SaleMoney, MoneyType, AgreeMent, "
               "ClientName, ObjectDateTime, SaleDate FROM SaleTable WHERE SaleName='新的销售'"),
        "4/15/12.5/42.5/RMB/HT-9/李四/6/" + std::to_string(TodayLocalStart()));
    // The new row is the last, unticked, in its display forms.
    ASSERT_EQ(m_sale->List()->GetRowCount(), 3);
    EXPECT_EQ(Cell(2, 1) + "|" + Cell(2, 6) + "|" + Cell(2, 8), "新的销售|12.50|15%");
    EXPECT_EQ(Cell(2, 0), QDate::currentDate().toString("yyyy_MM_dd").toStdString());
    EXPECT_FALSE(m_sale->List()->GetCheck(2));

    // Sorted by 实际金额 descending, the new record is the middle row.
    m_sale->List()->SortByColumn(9, 0);
    ASSERT_EQ(RowOf("新的销售"), 1);
    m_sale->List()->SelectRow(1);
    Command(1043, "1000=改过的销售|1021=99|1051=20");
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(Joined("SELECT COUNT(*), SUM(SaleMoney) FROM SaleTable"), "3/159.0");
    EXPECT_EQ(Joined("SELECT SaleMoney, DisCount, SaleNumber, MoneyType, "
                     "ObjectDateTime FROM SaleTable WHERE SaleName='改过的销售'"),
              "99.0/20/4/RMB/6");
    EXPECT_EQ(RowOf("改过的销售"), 1);  // refreshed in place
    EXPECT_EQ(Cell(1, 9) + "|" + Cell(1, 8) + "|" + Cell(0, 1), "99.00|20%|乙");

    // A failed write leaves table and list as they were, and no change pending: the next
    // write carries only its own values.
    m_sql->RefuseUpdates("SaleTable", "no");
    m_sale->List()->SelectRow(0);
    m_capture.Clear();
    Command(1043, "1000=改不了|1021=77");
    EXPECT_GE(m_capture.Count(), 1u);  // the failure is shown
    EXPECT_EQ(Cell(0, 1) + Cell(0, 9), "乙50.00");
    m_sql->AllowUpdates("SaleTable");
    m_capture.Clear();
    Command(1043, "1019=2");
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(Joined("SELECT SaleName, SaleMoney, ProductPrice, ClientDateTime FROM SaleTable "
                     "WHERE ProductPrice=2"),
              "乙/50.0/2.0/3");
}

TEST_F(MainWindowTest, TypedContactsAndAFieldThatCannotBeSet) {
    OpenMain(0);
    auto* contact = Control<QComboBox>(m_sale, IDC_CONTACT);
    Command(1016, "1000=无联系人");  // no contact: no empty name in the list
    EXPECT_EQ(contact->count(), 3);
    Command(1016, "1231=王五");
    ASSERT_EQ(contact->count(), 4);
    EXPECT_EQ(contact->itemText(2).toStdString() + contact->itemText(3).toStdString(), "王五全部");
    EXPECT_EQ(Text("SELECT ObjectDateTime FROM SaleTable WHERE ClientName='王五'"), "0");

    // A table without its last column: every field before it can be set, that one not.
    Exec("ALTER TABLE SaleTable DROP COLUMN ClientDateTime");
    OpenMain(0);
    contact = Control<QComboBox>(m_sale, IDC_CONTACT);
    const int rows = m_sale->List()->GetRowCount();
    Command(1016, "1231=赵六");
    EXPECT_GE(m_capture.Count(), 1u);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM SaleTable"), "2");
    EXPECT_EQ(m_sale->List()->GetRowCount(), rows);
    EXPECT_EQ(contact->findText(QStringLiteral("赵六")), -1);  // the name is not taken over
}

// The "..." of 产品名称 renames, merges or deletes the record's product while its editor is
// open; the editor's 确定 then writes its own change and keeps what the dialog stored.
TEST_F(MainWindowTest, AProductChangedFromTheOpenEditorStaysBesideTheEditorsChange) {
    struct Case {
        const char* newName;  // "" deletes A; a listed name merges A into it
        bool choose;          // 确定 in the dialog with the product chosen, else 取消
        const char* product;  // stored afterwards
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"B", true, "B", {}},
        {"B", false, "B", {}},
        {"C", true, "C", {"要修改的参数名已经存在，确定要合并记录吗？"}},
        {"", false, "", {"确实删除记录吗？"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.newName) + (c.choose ? " chosen" : " cancelled"));
        Exec("DELETE FROM SaleTable");
        Exec("DELETE FROM ObjectPar");
        AddParams(kParamProductName, {"A", "C"});
        AddSale("甲", 10);
        Exec("UPDATE SaleTable SET ProductName='A'");
        OpenMain(5);
        m_sale->List()->SelectRow(0);
        m_capture.Clear();
        auto adjust = [&c](CParamAdjustDlg* params) {
            while (params->IsLoading()) QTest::qWait(2);
            auto select = [params](const std::string& name) {
                for (int r = 0; r < params->RowCount(); ++r)
                    if (params->RowName(r) == name) params->List()->selectRow(r);
            };
            select("A");
            if (*c.newName)
                WhenShown<CParamNameDlg>([&c](CParamNameDlg* name) {
                    auto* edit = Control<QLineEdit>(name, IDC_PARAM_NAME);
                    edit->clear();
                    TypeKeys(edit, QString::fromUtf8(c.newName));
                    Click(name, IDC_PARAM_NAME_OK);
                });
            Click(params, *c.newName ? IDC_PARAM_MODIFY : IDC_PARAM_DELETE);
            if (c.choose) select(c.product);
            Click(params, c.choose ? IDC_PARAM_OK : IDC_PARAM_CANCEL);
        };
        AnswerEditors([this] { Click(m_window.get(), 1043); }, {[&](CRecordEditDlg* dlg) {
                          Type(dlg, 1000, "changed");
                          WhenShown<CParamAdjustDlg>(adjust);
                          Click(dlg, 1284);
                          PressOk(*dlg);
                      }});
        EXPECT_EQ(m_capture.Texts(), c.messages);
        EXPECT_EQ(Joined("SELECT SaleName, ProductName FROM SaleTable"),
                  std::string("changed/") + c.product);
        EXPECT_EQ(Cell(0, 1), "changed");
    }
}

TEST_F(MainWindowTest, CountSelectAllAndKeysFollowTheVisiblePage) {
    Exec(
        "INSERT INTO SaleTable (SaleName, ObjectDateTime) VALUES ('s1', 5), ('s2', 5), "
        "('s3', 5); INSERT INTO ChanceTable (ChanceName, ObjectDateTime) VALUES ('c1', 5)");
    OpenMain(5);
    CCrmManageDlg& dlg = *m_window;
    auto* chance = static_cast<CRecordPage*>(dlg.GetPage(RecordKind::Chance));
    auto* count = dlg.findChild<QLabel*>("id1364");
    auto* selectAll = dlg.findChild<QCheckBox*>("id1044");
    EXPECT_EQ(count->text(), "3");
    EXPECT_FALSE(chance->IsLoading());  // never shown, never loaded
    EXPECT_EQ(m_sale->List()->width(), dlg.GetTabCtrl()->width() - 8);

    QTest::mouseClick(selectAll, Qt::LeftButton);
    EXPECT_TRUE(m_sale->List()->GetCheck(0) && m_sale->List()->GetCheck(2));

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
    auto* edit = m_sale->findChild<QLineEdit*>("id1000");
    edit->setText("s2");
    QTest::keyClick(edit, Qt::Key_Return);
    WaitIdle(m_sale);
    EXPECT_EQ(count->text(), "1");
    EXPECT_FALSE(selectAll->isChecked());

    // Space types a blank into the content edit and the contact box; in the list it ticks
    // nothing.
    edit->clear();
    QTest::keyClicks(edit, "2007-5-3 10:20");
    EXPECT_EQ(edit->text(), "2007-5-3 10:20");
    auto* contact = m_sale->findChild<QComboBox*>("id1231");
    contact->lineEdit()->clear();
    QTest::keyClicks(contact->lineEdit(), "a b");
    EXPECT_EQ(contact->currentText(), "a b");
    m_sale->List()->GetView()->setFocus();
    QTest::keyClick(m_sale->List()->GetView(), Qt::Key_Space);
    EXPECT_FALSE(m_sale->List()->GetCheck(0));
    m_sale->List()->SetCheck(0, 1);
    m_capture.QueueAnswers({IDYES});
    Click(&dlg, 1027);
    EXPECT_EQ(m_capture.Texts(), std::vector<std::string>{"确实要删除所选记录吗？"});
    EXPECT_EQ(count->text(), "0");
}
