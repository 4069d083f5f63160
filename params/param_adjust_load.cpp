// Loading: the worker walks the dialog's recordset and hands the names over in batches;
// the window's thread lists them.
#include <QTableWidget>
#include <chrono>
#include <iterator>

#include "params/param_adjust_dlg.h"
#include "params/param_kinds.h"
#include "platform/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

// The worker hands names over at least this often.
constexpr auto kHandOverInterval = std::chrono::milliseconds(15);
// Stopping: polls of the running flag and the time between them.
constexpr int kStopPolls = 20;
constexpr auto kStopPollInterval = std::chrono::milliseconds(100);

}  // namespace

void CParamAdjustDlg::LoadThreadProc() {
    std::vector<std::string> batch;
    auto lastHandOver = Clock::now();
    StreamingLoad streaming;
    if (m_rst.OpenRecord(ParamKindQuery(m_kind))) {
        std::string name;
        while (!m_loader.StopRequested()) {
            if (!m_rst.GetValue("ObjectParName", name)) break;
            batch.push_back(name);
            if (batch.size() == 1 || Clock::now() - lastHandOver >= kHandOverInterval) {
                HandOver(batch, false);
                lastHandOver = Clock::now();
            }
            if (!m_rst.OnMoveNext()) break;
        }
    }
    HandOver(batch, true);
}

void CParamAdjustDlg::HandOver(std::vector<std::string>& batch, bool done) {
    bool notify = false;
    {
        std::lock_guard lock(m_queueMutex);
        std::move(batch.begin(), batch.end(), std::back_inserter(m_queue));
        batch.clear();
        if (done) m_queueDone = true;
        notify = !m_queueNotified;
        m_queueNotified = true;
    }
    if (notify) PostMessage(GetSafeHwnd(), WM_PARAM_LOADED, 0, 0);
}

void CParamAdjustDlg::OnNamesReady() {
    if (m_closing || m_loadDone) return;
    std::vector<std::string> names;
    bool done = false;
    {
        std::lock_guard lock(m_queueMutex);
        names.swap(m_queue);
        done = m_queueDone;
        m_queueNotified = false;
    }
    const int first = RowCount();
    m_list->setRowCount(first + static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) SetRowName(first + static_cast<int>(i), names[i]);
    if (!done) return;
    m_loadDone = true;
    if (RowCount() > 0) SelectRow(0);
}

void CParamAdjustDlg::StopLoading() {
    m_loader.RequestStop();
    const auto interval = std::chrono::milliseconds(kStopPollInterval);
    for (int poll = 0; poll < kStopPolls && m_loader.Running(); ++poll) {
        const auto end = Clock::now() + interval;
        // Serve the messages sent to this thread meanwhile (a box the worker shows).
        while (m_loader.Running() && Clock::now() < end) {
            DispatchPendingMessages();
            WaitForPendingMessages(5);
        }
    }
}

void CParamAdjustDlg::FinishLoading() {
    if (m_loadDone) return;
    m_loader.Wait();
    OnNamesReady();
}
