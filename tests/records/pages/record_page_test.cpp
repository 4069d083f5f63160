// A page of each kind in a stand-in main window: loads, queries, deletes, the host's pick.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/messages.h"
#include "support/record_windows.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

class RecordPageTest : public RecordWindowsTest {
protected:
    // A sale of client; more: its date (2007-03-01 14:05:09 in Shanghai), number, discount, price.
    void AddSale(const std::string& name, long client,
                 const char* more = "1172729109, 1, 100, 1.5") {
        Exec(
            "INSERT INTO SaleTable (SaleName, ObjectDateTime, ClientName, SaleDate, SaleNumber, "
            "DisCount, ProductPrice) VALUES ('" +
            name + "', " + std::to_string(client) + ", 'c', " + more + ")");
    }
    // Sales r1 ... rcount of client 5.
    void AddManySales(int count) {
        Exec(Numbers(count) +
             "INSERT INTO SaleTable (SaleName, ObjectDateTime) SELECT 'r' || i, 5 FROM n");
    }
    template <typename T>
    T* Find(int id) {
        return Control<T>(m_page.get(), id);
    }
    // Chooses the field with this heading (and the contact, if given) and types the content into
    // the shown control.
    void Query(const char* heading, const std::string& content, const char* contact = nullptr) {
        if (contact) SetContact(contact);
        auto* condition = Find<QComboBox>(IDC_CONDITION);
        condition->setCurrentIndex(condition->findText(QString::fromUtf8(heading)));
        ASSERT_GE(condition->currentIndex(), 0) << heading;
        auto* edit = Find<QLineEdit>(IDC_CONTENT_EDIT);
        if (!edit->isHidden())
            edit->setText(QString::fromStdString(content));
        else
            Find<QComboBox>(IDC_CONTENT_COMBO)->setEditText(QString::fromStdString(content));
        QTest::mouseClick(Find<QPushButton>(IDC_QUERY), Qt::LeftButton);
        WaitLoaded();
    }
    void SetContact(const char* text) {
        Find<QComboBox>(IDC_CONTACT)->setEditText(QString::fromUtf8(text));
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> out;
        for (int r = 0; r < m_page->List()->GetRowCount(); ++r)
            out.push_back(std::string(m_page->List()->GetCellText(r, column)));
        return out;
    }
};

using Rows = std::vector<std::string>;

// A Sale page that records the editor hand-overs instead of opening an editor.
class EditorRecordingPage : public CRecordPage {
public:
    explicit EditorRecordingPage(QWidget* parent) : CRecordPage(RecordKind::Sale, parent) {}
    long NewRecordKey() {
        m_keys.clear();
        NewRecord();
        return m_keys.size() == 1 ? m_keys[0] : -1;
    }
    void OpenEditor(int mode, long arg) override {
        if (mode == 0) m_keys.push_back(arg);
    }
    std::vector<long> m_keys;
};

// A host that answers every pick with the names, keys and group of the test.
struct PickAnswer {
    OrviStringArray pickedNames;
    OrviKeyArray pickedKeys;
    OrviStringArray groupNames;
    OrviKeyArray groupKeys;
    intptr_t answer = 0;
};
PickAnswer g_pickAnswer;
OrviHostWnd g_testHost{[](OrviHostWnd*, uint32_t, uintptr_t, intptr_t request) -> intptr_t {
    auto* pick = reinterpret_cast<ClientPickRequest*>(request);
    *pick->pickedNames = g_pickAnswer.pickedNames;
    *pick->pickedKeys = g_pickAnswer.pickedKeys;
    *pick->groupNames = g_pickAnswer.groupNames;
    *pick->groupKeys = g_pickAnswer.groupKeys;
    if (!g_pickAnswer.groupNames.empty()) *pick->groupText = "组";
    return g_pickAnswer.answer;
}};

}  // namespace

// The first show loads the client's records. A delete refused by a lock keeps the rows
// ticked; a load from a missing table leaves an empty page whose next query works.
TEST_F(RecordPageTest, LoadsTheClientsRecordsAndStaysUsableAfterAFailedDeleteOrLoad) {
    AddSale("a", 5, "1172729109, 2, 85, 12.5");
    AddSale("b", 6);
    AddSale("c", 5);
    OpenPage(RecordKind::Sale, 5);
    EXPECT_EQ(m_page->GetSql(), "SELECT * FROM SaleTable WHERE ObjectDateTime=5");
    EXPECT_EQ(Column(1), (Rows{"a", "c"}));
    EXPECT_EQ(Column(0)[0] + "|" + Column(6)[0] + "|" + Column(8)[0], "2007_03_01|12.50|85%");
    EXPECT_EQ(CountLabel(), "2");
    EXPECT_TRUE(Find<QComboBox>(IDC_CONTENT_COMBO)->isHidden());
    EXPECT_FALSE(Find<QLineEdit>(IDC_CONTENT_EDIT)->isHidden());
    auto* contact = Find<QComboBox>(IDC_CONTACT);
    EXPECT_EQ(contact->count(), 3);
    EXPECT_EQ((contact->currentText() + "/" + contact->itemText(2)).toStdString(), "张三/全部");
    EXPECT_EQ(m_capture.Count(), 0u);

    CCheckListCtrl* list = m_page->List();
    if (!TestOnPostgres()) {  // a lock on a file of its own
        list->CheckAll();
        Exec("BEGIN EXCLUSIVE");
        m_capture.QueueAnswers({IDYES});
        m_page->DeleteChecked();
        Exec("COMMIT");
        const Rows texts = m_capture.Texts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts.back(), "删除记录失败");
        EXPECT_EQ(Column(1), (Rows{"a", "c"}));
        EXPECT_TRUE(list->GetCheck(0) && list->GetCheck(1));
        EXPECT_EQ(Count("SELECT COUNT(*) FROM SaleTable"), 3);
        m_capture.Clear();
    }
    Exec("ALTER TABLE SaleTable RENAME TO Moved");
    Query("主题", "a");
    EXPECT_GE(m_capture.Count(), 1u);
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(CountLabel(), "0");
    Exec("ALTER TABLE Moved RENAME TO SaleTable");
    m_capture.Clear();
    Query("主题", "a");
    EXPECT_EQ(Column(1), (Rows{"a"}));

    OpenPage(RecordKind::Active, -3);  // the reminder fields are no condition
    EXPECT_EQ(Find<QComboBox>(IDC_CONDITION)->count(), 8);
}

// Apostrophes, backslashes and % in a subject (LIKE), a typed contact (=) and a date text
// find what they say on either database; % stays a wildcard of the subject.
TEST_F(RecordPageTest, QueriesByFieldAndContactQuotingWhatIsTyped) {
    Exec(
        "INSERT INTO SaleTable (SaleDate, SaleName, ClientName, SaleNumber, ObjectDateTime) VALUES "
        "(1172729109, 'O''Brien \\ 100% off', 'O''Neil \\ 5%', 3, 5), "
        "(1172729109, 'O''Brien \\ 1000', 'O''Neil \\ 50', 1, 5), "
        "(1172729109, 'O''Brien  100 plus', 'O''Neil  5%', 1, 5), "
        "(1177981507, 'o''brien \\ 100%', 'x', 1, 5), "
        "(1172729109, 'third', 'O''Neil \\ 50', 3, 6)");
    OpenPage(RecordKind::Sale, 5);
    ASSERT_EQ(CountLabel(), "4");
    Query("主题", " O'Brien \\ 100% ", "全部");
    EXPECT_EQ(Column(1), (Rows{"O'Brien \\ 100% off", "O'Brien \\ 1000", "o'brien \\ 100%"}));
    Query("主题", "\\");
    EXPECT_EQ(CountLabel(), "3");
    Query("主题", "x'; DROP TABLE SaleTable; --");
    EXPECT_EQ(CountLabel(), "0");
    Query("主题", "", "O'Neil \\ 5%");
    EXPECT_EQ(Column(2), (Rows{"O'Neil \\ 5%"}));
    Query("销售日期", "2007-3'\\%", "全部");
    EXPECT_EQ(Column(1),
              (Rows{"O'Brien \\ 100% off", "O'Brien \\ 1000", "O'Brien  100 plus", "third"}));
    Query("数量", "3");
    EXPECT_EQ(Column(1), (Rows{"O'Brien \\ 100% off", "third"}));
    Query("数量", "3", "李四");
    EXPECT_EQ(Column(1), (Rows{"third"}));

    // Rejected contents start nothing and leave the list as it was.
    for (auto [heading, content] : {std::pair{"数量", "0"}, {"折扣", "101"}}) {
        Query(heading, content);
        EXPECT_EQ(Column(1), (Rows{"third"})) << heading << content;
    }
    EXPECT_EQ(m_capture.Count(), 0u);

    // The contact field matches by the content; the contact combo plays no part.
    Query("相关联系人", "O'Neil \\ 50");
    EXPECT_FALSE(Find<QComboBox>(IDC_CONTACT)->isEnabled());
    EXPECT_EQ(Column(1), (Rows{"O'Brien \\ 1000", "third"}));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SaleTable"), 5);
}

// The server ends the page's connection in the middle of a load: the load ends with a
// message, the page stays usable, and the next 查询 connects again.
TEST_F(RecordPageTest, ConnectionEndedByTheServerDuringALoad) {
    if (!TestOnPostgres()) GTEST_SKIP() << "a server's connection";
    AddManySales(200000);
    OpenPage(RecordKind::Sale, 5);
    ASSERT_EQ(CountLabel(), "200000");
    auto* edit = Find<QLineEdit>(IDC_CONTENT_EDIT);
    edit->setText("r");
    QTest::keyClick(edit, Qt::Key_Return);
    // Once rows arrive, the server ends every connection to the database but this one.
    while (m_page->IsLoading() && m_page->List()->GetRowCount() == 0) QTest::qWait(1);
    ASSERT_TRUE(m_page->IsLoading());
    EXPECT_GE(Count("SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE "
                    "datname = current_database() AND pid <> pg_backend_pid()"),
              1);
    WaitLoaded();
    ASSERT_EQ(m_capture.Count(), 1u);  // one box, however many rows were still to come
    EXPECT_EQ(m_capture.Messages()[0].caption, "连接问题");
    EXPECT_LT(m_page->List()->GetRowCount(), 200000);
    EXPECT_TRUE(Find<QPushButton>(IDC_QUERY)->isEnabled());

    m_capture.Clear();
    Query("主题", "r19999");
    EXPECT_EQ(Column(1), (Rows{"r19999", "r199990", "r199991", "r199992", "r199993", "r199994",
                               "r199995", "r199996", "r199997", "r199998", "r199999"}));
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(RecordPageTest, ChanceAndFeedBackConditionsAndTypedContents) {
    Exec(
        "INSERT INTO ChanceTable (ChanceName, ChanceNumber, ObjectDateTime) "
        "VALUES ('none', 0, 5), ('four', 4, 5)");
    OpenPage(RecordKind::Chance, 5);
    Query("需求数量", "0");
    EXPECT_EQ(Column(0), (Rows{"none"}));
    Query("需求数量", "-1");  // a rejected number empties the list
    EXPECT_EQ(m_page->List()->GetRowCount(), 0);
    EXPECT_EQ(CountLabel(), "0");

    Exec(
        "INSERT INTO FeedBackTable (FeedBackName, FeedBackEnd, ObjectDateTime) "
        "VALUES ('done', 1, 5), ('open', 0, 5), ('unset', NULL, 5)");
    AddParams(13, {"投诉", "Complaint-Phone"});
    g_clientNames = {"Annabel", "Ann"};
    OpenPage(RecordKind::FeedBack, 5);
    EXPECT_EQ(Column(7), (Rows{"是", "否", "否"}));
    Query("是否处理结束", "是");
    EXPECT_EQ(Column(0), (Rows{"done"}));
    Query("是否处理结束", "否");
    EXPECT_EQ(Column(0), (Rows{"open", "unset"}));
    Query("反馈类型", "");
    auto* content = Find<QComboBox>(IDC_CONTENT_COMBO);
    EXPECT_FALSE(content->isHidden());
    ASSERT_EQ(content->count(), 2);
    EXPECT_EQ(content->itemText(0).toStdString(), "投诉");

    // What is typed into the contact box and the content list is what the query looks for:
    // a prefix of a listed name or value is not completed to it, a listed name picks its
    // client.
    auto* contact = Find<QComboBox>(IDC_CONTACT);
    for (auto [typed, condition] :
         {std::pair{"Ann", "ObjectDateTime=6"}, std::pair{"Anna", "ClientName='Anna'"}}) {
        for (auto [box, text] : {std::pair{contact, typed}, std::pair{content, "Complaint"}}) {
            box->lineEdit()->setFocus();
            box->lineEdit()->clear();
            QTest::keyClicks(box->lineEdit(), text);
        }
        QTest::mouseClick(Find<QPushButton>(IDC_QUERY), Qt::LeftButton);
        WaitLoaded();
        const std::string sql = m_page->GetSql();
        EXPECT_NE(sql.find("LIKE '%Complaint%'"), std::string::npos) << sql;
        EXPECT_NE(sql.find(condition), std::string::npos) << sql;
    }
}

TEST_F(RecordPageTest, DeletesExactlyTheTickedRowsAfterASort) {
    for (const char* name : {"d", "b", "e", "a", "c"}) AddSale(name, 5);
    OpenPage(RecordKind::Sale, 5);
    CCheckListCtrl* list = m_page->List();

    m_capture.QueueAnswers({IDOK});
    m_page->DeleteChecked();
    EXPECT_EQ(m_capture.Texts(), (Rows{"请选定所要删除的记录"}));

    list->SortByColumn(1, true);
    ASSERT_EQ(Column(1), (Rows{"a", "b", "c", "d", "e"}));
    list->SetCheck(1, true);  // b
    list->SetCheck(3, true);  // d
    m_capture.QueueAnswers({IDNO});
    m_page->DeleteChecked();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SaleTable"), 5);

    m_capture.QueueAnswers({IDYES});
    m_page->DeleteChecked();
    EXPECT_EQ(Column(1), (Rows{"a", "c", "e"}));
    EXPECT_EQ(m_sql->Column("SELECT SaleName FROM SaleTable ORDER BY SaleName"), Column(1));
    EXPECT_EQ(CountLabel(), "3");

    // The rows kept their records: Delete in the list deletes the right one again.
    list->SetCheck(2, true);  // e
    m_capture.Clear();
    m_capture.QueueAnswers({IDYES});
    list->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(m_capture.Texts(), (Rows{"确实要删除所选记录吗？"}));
    EXPECT_EQ(Column(1), (Rows{"a", "c"}));
    EXPECT_EQ(m_sql->Column("SELECT SaleName FROM SaleTable ORDER BY SaleName"), Column(1));
}

// "..." asks the host. Every contact entry keeps its client's key for 新建 and 查询: a picked
// client inserted at the top, a handed-over client chosen while a pick is in force, a name
// typed over the selection. After a group pick "全部" is every client of the group, however
// many keys the host wrote.
TEST_F(RecordPageTest, ContactEntriesKeepTheirOwnKeysForNewAndQuery) {
    for (auto [name, client] :
         {std::pair{"zhang", 5}, {"li", 6}, {"zhao", 14}, {"a", 11}, {"b", 12}, {"c", 13}})
        AddSale(name, client);
    auto* page = new EditorRecordingPage(m_tab);
    OpenPage(page, 6);
    auto* contact = Find<QComboBox>(IDC_CONTACT);
    EXPECT_EQ(page->NewRecordKey(), 6);

    g_hostWnd = reinterpret_cast<uintptr_t>(&g_testHost);
    g_pickAnswer = {{"赵六"}, {14}, {}, {}, 14};
    QTest::mouseClick(Find<QPushButton>(IDC_PICK), Qt::LeftButton);
    ASSERT_EQ(contact->itemText(0).toStdString(), "赵六");
    // 张三 was listed by the host before the pick; a name of no known client is the page's
    // own and matched by name.
    const std::tuple<int, const char*, long, Rows> steps[] = {{0, nullptr, 14, {"zhao"}},
                                                              {1, nullptr, 5, {"zhang"}},
                                                              {0, "李四", 6, {"li"}},
                                                              {0, "无名", 6, {}}};
    for (const auto& [index, typed, key, rows] : steps) {
        contact->setCurrentIndex(index);
        if (typed) SetContact(typed);
        EXPECT_EQ(page->NewRecordKey(), key) << key;
        Query("主题", "");
        EXPECT_EQ(Column(1), rows) << key;
    }

    // The host writes the group's keys as picked keys, or only into the request.
    for (bool keysInRequest : {false, true}) {
        g_pickAnswer = {{}, {}, {"甲", "乙"}, {11, 12}};
        if (!keysInRequest) g_pickAnswer = {{"甲", "乙"}, {11, 12}, {"甲", "乙"}, {}};
        QTest::mouseClick(Find<QPushButton>(IDC_PICK), Qt::LeftButton);
        EXPECT_EQ(contact->currentText().toStdString(), "全部");
        Query("主题", "");
        EXPECT_EQ(Column(1), (Rows{"a", "b"})) << keysInRequest;
        contact->setCurrentIndex(1);
        EXPECT_EQ(page->NewRecordKey(), 12) << keysInRequest;
    }
}

// A second query replaces a running one. No command cuts a load short: 全选 ticks the rows
// still to come and the load goes on; 新建, 查看, 删除 and 导出 let it finish first, so list
// and count end complete. Only 停止 and closing the page end a load early.
TEST_F(RecordPageTest, CommandsDuringALoadLeaveTheListComplete) {
    constexpr int kRows = 30000;
    AddManySales(kRows);
    auto* page = new EditorRecordingPage(m_tab);
    OpenPage(page, 5);
    ASSERT_EQ(page->List()->GetRowCount(), kRows);
    auto* edit = Find<QLineEdit>(IDC_CONTENT_EDIT);
    edit->setText("r");
    auto startLoad = [&] {
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_TRUE(page->IsLoading());
        ASSERT_LT(page->List()->GetRowCount(), kRows);
    };

    startLoad();
    EXPECT_FALSE(Find<QPushButton>(IDC_QUERY)->isEnabled());
    startLoad();
    SendMessage(page->GetSafeHwnd(), WM_PAGE_SELECTALL, 1, 0);
    EXPECT_TRUE(page->IsLoading());
    WaitLoaded();
    ASSERT_EQ(page->List()->GetRowCount(), kRows);
    EXPECT_EQ(CountLabel(), std::to_string(kRows));
    int ticked = 0;
    for (int r = 0; r < kRows; ++r) ticked += page->List()->GetCheck(r);
    EXPECT_EQ(ticked, kRows);

    for (UINT command : {WM_PAGE_NEW, WM_PAGE_VIEW, WM_PAGE_DELETE, 0u}) {  // 0: 导出
        startLoad();
        if (command == 0)
            page->ExportChecked();
        else
            SendMessage(page->GetSafeHwnd(), command, 0, 0);
        EXPECT_FALSE(page->IsLoading()) << command;
        EXPECT_EQ(page->List()->GetRowCount(), kRows) << command;
        EXPECT_EQ(CountLabel(), std::to_string(kRows)) << command;
    }
    EXPECT_EQ(m_capture.Texts(),
              (Rows{"请选择记录", "请选定所要删除的记录", "请在您想要导出的记录前打钩！"}));

    startLoad();
    QTest::mouseClick(Find<QPushButton>(IDC_STOP), Qt::LeftButton);
    EXPECT_FALSE(page->IsLoading());
    const int shown = page->List()->GetRowCount();
    EXPECT_LT(shown, kRows);
    EXPECT_EQ(CountLabel(), std::to_string(shown));
    EXPECT_TRUE(Find<QPushButton>(IDC_QUERY)->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(IDC_STOP)->isEnabled());
    startLoad();
    m_page.reset();
}
