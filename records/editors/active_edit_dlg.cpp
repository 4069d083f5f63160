#include "records/editors/active_edit_dlg.h"

#include "params/param_kinds.h"
#include "records/editors/edit_field_builders.h"

namespace {

using namespace edit_fields;

constexpr EditField kActiveFields[] = {
    Text("ActiveName", "活动主题：", 1000, 0),
    Contact(1),
    Lookup("ActiveType", "活动类型：", 1232, 2, 0, kParamActiveType, 1284, "编辑活动类型"),
    Related("ActiveChance", 2, 1),
    DateTime("ActiveBeginDate", "开始时间：", 1009, 3),
    DateTime("ActiveEndDate", "结束时间：", 1011, 4),
    Duration("ActiveUseDate", "计划持续时间：", 1020, 5, "分钟"),
    Text("ActiveExplain", "活动描述：", 1052, 6),
    // The reminder: kept, never shown.
    YesNo("ActiveAwoke", "是否提醒：", 1040, 7, true),
    Duration("ActiveAwokeDate", "提醒提前时间：", 1041, 8, "分钟", true),
    {.field = "ActiveAwokeMode",
     .label = "提醒方式：",
     .control = EditControl::Lookup,
     .id = 1044,
     .row = 9,
     .column = 2,
     .maxLength = kTextLength,
     .hidden = true},
};

constexpr EditorTitles kActiveTitles = {"增加活动记录", "修改活动记录", "查看活动记录"};

}  // namespace

CActiveEditDlg::CActiveEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::Active, kActiveFields, kActiveTitles, parent) {
    setObjectName(QStringLiteral("CActiveEditDlg"));
}
