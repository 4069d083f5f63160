// 新建 and 查看 of the Sale page through the editor, and the write-back into table and list.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/page_factory.h"
#include "records/pages/record_page.h"
#include "tests/records/editors/editor_fixture.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

class SalePageEditorTest : public EditorFixture {
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
    void OpenPage(int clientKey) {
        m_page.reset(static_cast<CRecordPage*>(CreateRecordPage(RecordKind::Sale, m_tab)));
        m_page->SetHosted(1);
        m_page->SetClientKey(clientKey);
        m_page->LayoutControls();
        m_page->show();
        WaitPage();
    }
    void WaitPage() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (m_page->IsLoading() && std::chrono::steady_clock::now() < end) QTest::qWait(2);
        ASSERT_FALSE(m_page->IsLoading());
    }
    void AddSale(const char* name, long client, double money) {
        Exec(
            "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, SaleMoney, SaleNumber, "
            "DisCount, ObjectDateTime, ClientDateTime) VALUES (1172729109, '" +
            std::string(name) + "', '张三', " + std::to_string(money) + ", 1, 100, " +
            std::to_string(client) + ", 3)");
    }
    std::vector<std::string> Row(int row) {
        std::vector<std::string> cells;
        CCheckListCtrl* list = m_page->List();
        for (int c = 0; c < 18; ++c) cells.push_back(list->GetCellText(row, c));
        return cells;
    }
    int RowOf(const std::string& subject) {
        CCheckListCtrl* list = m_page->List();
        for (int r = 0; r < list->GetRowCount(); ++r)
            if (list->GetCellText(r, 1) == subject) return r;
        return -1;
    }
    // Answers the next editor: types the texts into their controls and presses 确定.
    void AnswerEditor(std::vector<std::pair<int, std::string>> typed, bool* seen = nullptr) {
        WhenEditorShown([typed, seen](CRecordEditDlg* dlg) {
            if (seen) *seen = true;
            for (const auto& [id, text] : typed) {
                if (id == IDC_EDIT_CONTACT)
                    Pick(dlg, id, text);
                else
                    Type(dlg, id, text);
            }
            QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
            if (dlg->isVisible()) dlg->OnCancel();  // refused: do not hang the test
        });
    }

    QWidget m_main;
    QWidget* m_tab = nullptr;
    std::unique_ptr<CRecordPage> m_page;
};

}  // namespace

TEST_F(SalePageEditorTest, AddSortReopenChangeAndReadTheTable) {
    AddSale("甲", 5, 10);
    AddSale("乙", 5, 50);
    OpenPage(5);
    ASSERT_EQ(m_page->List()->GetRowCount(), 2);

    AnswerEditor({{1000, "新的销售"},
                  {1019, "12.5"},
                  {1020, "4"},
                  {1051, "15"},
                  {1021, "42.5"},
                  {1054, "RMB"},
                  {1003, "HT-9"},
                  {1231, "李四"}});
    EXPECT_EQ(SendMessage(m_page->GetSafeHwnd(), WM_PAGE_NEW, 0, 0), 3);
    EXPECT_EQ(m_capture.Count(), 0u);
    const std::string where = " FROM SaleTable WHERE SaleName='新的销售'";
    EXPECT_EQ(Text("SELECT SaleNumber || '/' || DisCount || '/' || ProductPrice || '/' || "
                   "SaleMoney || '/' || MoneyType || '/' || AgreeMent || '/' || ClientName || "
                   "'/' || ObjectDateTime" +
                   where),
              "4/15/12.5/42.5/RMB/HT-9/李四/6");
    EXPECT_EQ(Text("SELECT SaleDate" + where), std::to_string(TodayLocalStart()));
    // The new row is the last, unticked, in its display forms.
    const std::vector<std::string> added = Row(2);
    EXPECT_EQ(added[1], "新的销售");
    EXPECT_EQ(added[8], "15%");
    EXPECT_EQ(added[6], "12.50");
    char today[32];
    const std::time_t t = TodayLocalStart();
    std::tm tm{};
    localtime_r(&t, &tm);
    std::snprintf(today, sizeof today, "%04d_%02d_%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
    EXPECT_EQ(added[0], today);
    EXPECT_FALSE(m_page->List()->GetCheck(2));

    // Sorted by 实际金额 descending, the new record is the middle row.
    m_page->List()->SortByColumn(9, 0);
    const int row = RowOf("新的销售");
    ASSERT_EQ(row, 1);
    m_page->List()->SelectRow(row);
    AnswerEditor({{1000, "改过的销售"}, {1021, "99"}, {1051, "20"}});
    SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM SaleTable"), "3");
    EXPECT_EQ(Text("SELECT SaleMoney || '/' || DisCount || '/' || SaleNumber || '/' || MoneyType "
                   "FROM SaleTable WHERE SaleName='改过的销售'"),
              "99.0/20/4/RMB");
    EXPECT_EQ(RowOf("改过的销售"), 1);  // refreshed in place
    EXPECT_EQ(Row(1)[9], "99.00");
    EXPECT_EQ(Row(1)[8], "20%");
    EXPECT_EQ(Row(0)[1], "乙");  // the other rows are untouched
    EXPECT_EQ(Text("SELECT SaleName FROM SaleTable WHERE SaleMoney=50"), "乙");
}

TEST_F(SalePageEditorTest, ModifyKeepsTheFieldsTheEditorDoesNotShow) {
    AddSale("甲", 5, 10);
    OpenPage(5);
    m_page->List()->SelectRow(0);
    bool seen = false;
    AnswerEditor({{1019, "3"}}, &seen);
    SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
    ASSERT_TRUE(seen);
    EXPECT_EQ(Text("SELECT ClientDateTime || '/' || SaleDate || '/' || ObjectDateTime || '/' || "
                   "ClientName FROM SaleTable"),
              "3/1172678400/5/张三");  // the day of the stored time, at 00:00 local
}

TEST_F(SalePageEditorTest, CancelledEditorWritesNothing) {
    AddSale("甲", 5, 10);
    OpenPage(5);
    WhenEditorShown([](CRecordEditDlg* dlg) {
        Type(dlg, 1000, "不要");
        QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_CANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(SendMessage(m_page->GetSafeHwnd(), WM_PAGE_NEW, 0, 0), 1);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM SaleTable"), "1");
}

TEST_F(SalePageEditorTest, FailedWriteLeavesTableAndListAsTheyWere) {
    AddSale("甲", 5, 10);
    OpenPage(5);
    const std::vector<std::string> before = Row(0);
    Exec(
        "CREATE TRIGGER no_update BEFORE UPDATE ON SaleTable BEGIN SELECT RAISE(ABORT, 'locked'); "
        "END");
    m_page->List()->SelectRow(0);
    AnswerEditor({{1000, "改不了"}, {1021, "77"}});
    SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
    EXPECT_GE(m_capture.Count(), 1u);  // the failure is shown
    EXPECT_EQ(Row(0), before);
    EXPECT_EQ(Text("SELECT SaleName FROM SaleTable"), "甲");

    // After the failure the recordset has no change pending: the next write is the new one.
    Exec("DROP TRIGGER no_update");
    m_capture.Clear();
    AnswerEditor({{1019, "2"}});
    SendMessage(m_page->GetSafeHwnd(), WM_PAGE_VIEW, 0, 0);
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(Text("SELECT SaleName || '/' || SaleMoney || '/' || ProductPrice FROM SaleTable"),
              "甲/10.0/2.0");
}

TEST_F(SalePageEditorTest, FieldThatCannotBeSetCancelsTheNewRecord) {
    // A table without its last column: every field before it can be set, that one not.
    Exec("ALTER TABLE SaleTable DROP COLUMN ClientDateTime");
    OpenPage(5);
    auto* contact = m_page->findChild<QComboBox*>(QStringLiteral("id%1").arg(IDC_CONTACT));
    const int contacts = contact->count();
    WhenEditorShown([](CRecordEditDlg* dlg) {
        Type(dlg, 1000, "写不进");
        Type(dlg, IDC_EDIT_CONTACT, "王五");
        QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
    });
    EXPECT_EQ(SendMessage(m_page->GetSafeHwnd(), WM_PAGE_NEW, 0, 0), 0);
    EXPECT_GE(m_capture.Count(), 1u);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM SaleTable"), "0");
    EXPECT_EQ(contact->count(), contacts);  // the name was not taken over either
}

TEST_F(SalePageEditorTest, NewContactNameGoesBeforeAll) {
    OpenPage(0);
    auto* contact = m_page->findChild<QComboBox*>(QStringLiteral("id%1").arg(IDC_CONTACT));
    WhenEditorShown([](CRecordEditDlg* dlg) {
        Type(dlg, IDC_EDIT_CONTACT, "王五");
        QTest::mouseClick(Control<QPushButton>(dlg, IDC_EDIT_OK), Qt::LeftButton);
    });
    SendMessage(m_page->GetSafeHwnd(), WM_PAGE_NEW, 0, 0);
    ASSERT_EQ(contact->count(), 4);
    EXPECT_EQ(contact->itemText(2).toStdString(), "王五");
    EXPECT_EQ(contact->itemText(3).toStdString(), "全部");
    EXPECT_EQ(Text("SELECT ObjectDateTime FROM SaleTable"), "0");
}
