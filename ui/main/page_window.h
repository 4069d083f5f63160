// The base of every record page window: a child of the main window's tab control that
// takes the page messages (WM_PAGE_*) through its window procedure.
#pragma once

#include <QWidget>

#include "platform/message_layer.h"

class QKeyEvent;

class CPageWindow : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    explicit CPageWindow(QWidget* parent);

    void SetHosted(int hosted) { m_hosted = hosted; }
    int IsHosted() const { return m_hosted; }
    void SetClientKey(int key) { m_clientKey = key; }
    int GetClientKey() const { return m_clientKey; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The main window swallows key-down and key-up of Enter and Escape for all its
    // children, and of Space where it would press a button or tick a box; before it does,
    // the page holding the focused control sees them here and may act on them (true:
    // handled). The base acts on none.
    virtual bool PreTranslateKey(QKeyEvent* event);

private:
    int m_hosted = 0;
    int m_clientKey = 0;
};

// Whether Space in this control would press a button or tick a box (where the main window
// and its pages swallow it); text boxes, editable combos and the like take it.
bool SpacePressesOrTicks(const QWidget* control);
