// Working a recordset in a test: a save of some fields, on the current or on a new row.
#pragma once

#include <gtest/gtest.h>

#include "orvicrm/CRstValues.h"

// Sets field, value, field, value, ... in the edit buffer (each must be taken), then saves:
// what UpdateRecord answered.
inline int Save(CRstValues& rst) {
    return rst.UpdateRecord();
}
template <typename V, typename... More>
int Save(CRstValues& rst, const char* field, const V& value, const More&... more) {
    EXPECT_EQ(rst.AddRecord(field, value), 1) << field;
    return Save(rst, more...);
}
template <typename... FieldsAndValues>
int SaveNew(CRstValues& rst, const FieldsAndValues&... fieldsAndValues) {
    EXPECT_EQ(rst.AddRecord(), 1);
    return Save(rst, fieldsAndValues...);
}
