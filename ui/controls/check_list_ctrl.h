// The report list of every record page and result table: columns with headings, a tick box
// in front of each row, grid lines, full-row selection and sorting on a heading click.
//
// Messages to the message parent (SetMessageParent; by default the parent widget when it
// is a MessageTarget), sent synchronously:
//   WM_CHECKLIST_CHECKCHANGED (row, mouse message)  after a mouse click changed a tick
//   WM_CHECKLIST_SORTED (column, 1 ascending / 0 descending)  after every heading sort
//   WM_RBUTTONUP (0, 0)  CCheckListCtrl only: right button released over the list
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "ui/controls/list_model.h"

class QMouseEvent;
class QTableView;
class CListTableView;

class CSortListCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CSortListCtrl(QWidget* parent = nullptr);
    ~CSortListCtrl() override;

    // Turns on tick boxes and grid lines; the arguments are ignored. Returns 1.
    int Initialize(int = 0, int = 0, int = 0);
    // Inserts a left-aligned column; returns its index, or -1.
    int AddColumn(int index, const std::string& heading, int width);
    int GetColumnCount() const;
    void SetRedraw(int redraw);

    // Inserts a row whose first cell is text (index >= GetRowCount() appends); returns the
    // row's index, or -1. Appends are cheap: the view learns of them in batches.
    int InsertRow(int index, const std::string& text);
    int SetCellText(int row, int column, const std::string& text);
    std::string GetCellText(int row, int column) const;
    int GetRowCount() const;

    int GetCheck(int row) const;
    int SetCheck(int row, int state);
    void CheckAll();
    void UncheckAll();

    // The row's user value (pages keep the row's record index there); travels with the row.
    int SetRowData(int row, uint32_t value);
    uint32_t GetRowData(int row) const;
    // Colours of one cell (COLORREF; kDefaultCellColor for the view's own).
    int SetCellColors(int row, int column, COLORREF text, COLORREF back);

    int GetFirstSelectedRow() const;
    int IsRowSelected(int row) const;
    int GetFocusedRow() const;
    // Selects (and focuses) row alone; -1 clears the selection.
    void SelectRow(int row);

    int DeleteRow(int row, int selectNext);
    int DeleteAllRows();

    // Sorts by column; does nothing for a column out of range or when the headings are
    // hidden or not clickable. Remembers the column and direction and reports the sort.
    void SortByColumn(int column, int ascending);
    // Compares two rows' cells in the remembered sort column (column 0 when none).
    int CompareCells(int rowA, int rowB) const;
    int GetSortColumn() const { return m_sortColumn; }
    int IsSortAscending() const { return m_sortAscending; }

    // Heading clicks sort unless turned off; hidden headings never sort.
    void SetHeaderClickable(bool clickable);
    void SetHeaderVisible(bool visible);

    void SetMessageParent(HWND hwnd) { m_messageParent = hwnd; }
    HWND GetMessageParent() const;

    // The inner table view (objectName "listTable"), with every row announced to it.
    QTableView* GetView();

protected:
    // Mouse presses and releases over the view; true when handled (the view then does
    // nothing more with the event).
    virtual bool OnViewMousePress(QMouseEvent* event, bool doubleClick);
    virtual bool OnViewMouseRelease(QMouseEvent* event);
    void SendToParent(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend class CListTableView;
    void OnHeaderClicked(int column);
    void ForgetSort();

    CListModel* m_model;
    CListTableView* m_view;
    HWND m_messageParent = 0;
    int m_sortColumn = -1;
    int m_sortAscending = 1;
    bool m_checkBoxes = false;
    bool m_swallowRelease = false;
};

// The list the windows embed: a right-button press does nothing and its release is
// forwarded to the message parent as WM_RBUTTONUP.
class CCheckListCtrl : public CSortListCtrl {
    Q_OBJECT
public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);
    ~CCheckListCtrl() override;

protected:
    bool OnViewMousePress(QMouseEvent* event, bool doubleClick) override;
    bool OnViewMouseRelease(QMouseEvent* event) override;
};
