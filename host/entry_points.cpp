// The functions a host calls. Each runs one modal window on the calling thread.
#include <atomic>

#include "host/call_context.h"
#include "orvicrm/orvicrm.h"
#include "platform/qt/qt_platform.h"
#include "stats/stat_dlg.h"
#include "ui/main/crm_manage_dlg.h"

namespace {

// Set while a window of an entry point is open: a call made meanwhile (from the window's
// own event loop or another thread) opens nothing and returns 0.
std::atomic<bool> g_windowOpen{false};

class EntryGuard {
public:
    EntryGuard() : m_entered(!g_windowOpen.exchange(true)) {}
    ~EntryGuard() {
        if (m_entered) g_windowOpen = false;
    }
    bool Entered() const { return m_entered; }

private:
    bool m_entered;
};

void RunCrmWindow(int32_t clientKey) {
    ScopedModuleApplication app;
    CCrmManageDlg dialog(nullptr);
    dialog.SetRunByEntry(1);
    dialog.SetClientKey(clientKey);
    dialog.DoModal();
}

void RunStatWindow() {
    ScopedModuleApplication app;
    CStatDlg dialog(nullptr);
    dialog.SetRunByEntry(1);
    dialog.DoModal();
}

}  // namespace

extern "C" ORVI_API int32_t CM_OpenCrm(int32_t mode, const OrviStringArray* names,
                                       const OrviKeyArray* keys, int32_t clientKey, uint32_t,
                                       uint32_t) {
    if (mode == -1) return 1;
    if (mode != 0 && mode != 1) return 0;
    EntryGuard guard;
    if (!guard.Entered()) return 0;
    if (mode == 1) {
        RunStatWindow();
        return 1;
    }
    g_clientNames = names ? *names : OrviStringArray();
    g_clientKeys = keys ? *keys : OrviKeyArray();
    RunCrmWindow(clientKey);
    return 1;
}

extern "C" ORVI_API int32_t CM_OpenCrm2(const char* namesText, const char* keysText,
                                        const char* separator, int32_t clientKey, uintptr_t hostWnd,
                                        uint32_t pickMsg) {
    EntryGuard guard;
    if (!guard.Entered()) return 0;
    g_clientNamesText = namesText ? namesText : "";
    g_clientKeysText = keysText ? keysText : "";
    g_listSeparator = separator ? separator : "";
    g_hostWnd = hostWnd;
    g_hostPickMsg = pickMsg;
    RunCrmWindow(clientKey);
    return 1;
}

extern "C" ORVI_API int32_t CM_OpenCrmStat(uint32_t, uint32_t, uint32_t, uint32_t) {
    EntryGuard guard;
    if (!guard.Entered()) return 0;
    RunStatWindow();
    return 1;
}
