#include "records/editors/sale_edit_dlg.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <memory>

#include "params/param_kinds.h"
#include "records/editors/edit_field.h"
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
    // Presses 确定 and reports whether the dialog closed with 1.
    static bool PressOk(CSaleEditDlg& dlg) {
        QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
        return dlg.isHidden() && dlg.result() == 1;
    }
    void AddSaleLists() {
        AddParams(kParamMoneyType, {"RMB", "usd", "USD", "USD"});
        AddParams(kParamProductType, {"型号A", "型号B"});
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
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1235)->text().toStdString(), "确定");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 2)->text().toStdString(), "取消");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1286)->toolTip().toStdString(), "编辑货币类型");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1017)->toolTip().toStdString(), "编辑产品类型");
    EXPECT_TRUE(Control<QPushButton>(dlg.get(), 1016)->toolTip().isEmpty());
    // Every field's label leads to its control.
    int buddies = 0;
    for (QLabel* label : dlg->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("单    价：")) {
            EXPECT_EQ(label->buddy(), Control<QWidget>(dlg.get(), 1019));
            ++buddies;
        }
    EXPECT_EQ(buddies, 1);
    EXPECT_EQ(Shown(dlg.get(), 1020), "1");
    EXPECT_EQ(Shown(dlg.get(), 1051), "0");
    EXPECT_EQ(Shown(dlg.get(), 1019), "0");
    EXPECT_EQ(Shown(dlg.get(), 1000), "");
    EXPECT_EQ(Shown(dlg.get(), 1231), "李四");
    WaitLoaded(*dlg);

    ASSERT_TRUE(PressOk(*dlg));
    const std::vector<std::string>& v = dlg->m_values;
    EXPECT_EQ(v[0], std::to_string(TodayLocalStart()));
    for (int amount : {6, 9, 11, 14, 15, 16, 17}) EXPECT_EQ(v[amount], "0.00") << amount;
    EXPECT_EQ(v[7], "1");
    EXPECT_EQ(v[8], "0");
    EXPECT_EQ(v[1], "");
    EXPECT_EQ(v[3], "");
    EXPECT_EQ(v[2], "李四");
    EXPECT_EQ(v[18], "6");
    EXPECT_EQ(dlg->m_contactKey, 6);
    EXPECT_EQ(v[19], "77");  // passed through
    EXPECT_EQ(m_capture.Count(), 0u);
}

TEST_F(SaleEditDlgTest, ContactOutsideTheListStoresKeyZero) {
    auto dlg = Open(0, std::vector<std::string>(20), 99);
    EXPECT_EQ(Shown(dlg.get(), 1231), "");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[18], "0");
    EXPECT_EQ(dlg->m_contactKey, 0);
}

TEST_F(SaleEditDlgTest, ModifyShowsTheRecordAndSelectsTheFirstEqualEntry) {
    AddSaleLists();
    auto dlg = Open(1, SaleValues());
    EXPECT_EQ(dlg->windowTitle().toStdString(), "修改销售记录");
    EXPECT_EQ(Shown(dlg.get(), 1019), "1234.5");
    EXPECT_EQ(Shown(dlg.get(), 1051), "85");
    EXPECT_EQ(Shown(dlg.get(), 1003), "HT-1");
    EXPECT_EQ(Control<QDateEdit>(dlg.get(), 1009)->date(), QDate(2007, 3, 1));
    WaitLoaded(*dlg);
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    ASSERT_EQ(money->count(), 4);
    EXPECT_EQ(money->itemText(1).toStdString(), "usd");
    EXPECT_EQ(money->currentIndex(), 2);  // "USD", not "usd" and not the second "USD"
    EXPECT_EQ(money->currentText().toStdString(), "USD");
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1232)->currentIndex(), 1);
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1053)->currentIndex(), 0);
    EXPECT_EQ(Shown(dlg.get(), 1231), "李四");

    ASSERT_TRUE(PressOk(*dlg));
    std::vector<std::string> expected = SaleValues();
    expected[8] = "85";
    EXPECT_EQ(dlg->m_values, expected);
}

TEST_F(SaleEditDlgTest, ViewModeOnlyChangesTheTitle) {
    auto dlg = Open(2, SaleValues());
    EXPECT_EQ(dlg->windowTitle().toStdString(), "查看销售记录");
    EXPECT_EQ(Shown(dlg.get(), 1000), "");
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
        {1021, "100000000", "金额：请输入 0 到 99999999 之间的数。"},
        {1042, "100000000", "未开票金额：请输入 0 到 99999999 之间的数。"},
        {1000, std::string(128, 's'), "销售主题：请输入不超过 127 个字符。"},
        {1054, std::string(51, 'm'), "货币类型：请输入不超过 50 个字符。"},
    };
    for (const Case& c : cases) {
        m_capture.Clear();
        auto dlg = Open(1, SaleValues());
        Type(dlg.get(), c.id, c.text);
        QWidget* control = Control<QWidget>(dlg.get(), c.id);
        Type(dlg.get(), 1000 == c.id ? 1003 : 1000, "changed");  // the focus elsewhere
        EXPECT_FALSE(PressOk(*dlg)) << c.id;
        EXPECT_TRUE(dlg->isVisible()) << c.id;
        ASSERT_EQ(m_capture.Texts(), std::vector<std::string>{c.message}) << c.id;
        EXPECT_EQ(dlg->focusWidget(), control->focusProxy() ? control->focusProxy() : control)
            << c.id;
        EXPECT_EQ(dlg->m_values, SaleValues()) << c.id;  // nothing written
    }
}

TEST_F(SaleEditDlgTest, LettersAreDroppedInNumberFieldsOnly) {
    auto dlg = Open(0, std::vector<std::string>(20));
    Type(dlg.get(), 1019, "");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1019), "12ab.5Z");
    EXPECT_EQ(Shown(dlg.get(), 1019), "12.5");
    Type(dlg.get(), 1020, "");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1020), "3x-4");
    EXPECT_EQ(Shown(dlg.get(), 1020), "34");
    QTest::keyClicks(Control<QLineEdit>(dlg.get(), 1000), "abc");
    EXPECT_EQ(Shown(dlg.get(), 1000), "abc");
    // Shortcuts still work: select all and overwrite.
    auto* price = Control<QLineEdit>(dlg.get(), 1019);
    QTest::keyClick(price, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(price, "7");
    EXPECT_EQ(Shown(dlg.get(), 1019), "7");
}

TEST_F(SaleEditDlgTest, EnterInAnyFieldActsAsOk) {
    for (int id : {1000, 1019, 1054, 1231}) {
        auto dlg = Open(1, SaleValues());
        Type(dlg.get(), 1000, "按回车");
        QWidget* target = Control<QWidget>(dlg.get(), id);
        if (auto* combo = qobject_cast<QComboBox*>(target)) target = combo->lineEdit();
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_TRUE(dlg->isHidden()) << id;
        EXPECT_EQ(dlg->result(), 1) << id;
        EXPECT_EQ(dlg->m_values[1], "按回车") << id;
    }
    // A refused value keeps the dialog open on Enter too.
    auto dlg = Open(1, SaleValues());
    Type(dlg.get(), 1051, "101");
    QTest::keyClick(Control<QLineEdit>(dlg.get(), 1051), Qt::Key_Enter);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(m_capture.Count(), 1u);
}

TEST_F(SaleEditDlgTest, CancelAndEscapeChangeNothing) {
    auto dlg = Open(1, SaleValues());
    Type(dlg.get(), 1000, "x");
    QTest::mouseClick(Control<QPushButton>(dlg.get(), 2), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), 2);
    EXPECT_EQ(dlg->m_values, SaleValues());
    auto other = Open(1, SaleValues());
    QTest::keyClick(Control<QLineEdit>(other.get(), 1000), Qt::Key_Escape);
    EXPECT_TRUE(other->isHidden());
    EXPECT_EQ(other->result(), 2);
}

TEST_F(SaleEditDlgTest, TypedLookupValueIsCommittedOnLeavingTheCombo) {
    AddSaleLists();
    auto dlg = Open(0, std::vector<std::string>(20));
    WaitLoaded(*dlg);
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    Type(dlg.get(), 1054, "USD");
    Control<QLineEdit>(dlg.get(), 1000)->setFocus();
    QTest::qWait(1);
    EXPECT_EQ(money->currentIndex(), 2);
    // A value not in the list stays as typed and is stored as typed.
    Type(dlg.get(), 1054, "EUR");
    Control<QLineEdit>(dlg.get(), 1000)->setFocus();
    QTest::qWait(1);
    EXPECT_EQ(money->currentIndex(), -1);
    EXPECT_EQ(money->currentText().toStdString(), "EUR");
    EXPECT_EQ(money->count(), 4);
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[13], "EUR");
    EXPECT_EQ(Text("SELECT COUNT(*) FROM ObjectPar WHERE ObjectParName='EUR'"), "0");
}

TEST_F(SaleEditDlgTest, ReloadKeepsTheTypedTextAndShowsNewValues) {
    AddSaleLists();
    auto dlg = Open(1, SaleValues());
    WaitLoaded(*dlg);
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    Type(dlg.get(), 1054, "JPY");
    AddParams(kParamMoneyType, {"JPY"});
    dlg->ReloadLookup(money);
    WaitLoaded(*dlg);
    EXPECT_EQ(money->count(), 5);
    EXPECT_EQ(money->currentIndex(), 4);
    EXPECT_EQ(money->currentText().toStdString(), "JPY");
}

TEST_F(SaleEditDlgTest, ListsFillWhileTheDialogIsUsable) {
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        AddManyParams(kind, 3000);
    auto dlg = Open(0, std::vector<std::string>(20));
    Type(dlg.get(), 1232, "v2999");  // typed before its list arrived
    WaitLoaded(*dlg);
    for (int id : {1054, 1233, 1232, 1053})
        EXPECT_EQ(Control<QComboBox>(dlg.get(), id)->count(), 3000) << id;
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1232)->currentIndex(), 2999);
    EXPECT_EQ(Control<QComboBox>(dlg.get(), 1054)->currentText().toStdString(), "");
}

TEST_F(SaleEditDlgTest, ClosingWhileTheListsLoadStopsThemAndIgnoresLateValues) {
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        AddManyParams(kind, 60000);
    for (bool destroyOnly : {false, true}) {
        auto dlg = Open(0, std::vector<std::string>(20));
        QTest::qWait(5);
        const auto start = std::chrono::steady_clock::now();
        if (destroyOnly) {
            dlg.reset();
        } else {
            dlg->reject();
            EXPECT_FALSE(dlg->LoadersRunning() && dlg->isVisible());
            std::vector<int> counts;
            for (int id : {1054, 1233, 1232, 1053})
                counts.push_back(Control<QComboBox>(dlg.get(), id)->count());
            QTest::qWait(100);  // anything still announced touches nothing
            for (size_t i = 0; i < counts.size(); ++i)
                EXPECT_EQ(Control<QComboBox>(dlg.get(), std::vector<int>{1054, 1233, 1232, 1053}[i])
                              ->count(),
                          counts[i]);
            dlg.reset();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 2.0) << destroyOnly;
        QTest::qWait(20);
    }
    EXPECT_EQ(m_capture.Count(), 0u);
}
