#include "records/editors/history_edit_dlg.h"

#include "records/editors/edit_field_builders.h"

namespace {

using namespace edit_fields;

constexpr EditField kHistoryFields[] = {
    Text("HistoryName", "主    题：", 1000, 0),
    Contact(1),
    Related("HistoryChance", 2),
    DateTime("HistoryBeginDate", "开始时间：", 1009, 3),
    DateTime("HistoryEndDate", "结束时间：", 1011, 4),
    Duration("HistoryUseDate", "实际持续时间：", 1020, 5, "分"),
    Text("HistoryExplain", "其它描述：", 1052, 6),
};

constexpr EditorTitles kHistoryTitles = {"增加历史记录", "修改历史记录", "查看历史记录"};

}  // namespace

CHistoryEditDlg::CHistoryEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::History, kHistoryFields, kHistoryTitles, parent) {
    setObjectName(QStringLiteral("CHistoryEditDlg"));
}
