// The lookup-parameter kinds kept in ObjectPar: the name each kind shows, the record
// columns that hold its values, and the query that lists one kind's values in table order.
#pragma once

#include <span>
#include <string>

// ObjectParType codes.
enum ParamKind : int {
    kParamIndustry = 0,
    kParamClientType = 1,
    kParamClientSource = 2,
    kParamClientState = 3,
    kParamScale = 4,
    kParamProductName = 5,
    kParamProductType = 6,
    kParamProductCharact = 7,
    kParamMoneyType = 8,
    kParamInvoiceType = 9,
    kParamSaleState = 10,
    kParamConsumeType = 11,
    kParamActiveType = 12,
    kParamFeedBackType = 13,
    kParamContactGroup = 14,
};

// A record column that holds values of a kind.
struct ParamColumn {
    const char* table;
    const char* column;
};

// The heading of the kind's value list; empty for an unknown code.
const char* ParamKindName(int kind);
// Columns of the record tables that store the kind's values (empty for kinds no table holds).
std::span<const ParamColumn> ParamKindColumns(int kind);
// "SELECT * FROM ObjectPar WHERE ObjectParType=<kind>".
std::string ParamKindQuery(int kind);
