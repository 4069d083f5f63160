#include "ui/controls/list_model.h"

#include <QColor>
#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

#include "ui/controls/list_sort.h"

namespace {

// Offset of the cell's first byte, or npos when the row holds fewer cells.
size_t CellStart(const std::string& cells, int column) {
    // Cells are short: a plain scan beats a library call per cell.
    const char* p = cells.data();
    const char* const end = p + cells.size();
    for (int c = column; c > 0 && p != end; ++p) c -= *p == '\0';
    return p != end ? static_cast<size_t>(p - cells.data()) : std::string::npos;
}

// Cells end at their first NUL.
std::string_view CellValue(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

CListModel::CListModel(QObject* parent) : QAbstractTableModel(parent) {}
CListModel::~CListModel() = default;

int CListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_announced;
}

int CListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant CListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_announced || index.column() >= ColumnCount())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole: {
            const std::string_view text = CellText(index.row(), index.column());
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::CheckStateRole:
            if (m_checkBoxes && index.column() == 0)
                return row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
        case Qt::BackgroundRole: {
            if (!row.data.m_colors) return {};
            const auto& colors =
                role == Qt::ForegroundRole ? row.data.m_colors->text : row.data.m_colors->back;
            const size_t column = static_cast<size_t>(index.column());
            if (column >= colors.size() || colors[column] == kDefaultCellColor) return {};
            return ToQColor(colors[column]);
        }
        default:
            return {};
    }
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount()) return {};
    if (role == Qt::DisplayRole) return m_headings[static_cast<size_t>(section)];
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CListModel::flags(const QModelIndex& index) const {
    // Not user-checkable: the control toggles ticks itself, so the delegate never does.
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool CListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !m_checkBoxes || !index.isValid() || index.column() != 0 ||
        index.row() >= m_announced)
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void CListModel::SetCheckBoxes(bool on) {
    if (m_checkBoxes == on) return;
    m_checkBoxes = on;
    if (m_announced > 0 && ColumnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_announced - 1, 0), {Qt::CheckStateRole});
}

int CListModel::InsertColumn(int at, const std::string& heading) {
    at = std::clamp(at, 0, ColumnCount());
    beginInsertColumns(QModelIndex(), at, at);
    m_headings.insert(m_headings.begin() + at, QString::fromStdString(heading));
    for (Row& row : m_rows) {
        if (at < row.cellCount) {
            row.cells.insert(CellStart(row.cells, at), 1, '\0');
            ++row.cellCount;
        }
        if (auto* colors = row.data.m_colors.get()) {
            const size_t pos = std::min(static_cast<size_t>(at), colors->text.size());
            colors->text.insert(colors->text.begin() + pos, kDefaultCellColor);
            colors->back.insert(colors->back.begin() + pos, kDefaultCellColor);
        }
    }
    endInsertColumns();
    return at;
}

int CListModel::InsertRow(int at, std::string_view text) {
    Row row;
    text = CellValue(text);
    row.cells.reserve(text.size() + 1);
    row.cells.append(text).push_back('\0');
    row.cellCount = 1;
    if (at >= RowCount()) {
        // The row before is normally complete now; give back its growth slack.
        if (!m_rows.empty()) {
            std::string& last = m_rows.back().cells;
            if (last.capacity() > last.size() + 16) last.shrink_to_fit();
        }
        m_rows.push_back(std::move(row));
        ScheduleFlush();
        return RowCount() - 1;
    }
    FlushPendingRows();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(m_rows.begin() + at, std::move(row));
    ++m_announced;
    endInsertRows();
    return at;
}

bool CListModel::SetCellText(int row, int column, std::string_view text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
    text = CellValue(text);
    Row& r = m_rows[static_cast<size_t>(row)];
    std::string& cells = r.cells;
    if (column >= r.cellCount) {
        cells.append(static_cast<size_t>(column - r.cellCount), '\0').append(text).push_back('\0');
        r.cellCount = static_cast<uint16_t>(column + 1);
    } else {
        const size_t start = CellStart(cells, column);
        cells.replace(start, cells.find('\0', start) - start, text);
    }
    CellChanged(row, column, Qt::DisplayRole);
    return true;
}

std::string_view CListModel::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) return {};
    const std::string& cells = m_rows[static_cast<size_t>(row)].cells;
    const size_t start = CellStart(cells, column);
    if (start == std::string::npos) return std::string_view("", 0);
    return std::string_view(cells).substr(start, cells.find('\0', start) - start);
}

bool CListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= RowCount()) return false;
    Row& r = m_rows[static_cast<size_t>(row)];
    if (r.checked != checked) {
        r.checked = checked;
        CellChanged(row, 0, Qt::CheckStateRole);
    }
    return true;
}

void CListModel::SetAllChecked(bool checked) {
    bool changed = false;
    for (size_t i = m_rows.size(); i-- > 0;) {
        if (m_rows[i].checked != checked) {
            m_rows[i].checked = checked;
            changed = true;
        }
    }
    if (changed && m_checkBoxes && m_announced > 0 && ColumnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_announced - 1, 0), {Qt::CheckStateRole});
}

bool CListModel::SetCellColors(int row, int column, COLORREF text, COLORREF back) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
    auto& colors = m_rows[static_cast<size_t>(row)].data.m_colors;
    if (!colors) {
        colors = std::make_unique<CListRowData::Colors>();
        colors->text.assign(m_headings.size(), kDefaultCellColor);
        colors->back.assign(m_headings.size(), kDefaultCellColor);
    }
    colors->text[static_cast<size_t>(column)] = text;
    colors->back[static_cast<size_t>(column)] = back;
    if (row < m_announced)
        Q_EMIT dataChanged(index(row, column), index(row, column),
                           {Qt::ForegroundRole, Qt::BackgroundRole});
    return true;
}

void CListModel::RemoveRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    if (row < m_announced) {
        beginRemoveRows(QModelIndex(), row, row);
        m_rows.erase(m_rows.begin() + row);
        --m_announced;
        endRemoveRows();
    } else {
        m_rows.erase(m_rows.begin() + row);
    }
}

int CListModel::RemoveAllRows() {
    const int count = RowCount();
    beginResetModel();
    std::deque<Row>().swap(m_rows);
    m_announced = 0;
    endResetModel();
    return count;
}

namespace {

template <class V>
struct ValueItem {
    V value;
    int row;
};

// Sorts by value through a strict order on the items, one of each direction.
template <class T, class Less>
void SortItems(HugePageVector<T>& items, bool ascending, Less less) {
    const long hi = static_cast<long>(items.size()) - 1;
    auto greater = [&](const T& x, const T& p) { return less(p, x); };
    if (ascending)
        ListQuickSortBy(items.data(), 0, hi, less, greater);
    else
        ListQuickSortBy(items.data(), 0, hi, greater, less);
}

// Integer values and row numbers packed in one word each, the value above the row, when
// both fit: half the memory of (value, row) pairs. Only the value bits are compared.
// value(i) is row i's value.
template <class Value>
bool SortPacked(size_t n, bool ascending, HugePageVector<int>& order, Value value) {
    int64_t low = value(0);
    int64_t high = low;
    for (size_t i = 1; i < n; ++i) {
        const int64_t v = value(i);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    const auto base = static_cast<uint64_t>(low);
    const unsigned rowBits = std::bit_width(n - 1);
    const unsigned valueBits = std::bit_width(static_cast<uint64_t>(high) - base);
    if (rowBits + valueBits > 64) return false;
    HugePageVector<uint64_t> packed;
    packed.reserve(n);
    for (size_t i = 0; i < n; ++i)
        packed.push_back(((static_cast<uint64_t>(value(i)) - base) << rowBits) | i);
    SortItems(packed, ascending,
              [rowBits](uint64_t x, uint64_t p) { return (x >> rowBits) < (p >> rowBits); });
    const uint64_t rowMask = (uint64_t{1} << rowBits) - 1;
    for (size_t k = 0; k < n; ++k) order[k] = static_cast<int>(packed[k] & rowMask);
    return true;
}

// Numbers that are all whole hundredths (amounts, mostly): each v is exactly fl(c / 100) for
// an integer c, and below 1e13 distinct c give distinct doubles, so the c order as the v do.
int64_t Hundredths(double v) {
    return std::llround(v * 100);
}
bool AllHundredths(const HugePageVector<double>& values) {
    for (const double v : values) {
        if (!(std::fabs(v) < 1e13)) return false;  // NaN too
        if (static_cast<double>(Hundredths(v)) / 100 != v) return false;
    }
    return true;
}

// Reads each row's value of one form and sorts the rows by it; false, leaving order
// untouched, at the first row read refuses.
template <class V, class Read>
bool SortByForm(size_t n, bool ascending, HugePageVector<int>& order, Read read) {
    HugePageVector<V> values;
    values.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        V v{};
        if (!read(i, &v)) return false;
        values.push_back(v);
    }
    if constexpr (std::is_same_v<V, double>) {
        if (AllHundredths(values) &&
            SortPacked(n, ascending, order, [&](size_t i) { return Hundredths(values[i]); }))
            return true;
    } else {
        if (SortPacked(n, ascending, order,
                       [&](size_t i) { return static_cast<int64_t>(values[i]); }))
            return true;
    }
    HugePageVector<ValueItem<V>> items;
    items.reserve(n);
    for (size_t i = 0; i < n; ++i) items.push_back({values[i], static_cast<int>(i)});
    SortItems(items, ascending,
              [](const ValueItem<V>& x, const ValueItem<V>& p) { return x.value < p.value; });
    for (size_t k = 0; k < n; ++k) order[k] = items[k].row;
    return true;
}

// A hex cell whose hex value orders like its decimal value against every other such cell:
// at most eight decimal digits, after optional white space.
bool HexOrdersAsDecimal(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r'))) ++p;
    const size_t digits = text.size() - p;
    if (digits == 0 || digits > 8) return false;
    for (; p < text.size(); ++p)
        if (text[p] < '0' || text[p] > '9') return false;
    return true;
}

// Both cache lines a row may span.
template <class Row>
void PrefetchRow(const Row* row) {
    __builtin_prefetch(row);
    __builtin_prefetch(reinterpret_cast<const char*>(row) + sizeof(Row) - 1);
}

// Texts compared by their first eight bytes as one number, then by the rest: the same
// order as comparing the bytes, for texts without NUL bytes.
struct TextItem {
    uint64_t prefix;
    std::string_view text;
    int row;
};

uint64_t BigEndianPrefix(std::string_view text) {
    uint64_t prefix = 0;
    const size_t n = std::min<size_t>(text.size(), 8);
    for (size_t i = 0; i < n; ++i)
        prefix |= static_cast<uint64_t>(static_cast<unsigned char>(text[i])) << (56 - 8 * i);
    return prefix;
}

// Sorts items whose keys all compare as text (rule 4 with GB18030 bytes on both sides).
template <class Item>
void SortByText(const HugePageVector<Item>& items, bool ascending, HugePageVector<int>& order) {
    HugePageVector<TextItem> texts;
    texts.reserve(items.size());
    for (const Item& item : items)
        texts.push_back({BigEndianPrefix(item.key.text), item.key.text, item.row});
    ListQuickSort(texts.data(), 0, static_cast<long>(texts.size()) - 1, ascending,
                  [](const TextItem& a, const TextItem& b) {
                      if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
                      const int c = a.text.compare(b.text);
                      return c < 0 ? -1 : (c > 0 ? 1 : 0);
                  });
    for (size_t k = 0; k < texts.size(); ++k) order[k] = texts[k].row;
}

}  // namespace

HugePageVector<int> CListModel::SortedOrder(int column, bool ascending) const {
    const size_t n = m_rows.size();
    HugePageVector<int> order(n);
    // Rows' texts lie scattered on the heap: ask for them a few rows ahead, two cache lines,
    // as a cell past the first few often starts in the second.
    constexpr size_t kFetchAhead = 16;
    auto cell = [this, column, n](size_t i) {
        if (i + kFetchAhead < n) {
            const char* text = m_rows[i + kFetchAhead].cells.data();
            __builtin_prefetch(text);
            __builtin_prefetch(text + 48);
        }
        return CellText(static_cast<int>(i), column);
    };
    // When one numeric form decides every comparison, the rows are sorted on its values
    // alone, giving the order the full keys give. The first row names the forms worth trying.
    const unsigned forms = ReadCellNumbers(cell(0)).forms;
    if ((forms & kCellHex) && SortByForm<uint32_t>(n, ascending, order, [&](size_t i, uint32_t* v) {
            return ParseCellHex32(cell(i), v);
        }))
        return order;
    if (forms & kCellNumber) {
        // Two hex cells compare as hex; that agrees with their numbers only for plain digits.
        size_t hexCells = 0;
        bool hexDisagrees = false;
        const bool read = SortByForm<double>(n, ascending, order, [&](size_t i, double* v) {
            const std::string_view text = cell(i);
            if (!ParseCellNumber(text, v)) return false;
            uint32_t hex = 0;
            if (ParseCellHex32(text, &hex)) {
                ++hexCells;
                hexDisagrees = hexDisagrees || !HexOrdersAsDecimal(text);
            }
            return !(hexDisagrees && hexCells > 1);
        });
        if (read) return order;
    }
    // A date or time holds a separator no hex text or number has: this form stands alone.
    if ((forms & kCellDateTime) &&
        SortByForm<int64_t>(n, ascending, order,
                            [&](size_t i, int64_t* v) { return ParseCellDateTime(cell(i), v); }))
        return order;

    struct Item {
        CellKey key;
        int row;
    };
    CellKeyBuilder builder;
    HugePageVector<Item> items;
    items.reserve(n);
    bool textOnly = true;  // no cell has a numeric form and every one has GB18030 bytes
    for (size_t i = 0; i < n; ++i) {
        items.push_back({builder.Build(cell(i)), static_cast<int>(i)});
        textOnly = textOnly && items.back().key.num.forms == 0 && items.back().key.gbValid;
    }
    if (textOnly) {
        SortByText(items, ascending, order);
        return order;
    }
    ListQuickSort(items.data(), 0, static_cast<long>(n) - 1, ascending,
                  [](const Item& a, const Item& b) { return CompareCellKeys(a.key, b.key); });
    for (size_t k = 0; k < n; ++k) order[k] = items[k].row;
    return order;
}

void CListModel::SortRows(int column, bool ascending) {
    FlushPendingRows();
    const int n = RowCount();
    if (n < 2) return;

    HugePageVector<int> order = SortedOrder(column, ascending);
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    HugePageVector<int> newPosition(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) newPosition[static_cast<size_t>(order[static_cast<size_t>(k)])] = k;
    // Gather the rows in their new order. They come from anywhere in memory, but their
    // positions are known ahead, so each is fetched sixteen rows early, many at a time.
    constexpr int kFetchAhead = 16;
    std::deque<Row> sorted;
    for (int k = 0; k < n; ++k) {
        if (k + kFetchAhead < n)
            PrefetchRow(&m_rows[static_cast<size_t>(order[static_cast<size_t>(k + kFetchAhead)])]);
        sorted.push_back(std::move(m_rows[static_cast<size_t>(order[static_cast<size_t>(k)])]));
    }
    m_rows.swap(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
        to.append(index(newPosition[static_cast<size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CListModel::FlushPendingRows() {
    if (m_announced >= RowCount()) return;
    beginInsertRows(QModelIndex(), m_announced, RowCount() - 1);
    m_announced = RowCount();
    endInsertRows();
}

void CListModel::ScheduleFlush() {
    if (m_flushScheduled) return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushScheduled = false;
            FlushPendingRows();
        },
        Qt::QueuedConnection);
}

void CListModel::CellChanged(int row, int column, int role) {
    if (row < m_announced) Q_EMIT dataChanged(index(row, column), index(row, column), {role});
}
