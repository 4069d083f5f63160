#include "ui/main/entry_dialog.h"

#include <QCloseEvent>

void CEntryDialog::accept() {
    if (m_runByEntry) QDialog::accept();
}

void CEntryDialog::reject() {
    if (m_runByEntry) QDialog::reject();
}

void CEntryDialog::closeEvent(QCloseEvent* event) {
    if (m_runByEntry)
        QDialog::closeEvent(event);
    else
        event->ignore();
}
