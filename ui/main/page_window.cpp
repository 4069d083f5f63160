#include "ui/main/page_window.h"

CPageWindow::CPageWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CPageWindow"));
    SetOwnerWidget(this);
}

LRESULT CPageWindow::WindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}

bool CPageWindow::PreTranslateKey(QKeyEvent*) {
    return false;
}
