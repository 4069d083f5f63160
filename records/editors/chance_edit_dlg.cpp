#include "records/editors/chance_edit_dlg.h"

#include <QLineEdit>

#include "params/param_kinds.h"
#include "platform/message_box.h"
#include "records/editors/edit_field_builders.h"

namespace {

using namespace edit_fields;

constexpr int kSubjectId = 1000;

// Lookup loaders start in table order: product name, product model, sales state.
constexpr EditField kChanceFields[] = {
    Text("ChanceName", "主    题：", kSubjectId, 0),
    Contact(1),
    Lookup("ProductName", "产品名称：", 1232, 2, 0, kParamProductName, 1284, "编辑产品名称"),
    Lookup("ProductType", "产品型号：", 1233, 2, 1, kParamProductType, 1017, "编辑产品类型"),
    {.field = "ChanceRate",
     .label = "成功概率：",
     .control = EditControl::Rate,
     .id = 1055,
     .row = 3,
     .column = 0},
    Text("ProductCharact", "产品特征：", 1052, 3, 1),
    Text("PriceType", "报价单号：", 1003, 4, 0),
    Amount("Price", "单    价：", 1019, 4, 1),
    Lookup("SaleState", "销售流程状态：", 1234, 5, 0, kParamSaleState, 1285, "编辑销售状态"),
    Whole("ChanceNumber", "需求数量：", 1020, 5, 1, 999999),
    {.field = "ChanceDate",
     .label = "预计销售时间：",
     .control = EditControl::Date,
     .id = 1009,
     .row = 6,
     .column = 0,
     .keepTime = true},
    Whole("DisCount", "折    扣：", 1051, 6, 1, 100, "%"),
    Amount("SaleMoney", "预计销售金额：", 1022, 7, 0),
    Amount("ChanceMoney", "金    额：", 1021, 7, 1, 9999999.0),
    Text("CompeteObject", "竞争对手：", 1004, 8, 0),
};

constexpr EditorTitles kChanceTitles = {"增加机会/报价记录", "修改机会/报价记录",
                                        "查看机会/报价记录"};

}  // namespace

CChanceEditDlg::CChanceEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::Chance, kChanceFields, kChanceTitles, parent) {
    setObjectName(QStringLiteral("CChanceEditDlg"));
}

bool CChanceEditDlg::CheckRecord() {
    auto* subject = static_cast<QLineEdit*>(ControlById(kSubjectId));
    if (!subject->text().trimmed().isEmpty()) return true;
    ShowMessage(GetSafeHwnd(), "机会主题不能为空", "错误", MsgIcon::Error);
    subject->setFocus();
    return false;
}
