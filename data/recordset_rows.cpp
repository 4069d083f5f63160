#include "data/recordset.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

// A packed row: byte 0 says whether the offsets are 32-bit (1) or 16-bit (0); then
// column count + 1 offsets from the row's start; then per cell a tag and its bytes.
enum CellTag : unsigned char {
    kTagNull,
    kTagInt32,
    kTagInt64,
    kTagFloat32,
    kTagDouble,
    kTagText,
    kTagBlob,
};

static size_t PackedSize(const CellView& cell) {
    switch (cell.type) {
        case kCellInteger:
            return cell.i >= INT32_MIN && cell.i <= INT32_MAX ? 5 : 9;
        case kCellFloat:
            return static_cast<double>(static_cast<float>(cell.d)) == cell.d ? 5 : 9;
        case kCellText:
        case kCellBlob:
            return 1 + cell.size;
        default:
            return 1;
    }
}

static void WriteCell(unsigned char* p, const CellView& cell, size_t size) {
    switch (cell.type) {
        case kCellInteger:
            if (size == 5) {
                int32_t v = static_cast<int32_t>(cell.i);
                p[0] = kTagInt32;
                std::memcpy(p + 1, &v, sizeof v);
            } else {
                p[0] = kTagInt64;
                std::memcpy(p + 1, &cell.i, sizeof cell.i);
            }
            return;
        case kCellFloat:
            if (size == 5) {
                float f = static_cast<float>(cell.d);
                p[0] = kTagFloat32;
                std::memcpy(p + 1, &f, sizeof f);
            } else {
                p[0] = kTagDouble;
                std::memcpy(p + 1, &cell.d, sizeof cell.d);
            }
            return;
        case kCellText:
        case kCellBlob:
            p[0] = cell.type == kCellText ? kTagText : kTagBlob;
            if (cell.size) std::memcpy(p + 1, cell.text, cell.size);
            return;
        default:
            p[0] = kTagNull;
    }
}

template <typename CellAt>
const unsigned char* OrviRecordset::PackRow(CellAt cellAt) {
    int count = ColumnCount();
    m_cells.resize(static_cast<size_t>(count));
    m_sizes.resize(static_cast<size_t>(count));
    size_t body = 0;
    for (int c = 0; c < count; ++c) {
        m_cells[c] = cellAt(c);
        m_sizes[c] = PackedSize(m_cells[c]);
        body += m_sizes[c];
    }
    size_t offsets = static_cast<size_t>(count) + 1;
    bool wide = 1 + offsets * 2 + body > 0xFFFF;
    size_t header = 1 + offsets * (wide ? 4 : 2);
    unsigned char* row = Allocate(header + body);
    row[0] = wide ? 1 : 0;
    size_t offset = header;
    for (int c = 0; c <= count; ++c) {
        if (wide) {
            uint32_t v = static_cast<uint32_t>(offset);
            std::memcpy(row + 1 + 4 * c, &v, 4);
        } else {
            uint16_t v = static_cast<uint16_t>(offset);
            std::memcpy(row + 1 + 2 * c, &v, 2);
        }
        if (c < count) {
            WriteCell(row + offset, m_cells[c], m_sizes[c]);
            offset += m_sizes[c];
        }
    }
    return row;
}

void OrviRecordset::ReadPacked(const unsigned char* row, int column, CellView* cell) {
    uint32_t begin, end;
    if (row[0]) {
        uint32_t offsets[2];
        std::memcpy(offsets, row + 1 + 4 * column, sizeof offsets);
        begin = offsets[0];
        end = offsets[1];
    } else {
        uint16_t offsets[2];
        std::memcpy(offsets, row + 1 + 2 * column, sizeof offsets);
        begin = offsets[0];
        end = offsets[1];
    }
    const unsigned char* p = row + begin;
    switch (p[0]) {
        case kTagInt32: {
            int32_t v;
            std::memcpy(&v, p + 1, sizeof v);
            cell->type = kCellInteger;
            cell->i = v;
            return;
        }
        case kTagInt64:
            cell->type = kCellInteger;
            std::memcpy(&cell->i, p + 1, sizeof cell->i);
            return;
        case kTagFloat32: {
            float f;
            std::memcpy(&f, p + 1, sizeof f);
            cell->type = kCellFloat;
            cell->d = f;
            return;
        }
        case kTagDouble:
            cell->type = kCellFloat;
            std::memcpy(&cell->d, p + 1, sizeof cell->d);
            return;
        case kTagText:
        case kTagBlob:
            cell->type = p[0] == kTagText ? kCellText : kCellBlob;
            cell->text = reinterpret_cast<const char*>(p + 1);
            cell->size = end - begin - 1;
            return;
        default:
            cell->type = kCellNull;
    }
}

const unsigned char* OrviRecordset::PackStatementRow() {
    auto cellAt = [this](int c) {
        CellView cell;
        m_query->Cell(m_columns[c], &cell);
        return cell;
    };
    return PackRow(cellAt);
}

const unsigned char* OrviRecordset::PackQueryRow(const DbQuery& query, int firstColumn) {
    auto cellAt = [&query, firstColumn](int c) {
        CellView cell;
        query.Cell(firstColumn + c, &cell);
        return cell;
    };
    return PackRow(cellAt);
}

const unsigned char* OrviRecordset::PackMerged(const unsigned char* row) {
    auto cellAt = [this, row](int c) {
        CellView cell;
        if (const CellValue* value = Pending(c)) {
            cell.type = value->type;
            cell.i = value->i;
            cell.d = value->d;
            cell.text = value->text.data();
            cell.size = value->text.size();
        } else if (row) {
            ReadPacked(row, c, &cell);
        }
        return cell;
    };
    return PackRow(cellAt);
}

void OrviRecordset::FreeBlock::operator()(unsigned char* block) const {
    std::free(block);
}

unsigned char* OrviRecordset::Allocate(size_t size) {
    auto newBlock = [this](size_t bytes, bool huge) {
        void* block = huge ? std::aligned_alloc(kBlockSize, bytes) : std::malloc(bytes);
        if (!block) throw std::bad_alloc();
        if (huge) madvise(block, bytes, MADV_HUGEPAGE);
        m_blocks.emplace_back(static_cast<unsigned char*>(block));
        return m_blocks.back().get();
    };
    if (size > kFirstBlockSize / 4) return newBlock(size, false);
    if (m_blockUsed + size > m_blockSize) {
        bool first = m_blockSize == 0;
        m_blockSize = first ? kFirstBlockSize : kBlockSize;
        m_block = newBlock(m_blockSize, !first);
        m_blockUsed = 0;
    }
    unsigned char* target = m_block + m_blockUsed;
    m_blockUsed += size;
    return target;
}
