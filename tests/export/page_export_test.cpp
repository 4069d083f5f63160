// The export dialog on its own, and 导出 on the record pages end to end: tick rows in the
// list, choose columns and the file, let the writer run, answer the question.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>

#include "export/export_dlg.h"
#include "export/viewer_launch.h"
#include "export_files.h"
#include "platform/files.h"
#include "support/record_windows.h"
#include "ui/controls/check_list_ctrl.h"

namespace {

using Texts = std::vector<std::string>;

Texts Entries(QListWidget* list) {
    Texts out;
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
    return out;
}

class ExportDlgTest : public ::testing::Test {
protected:
    void SetUp() override { m_dlg.m_fields = {"主题", "活动类型", "相关联系人", "计划持续时间"}; }
    void Click(int id) { ::Click(&m_dlg, id); }
    bool Enabled(int id) { return Control<QPushButton>(&m_dlg, id)->isEnabled(); }

    TempModuleFolder m_temp;
    MessageCapture m_capture;
    CExportDlg m_dlg{nullptr};
    QListWidget* m_all = Control<QListWidget>(&m_dlg, IDC_EXPORT_ALL_FIELDS);
    QListWidget* m_chosen = Control<QListWidget>(&m_dlg, IDC_EXPORT_CHOSEN_FIELDS);
    QLineEdit* m_path = Control<QLineEdit>(&m_dlg, IDC_EXPORT_PATH);
};

TEST_F(ExportDlgTest, MovesColumnsBrowsesAndCancels) {
    const std::string picked = m_temp.Path() + "picked.htm";
    const auto pick = [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(files, nullptr);
        EXPECT_TRUE(files->nameFilters().contains(QString::fromUtf8("csv文件(*.csv)")));
        EXPECT_TRUE(files->nameFilters().contains(QString::fromUtf8("Excel 工作簿(*.xlsx)")));
        files->selectFile(QString::fromStdString(picked));
        static_cast<QDialog*>(files)->accept();
    };
    const int result = RunWith(m_dlg, [&] {
        EXPECT_EQ(m_dlg.windowTitle().toStdString(), "数据导出");
        EXPECT_EQ(m_path->text().toStdString(), GetModuleFolder() + "Export.htm");
        EXPECT_EQ(Entries(m_all), m_dlg.m_fields);
        EXPECT_TRUE(Enabled(IDC_EXPORT_ADD) && Enabled(IDC_EXPORT_ADD_ALL));
        EXPECT_FALSE(Enabled(IDC_EXPORT_REMOVE) || Enabled(IDC_EXPORT_REMOVE_ALL));
        EXPECT_EQ(Control<QPushButton>(&m_dlg, IDC_EXPORT_ADD_ALL)->toolTip().toStdString(),
                  "添加全部字段");

        Click(IDC_EXPORT_ADD);  // nothing selected
        m_all->setCurrentRow(3);
        Click(IDC_EXPORT_ADD);  // the last one: the new last is selected
        EXPECT_EQ(m_all->currentRow(), 2);
        m_all->setCurrentRow(0);
        Click(IDC_EXPORT_ADD);  // the entry now at the same place is selected
        EXPECT_EQ(m_all->currentItem()->text().toStdString(), "活动类型");
        EXPECT_EQ(Entries(m_chosen), (Texts{"计划持续时间", "主题"}));
        EXPECT_TRUE(Enabled(IDC_EXPORT_REMOVE) && Enabled(IDC_EXPORT_REMOVE_ALL));

        m_chosen->clearSelection();
        m_chosen->setCurrentRow(-1);
        Click(IDC_EXPORT_REMOVE);  // nothing selected
        m_chosen->setCurrentRow(0);
        Click(IDC_EXPORT_REMOVE);  // goes to the end of the left list
        EXPECT_EQ(Entries(m_all), (Texts{"活动类型", "相关联系人", "计划持续时间"}));

        Click(IDC_EXPORT_ADD_ALL);
        EXPECT_EQ(Entries(m_chosen), (Texts{"主题", "活动类型", "相关联系人", "计划持续时间"}));
        EXPECT_FALSE(Enabled(IDC_EXPORT_ADD) || Enabled(IDC_EXPORT_ADD_ALL));
        Click(IDC_EXPORT_REMOVE_ALL);
        EXPECT_EQ(m_chosen->count(), 0);
        EXPECT_FALSE(Enabled(IDC_EXPORT_REMOVE) || Enabled(IDC_EXPORT_REMOVE_ALL));
        EXPECT_TRUE(Enabled(IDC_EXPORT_ADD));
        QTimer::singleShot(0, pick);
        Click(IDC_EXPORT_BROWSE);
        EXPECT_EQ(m_path->text().toStdString(), picked);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_capture.Texts(), (Texts{"请选择要添加的字段", "请选择要删除的字段"}));
    EXPECT_EQ(m_capture.Messages()[0].caption, "失败");
}

TEST_F(ExportDlgTest, OkChecksPathFileAndColumnsInTurn) {
    WriteFile(m_temp.Path() + "plain", "x");
    const int result = RunWith(m_dlg, [&] {
        const auto tryPath = [&](const std::string& path) {
            m_path->setText(QString::fromStdString(path));
            Click(IDOK);
        };
        tryPath("");
        tryPath("out.htm");
        tryPath(m_temp.Path() + "plain/out.htm");
        tryPath(m_temp.Path() + "new/dir/list");  // made, but no column chosen yet
        EXPECT_TRUE(std::filesystem::exists(m_temp.Path() + "new/dir/list.htm"));
        m_all->setCurrentRow(3);
        Click(IDC_EXPORT_ADD);
        m_all->setCurrentRow(0);
        Click(IDC_EXPORT_ADD);
        tryPath(m_temp.Path() + "new/dir/list.HTML");
    });
    EXPECT_EQ(result, IDOK);
    Texts said;
    for (const MessageInfo& m : m_capture.Messages()) {
        said.push_back(m.caption + ": " + m.text);
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(said, (Texts{"警告: 请选择要导出的文件名", "警告: 请输入完整的要导出文件路径！",
                           "错误: 创建文件失败", "失败: 请选择一个以上的导出字段"}));
    EXPECT_EQ(m_dlg.m_fields, (Texts{"计划持续时间", "主题"}));  // in the chosen order
    EXPECT_EQ(m_dlg.m_path, m_temp.Path() + "new/dir/list.HTML");
}

// 2007-05-01 09:05:07 in Shanghai.
constexpr long kBegin = 1177981507;

class PageExportTest : public RecordWindowsTest {
protected:
    void SetUp() override {
        RecordWindowsTest::SetUp();
        SetViewerLauncher([this](const std::string& path) { m_opened.push_back(path); });
    }
    void TearDown() override {
        RecordWindowsTest::TearDown();
        SetViewerLauncher({});
    }
    void Open(RecordKind kind) { OpenPage(kind, 5); }
    void AddActive(const std::string& name, long begin, long minutes) {
        Exec(
            "INSERT INTO ActiveTable (ActiveName, ActiveType, ClientName, ActiveBeginDate, "
            "ActiveUseDate, ObjectDateTime) VALUES ('" +
            name + "', '拜访', '张三', " + std::to_string(begin) + ", " + std::to_string(minutes) +
            ", 5)");
    }
    // A record that a query without an order reads before every other: the lowest row key.
    void AddFirstActive(const std::string& name) {
        Exec("INSERT INTO ActiveTable (" + m_sql->RowKey() +
             ", ActiveName, ObjectDateTime) VALUES (-1, '" + name + "', 5)");
    }

    // Presses 导出; when the export dialog opens, `fill` works it. A dialog that is still
    // open afterwards is cancelled, so a refused 确定 cannot hang the test.
    void Export(const std::function<void(CExportDlg*)>& fill) {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<CExportDlg*>(QApplication::activeModalWidget());
            if (!dlg) return;
            poll.stop();
            m_dialogs++;
            fill(dlg);
            if (dlg->isVisible()) Click(dlg, IDCANCEL);
        });
        poll.start();
        Click(m_page.get(), IDC_EXPORT);
    }
    // Moves the headings to the chosen list in this order, types the path, presses 确定.
    static void Choose(CExportDlg* dlg, const std::vector<const char*>& headings,
                       const std::string& path) {
        auto* all = Control<QListWidget>(dlg, IDC_EXPORT_ALL_FIELDS);
        for (const char* heading : headings) {
            const auto found = all->findItems(QString::fromUtf8(heading), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << heading;
            all->setCurrentItem(found.first());
            Click(dlg, IDC_EXPORT_ADD);
        }
        Control<QLineEdit>(dlg, IDC_EXPORT_PATH)->setText(QString::fromStdString(path));
        Click(dlg, IDOK);
    }

    std::vector<std::string> m_opened;
    int m_dialogs = 0;
};

// The ticked rows b and d of the list sorted by 主题 (descending), with the columns
// 主题, 开始时间 and 计划持续时间 in the page's order, records in the order of the query.
const std::string kTickedBAndD =
    HtmlTable("活动资料", {{"主题", "开始时间", "计划持续时间"},
                           {"b &amp; co", "2007_05_01 09：05：07", "1天2小时30分"},
                           {"d", "2007_05_02 09：05：07", "0天0小时45分"}});

// Refused with nothing listed, then with nothing ticked; then the ticked rows of a sorted list
// with the chosen columns, answered Yes and No; then files that cannot be written.
TEST_F(PageExportTest, ActivesFromARefusalToTheWrittenFile) {
    Open(RecordKind::Active);
    Export([](CExportDlg*) {});
    AddActive("b & co", kBegin, 1590);
    AddActive("d", kBegin + 86400, 45);
    AddActive("a", kBegin + 2 * 86400, 10);
    AddActive("c", kBegin + 3 * 86400, 20);
    Open(RecordKind::Active);
    Export([](CExportDlg*) {});
    EXPECT_EQ(m_dialogs, 0);
    EXPECT_EQ(m_capture.Texts(), (Texts{"您要导出的数据为空", "请在您想要导出的记录前打钩！"}));
    m_capture.Clear();

    CCheckListCtrl* list = m_page->List();
    list->SortByColumn(0, false);  // d, c, b & co, a
    list->SetCheck(0, true);
    list->SetCheck(2, true);
    const std::string typed = m_temp.Path() + "out/list";
    Export([&](CExportDlg* dlg) { Choose(dlg, {"计划持续时间", "主题", "开始时间"}, typed); });
    const std::string path = typed + ".htm";
    EXPECT_EQ(ReadFile(path), kTickedBAndD);
    ASSERT_EQ(m_capture.Messages().size(), 1u);
    EXPECT_EQ(m_capture.Messages()[0].text, "数据导出完毕！\r\n是否现在查看导出的数据？");
    EXPECT_EQ(m_capture.Messages()[0].caption, "查看");
    EXPECT_EQ(m_capture.Messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(m_opened, Texts{path});  // answered Yes

    // Answered No: the file is written again and not opened. Records another seat added
    // after the listing, one read first by a query without an order, change nothing.
    AddFirstActive("x");
    AddActive("y", kBegin, 1);
    m_capture.QueueAnswers({IDNO});
    Export([&](CExportDlg* dlg) { Choose(dlg, {"主题", "开始时间", "计划持续时间"}, path); });
    EXPECT_EQ(ReadFile(path), kTickedBAndD);
    EXPECT_EQ(m_opened.size(), 1u);

    m_capture.Clear();
    for (const char* name : {"full.htm", "full.xlsx"}) {
        const std::string full = m_temp.Path() + name;
        ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
        Export([&](CExportDlg* dlg) { Choose(dlg, {"主题"}, full); });
    }
    EXPECT_EQ(m_capture.Texts(), (Texts{"创建文件失败", "创建文件失败"}));
    EXPECT_EQ(m_capture.Messages()[1].caption, "错误");
    EXPECT_EQ(m_opened.size(), 1u);
}

// Every column of a sale as text in HTML; the ticked sale as typed cells in a workbook.
TEST_F(PageExportTest, SalesAsHtmlWithEveryColumnAndAsAWorkbookOfTypedCells) {
    Exec(InsertAll("SaleTable",
                   "1172729109, '=1+1', '张三', '产品', '型号', '特征', 12.5, 3, 85, 31.88, "
                   "'0108888', 37.5, '增值税', '人民币', 10, 27.5, 0, 37.5, 5, 0"));
    Exec(InsertAll("SaleTable",
                   "1172729109, 'not ticked', '张三', '', '', '', 0, 0, 0, 0, '', 0, '', '', 0, "
                   "0, 0, 0, 5, 0"));
    Open(RecordKind::Sale);
    m_page->List()->SetCheck(0, true);
    m_capture.QueueAnswers({IDNO});
    Export([&](CExportDlg* dlg) {
        Click(dlg, IDC_EXPORT_ADD_ALL);
        Choose(dlg, {}, m_temp.Path() + "sale.htm");
    });
    EXPECT_EQ(
        ReadFile(m_temp.Path() + "sale.htm"),
        HtmlTable("销售资料", {{"销售日期", "主题", "相关联系人", "产品名", "产品型号", "产品特征",
                                "单价", "数量", "折扣", "实际金额", "定单合同号", "总计金额",
                                "发票类型", "货币类型", "已付款", "未付款", "已开票", "未开票"},
                               {"2007_03_01", "=1+1", "张三", "产品", "型号", "特征", "12.50", "3",
                                "85%", "31.88", "0108888", "37.50", "增值税", "人民币", "10.00",
                                "27.50", "0.00", "37.50"}}));

    const std::string path = m_temp.Path() + "sale.xlsx";
    Export([&](CExportDlg* dlg) {
        Choose(dlg, {"定单合同号", "主题", "销售日期", "单价", "数量", "折扣", "相关联系人"}, path);
    });
    EXPECT_EQ(m_opened, Texts{path});
    // The page's column order, texts as texts, the day as a date, numbers as numbers.
    EXPECT_EQ(DumpWorkbook(path),
              "sheet 销售资料 frozen=A2 widths: A=13 B=7 C=13 D=8 E=7 F=7 G=13\n"
              "A1 s '销售日期' bold\nB1 s '主题' bold\nC1 s '相关联系人' bold\n"
              "D1 s '单价' bold\nE1 s '数量' bold\nF1 s '折扣' bold\nG1 s '定单合同号' bold\n"
              "A2 d 2007-03-01T00:00:00 [yyyy-mm-dd]\nB2 s '=1+1'\nC2 s '张三'\n"
              "D2 n 12.5 [0.00]\nE2 n 3 [0]\nF2 n 0.85 [0%]\nG2 s '0108888'\n");
}

}  // namespace
