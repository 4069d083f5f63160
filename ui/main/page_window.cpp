#include "ui/main/page_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>

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

bool SpacePressesOrTicks(const QWidget* control) {
    if (!control) return false;
    if (qobject_cast<const QAbstractButton*>(control)) return true;
    // A list ticks the current row's box; its viewport passes the key on to it.
    const QWidget* parent = control->parentWidget();
    return qobject_cast<const QAbstractItemView*>(control) ||
           (parent && qobject_cast<const QAbstractItemView*>(parent) &&
            static_cast<const QAbstractItemView*>(parent)->viewport() == control);
}
