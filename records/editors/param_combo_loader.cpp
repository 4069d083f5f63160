#include "records/editors/param_combo_loader.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>
#include <algorithm>
#include <thread>

#include "data/recordset.h"
#include "orvicrm/CRstValues.h"
#include "params/param_kinds.h"
#include "platform/message_layer.h"
#include "platform/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

// The reader hands values over at least this often.
constexpr auto kHandOverInterval = std::chrono::milliseconds(15);
// Values appended to the combo in one call of addItems.
constexpr size_t kSlice = 256;
// Stop protocol: poll interval and number of polls.
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr int kPolls = 20;

}  // namespace

ParamComboLoader::ParamComboLoader(int kind, QComboBox* combo)
    : m_kind(kind),
      m_combo(combo),
      m_table("ObjectPar"),
      m_column("ObjectParName"),
      m_enableWhenOpened(false),
      m_query(ParamKindQuery(kind)) {}

ParamComboLoader::ParamComboLoader(QComboBox* combo, const char* table, const char* column)
    : m_kind(-1), m_combo(combo), m_table(table), m_column(column), m_enableWhenOpened(true) {}

ParamComboLoader::~ParamComboLoader() {
    m_worker.RequestStop();
}

void ParamComboLoader::Start(_ConnectionPtr connection, HWND owner, WPARAM tag) {
    if (!Stop()) m_worker.Wait();  // the combo may only be refilled once the old read ended
    const unsigned run = ++m_run;
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
        m_queueDone = false;
        m_notified = false;
        m_opened = false;
    }
    m_pending.clear();
    m_pendingNext = 0;
    m_complete = false;
    {
        const QSignalBlocker quiet(m_combo);
        const QString text = m_combo->currentText();
        m_combo->clear();
        if (m_combo->isEditable()) m_combo->setEditText(text);
    }
    m_emptyBefore = true;
    m_worker.Start([this, connection, owner, tag, run] { Read(connection, owner, tag, run); });
}

bool ParamComboLoader::Stop() {
    for (int poll = 0; poll < kPolls && m_worker.Running(); ++poll) {
        m_worker.RequestStop();
        const auto end = Clock::now() + kPollInterval;
        while (m_worker.Running() && Clock::now() < end) {
            DispatchPendingMessages();
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (m_worker.Running() && left.count() > 0)
                WaitForPendingMessages(static_cast<int>(std::min<long>(left.count(), 5)));
        }
    }
    return !m_worker.Running();
}

void ParamComboLoader::Read(_ConnectionPtr connection, HWND owner, WPARAM tag, unsigned run) {
    std::vector<std::string> batch;
    {
        CRstValues rst;
        auto last = Clock::now();
        const bool bound = rst.InitConnAndRec(connection, m_table);
        const bool hasRows = bound && rst.OpenRecord(m_query);
        {
            // An empty result opened as well; only a refused query leaves the list closed.
            std::lock_guard lock(m_mutex);
            m_opened = bound && rst.GetRecordset() && rst.GetRecordset()->IsOpen();
        }
        if (hasRows) {
            std::string name;
            do {
                if (m_worker.StopRequested() || !rst.GetValue(m_column, name)) break;
                batch.push_back(name);
                if (!m_sorted && Clock::now() - last >= kHandOverInterval) {
                    HandOver(batch, false, owner, tag, run);
                    last = Clock::now();
                }
            } while (rst.OnMoveNext());
        }
    }  // the recordset is released before the end is announced
    if (m_sorted) std::sort(batch.begin(), batch.end());
    HandOver(batch, true, owner, tag, run);
}

void ParamComboLoader::HandOver(std::vector<std::string>& batch, bool done, HWND owner, WPARAM tag,
                                unsigned run) {
    bool notify = false;
    {
        std::lock_guard lock(m_mutex);
        m_queue.insert(m_queue.end(), std::make_move_iterator(batch.begin()),
                       std::make_move_iterator(batch.end()));
        batch.clear();
        if (done) m_queueDone = true;
        notify = !m_notified;
        m_notified = true;
    }
    if (notify) PostMessage(owner, WM_EDIT_LOADED, tag, static_cast<LPARAM>(run));
}

bool ParamComboLoader::Append(LPARAM run, Clock::duration budget) {
    if (static_cast<unsigned>(run) != m_run || m_complete) return false;
    bool done = false;
    bool opened = false;
    {
        std::lock_guard lock(m_mutex);
        opened = m_opened;
        if (m_pendingNext >= m_pending.size()) {
            m_pending.clear();
            m_pendingNext = 0;
        }
        m_pending.insert(m_pending.end(), std::make_move_iterator(m_queue.begin()),
                         std::make_move_iterator(m_queue.end()));
        m_queue.clear();
        done = m_queueDone;
        m_notified = false;
    }
    const auto start = Clock::now();
    const QSignalBlocker quiet(m_combo);
    while (m_pendingNext < m_pending.size()) {
        QStringList slice;
        const size_t end = std::min(m_pending.size(), m_pendingNext + kSlice);
        slice.reserve(static_cast<qsizetype>(end - m_pendingNext));
        for (; m_pendingNext < end; ++m_pendingNext)
            slice.push_back(QString::fromStdString(m_pending[m_pendingNext]));
        // Items put into an empty combo select its first entry: keep the text as it was.
        const QString text = m_combo->currentText();
        m_combo->addItems(slice);
        if (m_emptyBefore) {
            m_emptyBefore = false;
            m_combo->setCurrentIndex(-1);
            if (m_combo->isEditable()) m_combo->setEditText(text);
        }
        if (Clock::now() - start >= budget) break;
    }
    if (m_pendingNext < m_pending.size()) return true;
    if (done) {
        if (m_enableWhenOpened) m_combo->setEnabled(opened);
        Finish();
    }
    return false;
}

void ParamComboLoader::Finish() {
    m_pending.clear();
    m_pendingNext = 0;
    m_complete = true;
    if (m_combo->currentIndex() >= 0) return;
    const int found =
        m_combo->findText(m_combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) m_combo->setCurrentIndex(found);
}
