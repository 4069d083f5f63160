#include "records/editors/param_combo_loader.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringListModel>
#include <algorithm>
#include <chrono>
#include <vector>

#include "data/ado_connection.h"
#include "data/recordset.h"
#include "orvicrm/CRstValues.h"
#include "params/param_kinds.h"
#include "platform/message_layer.h"
#include "platform/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

// Stop protocol: poll interval and number of polls.
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr int kPolls = 20;

// Replaces the combo's entries and keeps the text shown.
void SetEntries(QComboBox* combo, QStringList entries) {
    const QSignalBlocker quiet(combo);
    const QString text = combo->currentText();
    // The combo deletes a model it owns when it gets a new one.
    combo->setModel(new QStringListModel(std::move(entries), combo));
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(text);
}

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
    if (!Stop()) m_worker.Wait();  // the list may only be refilled once the old read ended
    const unsigned run = ++m_run;
    {
        std::lock_guard lock(m_mutex);
        m_read.clear();
        m_opened = false;
    }
    m_handedOver = false;
    m_complete = false;
    SetEntries(m_combo, {});
    m_worker.Start([this, connection, owner, tag, run] { Read(connection, owner, tag, run); });
}

bool ParamComboLoader::Stop() {
    for (int poll = 0; poll < kPolls && m_worker.Running(); ++poll) {
        m_worker.RequestStop();
        const auto end = Clock::now() + kPollInterval;
        // Messages sent to this thread (a message box of the reader) are served meanwhile.
        while (m_worker.Running() && Clock::now() < end) {
            DispatchPendingMessages();
            if (m_worker.Running()) WaitForPendingMessages(5);
        }
    }
    return !m_worker.Running();
}

void ParamComboLoader::Read(_ConnectionPtr connection, HWND owner, WPARAM tag, unsigned run) {
    std::vector<std::string> names;
    bool opened = false;
    {
        StreamingLoad streaming;
        CRstValues rst;
        const bool bound = rst.InitConnAndRec(connection, m_table);
        const bool hasRows = bound && rst.OpenRecord(m_query);
        // An empty result opened as well; only a refused query leaves the list closed.
        opened = bound && rst.GetRecordset() && rst.GetRecordset()->IsOpen();
        if (hasRows) {
            std::string name;
            do {
                if (m_worker.StopRequested() || !rst.GetValue(m_column, name)) break;
                names.push_back(name);
            } while (rst.OnMoveNext());
        }
    }  // the recordset is released before the end is announced
    if (m_worker.StopRequested()) return;
    if (m_sorted) std::sort(names.begin(), names.end());
    QStringList values;
    values.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) values.push_back(QString::fromStdString(name));
    {
        std::lock_guard lock(m_mutex);
        m_read = std::move(values);
        m_opened = opened;
    }
    m_handedOver = true;
    PostMessage(owner, WM_EDIT_LOADED, tag, static_cast<LPARAM>(run));
}

void ParamComboLoader::Discard() {
    std::lock_guard lock(m_mutex);
    m_read.clear();
    m_handedOver = false;
}

bool ParamComboLoader::Show(LPARAM run) {
    if (static_cast<unsigned>(run) != m_run || m_complete) return false;
    QStringList values;
    bool opened = false;
    {
        std::lock_guard lock(m_mutex);
        values.swap(m_read);
        opened = m_opened;
    }
    m_handedOver = false;
    SetEntries(m_combo, std::move(values));
    if (m_enableWhenOpened) m_combo->setEnabled(opened);
    m_complete = true;
    const int found =
        m_combo->findText(m_combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) m_combo->setCurrentIndex(found);
    return true;
}
