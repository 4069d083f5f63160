#include "params/param_adjust_dlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "param_db.h"
#include "params/param_kinds.h"
#include "params/param_name_dlg.h"

namespace {

// Acts on the name dialog a command shows (modally).
void OnNameDialog(std::function<void(CParamNameDlg*, QLineEdit*)> action) {
    WhenShown<CParamNameDlg>(
        [action](CParamNameDlg* dlg) { action(dlg, Control<QLineEdit>(dlg, IDC_PARAM_NAME)); });
}

// Types the name over the one shown and presses 确定 (取消 when that is refused).
void TypeName(const QString& text) {
    OnNameDialog([text](CParamNameDlg* dlg, QLineEdit* edit) {
        edit->clear();
        TypeKeys(edit, text);
        QTest::mouseClick(Control<QPushButton>(dlg, IDC_PARAM_NAME_OK), Qt::LeftButton);
        if (dlg->isVisible()) dlg->reject();  // refused: the test goes on
    });
}

class ParamAdjustDlgTest : public ParamTest {
protected:
    // Runs the dialog with the script acting once the names are listed (or at once).
    int Run(int kind, const std::function<void()>& script) {
        m_dlg = std::make_unique<CParamAdjustDlg>();
        m_dlg->m_kind = kind;
        QTimer::singleShot(0, [this, script] {
            while (m_waitLoaded && m_dlg->IsLoading()) QTest::qWait(2);
            script();
            EXPECT_FALSE(m_dlg->isVisible());
        });
        return m_dlg->DoModal();
    }
    Names Listed() const {
        Names names;
        for (int row = 0; row < m_dlg->RowCount(); ++row) names.push_back(m_dlg->RowName(row));
        return names;
    }
    void Select(int row) { m_dlg->List()->selectRow(row); }
    void Click(int id) { QTest::mouseClick(Control<QPushButton>(m_dlg.get(), id), Qt::LeftButton); }

    std::unique_ptr<CParamAdjustDlg> m_dlg;
    bool m_waitLoaded = true;
};

}  // namespace

// Enter hands back the selected name; 增加 takes a case variant and refuses a copy, and 取消
// after a change still reports it.
TEST_F(ParamAdjustDlgTest, ListsTheKindAddsACaseVariantAndHandsBackTheSelectedName) {
    for (auto [kind, name] : {std::pair{5, "乙"}, {6, "型号"}, {5, "vat"}}) AddParams(kind, {name});
    const int chosen = Run(kParamProductName, [&] {
        EXPECT_EQ(Listed(), (Names{"乙", "vat"}));
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(0, {}));
        Select(1);
        QTest::keyClick(m_dlg->List(), Qt::Key_Return);
    });
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(m_dlg->m_chosenName, "vat");
    EXPECT_EQ(m_dlg->List()->horizontalHeaderItem(0)->text().toStdString(), "产品名称");
    const int cancelled = Run(kParamProductName, [&] {
        TypeName("VAT");
        Click(IDC_PARAM_ADD);
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(2, {}));
        TypeName("vat");
        Click(IDC_PARAM_ADD);
        EXPECT_EQ(m_capture.Texts(), Names{"要增加的参数名已经存在，增加失败"});
        Click(IDC_PARAM_CANCEL);
    });
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(m_dlg->m_chosenName, "");
    EXPECT_EQ(Params(kParamProductName), (Names{"乙", "vat", "VAT"}));
}

TEST_F(ParamAdjustDlgTest, NamesTakeTwentyCharactersAndEmptyOrLongerOnesAreRefused) {
    const QString twenty(20, QChar(0x540D));  // 名 x 20
    const QString twentyOne = twenty + QStringLiteral("x");
    Run(kParamConsumeType, [&] {
        OnNameDialog([&](CParamNameDlg* dlg, QLineEdit* edit) {
            QTest::keyClick(edit, Qt::Key_Return);
            EXPECT_EQ(m_capture.Texts(), Names{"参数名不能为空"});
            edit->insert(twentyOne);  // a paste past the limit is not taken
            EXPECT_EQ(edit->text(), "");
            TypeKeys(edit, twentyOne);  // nor the 21st character typed
            EXPECT_EQ(edit->text(), twenty);
            EXPECT_TRUE(dlg->isVisible());
            dlg->reject();
        });
        Click(IDC_PARAM_ADD);
        EXPECT_TRUE(Params(kParamConsumeType).empty());
        TypeName(twenty);
        Click(IDC_PARAM_ADD);
        Click(IDC_PARAM_OK);
    });
    EXPECT_EQ(Params(kParamConsumeType), Names{twenty.toStdString()});

    // A longer name that is already stored is still refused on 确定.
    m_capture.Clear();
    CParamNameDlg dlg;
    dlg.m_name = twentyOne.toStdString();
    OnNameDialog([&](CParamNameDlg* shown, QLineEdit* edit) {
        EXPECT_EQ(edit->text(), twentyOne);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(shown->isVisible());
        shown->reject();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(m_capture.Texts(), Names{"参数名不能超过 20 个字符"});
}

TEST_F(ParamAdjustDlgTest, RenameAndMergeReachEveryRecordOfTheKind) {
    AddParams(kParamProductName, {"A", "O", "B"});
    Exec("UPDATE ObjectPar SET ObjectParName='O''Neil' WHERE ObjectParName='O'");
    for (const char* literal : {"'O''Neil'", "'A'", "'B'"}) AddProductRecords(literal);
    m_capture.QueueAnswers({IDNO});
    const Names unmerged{"A", "O'Brien", "B"}, merged{"O'Brien", "B"};
    const int result = Run(kParamProductName, [&] {
        Select(1);
        TypeName("O'Brien");
        Click(IDC_PARAM_MODIFY);
        EXPECT_TRUE(m_dlg->List()->selectionModel()->isRowSelected(1, {}));
        // A double click on A merges it into B: No, then Yes.
        QWidget* rows = m_dlg->List()->viewport();
        const QPoint a = m_dlg->List()->visualRect(m_dlg->List()->model()->index(0, 0)).center();
        for (const Names* expected : {&unmerged, &merged}) {
            TypeName("B");
            QTest::mouseClick(rows, Qt::LeftButton, {}, a);
            QTest::mouseDClick(rows, Qt::LeftButton, {}, a);
            EXPECT_EQ(Listed(), *expected);
        }
        Select(0);
        Click(IDC_PARAM_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_capture.Texts(), Names(2, "要修改的参数名已经存在，确定要合并记录吗？"));
    EXPECT_EQ(m_dlg->m_chosenName, "O'Brien");
    EXPECT_EQ(Params(kParamProductName), merged);
    EXPECT_EQ(ProductNames(), "B,B,O'Brien|B,B,O'Brien|B,B,O'Brien");
}

TEST_F(ParamAdjustDlgTest, AFailedRenameOrMergeKeepsTheOldNameEverywhere) {
    AddParams(kParamProductName, {"A", "B"});
    AddProductRecords("'A'");
    m_sql->RefuseUpdates("FeedBackTable", "feedback is locked");
    Run(kParamProductName, [&] {
        for (const char* name : {"C", "B"}) {  // a rename, then a merge
            Select(0);
            TypeName(name);
            Click(IDC_PARAM_MODIFY);
            EXPECT_EQ(Listed(), (Names{"A", "B"}));
        }
        // The recordset reads the table again: the second row is still B's.
        m_sql->AllowUpdates("FeedBackTable");
        Select(1);
        TypeName("D");
        Click(IDC_PARAM_MODIFY);
        Click(IDC_PARAM_OK);
    });
    EXPECT_EQ(m_capture.Texts(),
              (Names{"feedback is locked", "要修改的参数名已经存在，确定要合并记录吗？",
                     "feedback is locked"}));
    EXPECT_EQ(Params(kParamProductName), (Names{"A", "D"}));
    EXPECT_EQ(ProductNames(), "A|A|A");
}

TEST_F(ParamAdjustDlgTest, DeleteBlanksEverySelectedValueAfterConfirmation) {
    AddParams(kParamProductName, {"A", "B", "C"});
    for (const char* literal : {"'A'", "'B'", "'C'"}) AddProductRecords(literal);
    m_capture.QueueAnswers({IDOK, IDNO});
    Run(kParamProductName, [&] {
        m_dlg->List()->clearSelection();
        Click(IDC_PARAM_DELETE);
        m_dlg->List()->setSelectionMode(QAbstractItemView::MultiSelection);
        Select(0);
        Select(2);
        Click(IDC_PARAM_DELETE);  // No
        Click(IDC_PARAM_DELETE);  // Yes
        Click(IDC_PARAM_OK);
    });
    EXPECT_EQ(m_capture.Texts(),
              (Names{"请选择要删除的记录", "确实删除记录吗？", "确实删除记录吗？"}));
    EXPECT_EQ(Params(kParamProductName), Names{"B"});
    EXPECT_EQ(ProductNames(), ",,B|,,B|,,B");
}

// A command given while the names load waits for the whole list; closing while they load
// ends the walk quietly.
TEST_F(ParamAdjustDlgTest, CommandsGivenWhileLoadingWaitForTheWholeList) {
    Exec(Numbers(50000) +
         "INSERT INTO ObjectPar (ObjectParName, ObjectParType) SELECT 'v' || i, 5 FROM n");
    m_waitLoaded = false;
    Run(kParamProductName, [&] {
        OnNameDialog([&](CParamNameDlg*, QLineEdit* edit) {
            EXPECT_FALSE(m_dlg->IsLoading());
            EXPECT_EQ(m_dlg->RowCount(), 50000);
            TypeKeys(edit, "new");
            QTest::keyClick(edit, Qt::Key_Return);
        });
        Click(IDC_PARAM_ADD);
        TypeName("newer");
        Click(IDC_PARAM_MODIFY);  // the added row is selected
        Click(IDC_PARAM_OK);
    });
    EXPECT_EQ(Params(kParamProductName).back(), "newer");
    EXPECT_EQ(m_dlg->RowName(50000), "newer");

    Run(kParamProductName, [&] { m_dlg->close(); });
    m_dlg.reset();
    QTest::qWait(20);  // a late hand-over finds no window
    EXPECT_EQ(m_capture.Count(), 0u);
}
