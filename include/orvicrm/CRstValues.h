// CRstValues: the recordset through which the module (and a host) reads and writes table
// rows. Operations report 1 for success and 0 for failure; every failure the user should
// know of is shown in a message box. Field names are column names; texts are UTF-8.
//
// Own recordset: bound to a connection and table by InitConnAndRec, (re)filled by
// OpenRecord; rows are fetched from the database as the cursor reaches them. Typed
// AddRecord(field, value) calls change the current row's edit buffer, UpdateRecord writes it.
//
// Attached recordset: a caller-owned _RecordsetPtr (see OpenRecordset) read by GetValueLong,
// GetValueFloat, GetValueStr and GetValText. Without an attached one they read the own
// recordset.
#pragma once

#include <cstdint>
#include <string>

#include "orvicrm/ado_types.h"

#if !defined(ORVI_API)
#if defined(ORVI_BUILDING_MODULE)
#define ORVI_API __attribute__((visibility("default")))
#else
#define ORVI_API
#endif
#endif

class CAdoConnection;
struct CellView;

class ORVI_API CRstValues {
public:
    CRstValues();
    // Attaches the caller's recordset (and connection, kept but not used).
    CRstValues(_ConnectionPtr* connection, _RecordsetPtr* recordset);
    // An empty object: both arguments are ignored.
    CRstValues(CAdoConnection* connection, _RecordsetPtr* recordset);
    // The default object followed by InitConnAndRec(connection, table).
    CRstValues(_ConnectionPtr connection, const char* table);
    CRstValues(const CRstValues& other);
    CRstValues& operator=(const CRstValues& other);
    virtual ~CRstValues();

    // A connection to the database file at path; null after the connection's messages.
    static _ConnectionPtr OpenConnection(const char* path);
    // A recordset of sql on connection with its first row current (the end when empty);
    // null after the field-access message when the database rejects the query.
    static _RecordsetPtr OpenRecordset(_ConnectionPtr connection, const char* sql);
    // Moves an attached-style recordset to its next row: 1 if a row is current afterwards.
    static int MoveRecordsetNext(const _RecordsetPtr& recordset);

    void InitConnectAndRst(_ConnectionPtr* connection, _RecordsetPtr* recordset);
    void InitConnectAndRst(CAdoConnection* connection, _RecordsetPtr* recordset);

    // Binds the own recordset to the whole table: 1 on success.
    int InitConnAndRec(_ConnectionPtr connection, const char* table);
    // Runs a query: 1 with the first row current, 0 when it has no rows or failed.
    int OpenRecord(const char* sql);
    int OpenRecord(const std::string& sql) {
        if (sql.find('\0') != std::string::npos) {  // it would end the statement early
            ReportError();
            return 0;
        }
        return OpenRecord(sql.c_str());
    }
    int ReOpenRecord();  // the last query again

    int OnMoveNext();            // 1 if a row is current afterwards, 0 at the end
    int OnMovePre();             // 1 if a row is current afterwards, 0 before the first
    int MoveRecID(long n);       // row n counted from 0 becomes current
    long GetTotalRecordCount();  // all rows; the first row is current afterwards

    int AddRecord();     // appends an empty row that becomes current
    int UpdateRecord();  // writes the current row's changes; on failure they are dropped
    int DeleteRecord();  // deletes the current row; the first row is current afterwards
    int Release();       // drops the current row's pending changes

    // Set a column of the current row. Negative int, long and float values are stored as 0;
    // the unsigned form keeps the 32 bits as they are; texts are stored unchanged.
    int AddRecord(const char* field, int value);
    int AddRecord(const char* field, long value);
    int AddRecord(const char* field, unsigned long value);
    int AddRecord(const char* field, float value);
    int AddRecord(const char* field, const char* value);
    int AddRecord(const char* field, double value) {
        return AddRecord(field, static_cast<float>(value));
    }
    // The whole text: a zero byte in it makes UpdateRecord refuse the row.
    int AddRecord(const char* field, const std::string& value) {
        return SetField(field, kTextField, static_cast<int64_t>(value.size()), 0, value.c_str());
    }

    // Read a column of the current row. NULL reads as 0 or the empty text; integers below
    // 1 read as 0 (fractions are cut off), floats below 0 as 0.0.
    int GetValueI(const char* field, int& value);
    int GetValueL(const char* field, long& value);
    int GetValueF(const char* field, float& value);
    int GetValue(const char* field, std::string& value);

    // Attached family: a column by position (number) or name (text).
    int GetValueLong(long& value, const _variant_t& index);
    int GetValueLong(long& value, long index);
    int GetValueLong(long& value, const char* name);
    int GetValueFloat(float& value, const _variant_t& index);
    int GetValueFloat(float& value, long index);
    int GetValueFloat(float& value, const char* name);
    // Integers in decimal, texts unchanged, anything else empty. maxLen > 0 cuts the text
    // at maxLen bytes (out holds maxLen + 1); maxLen <= 0: out must hold the whole text.
    int GetValueStr(char* out, const _variant_t& index, int maxLen);
    int GetValueStr(char* out, long index, int maxLen);
    int GetValueStr(char* out, const char* name, int maxLen);
    int GetValueStr(char* out, int index, int maxLen) {
        return GetValueStr(out, static_cast<long>(index), maxLen);
    }
    // The same through a 1024-byte buffer, without trailing white space.
    int GetValueStr(std::string& out, const _variant_t& index, int maxLen);
    int GetValueStr(std::string& out, const char* name, int maxLen);
    int GetValueStr(std::string& out, unsigned int index, int maxLen);
    int GetValueStr(std::string& out, int index, int maxLen) {
        return GetValueStr(out, static_cast<unsigned int>(index), maxLen);
    }
    // A long text column whole: 0 when it is empty.
    int GetValText(std::string& out, const char* field);

    static int VerifyVTData(const _variant_t& value);  // 0 only for the database NULL
    static int VerifyVTData(const char* data);         // 0 only for a null pointer
    // The text without leading and trailing blanks (0x20 only).
    static std::string ClearBeginAndEndSpace(const std::string& text);

    // The own recordset (null before InitConnAndRec), e.g. to attach it elsewhere.
    _RecordsetPtr GetRecordset() const { return m_recordset; }

protected:
    void ReportError();  // the field-access message
    // A refused write: the read-only message, else the field-access message with reason.
    void ReportWriteError(const std::string& reason);

private:
    enum AttachedRead { kReadOk, kReadMissing, kReadEnd, kReadFailed };

    bool CheckOpen();  // the own recordset is open, else the not-open message
    void SavePending();
    // type: a cell type; a text (kTextField) is i bytes at text, or up to its zero byte (i 0).
    int SetField(const char* field, int type, int64_t i, double d, const char* text);
    static constexpr int kTextField = 3;
    bool ReadOwn(const char* field, CellView* cell);
    const _RecordsetPtr& AttachedOrOwn() const;
    AttachedRead ReadAttached(const _variant_t& index, CellView* cell);

    _RecordsetPtr m_recordset;
    _RecordsetPtr* m_attachedRecordset = nullptr;
    _ConnectionPtr* m_attachedConnection = nullptr;
    _ConnectionPtr m_connection;
    std::string m_table;
    std::string m_lastQuery;
};
