#include "records/editors/sale_edit_dlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "params/param_kinds.h"
#include "tests/records/editors/editor_fixture.h"

namespace {

// The twenty texts of a sale in field order.
std::vector<std::string> SaleValues() {
    return {"1172678400", "主题一", "李四",  "产品B", "型号A",   "红色",     "1234.50",
            "7",          "85",     "99.00", "HT-1",  "2000.00", "普通发票", "USD",
            "10.00",      "20.00",  "30.00", "40.00", "6",       "77"};
}

class SaleEditDlgTest : public EditorFixture {
protected:
    std::unique_ptr<CSaleEditDlg> Open(int mode, std::vector<std::string> values, long key = 0) {
        auto dlg = std::make_unique<CSaleEditDlg>();
        dlg->m_mode = mode;
        dlg->m_contactKey = key;
        dlg->m_values = std::move(values);
        dlg->InitDialog();
        dlg->show();
        return dlg;
    }
    static bool PressOk(CSaleEditDlg& dlg) {
        QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
        return dlg.isHidden() && dlg.result() == 1;
    }
    void AddSaleLists() {
        AddParams(kParamMoneyType, {"RMB", "usd", "USD", "USD"});
        AddParams(kParamProductName, {"产品A", "产品B"});
        AddParams(kParamInvoiceType, {"普通发票", "增值税发票"});
    }
};

}  // namespace

TEST_F(SaleEditDlgTest, NewRecordStartsWithDefaultsAndStoresTheirForms) {
    std::vector<std::string> incoming(20, "junk");
    incoming[19] = "77";
    auto dlg = Open(0, incoming, 6);
    EXPECT_EQ(dlg->windowTitle().toStdString(), "增加销售记录");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1286)->toolTip().toStdString(), "编辑货币类型");
    EXPECT_TRUE(Control<QPushButton>(dlg.get(), 1016)->toolTip().isEmpty());
    for (QLabel* label : dlg->findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("单    价：")) {
            EXPECT_EQ(label->buddy(), Control<QWidget>(dlg.get(), 1019));
        }
    }
    EXPECT_EQ(Shown(dlg.get(), 1020) + "/" + Shown(dlg.get(), 1051) + "/" + Shown(dlg.get(), 1019),
              "1/0/0");
    EXPECT_EQ(Shown(dlg.get(), 1231), "李四");
    // Tab goes row by row: 发票类型 (row 4, right) comes before 货币类型 (row 5, left).
    QWidget* afterTotal = Control<QWidget>(dlg.get(), 1002)->nextInFocusChain();
    while (afterTotal && afterTotal->focusPolicy() == Qt::NoFocus)
        afterTotal = afterTotal->nextInFocusChain();
    EXPECT_TRUE(afterTotal == Control<QWidget>(dlg.get(), 1053) ||
                afterTotal == Control<QComboBox>(dlg.get(), 1053)->lineEdit());
    WaitLoaded(*dlg);

    ASSERT_TRUE(PressOk(*dlg));
    const std::vector<std::string>& v = dlg->m_values;
    EXPECT_EQ(v[0], std::to_string(TodayLocalStart()));
    for (int amount : {6, 9, 11, 14, 15, 16, 17}) EXPECT_EQ(v[amount], "0.00") << amount;
    EXPECT_EQ(v[7] + "/" + v[8] + "/" + v[1] + "/" + v[2] + "/" + v[18] + "/" + v[19],
              "1/0//李四/6/77");
    EXPECT_EQ(dlg->m_contactKey, 6);

    // A contact missing from the list: no entry chosen, key 0. Mode 2 only names the window.
    auto other = Open(2, std::vector<std::string>(20), 99);
    EXPECT_EQ(other->windowTitle().toStdString(), "查看销售记录");
    EXPECT_EQ(Shown(other.get(), 1231), "");
    ASSERT_TRUE(PressOk(*other));
    EXPECT_EQ(other->m_values[18], "0");
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(SaleEditDlgTest, ContactTypedOverTheSelectionGivesTheTypedClientsKey) {
    auto dlg = Open(0, std::vector<std::string>(20), 5);
    auto* contact = Control<QComboBox>(dlg.get(), 1231);
    ASSERT_EQ(contact->currentText().toStdString(), "张三");
    contact->lineEdit()->selectAll();
    QTest::sendKeyEvent(QTest::Click, contact->lineEdit(), Qt::Key_unknown, QStringLiteral("李四"),
                        Qt::NoModifier);
    WaitLoaded(*dlg);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[2] + "/" + dlg->m_values[18], "李四/6");

    // A name no client has gives key 0.
    auto unknown = Open(0, std::vector<std::string>(20), 5);
    auto* edit = Control<QComboBox>(unknown.get(), 1231)->lineEdit();
    edit->selectAll();
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("王五"),
                        Qt::NoModifier);
    WaitLoaded(*unknown);
    ASSERT_TRUE(PressOk(*unknown));
    EXPECT_EQ(unknown->m_values[2] + "/" + unknown->m_values[18], "王五/0");
}

TEST_F(SaleEditDlgTest, ModifyShowsTheRecordAndSelectsTheFirstEqualEntry) {
    AddSaleLists();
    auto dlg = Open(1, SaleValues());
    EXPECT_EQ(dlg->windowTitle().toStdString(), "修改销售记录");
    EXPECT_EQ(Shown(dlg.get(), 1019), "1234.5");
    EXPECT_EQ(Control<QDateEdit>(dlg.get(), 1009)->date(), QDate(2007, 3, 1));
    WaitLoaded(*dlg);
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    ASSERT_EQ(money->count(), 4);
    EXPECT_EQ(money->currentIndex(), 2);  // "USD": not "usd", not the second "USD"
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1232)->currentIndex(), 1);
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1233)->currentText().toStdString(), "型号A");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values, SaleValues());
}

TEST_F(SaleEditDlgTest, RefusedValuesShowOneMessageAndKeepTheDialogOpen) {
    struct Case {
        int id;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {1051, "101", "折扣：请输入 0 到 100 之间的整数。"},
        {1020, "1000000", "数量：请输入 0 到 999999 之间的整数。"},
        {1042, "100000000", "未开票金额：请输入 0 到 99999999 之间的数。"},
        {1000, std::string(128, 's'), "销售主题：请输入不超过 127 个字符。"},
        {1054, std::string(51, 'm'), "货币类型：请输入不超过 50 个字符。"},
    };
    for (const Case& c : cases) {
        m_capture.Clear();
        auto dlg = Open(1, SaleValues());
        Type(dlg.get(), c.id, c.text);
        Type(dlg.get(), c.id == 1000 ? 1003 : 1000, "x");  // the focus elsewhere
        // Enter acts as 确定 and is refused the same way.
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dlg.get(),
                        Qt::Key_Return);
        EXPECT_TRUE(dlg->isVisible()) << c.id;
        ASSERT_EQ(m_capture.Texts(), std::vector<std::string>{c.message}) << c.id;
        QWidget* control = Control<QWidget>(dlg.get(), c.id);
        EXPECT_EQ(dlg->focusWidget(), control->focusProxy() ? control->focusProxy() : control);
        EXPECT_EQ(dlg->m_values, SaleValues()) << c.id;
    }
}

TEST_F(SaleEditDlgTest, KeyboardDropsLettersInNumbersAndTakesEnterAsOk) {
    auto dlg = Open(0, std::vector<std::string>(20));
    Type(dlg.get(), 1019, "");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1019), "12ab.5Z");
    EXPECT_EQ(Shown(dlg.get(), 1019), "12.5");
    Type(dlg.get(), 1020, "");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1020), "3x-4");
    EXPECT_EQ(Shown(dlg.get(), 1020), "34");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1000), "abc");
    EXPECT_EQ(Shown(dlg.get(), 1000), "abc");
    auto* price = Control<QLineEdit>(dlg.get(), 1019);
    QTest::keyClick(price, Qt::Key_A, Qt::ControlModifier);  // shortcuts still work
    QTest::keyClicks(price, "7");
    EXPECT_EQ(Shown(dlg.get(), 1019), "7");

    for (int id : {1019, 1054, 1231}) {
        auto other = Open(1, SaleValues());
        Type(other.get(), 1000, "按回车");
        QWidget* target = Control<QWidget>(other.get(), id);
        if (auto* combo = qobject_cast<QComboBox*>(target)) target = combo->lineEdit();
        QTest::keyClick(target, Qt::Key_Enter);
        EXPECT_EQ(other->result(), 1) << id;
        EXPECT_EQ(other->m_values[1], "按回车") << id;
    }
}

TEST_F(SaleEditDlgTest, TypedLookupValueIsCommittedOnLeavingTheCombo) {
    AddSaleLists();
    auto dlg = Open(0, std::vector<std::string>(20));
    WaitLoaded(*dlg);
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    Type(dlg.get(), 1054, "USD");
    Control<QLineEdit>(dlg.get(), 1000)->setFocus();
    EXPECT_EQ(money->currentIndex(), 2);
    // A value not in the list stays as typed and is stored as typed, not added to the list.
    Type(dlg.get(), 1054, "EUR");
    Control<QLineEdit>(dlg.get(), 1000)->setFocus();
    EXPECT_EQ(money->currentIndex(), -1);
    EXPECT_EQ(money->currentText().toStdString(), "EUR");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[13], "EUR");
    EXPECT_EQ(Text("SELECT COUNT(*) FROM ObjectPar WHERE ObjectParName='EUR'"), "0");
}

TEST_F(SaleEditDlgTest, ListsFillAndReloadUnderTheTypedText) {
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        AddManyParams(kind, 3000);
    auto dlg = Open(0, std::vector<std::string>(20));
    Type(dlg.get(), 1232, "v2999");  // typed before its list arrived
    WaitLoaded(*dlg);
    for (int id : {1054, 1233, 1232, 1053})
        EXPECT_EQ(Control<QComboBox>(dlg.get(), id)->count(), 3000) << id;
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1232)->currentIndex(), 2999);
    EXPECT_EQ(Shown(dlg.get(), 1054), "");

    auto* money = Control<QComboBox>(dlg.get(), 1054);
    Type(dlg.get(), 1054, "JPY");
    AddParams(kParamMoneyType, {"JPY"});
    dlg->ReloadLookup(money);
    WaitLoaded(*dlg);
    EXPECT_EQ(money->count(), 3001);
    EXPECT_EQ(money->currentIndex(), 3000);
    EXPECT_EQ(Shown(dlg.get(), 1054), "JPY");
}

// Typed text is stored as typed: a prefix of a listed value or name is not completed to it,
// and only a name equal to a listed one takes that client's key.
TEST_F(SaleEditDlgTest, TypedTextIsStoredAsTypedNotCompletedToAListedOne) {
    AddParams(kParamMoneyType, {"RMB-CASH"});
    g_clientNames = {"Annabel", "Ann"};
    g_clientKeys = {5, 6};
    struct Case {
        const char* money;
        const char* contact;
        const char* key;
    };
    for (const Case& c :
         {Case{"RMB", "Ann", "6"}, Case{"RMB-CASH", "Anna", "0"}, Case{"RM", "Annabel", "5"}}) {
        auto dlg = Open(0, std::vector<std::string>(20));
        WaitLoaded(*dlg);
        Type(dlg.get(), 1054, c.money);
        Type(dlg.get(), IDC_EDIT_CONTACT, c.contact);
        ASSERT_TRUE(PressOk(*dlg));
        const std::vector<std::string>& v = dlg->m_values;
        EXPECT_EQ(v[13] + "/" + v[2] + "/" + v[18],
                  std::string(c.money) + "/" + c.contact + "/" + c.key);
    }
}

TEST_F(SaleEditDlgTest, ClosingWhileTheListsLoadStopsThemAndIgnoresLateValues) {
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        AddManyParams(kind, 60000);
    const int ids[] = {1054, 1233, 1232, 1053};
    for (bool destroyOnly : {false, true}) {
        auto dlg = Open(0, std::vector<std::string>(20));
        QTest::qWait(5);
        if (!destroyOnly) {
            dlg->reject();
            std::vector<int> counts;
            for (int id : ids) counts.push_back(Control<QComboBox>(dlg.get(), id)->count());
            // Every reader ends without handing values over (a reader that read on to the
            // end would leave its values waiting), and nothing reaches the lists.
            WaitLoaded(*dlg);
            QTest::qWait(20);
            for (size_t i = 0; i < counts.size(); ++i)
                EXPECT_EQ(Control<QComboBox>(dlg.get(), ids[i])->count(), counts[i]);
        }
        dlg.reset();  // with readers still running: waits for them
    }
    EXPECT_EQ(m_capture.Count(), 0u);
}
