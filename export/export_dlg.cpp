#include "export/export_dlg.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "export/export_path.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"

namespace {

QPushButton* MakeButton(const char* text, int id, const char* tip, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    SetControlId(button, id);
    if (tip) button->setToolTip(QString::fromUtf8(tip));
    return button;
}

QListWidget* MakeList(int id, QWidget* parent) {
    auto* list = new QListWidget(parent);
    SetControlId(list, id);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

// Moves the entry at row from one list to the end of the other, then selects the entry now
// at that row (or the last one) in the source list.
void MoveEntry(QListWidget* from, QListWidget* to, int row) {
    to->addItem(from->takeItem(row));
    if (from->count() > 0) from->setCurrentRow(std::min(row, from->count() - 1));
}

void MoveAll(QListWidget* from, QListWidget* to) {
    while (from->count() > 0) to->addItem(from->takeItem(0));
}

}  // namespace

CExportDlg::CExportDlg(QWidget* parent) : QDialog(parent) {
    SetOwnerWidget(this);
    setWindowTitle(QString::fromUtf8("数据导出"));
    setObjectName(QStringLiteral("id417"));
    resize(520, 380);

    m_pathEdit = new QLineEdit(this);
    SetControlId(m_pathEdit, IDC_EXPORT_PATH);
    auto* browse = MakeButton("...", IDC_EXPORT_BROWSE, nullptr, this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel(QString::fromUtf8("导出文件路径："), this));
    pathRow->addWidget(m_pathEdit, 1);
    pathRow->addWidget(browse);

    auto* allGroup = new QGroupBox(QString::fromUtf8("全部字段"), this);
    m_allList = MakeList(IDC_EXPORT_ALL_FIELDS, allGroup);
    (new QVBoxLayout(allGroup))->addWidget(m_allList);
    auto* chosenGroup = new QGroupBox(QString::fromUtf8("选择的字段"), this);
    m_chosenList = MakeList(IDC_EXPORT_CHOSEN_FIELDS, chosenGroup);
    (new QVBoxLayout(chosenGroup))->addWidget(m_chosenList);

    m_add = MakeButton(">", IDC_EXPORT_ADD, "添加一个字段", this);
    m_addAll = MakeButton(">>", IDC_EXPORT_ADD_ALL, "添加全部字段", this);
    m_remove = MakeButton("<", IDC_EXPORT_REMOVE, "删除一个字段", this);
    m_removeAll = MakeButton("<<", IDC_EXPORT_REMOVE_ALL, "删除所有字段", this);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {m_add, m_addAll, m_remove, m_removeAll}) moves->addWidget(b);
    moves->addStretch();

    auto* lists = new QHBoxLayout;
    lists->addWidget(allGroup, 1);
    lists->addLayout(moves);
    lists->addWidget(chosenGroup, 1);

    auto* ok = MakeButton("确定", IDOK, nullptr, this);
    ok->setDefault(true);
    auto* cancel = MakeButton("取消", IDCANCEL, nullptr, this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &CExportDlg::OnAdd);
    connect(m_addAll, &QPushButton::clicked, this, &CExportDlg::OnAddAll);
    connect(m_remove, &QPushButton::clicked, this, &CExportDlg::OnRemove);
    connect(m_removeAll, &QPushButton::clicked, this, &CExportDlg::OnRemoveAll);
    connect(browse, &QPushButton::clicked, this, &CExportDlg::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &CExportDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    connect(m_allList, &QListWidget::itemDoubleClicked, this, &CExportDlg::OnAdd);
    connect(m_chosenList, &QListWidget::itemDoubleClicked, this, &CExportDlg::OnRemove);
}

int CExportDlg::exec() {
    m_allList->clear();
    m_chosenList->clear();
    for (const std::string& field : m_fields) m_allList->addItem(QString::fromStdString(field));
    EnableMoves();
    m_pathEdit->setText(QString::fromStdString(GetModuleFolder() + "Export.htm"));
    return QDialog::exec();
}

LRESULT CExportDlg::WindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}

void CExportDlg::EnableMoves() {
    const bool left = m_allList->count() > 0;
    const bool right = m_chosenList->count() > 0;
    m_add->setEnabled(left);
    m_addAll->setEnabled(left);
    m_remove->setEnabled(right);
    m_removeAll->setEnabled(right);
}

void CExportDlg::OnAdd() {
    const int row = m_allList->currentRow();
    if (row < 0 || !m_allList->currentItem()->isSelected()) {
        ShowMessage(GetSafeHwnd(), "请选择要添加的字段", "失败", MsgIcon::Exclamation);
        return;
    }
    MoveEntry(m_allList, m_chosenList, row);
    EnableMoves();
}

void CExportDlg::OnAddAll() {
    MoveAll(m_allList, m_chosenList);
    EnableMoves();
}

void CExportDlg::OnRemove() {
    const int row = m_chosenList->currentRow();
    if (row < 0 || !m_chosenList->currentItem()->isSelected()) {
        ShowMessage(GetSafeHwnd(), "请选择要删除的字段", "失败", MsgIcon::Exclamation);
        return;
    }
    MoveEntry(m_chosenList, m_allList, row);
    EnableMoves();
}

void CExportDlg::OnRemoveAll() {
    MoveAll(m_chosenList, m_allList);
    EnableMoves();
}

void CExportDlg::OnBrowse() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Per filter, the extension a name typed without one gets.
    const QStringList filters = {QString::fromUtf8("htm文件(*.htm,*.html) (*.htm *.html)"),
                                 QString::fromUtf8("csv文件(*.csv)"),
                                 QString::fromUtf8("Excel 工作簿(*.xlsx)"),
                                 QString::fromUtf8("所有文件(*.*) (*)")};
    const QStringList suffixes = {QStringLiteral("htm"), QStringLiteral("csv"),
                                  QStringLiteral("xlsx"), QStringLiteral("htm")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes[0]);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const qsizetype i = filters.indexOf(filter);
        if (i >= 0) dialog.setDefaultSuffix(suffixes[i]);
    });
    dialog.selectFile(m_pathEdit->text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    m_pathEdit->setText(dialog.selectedFiles().first());
}

void CExportDlg::OnOK() {
    const HWND owner = GetSafeHwnd();
    std::string path = m_pathEdit->text().toStdString();
    if (path.empty()) {
        ShowMessage(owner, "请选择要导出的文件名", "警告", MsgIcon::Exclamation);
        return;
    }
    if (!IsFullExportPath(path)) {
        ShowMessage(owner, "请输入完整的要导出文件路径！", "警告", MsgIcon::Exclamation);
        return;
    }
    path = WithExportExtension(path);
    m_pathEdit->setText(QString::fromStdString(path));
    if (!PrepareExportFile(path)) {
        ShowMessage(owner, "创建文件失败", "错误", MsgIcon::Exclamation);
        return;
    }
    if (m_chosenList->count() == 0) {
        ShowMessage(owner, "请选择一个以上的导出字段", "失败", MsgIcon::Exclamation);
        return;
    }
    m_path = path;
    m_fields.clear();
    for (int i = 0; i < m_chosenList->count(); ++i)
        m_fields.push_back(m_chosenList->item(i)->text().toStdString());
    done(IDOK);
}
