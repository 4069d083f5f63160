#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "data/ado_connection.h"
#include "data/cell_number.h"
#include "data/recordset.h"
#include "orvicrm/CRstValues.h"
#include "platform/message_box.h"

namespace {

const char kNotOpen[] = "记录未打开";
const char kNoRecordset[] = "记录句宾未打开";
const char kFieldAccess[] = "字段访问发生错误，请确认数据库结构没有改动。";
const char kConnectionLost[] = "无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。";
const char kUnknownLongStr[] = "数据库字段访问未知错误！请检查数据库是否改动。";
const char kUnknownFloat[] = "数据库字段访问未知错误！请检查连接数据库结构是否已经更改。";

// Shows why taking further rows failed, if it did (a lost server, a damaged file): the
// result then ends early, and the reader must not take that for its end.
bool ReportFetchError(OrviRecordset& recordset) {
    std::string reason = recordset.TakeFetchError();
    if (reason.empty()) return false;
    ShowMessage(0, std::string(kConnectionLost) + "\n" + reason, "连接问题", MsgIcon::Information);
    return true;
}

bool IsOpenRecordset(const _RecordsetPtr& recordset) {
    return recordset && recordset->IsOpen();
}

int32_t ClampToInt32(long long v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Decimal text to integer: optional blanks and sign, then digits up to the first other byte.
long long LeadingInteger(const char* text, size_t size) {
    size_t i = 0;
    while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < size && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT32_MAX) v = static_cast<long long>(INT32_MAX) + 1;  // saturate
    }
    return negative ? -v : v;
}

// A whole text as a number; false when it is not one.
bool TextToDouble(const char* text, size_t size, double* value) {
    std::string copy(text, size);
    const char* begin = copy.c_str();
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

// Floats in their single-precision text form when they are single-precision values.
std::string RealText(double d) {
    char text[64];
    bool single = static_cast<double>(static_cast<float>(d)) == d;
    std::snprintf(text, sizeof text, single ? "%.7g" : "%.15g", d);
    return text;
}

}  // namespace

bool CellNumber(const CellView& cell, double* d) {
    switch (cell.type) {
        case kCellInteger:
            *d = static_cast<double>(cell.i);
            return true;
        case kCellFloat:
            *d = cell.d;
            return true;
        case kCellText:
        case kCellBlob:
            return TextToDouble(cell.text, cell.size, d);
        default:
            *d = 0;
            return true;
    }
}

int32_t ReadPositiveInteger(const CellView& cell) {
    long long v = 0;
    switch (cell.type) {
        case kCellInteger:
            v = cell.i;
            break;
        case kCellFloat:
            v = cell.d >= 1 ? (cell.d >= INT32_MAX ? INT32_MAX : static_cast<long long>(cell.d))
                            : 0;
            break;
        case kCellText:
        case kCellBlob:
            v = LeadingInteger(cell.text, cell.size);
            break;
        default:
            break;
    }
    return v < 1 ? 0 : ClampToInt32(v);
}

CRstValues::CRstValues() = default;

CRstValues::CRstValues(_ConnectionPtr* connection, _RecordsetPtr* recordset)
    : m_attachedRecordset(recordset), m_attachedConnection(connection) {}

CRstValues::CRstValues(CAdoConnection*, _RecordsetPtr*) {}

CRstValues::CRstValues(_ConnectionPtr connection, const char* table) {
    InitConnAndRec(std::move(connection), table);
}

CRstValues::CRstValues(const CRstValues& other) = default;
CRstValues& CRstValues::operator=(const CRstValues& other) = default;

// A copy shares the recordset; it closes with its last holder.
CRstValues::~CRstValues() = default;

_ConnectionPtr CRstValues::OpenConnection(const char* path) {
    CAdoConnection connection;
    if (!connection.ConnectDatabase(path ? path : "")) return nullptr;
    return connection.GetConnection();
}

_RecordsetPtr CRstValues::OpenRecordset(_ConnectionPtr connection, const char* sql) {
    if (!sql || !*sql) return nullptr;
    auto recordset = std::make_shared<OrviRecordset>();
    std::string error;
    if (!recordset->Open(connection, sql, &error)) {
        ShowMessage(0, kFieldAccess, "字段访问", MsgIcon::Information);
        return nullptr;
    }
    return recordset;
}

int CRstValues::MoveRecordsetNext(const _RecordsetPtr& recordset) {
    if (!IsOpenRecordset(recordset)) return 0;
    bool moved = recordset->MoveNext();
    ReportFetchError(*recordset);
    return moved ? 1 : 0;
}

void CRstValues::InitConnectAndRst(_ConnectionPtr* connection, _RecordsetPtr* recordset) {
    m_attachedConnection = connection;
    m_attachedRecordset = recordset;
}

void CRstValues::InitConnectAndRst(CAdoConnection*, _RecordsetPtr*) {}

void CRstValues::ReportError() {
    ShowMessage(0, kFieldAccess, "字段访问", MsgIcon::Information);
}

void CRstValues::ReportWriteError(const std::string& reason) {
    if (m_recordset && m_recordset->RefusedReadOnly())
        ReportReadOnlyDatabase();
    else
        ShowMessage(0, std::string(kFieldAccess) + "\n" + reason, "字段访问", MsgIcon::Information);
}

int CRstValues::InitConnAndRec(_ConnectionPtr connection, const char* table) {
    try {
        m_recordset.reset();
        m_table = table ? table : "";
        m_connection = std::move(connection);
        if (!table) {
            AppMessageBox("建立记录对象失败");
            return 0;
        }
        m_recordset = std::make_shared<OrviRecordset>();
        std::string error;
        if (!m_recordset->OpenTable(m_connection, m_table, &error)) {
            ReportError();
            return 0;
        }
        return 1;
    } catch (const std::exception&) {
        AppMessageBox("建立记录对象失败");
        return 0;
    }
}

int CRstValues::OpenRecord(const char* sql) {
    if (!sql || !*sql) return 0;
    m_lastQuery = sql;
    if (!m_recordset) {
        AppMessageBox(kNoRecordset);
        return 0;
    }
    std::string error;
    if (!m_recordset->Open(m_connection, m_lastQuery, &error)) {
        ReportError();
        return 0;
    }
    return m_recordset->HasCurrent() ? 1 : 0;
}

int CRstValues::ReOpenRecord() {
    std::string query = m_lastQuery;  // OpenRecord stores it again
    return OpenRecord(query.c_str());
}

bool CRstValues::CheckOpen() {
    if (IsOpenRecordset(m_recordset)) return true;
    AppMessageBox(kNotOpen);
    return false;
}

// A move, like a new row, first saves the current row's pending changes.
void CRstValues::SavePending() {
    if (!m_recordset->Editing()) return;
    std::string error;
    if (!m_recordset->Update(&error)) {
        ReportWriteError(error);
        m_recordset->CancelUpdate();
    }
}

int CRstValues::OnMoveNext() {
    if (!CheckOpen()) return 0;
    SavePending();
    bool moved = m_recordset->MoveNext();
    ReportFetchError(*m_recordset);
    return moved ? 1 : 0;
}

int CRstValues::OnMovePre() {
    if (!CheckOpen()) return 0;
    SavePending();
    bool moved = m_recordset->MovePrevious();
    ReportFetchError(*m_recordset);
    return moved ? 1 : 0;
}

int CRstValues::MoveRecID(long n) {
    if (!CheckOpen()) return 0;
    try {
        SavePending();
        if (!m_recordset->MoveFirst()) {
            ReportError();  // an empty result has no first row
            return 0;
        }
        if (n > 0) m_recordset->MoveForward(n);
        ReportFetchError(*m_recordset);
        return 1;
    } catch (const std::exception&) {
        AppMessageBox("移动记录失败");
        return 0;
    }
}

long CRstValues::GetTotalRecordCount() {
    if (!CheckOpen()) return 0;
    SavePending();
    if (!m_recordset->MoveFirst()) return 0;
    long count = m_recordset->CountAll();
    ReportFetchError(*m_recordset);
    m_recordset->MoveFirst();
    return count;
}

int CRstValues::AddRecord() {
    if (!CheckOpen()) return 0;
    try {
        SavePending();
        if (!m_recordset->Updatable()) {
            ReportWriteError("这个查询结果不能修改");
            return 0;
        }
        m_recordset->AddNew();
        return 1;
    } catch (const std::exception&) {
        AppMessageBox("增加空记录失败");
        return 0;
    }
}

int CRstValues::UpdateRecord() {
    if (!CheckOpen()) return 0;
    std::string error;
    if (!m_recordset->Update(&error)) {
        ReportWriteError(error);
        m_recordset->CancelUpdate();
        return 0;
    }
    return 1;
}

int CRstValues::DeleteRecord() {
    if (!CheckOpen()) return 0;
    try {
        std::string error;
        if (!m_recordset->Delete(&error)) {
            ReportWriteError(error);
            return 0;
        }
        if (!m_recordset->MoveFirst()) ReOpenRecord();
        return 1;
    } catch (const std::exception&) {
        AppMessageBox("删除记录失败");
        return 0;
    }
}

int CRstValues::Release() {
    if (!CheckOpen()) return 0;
    m_recordset->CancelUpdate();
    return 1;
}

int CRstValues::SetField(const char* field, int type, int64_t i, double d, const char* text) {
    if (!CheckOpen()) return 0;
    try {
        if (!field || (type == kCellText && !text)) throw std::bad_alloc();
        CellValue value;
        value.type = type;
        value.i = i;
        value.d = d;
        if (text) value.text = text;
        std::string error;
        if (!m_recordset->SetValue(m_recordset->ColumnIndex(field), std::move(value), &error)) {
            ReportWriteError(error + "（" + field + "）");
            return 0;
        }
        return 1;
    } catch (const std::exception&) {
        AppMessageBox("增加记录失败");
        return 0;
    }
}

int CRstValues::AddRecord(const char* field, int value) {
    return SetField(field, kCellInteger, value < 0 ? 0 : value, 0, nullptr);
}

int CRstValues::AddRecord(const char* field, long value) {
    int32_t v = static_cast<int32_t>(value);  // a 32-bit column
    return SetField(field, kCellInteger, v < 0 ? 0 : v, 0, nullptr);
}

int CRstValues::AddRecord(const char* field, unsigned long value) {
    int32_t bits = static_cast<int32_t>(static_cast<uint32_t>(value));
    return SetField(field, kCellInteger, bits, 0, nullptr);
}

int CRstValues::AddRecord(const char* field, float value) {
    float v = value < 0.0f ? 0.0f : value;
    return SetField(field, kCellFloat, 0, static_cast<double>(v), nullptr);
}

int CRstValues::AddRecord(const char* field, const char* value) {
    return SetField(field, kCellText, 0, 0, value);
}

bool CRstValues::ReadOwn(const char* field, CellView* cell) {
    if (!CheckOpen()) return false;
    if (!m_recordset->ReadField(field, cell)) {
        ReportError();  // no such column, or no current row
        return false;
    }
    return true;
}

int CRstValues::GetValueI(const char* field, int& value) {
    CellView cell;
    if (!ReadOwn(field, &cell)) return 0;
    value = ReadPositiveInteger(cell);
    return 1;
}

int CRstValues::GetValueL(const char* field, long& value) {
    CellView cell;
    if (!ReadOwn(field, &cell)) return 0;
    value = ReadPositiveInteger(cell);
    return 1;
}

int CRstValues::GetValueF(const char* field, float& value) {
    CellView cell;
    if (!ReadOwn(field, &cell)) return 0;
    double d = 0;
    if (!CellNumber(cell, &d)) {
        ReportError();
        return 0;
    }
    float f = static_cast<float>(d);
    value = f < 0.0f ? 0.0f : f;
    return 1;
}

int CRstValues::GetValue(const char* field, std::string& value) {
    CellView cell;
    if (!ReadOwn(field, &cell)) return 0;
    switch (cell.type) {
        case kCellInteger:
            value = std::to_string(cell.i);
            break;
        case kCellFloat:
            value = RealText(cell.d);
            break;
        case kCellText:
        case kCellBlob:
            value.assign(cell.text, cell.size);
            break;
        default:
            value.clear();
    }
    return 1;
}

// Attached family.

const _RecordsetPtr& CRstValues::AttachedOrOwn() const {
    return m_attachedRecordset ? *m_attachedRecordset : m_recordset;
}

CRstValues::AttachedRead CRstValues::ReadAttached(const _variant_t& index, CellView* cell) {
    const _RecordsetPtr& recordset = AttachedOrOwn();
    if (!IsOpenRecordset(recordset)) {
        ShowMessage(0, kConnectionLost, "连接问题", MsgIcon::Information);
        return kReadMissing;
    }
    if (!recordset->HasCurrent()) return kReadEnd;
    int column = -1;
    if (index.vt == VT_BSTR)
        column = recordset->ColumnIndex(index.bstrVal.c_str());
    else if (index.IsNumber())
        column = index.vt == VT_R4 || index.vt == VT_R8 ? static_cast<int>(index.dblVal)
                                                        : static_cast<int>(index.intVal);
    if (!recordset->ReadCell(column, cell)) {
        ReportError();
        return kReadFailed;
    }
    return kReadOk;
}

int CRstValues::GetValueLong(long& value, const _variant_t& index) {
    try {
        CellView cell;
        if (ReadAttached(index, &cell) != kReadOk) return 0;
        if (cell.type == kCellInteger || cell.type == kCellNull) {
            value = static_cast<int32_t>(cell.i);
            return 1;
        }
        double d = 0;
        if (!CellNumber(cell, &d)) {
            ReportError();
            return 0;
        }
        d = std::nearbyint(d);  // to nearest, halves to even
        if (!(d >= INT32_MIN && d <= INT32_MAX)) {
            ReportError();  // does not fit
            return 0;
        }
        value = static_cast<long>(d);
        return 1;
    } catch (const std::exception&) {
        AppMessageBox(kUnknownLongStr, MsgIcon::Information);
        return 0;
    }
}

int CRstValues::GetValueLong(long& value, long index) {
    return GetValueLong(value, _variant_t(index));
}

int CRstValues::GetValueLong(long& value, const char* name) {
    return GetValueLong(value, _variant_t(name));
}

int CRstValues::GetValueFloat(float& value, const _variant_t& index) {
    try {
        CellView cell;
        if (ReadAttached(index, &cell) != kReadOk) return 0;
        double d = 0;
        if (!CellNumber(cell, &d)) {
            ReportError();
            return 0;
        }
        value = static_cast<float>(d);
        return 1;
    } catch (const std::exception&) {
        AppMessageBox(kUnknownFloat, MsgIcon::Information);
        return 0;
    }
}

int CRstValues::GetValueFloat(float& value, long index) {
    return GetValueFloat(value, _variant_t(index));
}

int CRstValues::GetValueFloat(float& value, const char* name) {
    return GetValueFloat(value, _variant_t(name));
}

int CRstValues::GetValueStr(char* out, const _variant_t& index, int maxLen) {
    try {
        if (!out) throw std::bad_alloc();
        out[0] = '\0';
        CellView cell;
        if (ReadAttached(index, &cell) != kReadOk) return 0;
        std::string text;
        if (cell.type == kCellInteger)
            text = std::to_string(static_cast<int32_t>(cell.i));
        else if (cell.type == kCellText)
            text.assign(cell.text, cell.size);
        size_t size = text.size();
        if (maxLen > 0 && size > static_cast<size_t>(maxLen)) {
            size = static_cast<size_t>(maxLen);
            // Never end on part of a UTF-8 character.
            while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
        }
        std::memcpy(out, text.data(), size);
        out[size] = '\0';
        return 1;
    } catch (const std::exception&) {
        AppMessageBox(kUnknownLongStr, MsgIcon::Information);
        return 0;
    }
}

int CRstValues::GetValueStr(char* out, long index, int maxLen) {
    return GetValueStr(out, _variant_t(index), maxLen);
}

int CRstValues::GetValueStr(char* out, const char* name, int maxLen) {
    return GetValueStr(out, _variant_t(name), maxLen);
}

int CRstValues::GetValueStr(std::string& out, const _variant_t& index, int maxLen) {
    char buffer[1024];
    int limit = maxLen > 0 && maxLen < 1023 ? maxLen : 1023;
    int result = GetValueStr(buffer, index, limit);
    out = buffer;
    size_t end = out.find_last_not_of(" \t\r\n\v\f");
    out.erase(end == std::string::npos ? 0 : end + 1);
    return result;
}

int CRstValues::GetValueStr(std::string& out, const char* name, int maxLen) {
    return GetValueStr(out, _variant_t(name), maxLen);
}

int CRstValues::GetValueStr(std::string& out, unsigned int index, int maxLen) {
    return GetValueStr(out, _variant_t(index), maxLen);
}

int CRstValues::GetValText(std::string& out, const char* field) {
    const _RecordsetPtr& recordset = AttachedOrOwn();
    if (!IsOpenRecordset(recordset) || !field) return 0;
    CellView cell;
    if (!recordset->ReadCell(recordset->ColumnIndex(field), &cell)) {
        ReportError();
        return 0;
    }
    if ((cell.type != kCellText && cell.type != kCellBlob) || cell.size == 0) return 0;
    out.assign(cell.text, cell.size);
    return 1;
}

int CRstValues::VerifyVTData(const _variant_t& value) {
    return value.vt == VT_NULL ? 0 : 1;
}

int CRstValues::VerifyVTData(const char* data) {
    return data ? 1 : 0;
}

std::string CRstValues::ClearBeginAndEndSpace(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}
