// The rows of a check-box list: each row's cell texts in one string, its tick and its record,
// under a table model. Appended rows are announced to the views in batches.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"
#include "ui/controls/huge_page_allocator.h"

// A colour entry that means "the view's own colour".
constexpr COLORREF kDefaultCellColor = 0xFF000000;

// The record every row carries; it moves with the row when the list is sorted.
struct CListRowData {
    uint32_t m_userValue = 0;
    // Per-column text and background colours; absent while every cell has the defaults.
    struct Colors {
        std::vector<COLORREF> text;
        std::vector<COLORREF> back;
    };
    std::unique_ptr<Colors> m_colors;
};

class CListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CListModel(QObject* parent = nullptr);
    ~CListModel() override;

    // QAbstractTableModel; counts only the rows announced to the views so far.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A tick set through the model (Qt::CheckStateRole of column 0) as SetChecked sets it.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const { return static_cast<int>(m_headings.size()); }

    void SetCheckBoxes(bool on);
    bool HasCheckBoxes() const { return m_checkBoxes; }

    int InsertColumn(int index, const std::string& heading);
    // Inserts a row (index >= RowCount() appends) and returns its index.
    int InsertRow(int index, std::string_view text);
    bool SetCellText(int row, int column, std::string_view text);
    std::string_view CellText(int row, int column) const;
    bool IsChecked(int row) const { return m_rows[static_cast<size_t>(row)].checked; }
    bool SetChecked(int row, bool checked);
    // Sets every row's tick, visiting the rows from the last to the first.
    void SetAllChecked(bool checked);
    CListRowData& RowData(int row) { return m_rows[static_cast<size_t>(row)].data; }
    const CListRowData& RowData(int row) const { return m_rows[static_cast<size_t>(row)].data; }
    bool SetCellColors(int row, int column, COLORREF text, COLORREF back);
    void RemoveRow(int row);
    int RemoveAllRows();

    // Reorders the rows by the cells of column; keeps views' selection and focus on the rows.
    void SortRows(int column, bool ascending);

    // Announces appended rows to the views now (also done from the event loop).
    void FlushPendingRows();

private:
    struct Row {
        std::string cells;  // every cell's text followed by a NUL; missing cells are empty
        CListRowData data;
        bool checked = false;
        uint16_t cellCount = 0;  // cells held in cells
    };
    // order[k] = the row that goes to position k.
    HugePageVector<int> SortedOrder(int column, bool ascending) const;
    void ScheduleFlush();
    void CellChanged(int row, int column, int role);

    // In blocks that never move: appending to a long list never copies it on the window's
    // thread, as a growing array would when it doubles.
    std::deque<Row> m_rows;
    std::vector<QString> m_headings;
    int m_announced = 0;  // rows the views know of
    bool m_flushScheduled = false;
    bool m_checkBoxes = false;
};
