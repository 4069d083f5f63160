#include "records/editors/sale_edit_dlg.h"

#include "params/param_kinds.h"
#include "records/editors/edit_field_builders.h"

namespace {

using edit_fields::Amount;

// The lookup values of a sale are at most 50 characters.
constexpr EditField Lookup(const char* field, const char* label, int id, int row, int column,
                           int kind, int buttonId, const char* tip) {
    return edit_fields::Lookup(field, label, id, row, column, kind, buttonId, tip, 50);
}

// Lookup loaders start in table order: money type, product model, product name, invoice type.
constexpr EditField kSaleFields[] = {
    {.field = "SaleName",
     .label = "销售主题：",
     .control = EditControl::Text,
     .id = 1000,
     .row = 0,
     .column = 2,
     .maxLength = 127},
    {.field = "ClientName",
     .label = "联系人：",
     .control = EditControl::Contact,
     .id = 1231,
     .row = 1,
     .column = 2,
     .maxLength = 127,
     .buttonId = 1059},
    {.field = "SaleDate",
     .label = "销售日期：",
     .control = EditControl::Date,
     .id = 1009,
     .row = 2,
     .column = 0},
    {.field = "AgreeMent",
     .label = "定单号：",
     .control = EditControl::Text,
     .id = 1003,
     .row = 2,
     .column = 1,
     .maxLength = 50},
    Amount("TotalMoney", "总计金额：", 1002, 3, 0),
    Lookup("MoneyType", "货币类型：", 1054, 4, 0, kParamMoneyType, 1286, "编辑货币类型"),
    Lookup("ProductType", "产品型号：", 1233, 5, 1, kParamProductType, 1017, "编辑产品类型"),
    Lookup("ProductName", "产品名称：", 1232, 4, 1, kParamProductName, 1284, "编辑产品名称"),
    Lookup("InvoiceType", "发票类型：", 1053, 3, 1, kParamInvoiceType, 1016, nullptr),
    {.field = "ProductCharact",
     .label = "产品特征：",
     .control = EditControl::Text,
     .id = 1052,
     .row = 5,
     .column = 0,
     .maxLength = 127},
    Amount("ProductPrice", "单    价：", 1019, 6, 0),
    {.field = "SaleNumber",
     .label = "数    量：",
     .control = EditControl::Integer,
     .id = 1020,
     .row = 6,
     .column = 1,
     .low = 0,
     .high = 999999,
     .initial = 1,
     .digitsOnly = true,
     .dropLetters = true},
    {.field = "DisCount",
     .label = "折    扣：",
     .control = EditControl::Integer,
     .id = 1051,
     .row = 7,
     .column = 0,
     .low = 0,
     .high = 100,
     .unit = "%",
     .digitsOnly = true,
     .dropLetters = true},
    Amount("SaleMoney", "金    额：", 1021, 7, 1),
    Amount("PayMent", "已付款金额：", 1022, 8, 0),
    Amount("UnPayMent", "未付款金额：", 1041, 8, 1),
    Amount("MakeInvoice", "已开票金额：", 1026, 9, 0),
    Amount("UnMakeInvoice", "未开票金额：", 1042, 9, 1),
};

constexpr EditorTitles kSaleTitles = {"增加销售记录", "修改销售记录", "查看销售记录"};

}  // namespace

CSaleEditDlg::CSaleEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::Sale, kSaleFields, kSaleTitles, parent) {
    setObjectName(QStringLiteral("CSaleEditDlg"));
}
