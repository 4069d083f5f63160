#include "ui/controls/check_list_ctrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/message_layer.h"
#include "platform/messages.h"
#include "ui/controls/list_sort.h"

namespace {

class CListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::initStyleOption;
    using QStyledItemDelegate::QStyledItemDelegate;
};

}  // namespace

// The table under the list: hands mouse presses to the control and never lets the space
// key reach the item view (it would toggle the current tick or selection).
class CListTableView : public QTableView {
public:
    explicit CListTableView(CSortListCtrl* owner)
        : QTableView(owner), m_owner(owner), m_delegate(new CListDelegate(this)) {
        setItemDelegate(m_delegate);
    }

    // The tick box of a first-column cell, in viewport coordinates.
    QRect CheckBoxRect(const QModelIndex& index) const {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(index);
        m_delegate->initStyleOption(&option, index);
        return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    }

protected:
    // Input reaches rows appended since the last event-loop turn, too: the view learns of
    // them before it looks for the row under the pointer or the key's target.
    void mousePressEvent(QMouseEvent* event) override {
        m_owner->m_model->FlushPendingRows();
        if (!m_owner->OnViewMousePress(event, false)) QTableView::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        m_owner->m_model->FlushPendingRows();
        if (!m_owner->OnViewMousePress(event, true)) QTableView::mouseDoubleClickEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!m_owner->OnViewMouseRelease(event)) QTableView::mouseReleaseEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        m_owner->m_model->FlushPendingRows();
        if (event->key() == Qt::Key_Space) {
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    CSortListCtrl* m_owner;
    CListDelegate* m_delegate;
};

CSortListCtrl::CSortListCtrl(QWidget* parent)
    : QWidget(parent), m_model(new CListModel(this)), m_view(new CListTableView(this)) {
    m_view->setObjectName(QStringLiteral("listTable"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setTabKeyNavigation(false);
    m_view->setWordWrap(false);
    m_view->setShowGrid(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QHeaderView* rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(fontMetrics().height());
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* heads = m_view->horizontalHeader();
    heads->setSectionsClickable(true);
    heads->setHighlightSections(false);
    heads->setStretchLastSection(false);
    heads->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    heads->setSectionResizeMode(QHeaderView::Interactive);
    connect(heads, &QHeaderView::sectionClicked, this, &CSortListCtrl::OnHeaderClicked);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);
}

CSortListCtrl::~CSortListCtrl() = default;

int CSortListCtrl::Initialize(int, int, int) {
    m_checkBoxes = true;
    m_model->SetCheckBoxes(true);
    m_view->setShowGrid(true);
    return 1;
}

int CSortListCtrl::AddColumn(int index, const std::string& heading, int width) {
    if (index < 0) return -1;
    const int column = m_model->InsertColumn(index, heading);
    m_view->horizontalHeader()->resizeSection(column, std::max(width, 0));
    return column;
}

int CSortListCtrl::GetColumnCount() const {
    return m_model->ColumnCount();
}

void CSortListCtrl::SetRedraw(int redraw) {
    m_view->setUpdatesEnabled(redraw != 0);
    if (redraw) {
        m_model->FlushPendingRows();
        m_view->viewport()->update();
    }
}

int CSortListCtrl::InsertRow(int index, const std::string& text) {
    if (index < 0) return -1;
    ForgetSort();
    return m_model->InsertRow(index, text);
}

int CSortListCtrl::SetCellText(int row, int column, const std::string& text) {
    if (!m_model->SetCellText(row, column, text)) return 0;
    ForgetSort();
    return 1;
}

std::string CSortListCtrl::GetCellText(int row, int column) const {
    return std::string(m_model->CellText(row, column));
}

int CSortListCtrl::GetRowCount() const {
    return m_model->RowCount();
}

int CSortListCtrl::GetCheck(int row) const {
    return row >= 0 && row < GetRowCount() && m_model->IsChecked(row) ? 1 : 0;
}

int CSortListCtrl::SetCheck(int row, int state) {
    return m_model->SetChecked(row, state != 0) ? 1 : 0;
}

void CSortListCtrl::CheckAll() {
    m_model->SetAllChecked(true);
}
void CSortListCtrl::UncheckAll() {
    m_model->SetAllChecked(false);
}

int CSortListCtrl::SetRowData(int row, uint32_t value) {
    if (row < 0 || row >= GetRowCount()) return 0;
    m_model->RowData(row).m_userValue = value;
    return 1;
}

uint32_t CSortListCtrl::GetRowData(int row) const {
    return row >= 0 && row < GetRowCount() ? m_model->RowData(row).m_userValue : 0;
}

int CSortListCtrl::SetCellColors(int row, int column, COLORREF text, COLORREF back) {
    return m_model->SetCellColors(row, column, text, back) ? 1 : 0;
}

int CSortListCtrl::GetFirstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : m_view->selectionModel()->selection())
        if (first < 0 || range.top() < first) first = range.top();
    return first;
}

int CSortListCtrl::IsRowSelected(int row) const {
    if (row < 0 || row >= m_model->rowCount() || GetColumnCount() == 0) return 0;
    return m_view->selectionModel()->isSelected(m_model->index(row, 0)) ? 1 : 0;
}

int CSortListCtrl::GetFocusedRow() const {
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CSortListCtrl::SelectRow(int row) {
    m_model->FlushPendingRows();
    QItemSelectionModel* selection = m_view->selectionModel();
    if (row < 0 || row >= GetRowCount() || GetColumnCount() == 0) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(m_model->index(row, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CSortListCtrl::DeleteRow(int row, int selectNext) {
    if (row < 0 || row >= GetRowCount()) return 0;
    if (selectNext && row + 1 < GetRowCount() && GetColumnCount() > 0) {
        m_model->FlushPendingRows();
        m_view->selectionModel()->setCurrentIndex(
            m_model->index(row + 1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    m_model->RemoveRow(row);
    return 1;
}

int CSortListCtrl::DeleteAllRows() {
    const bool updates = m_view->updatesEnabled();
    m_view->setUpdatesEnabled(false);
    const int count = m_model->RemoveAllRows();
    m_view->setUpdatesEnabled(updates);
    return count;
}

void CSortListCtrl::SortByColumn(int column, int ascending) {
    const QHeaderView* heads = m_view->horizontalHeader();
    if (column < 0 || column >= GetColumnCount() || heads->isHidden() ||
        !heads->sectionsClickable())
        return;
    m_sortColumn = column;
    m_sortAscending = ascending ? 1 : 0;
    m_model->SortRows(column, ascending != 0);
    SendToParent(WM_CHECKLIST_SORTED, static_cast<WPARAM>(column), m_sortAscending);
}

int CSortListCtrl::CompareCells(int rowA, int rowB) const {
    const int column = m_sortColumn < 0 ? 0 : m_sortColumn;
    return CompareCellTexts(GetCellText(rowA, column), GetCellText(rowB, column));
}

void CSortListCtrl::SetHeaderClickable(bool clickable) {
    m_view->horizontalHeader()->setSectionsClickable(clickable);
}

void CSortListCtrl::SetHeaderVisible(bool visible) {
    m_view->horizontalHeader()->setVisible(visible);
}

HWND CSortListCtrl::GetMessageParent() const {
    if (m_messageParent) return m_messageParent;
    if (auto* target = dynamic_cast<MessageTarget*>(parentWidget())) return target->GetSafeHwnd();
    return 0;
}

QTableView* CSortListCtrl::GetView() {
    m_model->FlushPendingRows();
    return m_view;
}

bool CSortListCtrl::OnViewMousePress(QMouseEvent* event, bool doubleClick) {
    UINT message = 0;
    switch (event->button()) {
        case Qt::LeftButton:
            message = doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
            break;
        case Qt::MiddleButton:
            message = doubleClick ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
            break;
        case Qt::RightButton:
            if (!doubleClick) return false;
            message = WM_RBUTTONDBLCLK;
            break;
        default:
            return false;
    }
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = m_view->indexAt(pos);
    if (!index.isValid()) return false;
    const int row = index.row();
    const int wasChecked = GetCheck(row);
    // The list's own handling of the click: a left click on a tick box toggles it.
    if (!m_checkBoxes || event->button() != Qt::LeftButton || index.column() != 0 ||
        !m_view->CheckBoxRect(index).contains(pos))
        return false;
    SetCheck(row, !wasChecked);
    if (GetCheck(row) == wasChecked) return false;
    m_swallowRelease = true;
    SelectRow(row);
    SendToParent(WM_CHECKLIST_CHECKCHANGED, static_cast<WPARAM>(row), message);
    return true;
}

bool CSortListCtrl::OnViewMouseRelease(QMouseEvent* event) {
    if (m_swallowRelease && event->button() == Qt::LeftButton) {
        m_swallowRelease = false;
        return true;
    }
    return false;
}

void CSortListCtrl::SendToParent(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (const HWND parent = GetMessageParent()) SendMessage(parent, msg, wParam, lParam);
}

void CSortListCtrl::OnHeaderClicked(int column) {
    SortByColumn(column, column == m_sortColumn ? !m_sortAscending : 1);
}

void CSortListCtrl::ForgetSort() {
    m_sortColumn = -1;
    m_sortAscending = 1;
}

CCheckListCtrl::CCheckListCtrl(QWidget* parent) : CSortListCtrl(parent) {}

CCheckListCtrl::~CCheckListCtrl() {
    DeleteAllRows();
}

bool CCheckListCtrl::OnViewMousePress(QMouseEvent* event, bool doubleClick) {
    if (event->button() == Qt::RightButton && !doubleClick) return true;
    return CSortListCtrl::OnViewMousePress(event, doubleClick);
}

bool CCheckListCtrl::OnViewMouseRelease(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        SendToParent(WM_RBUTTONUP, 0, 0);
        return true;
    }
    return CSortListCtrl::OnViewMouseRelease(event);
}
