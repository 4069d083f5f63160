// AccessFile over libmdb. Rows are taken page by page and cracked into their stored bytes,
// which are read here by the file's column type: libmdb's own text conversion loses letters
// outside the Basic Multilingual Plane and cuts long memos.
#include "tools/orvicrm-db/access_file.h"

#include <fcntl.h>
#include <mdbtools.h>
#include <strings.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "tools/orvicrm-db/access_text.h"

namespace {

static_assert(std::endian::native == std::endian::little, "stored numbers are little-endian");

constexpr int kDeletedRow = 0x4000;
constexpr int kRowOffsetMask = 0x1fff;
constexpr uint32_t kMemoInline = 0x80000000u, kMemoOnePage = 0x40000000u;

template <typename T>
T Stored(const void* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

enum class Outcome { kValue, kUnconvertible, kDamaged };

std::string NumberText(double number) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, number);
    return std::string(text, end);
}

// A number into a column of our type code; integers must be whole and fit 32 bits, reals
// single precision.
Outcome NumberInto(double number, const FieldDef& field, CellValue* value, std::string* why) {
    if (field.type == kFieldText) {
        value->type = kCellText;
        value->text = NumberText(number);
        return Outcome::kValue;
    }
    if (field.type == kFieldFloat) {
        if (!std::isfinite(static_cast<float>(number))) {
            *why = std::string(field.name) + " holds " + NumberText(number) +
                   ", beyond single precision";
            return Outcome::kUnconvertible;
        }
        value->type = kCellFloat;
        value->d = number;
        return Outcome::kValue;
    }
    if (number != std::floor(number) || number < std::numeric_limits<int32_t>::min() ||
        number > std::numeric_limits<int32_t>::max()) {
        *why = std::string(field.name) + " holds " + NumberText(number) + ", not a 32-bit integer";
        return Outcome::kUnconvertible;
    }
    value->type = kCellInteger;
    value->i = static_cast<int64_t>(number);
    return Outcome::kValue;
}

Outcome TextInto(std::string text, const FieldDef& field, CellValue* value, std::string* why) {
    if (text.find('\0') != std::string::npos) {
        *why = std::string(field.name) + " holds a text with a zero character";
        return Outcome::kUnconvertible;
    }
    if (field.type == kFieldText) {
        value->type = kCellText;
        value->text = std::move(text);
        return Outcome::kValue;
    }
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        *why = std::string(field.name) + " holds \"" + text + "\", not a number";
        return Outcome::kUnconvertible;
    }
    return NumberInto(number, field, value, why);
}

class LibmdbFile;

class LibmdbReader : public TableReader {
public:
    LibmdbReader(LibmdbFile& file, MdbTableDef* table, const TableDef& ours,
                 std::vector<int> sources, bool lenient, int64_t* nulled)
        : m_file(file),
          m_table(table),
          m_ours(ours),
          m_sources(std::move(sources)),
          m_fields(table ? table->num_cols : 0),
          m_lenient(lenient),
          m_nulled(nulled) {
        if (m_table) mdb_rewind_table(m_table);
    }

    Step Next(std::vector<CellValue>* row, std::string* error) override;

private:
    Outcome ReadValue(const MdbColumn& column, const MdbField& field, const FieldDef& ours,
                      CellValue* value, std::string* why);
    bool ReadMemo(const MdbField& field, std::string* stored);
    Step Damaged(const std::string& why, std::string* error);

    LibmdbFile& m_file;
    MdbTableDef* m_table;  // nullptr: the file lacks the table
    const TableDef& m_ours;
    std::vector<int> m_sources;  // per column of ours: the file's column, -1 for none
    std::vector<MdbField> m_fields;
    bool m_lenient;
    int64_t* m_nulled;
    bool m_started = false;
    int m_rowOnPage = 0, m_rowsOnPage = 0;
    int64_t m_rows = 0;
};

class LibmdbFile : public AccessFile {
public:
    LibmdbFile(std::string path, MdbHandle* mdb, const std::string& codePage)
        : m_path(std::move(path)), m_mdb(mdb), m_codePage(codePage) {}
    ~LibmdbFile() override {
        for (MdbTableDef* table : m_tables)
            if (table) mdb_free_tabledef(table);
        mdb_close(m_mdb);
    }

    // Reads the catalog and the definitions of the user tables.
    bool Load(std::string* error) {
        GPtrArray* catalog = mdb_read_catalog(m_mdb, MDB_TABLE);
        if (!catalog) return Damaged("its list of tables cannot be read", error);
        m_tables.assign(AllTables().size(), nullptr);
        for (guint i = 0; i < catalog->len; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
            if (!mdb_is_user_table(entry)) continue;
            size_t ours = 0;
            while (ours < AllTables().size() &&
                   strcasecmp(AllTables()[ours]->name, entry->object_name) != 0)
                ++ours;
            if (ours == AllTables().size()) {
                m_unknownTables.push_back(entry->object_name);
                continue;
            }
            MdbTableDef* table = mdb_read_table(entry);
            if (!table || !mdb_read_columns(table))
                return Damaged(std::string("the table ") + entry->object_name + " cannot be read",
                               error);
            m_tables[ours] = table;
        }
        return true;
    }

    std::vector<std::string> Differences() const override {
        std::vector<std::string> lines;
        for (size_t t = 0; t < AllTables().size(); ++t) {
            const TableDef& ours = *AllTables()[t];
            MdbTableDef* table = m_tables[t];
            if (!table) {
                lines.push_back(std::string(ours.name) + ": not in the file, left empty");
                continue;
            }
            std::string missing, unknown;
            for (const FieldDef& field : ours.fields)
                if (ColumnOf(table, field.name) < 0)
                    missing += (missing.empty() ? "" : ", ") + std::string(field.name);
            for (guint c = 0; c < table->num_cols; ++c) {
                auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
                if (ours.FieldIndex(column->name) < 0)
                    unknown += (unknown.empty() ? "" : ", ") + std::string(column->name);
            }
            std::string line;
            if (!missing.empty()) line = "no column " + missing + " in the file, left NULL";
            if (!unknown.empty())
                line += (line.empty() ? "" : "; ") + std::string("skipped the file's column ") +
                        unknown;
            if (!line.empty()) lines.push_back(std::string(ours.name) + ": " + line);
        }
        for (const std::string& name : m_unknownTables)
            lines.push_back(name + ": not an OrviCrm table, skipped");
        return lines;
    }

    int64_t RowCount(const TableDef& ours) const override {
        MdbTableDef* table = TableOf(ours);
        return table ? table->num_rows : 0;
    }

    std::unique_ptr<TableReader> Read(const TableDef& ours, bool lenient, int64_t* nulled,
                                      std::string*) override {
        MdbTableDef* table = TableOf(ours);
        std::vector<int> sources;
        for (const FieldDef& field : ours.fields)
            sources.push_back(table ? ColumnOf(table, field.name) : -1);
        return std::make_unique<LibmdbReader>(*this, table, ours, std::move(sources), lenient,
                                              nulled);
    }

    MdbHandle* Handle() { return m_mdb; }
    bool Jet3() const { return m_mdb->f->jet_version == MDB_VER_JET3; }
    CodePageDecoder& Decoder() { return m_codePage; }
    bool Damaged(const std::string& why, std::string* error) const {
        *error = m_path + " is damaged: " + why;
        return false;
    }

private:
    MdbTableDef* TableOf(const TableDef& ours) const {
        for (size_t t = 0; t < AllTables().size(); ++t)
            if (AllTables()[t] == &ours) return m_tables[t];
        return nullptr;
    }
    static int ColumnOf(MdbTableDef* table, const char* name) {
        for (guint c = 0; c < table->num_cols; ++c) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            if (strcasecmp(column->name, name) == 0) return static_cast<int>(c);
        }
        return -1;
    }

    std::string m_path;
    MdbHandle* m_mdb;
    CodePageDecoder m_codePage;
    std::vector<MdbTableDef*> m_tables;  // by AllTables() order; nullptr when not in the file
    std::vector<std::string> m_unknownTables;
};

TableReader::Step LibmdbReader::Damaged(const std::string& why, std::string* error) {
    m_file.Damaged(std::string(m_ours.name) + " row " + std::to_string(m_rows) + ": " + why, error);
    return kError;
}

TableReader::Step LibmdbReader::Next(std::vector<CellValue>* row, std::string* error) {
    if (!m_table) return kDone;
    MdbHandle* mdb = m_file.Handle();
    for (;;) {
        if (!m_started || m_rowOnPage >= m_rowsOnPage) {
            m_started = true;
            if (!mdb_read_next_dpg(m_table)) {
                if (m_rows == m_table->num_rows) return kDone;
                m_file.Damaged(std::string(m_ours.name) + " says it holds " +
                                   std::to_string(m_table->num_rows) + " rows, " +
                                   std::to_string(m_rows) + " can be read",
                               error);
                return kError;
            }
            m_rowOnPage = 0;
            m_rowsOnPage = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
            continue;
        }
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, m_rowOnPage++, &start, &size) != 0 || size == 0) continue;
        if (start & kDeletedRow) continue;
        ++m_rows;
        if (mdb_crack_row(m_table, start & kRowOffsetMask, size, m_fields.data()) < 0)
            return Damaged("its bytes make no row", error);
        row->assign(m_ours.fields.size(), CellValue());
        for (size_t i = 0; i < m_sources.size(); ++i) {
            if (m_sources[i] < 0) continue;
            auto* column =
                static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, m_sources[i]));
            std::string why;
            switch (
                ReadValue(*column, m_fields[m_sources[i]], m_ours.fields[i], &(*row)[i], &why)) {
                case Outcome::kValue:
                    break;
                case Outcome::kDamaged:
                    return Damaged(why, error);
                case Outcome::kUnconvertible:
                    if (!m_lenient) {
                        *error = std::string(m_ours.name) + " row " + std::to_string(m_rows) +
                                 ": " + why;
                        return kError;
                    }
                    (*row)[i] = CellValue();
                    ++*m_nulled;
            }
        }
        return kRow;
    }
}

bool LibmdbReader::ReadMemo(const MdbField& field, std::string* stored) {
    if (field.siz < MDB_MEMO_OVERHEAD) return false;
    auto* at = static_cast<const char*>(field.value);
    uint32_t header = Stored<uint32_t>(at);
    size_t length = header & 0x3fffffffu;
    if (header & kMemoInline) {
        if (length > static_cast<size_t>(field.siz - MDB_MEMO_OVERHEAD)) return false;
        stored->assign(at + MDB_MEMO_OVERHEAD, length);
        return true;
    }
    MdbHandle* mdb = m_file.Handle();
    int pageRow = Stored<int32_t>(at + 4);
    bool onePage = header & kMemoOnePage;
    if (!onePage && (header & 0xff000000u)) return false;
    stored->clear();
    while (stored->size() < length) {
        void* page = nullptr;
        int start = 0;
        size_t size = 0;
        if (!pageRow || mdb_find_pg_row(mdb, pageRow, &page, &start, &size) != 0) return false;
        const char* piece = static_cast<const char*>(page) + start;
        if (onePage) {
            if (size < length) return false;
            stored->assign(piece, length);
            return true;
        }
        if (size < 4 || stored->size() + size - 4 > length) return false;
        stored->append(piece + 4, size - 4);
        pageRow = Stored<int32_t>(piece);
    }
    return true;
}

Outcome LibmdbReader::ReadValue(const MdbColumn& column, const MdbField& field,
                                const FieldDef& ours, CellValue* value, std::string* why) {
    // A Yes/No column keeps its value in the row's null mask: set means yes.
    if (column.col_type == MDB_BOOL) return NumberInto(field.is_null ? 0 : 1, ours, value, why);
    if (field.is_null) return Outcome::kValue;
    const char* at = static_cast<const char*>(field.value);
    auto fits = [&](int size) { return field.siz >= size; };
    switch (column.col_type) {
        case MDB_BYTE:
            if (!fits(1)) break;
            return NumberInto(static_cast<unsigned char>(*at), ours, value, why);
        case MDB_INT:
            if (!fits(2)) break;
            return NumberInto(Stored<int16_t>(at), ours, value, why);
        case MDB_LONGINT:
            if (!fits(4)) break;
            return NumberInto(Stored<int32_t>(at), ours, value, why);
        case MDB_FLOAT:
            if (!fits(4)) break;
            return NumberInto(Stored<float>(at), ours, value, why);
        case MDB_DOUBLE:
            if (!fits(8)) break;
            return NumberInto(Stored<double>(at), ours, value, why);
        case MDB_MONEY:
            if (!fits(8)) break;
            return NumberInto(static_cast<double>(Stored<int64_t>(at)) / 10000, ours, value, why);
        case MDB_NUMERIC: {
            if (!fits(17)) break;
            gchar* text = mdb_numeric_to_string(m_file.Handle(), field.start, column.col_scale,
                                                column.col_prec);
            std::string number = text ? text : "";
            g_free(text);
            return TextInto(number, ours, value, why);
        }
        case MDB_TEXT:
        case MDB_MEMO: {
            std::string stored, text;
            if (column.col_type == MDB_MEMO && !ReadMemo(field, &stored)) {
                *why = std::string(ours.name) + " points to memo pages that cannot be read";
                return Outcome::kDamaged;
            }
            std::string_view bytes = column.col_type == MDB_MEMO
                                         ? std::string_view(stored)
                                         : std::string_view(at, static_cast<size_t>(field.siz));
            bool decoded = m_file.Jet3() ? m_file.Decoder().Decode(bytes, &text, why)
                                         : DecodeJet4Text(bytes, &text, why);
            if (!decoded) {
                *why = std::string(ours.name) + " holds " + *why;
                return Outcome::kUnconvertible;
            }
            return TextInto(std::move(text), ours, value, why);
        }
        case MDB_DATETIME:
            *why = std::string(ours.name) + " is a Date/Time column, not a number of seconds";
            return Outcome::kUnconvertible;
        default:
            *why = std::string(ours.name) + " is of the Access type " +
                   std::to_string(column.col_type) + ", which holds no number or text";
            return Outcome::kUnconvertible;
    }
    *why = std::string(ours.name) + " is shorter than its type";
    return Outcome::kDamaged;
}

// The first bytes of every Jet and ACE file.
bool HasAccessSignature(const char* header, size_t size) {
    static const char kJet[] = "\0\1\0\0Standard Jet DB", kAce[] = "\0\1\0\0Standard ACE DB";
    return size >= sizeof kJet - 1 && (std::memcmp(header, kJet, sizeof kJet - 1) == 0 ||
                                       std::memcmp(header, kAce, sizeof kAce - 1) == 0);
}

// Checks what can be seen before libmdb reads the file: that it can be read, that no other
// program holds a write lock on it, that it is an Access file, and that it is whole pages.
bool CheckFile(const std::string& path, std::string* error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    char header[0x20] = {};
    ssize_t got = pread(fd, header, sizeof header, 0);
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    bool locked = fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    off_t size = lseek(fd, 0, SEEK_END);
    int readErrno = errno;
    close(fd);
    if (got < 0) {
        *error = "cannot read " + path + ": " + std::strerror(readErrno);
        return false;
    }
    if (locked) {
        *error =
            path + " is locked by another program (process " + std::to_string(lock.l_pid) + ")";
        return false;
    }
    if (!HasAccessSignature(header, static_cast<size_t>(got))) {
        *error = path + " is not an Access database";
        return false;
    }
    off_t page = header[0x14] == MDB_VER_JET3 ? 2048 : 4096;
    if (size % page != 0) {
        *error = path + " is damaged: it ends in the middle of a page";
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<AccessFile> AccessFile::Open(const std::string& path, const std::string& codePage,
                                             std::string* error) {
    if (!CheckFile(path, error)) return nullptr;
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb) {
        *error = path + " is damaged or of an Access version that cannot be read";
        return nullptr;
    }
    auto file = std::make_unique<LibmdbFile>(path, mdb, codePage);
    if (!file->Decoder().Known()) {
        *error = "unknown code page " + codePage;
        return nullptr;
    }
    if (!file->Load(error)) return nullptr;
    return file;
}
