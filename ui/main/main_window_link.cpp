#include "ui/main/main_window_link.h"

#include <QCheckBox>
#include <QLabel>

void ShowPageCount(QWidget* page, long count, int selectAll) {
    if (!page || !page->parentWidget() || !page->parentWidget()->parentWidget()) return;
    QWidget* main = page->parentWidget()->parentWidget();
    if (auto* label =
            main->findChild<QLabel*>(QStringLiteral("id1364"), Qt::FindDirectChildrenOnly))
        label->setText(QString::number(count));
    if (auto* box =
            main->findChild<QCheckBox*>(QStringLiteral("id1044"), Qt::FindDirectChildrenOnly))
        box->setChecked(selectAll != 0);
}
