#include "params/param_adjust_dlg.h"

CParamAdjustDlg::CParamAdjustDlg(QWidget* parent) : QDialog(parent) {}

int CParamAdjustDlg::DoModal() {
    return 2;
}
