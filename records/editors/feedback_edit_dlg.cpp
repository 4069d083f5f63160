#include "records/editors/feedback_edit_dlg.h"

#include "params/param_kinds.h"
#include "records/editors/edit_field_builders.h"

namespace {

using namespace edit_fields;

// Lookup loaders start in table order: product model, product name, feedback type.
constexpr EditField kFeedBackFields[] = {
    Text("FeedBackName", "反馈主题：", 1000, 0),
    DateTime("FeedBackDate", "反馈日期：", 1009, 1, "反馈时间：", DateStart::Today),
    Contact(2),
    Lookup("ProductType", "产品型号：", 1233, 3, 1, kParamProductType, 1017, "编辑产品类型"),
    Lookup("ProductName", "产品名称：", 1232, 3, 0, kParamProductName, 1284, "编辑产品名称"),
    Lookup("FeedBackType", "反馈类型：", 1234, 4, 0, kParamFeedBackType, 1285, "编辑反馈类型"),
    Text("FeedBackExplain", "反馈描述：", 1052, 5),
    YesNo("FeedBackEnd", "处理结束：", 1040, 6),
    DateTime("FeedBackEndDate", "结束日期：", 1011, 7, "结束时间：", DateStart::Today),
    Text("FeedBackRet", "结果描述：", 1053, 8),
};

constexpr EditorTitles kFeedBackTitles = {"增加服务反馈记录", "修改服务反馈记录",
                                          "查看服务反馈记录"};

}  // namespace

CFeedBackEditDlg::CFeedBackEditDlg(QWidget* parent)
    : CRecordEditDlg(RecordKind::FeedBack, kFeedBackFields, kFeedBackTitles, parent) {
    setObjectName(QStringLiteral("CFeedBackEditDlg"));
}
