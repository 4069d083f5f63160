// The export dialog on its own.
#include "export/export_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "export_files.h"
#include "platform/files.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

Texts Entries(QListWidget* list) {
    Texts out;
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
    return out;
}

class ExportDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dlg.m_fields = {"主题", "活动类型", "相关联系人", "计划持续时间"};
        m_all = Control<QListWidget>(&m_dlg, IDC_EXPORT_ALL_FIELDS);
        m_chosen = Control<QListWidget>(&m_dlg, IDC_EXPORT_CHOSEN_FIELDS);
        m_path = Control<QLineEdit>(&m_dlg, IDC_EXPORT_PATH);
    }
    void Click(int id) { ::Click(&m_dlg, id); }
    bool Enabled(int id) { return Control<QPushButton>(&m_dlg, id)->isEnabled(); }

    TempModuleFolder m_temp;
    MessageCapture m_capture;
    CExportDlg m_dlg{nullptr};
    QListWidget* m_all;
    QListWidget* m_chosen;
    QLineEdit* m_path;
};

TEST_F(ExportDlgTest, MovesColumnsBetweenTheListsAndKeepsTheButtonsInStep) {
    RunWith(m_dlg, [&] {
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
    });
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
    EXPECT_EQ(m_capture.Texts(), (Texts{"请选择要导出的文件名", "请输入完整的要导出文件路径！",
                                        "创建文件失败", "请选择一个以上的导出字段"}));
    Texts captions;
    for (const MessageInfo& m : m_capture.Messages()) {
        captions.push_back(m.caption);
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(captions, (Texts{"警告", "警告", "错误", "失败"}));
    EXPECT_EQ(m_dlg.m_fields, (Texts{"计划持续时间", "主题"}));  // in the chosen order
    EXPECT_EQ(m_dlg.m_path, m_temp.Path() + "new/dir/list.HTML");
}

TEST_F(ExportDlgTest, CancelReturnsTwoAndBrowseTakesThePickedFile) {
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
        QTimer::singleShot(0, pick);
        Click(IDC_EXPORT_BROWSE);
        EXPECT_EQ(m_path->text().toStdString(), picked);
    });
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
