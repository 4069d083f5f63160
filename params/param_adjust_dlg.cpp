#include "params/param_adjust_dlg.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "params/param_kinds.h"
#include "params/param_name_dlg.h"
#include "params/param_rename.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"

namespace {

constexpr int kResultChanged = 1;
constexpr int kResultUnchanged = 2;
constexpr int kNameRole = Qt::UserRole;  // a row's exact bytes

QPushButton* AddButton(QWidget* parent, QVBoxLayout* layout, const char* text, int id) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

}  // namespace

CParamAdjustDlg::CParamAdjustDlg(QWidget* parent) : QDialog(parent) {
    SetOwnerWidget(this);
    setModal(true);
    setWindowTitle(QStringLiteral("参数调整"));

    m_list = new QTableWidget(0, 1, this);
    SetControlId(m_list, IDC_PARAM_LIST);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setMouseTracking(true);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_list->setColumnWidth(0, 200);
    connect(m_list, &QTableWidget::doubleClicked, this, [this] {
        if (FirstSelectedRow() >= 0) OnModify();
    });

    auto* frame = new QGroupBox(this);
    auto* buttons = new QVBoxLayout(frame);
    connect(AddButton(frame, buttons, "增加", IDC_PARAM_ADD), &QPushButton::clicked, this,
            &CParamAdjustDlg::OnAdd);
    connect(AddButton(frame, buttons, "修改", IDC_PARAM_MODIFY), &QPushButton::clicked, this,
            &CParamAdjustDlg::OnModify);
    connect(AddButton(frame, buttons, "删除", IDC_PARAM_DELETE), &QPushButton::clicked, this,
            &CParamAdjustDlg::OnDelete);
    QPushButton* ok = AddButton(frame, buttons, "确定", IDC_PARAM_OK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CParamAdjustDlg::OnOK);
    connect(AddButton(frame, buttons, "取消", IDC_PARAM_CANCEL), &QPushButton::clicked, this,
            &CParamAdjustDlg::OnCancel);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(frame);
    resize(354, 210);
}

CParamAdjustDlg::~CParamAdjustDlg() {
    m_closing = true;
    StopLoading();
    m_loader.Wait();  // nothing is killed: a walk still busy after the polls is waited for
    DetachHandle();
}

int CParamAdjustDlg::DoModal() {
    if (!m_started) OnInitDialog();
    const int result = exec() == kResultChanged ? kResultChanged : kResultUnchanged;
    StopLoading();
    return result;
}

void CParamAdjustDlg::OnInitDialog() {
    m_started = true;
    m_changed = 0;
    m_list->setHorizontalHeaderLabels({QString::fromUtf8(ParamKindName(m_kind))});
    if (!m_connection.ConnectDatabase(GetDatabasePath())) return;  // after its messages
    m_rst.InitConnAndRec(m_connection.GetConnection(), "ObjectPar");
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();
        m_queueDone = false;
        m_queueNotified = false;
    }
    m_loadDone = false;
    m_loader.Start([this] { LoadThreadProc(); });
}

LRESULT CParamAdjustDlg::WindowProc(UINT msg, WPARAM, LPARAM) {
    if (msg == WM_PARAM_LOADED) OnNamesReady();
    return 0;
}

void CParamAdjustDlg::closeEvent(QCloseEvent* event) {
    if (isVisible()) OnOK();  // the close box ends like 确定
    event->accept();
}

int CParamAdjustDlg::RowCount() const {
    return m_list->rowCount();
}

std::string CParamAdjustDlg::RowName(int row) const {
    const QTableWidgetItem* item = m_list->item(row, 0);
    return item ? item->data(kNameRole).toByteArray().toStdString() : std::string();
}

void CParamAdjustDlg::SetRowName(int row, const std::string& name) {
    auto* item = new QTableWidgetItem(QString::fromStdString(name));
    item->setData(kNameRole, QByteArray::fromStdString(name));
    item->setTextAlignment(Qt::AlignCenter);
    m_list->setItem(row, 0, item);
}

int CParamAdjustDlg::FindName(const std::string& name) const {
    for (int row = 0; row < RowCount(); ++row)
        if (RowName(row) == name) return row;
    return -1;
}

int CParamAdjustDlg::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void CParamAdjustDlg::SelectRow(int row) {
    m_list->clearSelection();
    m_list->selectRow(row);
    m_list->setCurrentCell(row, 0, QItemSelectionModel::Current);
    m_list->scrollToItem(m_list->item(row, 0));
    m_list->setFocus();
}

int CParamAdjustDlg::RenameParamReferences(const std::string& oldName, const std::string& newName) {
    return ::RenameParamReferences(m_connection, m_kind, oldName, newName);
}

void CParamAdjustDlg::ReloadRecordset() {
    m_rst.ReOpenRecord();
    m_rst.GetTotalRecordCount();  // reads every row, so no read stays open
}

void CParamAdjustDlg::OnAdd() {
    FinishLoading();
    CParamNameDlg dlg(this);
    if (dlg.DoModal() != IDOK) return;
    if (FindName(dlg.m_name) >= 0) {
        ShowMessage(GetSafeHwnd(), "要增加的参数名已经存在，增加失败", "错误", MsgIcon::Error);
        return;
    }
    const int n = RowCount();
    if (!m_rst.AddRecord() || !m_rst.AddRecord("ObjectParName", dlg.m_name) ||
        !m_rst.AddRecord("ObjectParType", m_kind) || !m_rst.UpdateRecord()) {
        m_rst.Release();  // no half-set row is left to be saved by a later move
        return;
    }
    m_list->setRowCount(n + 1);
    SetRowName(n, dlg.m_name);
    SelectRow(n);
    m_changed = 1;
}

int CParamAdjustDlg::RenameCurrent(const std::string& oldName, const std::string& newName) {
    return RunInTransaction(m_connection, [&] {
        return m_rst.AddRecord("ObjectParName", newName) && m_rst.UpdateRecord() &&
               RenameParamReferences(oldName, newName);
    });
}

int CParamAdjustDlg::RemoveCurrent(const std::string& oldName, const std::string& newName,
                                   bool* deleteFailed) {
    *deleteFailed = false;
    return RunInTransaction(m_connection, [&] {
        if (!m_rst.DeleteRecord()) {
            *deleteFailed = true;
            return 0;
        }
        return RenameParamReferences(oldName, newName);
    });
}

void CParamAdjustDlg::OnModify() {
    FinishLoading();
    const int row = FirstSelectedRow();
    if (row < 0) {
        ShowMessage(GetSafeHwnd(), "请选择记录", "错误", MsgIcon::Error);
        return;
    }
    const std::string oldName = RowName(row);
    CParamNameDlg dlg(this);
    dlg.m_name = oldName;
    if (dlg.DoModal() != IDOK || dlg.m_name == oldName) return;
    const std::string& newName = dlg.m_name;
    const bool merge = FindName(newName) >= 0;
    if (merge && ShowMessage(GetSafeHwnd(), "要修改的参数名已经存在，确定要合并记录吗？", "警告",
                             MsgIcon::Exclamation, MsgButtons::YesNo) != IDYES)
        return;
    if (!m_rst.MoveRecID(row)) return;
    if (!merge) {
        if (!RenameCurrent(oldName, newName)) {
            ReloadRecordset();
            return;
        }
        SetRowName(row, newName);
        SelectRow(row);
    } else {
        bool deleteFailed = false;
        if (!RemoveCurrent(oldName, newName, &deleteFailed)) {
            if (deleteFailed) ShowMessage(GetSafeHwnd(), "删除记录失败", "错误", MsgIcon::Error);
            ReloadRecordset();
            return;
        }
        m_list->removeRow(row);
    }
    m_changed = 1;
}

void CParamAdjustDlg::OnDelete() {
    FinishLoading();
    if (FirstSelectedRow() < 0) {
        ShowMessage(GetSafeHwnd(), "请选择要删除的记录", "错误", MsgIcon::Error);
        return;
    }
    if (ShowMessage(GetSafeHwnd(), "确实删除记录吗？", "警告", MsgIcon::Question,
                    MsgButtons::YesNo) != IDYES)
        return;
    for (int row = FirstSelectedRow(); row >= 0; row = FirstSelectedRow()) {
        const std::string name = RowName(row);
        bool deleteFailed = false;
        if (!m_rst.MoveRecID(row) || !RemoveCurrent(name, std::string(), &deleteFailed)) {
            if (deleteFailed) ShowMessage(GetSafeHwnd(), "删除记录失败", "错误", MsgIcon::Error);
            ReloadRecordset();
            return;
        }
        m_list->removeRow(row);
        m_changed = 1;
    }
}

void CParamAdjustDlg::OnOK() {
    const int row = FirstSelectedRow();
    if (row >= 0) m_chosenName = RowName(row);
    End();
}

void CParamAdjustDlg::OnCancel() {
    m_chosenName.clear();
    End();
}

void CParamAdjustDlg::End() {
    QDialog::done(m_changed ? kResultChanged : kResultUnchanged);
}
