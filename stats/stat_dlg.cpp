#include "stats/stat_dlg.h"

#include <QPushButton>

#include "platform/qt/qt_platform.h"

CStatDlg::CStatDlg(QWidget* parent) : CEntryDialog(parent) {
    setObjectName(QStringLiteral("CStatDlg"));
    setWindowTitle(QStringLiteral("业务统计"));
    resize(640, 420);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    SetControlId(close, 1);
    close->setDefault(true);
    close->setGeometry(570, 390, 60, 22);
    connect(close, &QPushButton::clicked, this, &CStatDlg::accept);
}

int CStatDlg::DoModal() {
    return exec();
}
