#include "records/editors/consume_edit_dlg.h"

#include "params/param_kinds.h"
#include "records/editors/edit_field_builders.h"

namespace {

using namespace edit_fields;

constexpr EditField kConsumeFields[] = {
    Text("ConsumeName", "费用主题：", 1000, 0),
    Contact(1),
    {.field = "ConsumeDate",
     .label = "发生日期：",
     .control = EditControl::DateTime,
     .id = 1009,
     .row = 2,
     .column = 0,
     .secondId = 1010,
     .secondLabel = "发生时间：",
     .twinField = "ConsumeTime"},
    Lookup("ConsumeType", "费用类型：", 1232, 3, 0, kParamConsumeType, 1284, "编辑费用类型"),
    Amount("ConsumeMoney", "费用金额：", 1019, 3, 1),
    Related("ConsumeChance", 4, 2, true),
    Text("ConsumeExplain", "详细描述：", 1052, 5),
};

constexpr EditorTitles kConsumeTitles = {"增加费用记录", "修改费用记录", "查看费用记录"};

}  // namespace

CConsumeEditDlg::CConsumeEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::Consume, kConsumeFields, kConsumeTitles, parent) {
    setObjectName(QStringLiteral("CConsumeEditDlg"));
}
