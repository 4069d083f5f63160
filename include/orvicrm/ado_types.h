// Handles of the database layer as a host sees them: a connection and a recordset are
// shared, reference-counted objects of the module whose insides the host never touches.
#pragma once

#include <memory>

struct OrviConnection;
struct OrviRecordset;

using _ConnectionPtr = std::shared_ptr<OrviConnection>;
using _RecordsetPtr = std::shared_ptr<OrviRecordset>;

#include <cstdint>
#include <string>

// Type tags of _variant_t.
using VARTYPE = uint16_t;
enum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_UI4 = 19,
    VT_I8 = 20,
};

// A small tagged value: a column index (number) or name (text) for the recordset reads, or a
// value that may be the database NULL.
class _variant_t {
public:
    VARTYPE vt = VT_EMPTY;
    int64_t intVal = 0;   // VT_I4, VT_UI4, VT_I8
    double dblVal = 0;    // VT_R4, VT_R8
    std::string bstrVal;  // VT_BSTR

    _variant_t() = default;
    _variant_t(int v) : vt(VT_I4), intVal(v) {}
    _variant_t(long v) : vt(VT_I4), intVal(v) {}
    _variant_t(unsigned int v) : vt(VT_UI4), intVal(v) {}
    _variant_t(unsigned long v) : vt(VT_UI4), intVal(static_cast<int64_t>(v)) {}
    _variant_t(long long v) : vt(VT_I8), intVal(v) {}
    _variant_t(float v) : vt(VT_R4), dblVal(v) {}
    _variant_t(double v) : vt(VT_R8), dblVal(v) {}
    _variant_t(const char* v) : vt(v ? VT_BSTR : VT_NULL), bstrVal(v ? v : "") {}
    _variant_t(const std::string& v) : vt(VT_BSTR), bstrVal(v) {}

    static _variant_t Null() {
        _variant_t v;
        v.vt = VT_NULL;
        return v;
    }
    bool IsNumber() const { return vt != VT_EMPTY && vt != VT_NULL && vt != VT_BSTR; }
};
