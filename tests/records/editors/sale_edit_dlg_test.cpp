// The Sale editor alone: its defaults, value forms, keys, typed texts and lookup lists.
#include <QDateEdit>
#include <QLabel>

#include "params/param_kinds.h"
#include "tests/records/editors/editor_fixture.h"

namespace {

// The twenty texts of a sale in field order.
std::vector<std::string> SaleValues() {
    return {"1172678400", "主题一", "李四",  "产品B", "型号A",   "红色",     "1234.50",
            "7",          "85",     "99.00", "HT-1",  "2000.00", "普通发票", "USD",
            "10.00",      "20.00",  "30.00", "40.00", "6",       "77"};
}

using SaleEditDlgTest = EditorFixture;

}  // namespace

TEST_F(SaleEditDlgTest, NewRecordDefaultsTheirFormsTypedNumbersAndEnter) {
    std::vector<std::string> incoming(20, "junk");
    incoming[19] = "77";
    auto dlg = Open(RecordKind::Sale, 0, incoming, 6);
    EXPECT_EQ(dlg->windowTitle().toStdString(), "增加销售记录");
    EXPECT_EQ(Control<QPushButton>(dlg.get(), 1286)->toolTip().toStdString(), "编辑货币类型");
    for (QLabel* label : dlg->findChildren<QLabel*>())
        EXPECT_TRUE(label->text() != QStringLiteral("单    价：") ||
                    label->buddy() == Control<QWidget>(dlg.get(), 1019));
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
    for (int amount : {6, 9, 11, 14, 15, 16, 17}) EXPECT_EQ(v[amount], "0.00") << amount;
    EXPECT_EQ(v[7] + "/" + v[8] + "/" + v[1] + "/" + v[2] + "/" + v[18] + "/" + v[19],
              "1/0//李四/6/77");
    EXPECT_EQ(dlg->m_contactKey, 6);

    // A contact missing from the list: no entry chosen, key 0. Mode 2 only names the window.
    // Numbers drop typed letters; Enter in an edit or a list acts as 确定.
    dlg = Open(RecordKind::Sale, 2, std::vector<std::string>(20), 99);
    EXPECT_EQ(dlg->windowTitle().toStdString(), "查看销售记录");
    EXPECT_EQ(Shown(dlg.get(), 1231), "");
    for (auto [id, typed, kept] : {std::tuple{1019, "12ab.5Z", "12.5"}, {1020, "3x-4", "34"}}) {
        Type(dlg.get(), id, "");
        QTest::keyClicks(Control<QLineEdit>(dlg.get(), id), typed);
        EXPECT_EQ(Shown(dlg.get(), id), kept);
    }
    auto* price = Control<QLineEdit>(dlg.get(), 1019);
    QTest::keyClick(price, Qt::Key_A, Qt::ControlModifier);  // shortcuts still work
    QTest::keyClicks(price, "7");
    EXPECT_EQ(Shown(dlg.get(), 1019), "7");
    ASSERT_TRUE(PressOk(*dlg));
    EXPECT_EQ(dlg->m_values[18], "0");
    EXPECT_EQ(m_capture.Count(), 0u);

    for (int id : {1019, 1054, 1231}) {
        auto other = Open(RecordKind::Sale, 1, SaleValues());
        Type(other.get(), 1000, "按回车");
        QWidget* target = Control<QWidget>(other.get(), id);
        if (auto* combo = qobject_cast<QComboBox*>(target)) target = combo->lineEdit();
        QTest::keyClick(target, Qt::Key_Enter);
        EXPECT_EQ(other->result(), 1) << id;
        EXPECT_EQ(other->m_values[1], "按回车") << id;
    }
}

// A record shown to change chooses the first entry equal to its value. Typed text is stored
// as typed, over the chosen entry: a prefix of a listed value or name is not completed to
// it, a value equal to a listed one chooses the first such entry once the combo is left, and
// only a name equal to a listed one takes that client's key.
TEST_F(SaleEditDlgTest, ListsChooseTheFirstEqualEntryAndTypedTextIsStoredAsTyped) {
    AddParams(kParamMoneyType, {"RMB-CASH", "usd", "USD", "USD"});
    AddParams(kParamProductName, {"产品A", "产品B"});
    auto shown = Open(RecordKind::Sale, 1, SaleValues());
    EXPECT_EQ(shown->windowTitle().toStdString(), "修改销售记录");
    EXPECT_EQ(Shown(shown.get(), 1019), "1234.5");
    EXPECT_EQ(Control<QDateEdit>(shown.get(), 1009)->date(), QDate(2007, 3, 1));
    WaitLoaded(*shown);
    ASSERT_EQ(Control<QComboBox>(shown.get(), 1054)->count(), 4);
    EXPECT_EQ(Control<QComboBox>(shown.get(), 1054)->currentIndex(), 2);  // not "usd", not 2nd
    EXPECT_EQ(Control<QComboBox>(shown.get(), 1232)->currentIndex(), 1);
    EXPECT_EQ(Control<QComboBox>(shown.get(), 1233)->currentText().toStdString(), "型号A");
    ASSERT_TRUE(PressOk(*shown));
    EXPECT_EQ(shown->m_values, SaleValues());

    g_clientNames = {"张三", "李四", "Annabel", "Ann"};
    g_clientKeys = {5, 6, 7, 8};
    // money typed, the money list's index once left, contact typed, its key
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {"RMB", -1, "Ann", "8"},
        {"USD", 2, "Anna", "0"},
        {"RM", -1, "Annabel", "7"},
        {"EUR", -1, "李四", "6"}};
    for (const auto& [money, index, contact, key] : cases) {
        auto dlg = Open(RecordKind::Sale, 0, std::vector<std::string>(20), 5);
        WaitLoaded(*dlg);
        ASSERT_EQ(Shown(dlg.get(), IDC_EDIT_CONTACT), "张三");
        Type(dlg.get(), 1054, money);
        Type(dlg.get(), IDC_EDIT_CONTACT, contact);
        EXPECT_EQ(Control<QComboBox>(dlg.get(), 1054)->currentIndex(), index) << money;
        ASSERT_TRUE(PressOk(*dlg));
        const std::vector<std::string>& v = dlg->m_values;
        EXPECT_EQ(v[13] + "/" + v[2] + "/" + v[18], std::string(money) + "/" + contact + "/" + key);
    }
    EXPECT_EQ(Text("SELECT COUNT(*) FROM ObjectPar"), "6");  // nothing typed was added

    // A reloaded list keeps the text typed before it arrived and chooses the entry it brings.
    auto dlg = Open(RecordKind::Sale, 0, std::vector<std::string>(20));
    auto* money = Control<QComboBox>(dlg.get(), 1054);
    Type(dlg.get(), 1054, "JPY");
    AddParams(kParamMoneyType, {"JPY"});
    dlg->ReloadLookup(money);
    WaitLoaded(*dlg);
    EXPECT_EQ(money->currentIndex(), 4);
    EXPECT_EQ(Shown(dlg.get(), 1054), "JPY");
}

TEST_F(SaleEditDlgTest, ClosingWhileTheListsLoadStopsThemAndIgnoresLateValues) {
    for (int kind : {kParamMoneyType, kParamProductType, kParamProductName, kParamInvoiceType})
        AddManyParams(kind, 60000);
    const int ids[] = {1054, 1233, 1232, 1053};
    for (bool destroyOnly : {false, true}) {
        auto dlg = Open(RecordKind::Sale, 0, std::vector<std::string>(20));
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
