#include "params/param_adjust_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "param_db.h"
#include "params/param_kinds.h"
#include "params/param_name_dlg.h"
#include "support/message_capture.h"

namespace {

using Names = std::vector<std::string>;

// Timers still waiting for a name dialog.
std::vector<QTimer*>& PendingTimers() {
    static std::vector<QTimer*> timers;
    return timers;
}

// Acts on the next name dialog once it is shown (it runs modally inside a command).
void OnNameDialog(std::function<void(CParamNameDlg*)> action) {
    auto* timer = new QTimer;
    PendingTimers().push_back(timer);
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dlg = qobject_cast<CParamNameDlg*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        std::erase(PendingTimers(), timer);
        action(dlg);
    });
    timer->start();
}

QLineEdit* NameEdit(CParamNameDlg* dlg) {
    return dlg->findChild<QLineEdit*>(QStringLiteral("id%1").arg(IDC_PARAM_NAME));
}

// A real double click: press and release, then the second press.
void DoubleClick(QWidget* widget, QPoint pos) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
}

void Click(QWidget* parent, int id) {
    auto* button = parent->findChild<QPushButton*>(QStringLiteral("id%1").arg(id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Key by key; characters without a key of their own arrive as input-method text does.
void Type(QLineEdit* edit, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, c.toLatin1());
        else
            edit->insert(c);
    }
}

// Types text over the name and presses 确定.
void TypeName(const QString& text) {
    OnNameDialog([text](CParamNameDlg* dlg) {
        NameEdit(dlg)->clear();
        Type(NameEdit(dlg), text);
        Click(dlg, IDC_PARAM_NAME_OK);
    });
}

class ParamAdjustDlgTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(PendingTimers().empty()) << "a name dialog was expected but not shown";
        for (QTimer* timer : PendingTimers()) delete timer;
        PendingTimers().clear();
    }

    // Runs the dialog for kind with script acting on it once the names are listed; the
    // script ends with 确定 or 取消 (the test fails when the dialog is still open after it).
    int Run(int kind, const std::function<void()>& script, bool waitLoaded = true) {
        m_dlg = std::make_unique<CParamAdjustDlg>();
        m_dlg->m_kind = kind;
        QTimer::singleShot(0, [this, script, waitLoaded] {
            if (waitLoaded) WaitLoaded();
            script();
            if (m_dlg->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                m_dlg->OnCancel();
            }
        });
        return m_dlg->DoModal();
    }
    void WaitLoaded() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (m_dlg->IsLoading() && std::chrono::steady_clock::now() < end) QTest::qWait(2);
        ASSERT_FALSE(m_dlg->IsLoading());
    }
    Names Listed() const {
        Names names;
        for (int row = 0; row < m_dlg->RowCount(); ++row) names.push_back(m_dlg->RowName(row));
        return names;
    }
    void Select(std::initializer_list<int> rows) {
        m_dlg->List()->clearSelection();
        for (int row : rows)
            m_dlg->List()->selectionModel()->select(
                m_dlg->List()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void ClickDlg(int id) { Click(m_dlg.get(), id); }
    // Product names v1 ... vn.
    void AddMany(int n) {
        m_db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(n) +
                  ") INSERT INTO ObjectPar (ObjectParName, ObjectParType) SELECT 'v' || i, 5 "
                  "FROM n");
    }

    ParamDb m_db;
    MessageCapture m_capture;
    std::unique_ptr<CParamAdjustDlg> m_dlg;
};

}  // namespace

TEST_F(ParamAdjustDlgTest, ListsTheKindInTableOrderAndOkHandsBackTheSelection) {
    m_db.AddParam(kParamProductName, "乙");
    m_db.AddParam(kParamProductType, "型号");
    m_db.AddParam(kParamProductName, "甲");
    const int result = Run(kParamProductName, [&] {
        EXPECT_EQ(Listed(), (Names{"乙", "甲"}));
        EXPECT_EQ(m_dlg->List()->horizontalHeaderItem(0)->text().toStdString(), "产品名称");
        EXPECT_EQ(m_dlg->windowTitle().toStdString(), "参数调整");
        Select({1});
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(m_dlg->m_chosenName, "甲");
}

TEST_F(ParamAdjustDlgTest, FirstRowIsSelectedAfterLoadingAndCancelChoosesNothing) {
    m_db.AddParam(kParamMoneyType, "人民币");
    const int result = Run(kParamMoneyType, [&] {
        EXPECT_EQ(m_dlg->List()->selectionModel()->selectedRows().size(), 1);
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(0, {}));
        QTest::keyClick(m_dlg->List(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(m_dlg->m_chosenName, "");
}

TEST_F(ParamAdjustDlgTest, AddAppendsAndSavesACaseVariantButRefusesAnExactCopy) {
    m_db.AddParam(kParamInvoiceType, "普通发票");
    m_db.AddParam(kParamInvoiceType, "vat");
    const int result = Run(kParamInvoiceType, [&] {
        TypeName("VAT");
        ClickDlg(IDC_PARAM_ADD);
        EXPECT_EQ(Listed(), (Names{"普通发票", "vat", "VAT"}));
        EXPECT_EQ(m_dlg->List()->selectionModel()->selectedRows().size(), 1);
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(2, {}));

        TypeName("vat");
        ClickDlg(IDC_PARAM_ADD);
        EXPECT_EQ(m_capture.Texts(), Names{"要增加的参数名已经存在，增加失败"});
        EXPECT_EQ(Listed(), (Names{"普通发票", "vat", "VAT"}));
        ClickDlg(IDC_PARAM_CANCEL);
    });
    // A change saved before 取消 is still reported; no name is chosen.
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_dlg->m_chosenName, "");
    EXPECT_EQ(m_db.Params(kParamInvoiceType), (Names{"普通发票", "vat", "VAT"}));
}

TEST_F(ParamAdjustDlgTest, EmptyAndOverlongNamesAreRefusedWithTheDialogOpen) {
    const QString twenty = QString(20, QChar(0x540D));  // 名 x 20
    const int result = Run(kParamConsumeType, [&] {
        OnNameDialog([&](CParamNameDlg* dlg) {
            Click(dlg, IDC_PARAM_NAME_OK);
            EXPECT_EQ(m_capture.Texts(), Names{"参数名不能为空"});
            EXPECT_EQ(m_capture.Messages().back().caption, "错误");
            EXPECT_TRUE(dlg->isVisible());

            Type(NameEdit(dlg), twenty + "x");
            Click(dlg, IDC_PARAM_NAME_OK);
            ASSERT_EQ(m_capture.Count(), 2u);
            EXPECT_EQ(m_capture.Texts()[1], "参数名不能超过 20 个字符");
            EXPECT_TRUE(dlg->isVisible());
            Click(dlg, IDC_PARAM_NAME_CANCEL);
        });
        ClickDlg(IDC_PARAM_ADD);
        EXPECT_TRUE(m_db.Params(kParamConsumeType).empty());

        // Twenty characters are a valid name.
        TypeName(twenty);
        ClickDlg(IDC_PARAM_ADD);
        EXPECT_EQ(m_db.Params(kParamConsumeType), Names{twenty.toStdString()});
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_dlg->m_chosenName, twenty.toStdString());
}

TEST_F(ParamAdjustDlgTest, RenameCarriesTheNewNameIntoEveryRecord) {
    m_db.AddParam(kParamProductName, "A");
    m_db.AddParam(kParamProductName, "O'Neil");
    m_db.AddParam(kParamProductType, "O'Neil");
    m_db.AddProductRecords("O'Neil");
    m_db.AddProductRecords("A");
    m_db.Exec("INSERT INTO SaleTable (ProductType) VALUES ('O''Neil')");
    const int result = Run(kParamProductName, [&] {
        Select({1});
        TypeName("O'Brien");
        ClickDlg(IDC_PARAM_MODIFY);
        EXPECT_EQ(Listed(), (Names{"A", "O'Brien"}));
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(1, {}));
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_dlg->m_chosenName, "O'Brien");
    EXPECT_EQ(m_capture.Count(), 0u);
    EXPECT_EQ(m_db.Params(kParamProductName), (Names{"A", "O'Brien"}));
    EXPECT_EQ(m_db.Params(kParamProductType), Names{"O'Neil"});
    EXPECT_EQ(m_db.ProductNames(), ",A,O'Brien|A,O'Brien|A,O'Brien");
    EXPECT_EQ(m_db.Column("SELECT ProductType FROM SaleTable WHERE ProductType<>''"),
              Names{"O'Neil"});
}

TEST_F(ParamAdjustDlgTest, MergeAsksAndNoChangesNothing) {
    m_db.AddParam(kParamProductName, "A");
    m_db.AddParam(kParamProductName, "B");
    m_db.AddProductRecords("A");
    m_capture.QueueAnswers({IDNO});
    const int result = Run(kParamProductName, [&] {
        Select({0});
        TypeName("B");
        ClickDlg(IDC_PARAM_MODIFY);
        ASSERT_EQ(m_capture.Count(), 1u);
        const MessageInfo ask = m_capture.Messages()[0];
        EXPECT_EQ(ask.text, "要修改的参数名已经存在，确定要合并记录吗？");
        EXPECT_EQ(ask.caption, "警告");
        EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
        EXPECT_EQ(Listed(), (Names{"A", "B"}));
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(m_db.Params(kParamProductName), (Names{"A", "B"}));
    EXPECT_EQ(m_db.ProductNames(), "A|A|A");
}

TEST_F(ParamAdjustDlgTest, MergeByDoubleClickRemovesTheOldValueEverywhere) {
    for (const char* name : {"A", "B", "C"}) {
        m_db.AddParam(kParamProductName, name);
        m_db.AddProductRecords(name);
    }
    const int result = Run(kParamProductName, [&] {
        Select({2});
        TypeName("B");
        QWidget* viewport = m_dlg->List()->viewport();
        const QRect cell = m_dlg->List()->visualRect(m_dlg->List()->model()->index(0, 0));
        DoubleClick(viewport, cell.center());
        EXPECT_EQ(m_capture.Count(), 1u);  // the merge question, answered Yes
        EXPECT_EQ(Listed(), (Names{"B", "C"}));
        // The renamed list still matches the table: 修改 of C works on C's row.
        Select({1});
        TypeName("D");
        ClickDlg(IDC_PARAM_MODIFY);
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_db.Params(kParamProductName), (Names{"B", "D"}));
    EXPECT_EQ(m_db.ProductNames(), "B,B,D|B,B,D|B,B,D");
}

TEST_F(ParamAdjustDlgTest, FailedRecordUpdateKeepsTheOldNameEverywhere) {
    m_db.AddParam(kParamProductName, "A");
    m_db.AddProductRecords("A");
    m_db.Exec(
        "CREATE TRIGGER refuse BEFORE UPDATE ON ChanceTable BEGIN "
        "SELECT RAISE(ABORT, 'chance is locked'); END");
    const int result = Run(kParamProductName, [&] {
        TypeName("B");
        ClickDlg(IDC_PARAM_MODIFY);
        EXPECT_EQ(m_capture.Texts(), Names{"chance is locked"});
        EXPECT_EQ(Listed(), Names{"A"});
        // The recordset was read again: a later rename works on the same row.
        m_db.Exec("DROP TRIGGER refuse");
        Select({0});
        TypeName("C");
        ClickDlg(IDC_PARAM_MODIFY);
        EXPECT_EQ(Listed(), Names{"C"});
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_db.Params(kParamProductName), Names{"C"});
    EXPECT_EQ(m_db.ProductNames(), "C|C|C");
}

TEST_F(ParamAdjustDlgTest, FailedMergeKeepsTheRowAndTheRecords) {
    m_db.AddParam(kParamProductName, "A");
    m_db.AddParam(kParamProductName, "B");
    m_db.AddProductRecords("A");
    m_db.Exec(
        "CREATE TRIGGER refuse BEFORE UPDATE ON FeedBackTable BEGIN "
        "SELECT RAISE(ABORT, 'feedback is locked'); END");
    const int result = Run(kParamProductName, [&] {
        Select({0});
        TypeName("B");
        ClickDlg(IDC_PARAM_MODIFY);
        EXPECT_EQ(m_capture.Texts(),
                  (Names{"要修改的参数名已经存在，确定要合并记录吗？", "feedback is locked"}));
        EXPECT_EQ(Listed(), (Names{"A", "B"}));
        // The recordset holds both rows again: renaming the second one renames B.
        m_db.Exec("DROP TRIGGER refuse");
        Select({1});
        TypeName("C");
        ClickDlg(IDC_PARAM_MODIFY);
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_db.Params(kParamProductName), (Names{"A", "C"}));
    EXPECT_EQ(m_db.ProductNames(), "A|A|A");
}

TEST_F(ParamAdjustDlgTest, DeleteBlanksEverySelectedValueAfterConfirmation) {
    for (const char* name : {"A", "B", "C"}) {
        m_db.AddParam(kParamProductName, name);
        m_db.AddProductRecords(name);
    }
    m_capture.QueueAnswers({IDNO});
    const int result = Run(kParamProductName, [&] {
        Select({0, 2});
        ClickDlg(IDC_PARAM_DELETE);  // answered No
        EXPECT_EQ(Listed(), (Names{"A", "B", "C"}));
        ClickDlg(IDC_PARAM_DELETE);  // answered Yes
        EXPECT_EQ(Listed(), Names{"B"});
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(m_capture.Texts(), (Names{"确实删除记录吗？", "确实删除记录吗？"}));
    EXPECT_EQ(m_capture.Messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_db.Params(kParamProductName), Names{"B"});
    EXPECT_EQ(m_db.ProductNames(), ",,B|,,B|,,B");
}

TEST_F(ParamAdjustDlgTest, CommandsWithoutASelectionSayWhatIsMissing) {
    m_db.AddParam(kParamActiveType, "拜访");
    const int result = Run(kParamActiveType, [&] {
        m_dlg->List()->clearSelection();
        ClickDlg(IDC_PARAM_MODIFY);
        ClickDlg(IDC_PARAM_DELETE);
        // A double click beside the rows does nothing.
        DoubleClick(m_dlg->List()->viewport(), QPoint(5, m_dlg->List()->viewport()->height() - 5));
        ClickDlg(IDC_PARAM_OK);
    });
    EXPECT_EQ(m_capture.Texts(), (Names{"请选择记录", "请选择要删除的记录"}));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(m_dlg->m_chosenName, "");  // nothing selected: the name keeps its value
}

TEST_F(ParamAdjustDlgTest, CommandsGivenWhileLoadingWorkOnTheWholeList) {
    AddMany(50000);
    const int result = Run(
        kParamProductName,
        [&] {
            OnNameDialog([&](CParamNameDlg* dlg) {
                // The command waited for the whole list before asking.
                EXPECT_FALSE(m_dlg->IsLoading());
                EXPECT_EQ(m_dlg->RowCount(), 50000);
                Type(NameEdit(dlg), "new");
                Click(dlg, IDC_PARAM_NAME_OK);
            });
            ClickDlg(IDC_PARAM_ADD);
            ASSERT_EQ(m_dlg->RowCount(), 50001);
            EXPECT_EQ(m_dlg->RowName(50000), "new");
            TypeName("newer");
            ClickDlg(IDC_PARAM_MODIFY);  // the added row is selected
            EXPECT_EQ(m_dlg->RowName(50000), "newer");
            EXPECT_FALSE(m_dlg->IsLoading());
            ClickDlg(IDC_PARAM_OK);
        },
        false);
    EXPECT_EQ(result, 1);
    const Names names = m_db.Params(kParamProductName);
    ASSERT_EQ(names.size(), 50001u);
    EXPECT_EQ(names[49999], "v50000");
    EXPECT_EQ(names[50000], "newer");
}

TEST_F(ParamAdjustDlgTest, ClosingWhileLoadingEndsTheWalkQuietly) {
    AddMany(50000);
    auto dlg = std::make_unique<CParamAdjustDlg>();
    dlg->m_kind = kParamProductName;
    QTimer::singleShot(0, [&] { dlg->OnCancel(); });
    EXPECT_EQ(dlg->DoModal(), 2);
    const auto start = std::chrono::steady_clock::now();
    dlg.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    QTest::qWait(20);  // a late hand-over finds no window
    EXPECT_EQ(m_capture.Count(), 0u);
}
