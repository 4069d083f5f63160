// The Qt side of the platform layer: the application object, delivery of queued messages
// from the event loop, the message box presenter, the wait cursor and control names.
#pragma once

#include <memory>

class QApplication;
class QComboBox;
class QWidget;

// Makes sure a QApplication exists for the lifetime of this object (a host written with Qt
// already has one; otherwise one is made here and deleted again), and connects the message
// layer and the message boxes to it. Nests: only the outermost instance creates anything.
class ScopedModuleApplication {
public:
    ScopedModuleApplication();
    ~ScopedModuleApplication();
    ScopedModuleApplication(const ScopedModuleApplication&) = delete;
    ScopedModuleApplication& operator=(const ScopedModuleApplication&) = delete;

private:
    std::unique_ptr<QApplication> m_ownApp;
};

// Connects the calling thread's inbox to its Qt event loop and the message boxes to
// QMessageBox. Safe to call more than once; needs a QApplication.
void InstallQtPlatform();

// Names a control after its id ("id1364"), the name tests find it by.
void SetControlId(QWidget* control, int id);

// Makes combo editable with the text kept as typed: no completion from its entries and no
// entry added on Enter. A typed text selects an entry only where the caller matches it whole.
void MakeTypedTextCombo(QComboBox* combo);

// Shows the wait cursor while alive (on the GUI thread only; does nothing elsewhere).
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool m_active = false;
};
