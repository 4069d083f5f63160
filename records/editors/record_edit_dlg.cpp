#include "records/editors/record_edit_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "host/call_context.h"
#include "params/param_adjust_dlg.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"
#include "records/editors/param_combo_loader.h"

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CRecordEditDlg::CRecordEditDlg(RecordKind kind, std::span<const EditField> fields,
                               const EditorTitles& titles, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_table(KindTable(kind)), m_fields(fields), m_titles(titles) {
    SetOwnerWidget(this);
    m_values.resize(m_table.fields.size());
    CreateControls();
}

CRecordEditDlg::~CRecordEditDlg() {
    m_closing = true;
    StopLoaders();
    DetachHandle();     // late announcements of the readers find no window
    m_loaders.clear();  // waits for readers that outlived the polls
}

void CRecordEditDlg::CreateControls() {
    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);
    m_controls.reserve(m_fields.size());
    for (const EditField& def : m_fields) {
        FieldControls f;
        f.def = &def;
        f.index = *def.field ? m_table.FieldIndex(def.field) : -1;
        if (def.twinField) f.twinIndex = m_table.FieldIndex(def.twinField);
        auto* label = new QLabel(Q(def.label), frame);
        QWidget* secondBox = nullptr;
        QWidget* box = CreateFieldControls(f, &secondBox);
        label->setBuddy(f.controls[0]);
        const int column = def.column == 1 ? 2 : 0;
        grid->addWidget(label, def.row, column);
        grid->addWidget(box, def.row, column + 1, 1, def.column == 2 ? 3 : 1);
        label->setVisible(!def.hidden);
        box->setVisible(!def.hidden);
        if (secondBox) {
            auto* second = new QLabel(Q(def.secondLabel), frame);
            second->setBuddy(f.controls[1]);
            grid->addWidget(second, def.row, 2);
            grid->addWidget(secondBox, def.row, 3);
            second->setVisible(!def.hidden);
            secondBox->setVisible(!def.hidden);
        }
        m_controls.push_back(f);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    m_ok = new QPushButton(Q("确定"), this);
    SetControlId(m_ok, IDC_EDIT_OK);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(Q("取消"), this);
    m_cancel->setAutoDefault(false);
    SetControlId(m_cancel, IDC_EDIT_CANCEL);
    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addSpacing(40);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    SetTabOrder();
    m_loadedRuns.assign(m_loaders.size(), 0);
    // Enter anywhere acts as 确定; letters are dropped in the number fields; a lookup combo
    // losing the focus takes its typed value.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void CRecordEditDlg::SetTabOrder() {
    // Row by row, left before right, whatever order the table lists the fields in.
    std::vector<const FieldControls*> order;
    for (const FieldControls& f : m_controls) order.push_back(&f);
    std::stable_sort(
        order.begin(), order.end(), [](const FieldControls* a, const FieldControls* b) {
            return std::pair(a->def->row, a->def->column) < std::pair(b->def->row, b->def->column);
        });
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (!next) return;
        if (previous) QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (const FieldControls* f : order) {
        for (QWidget* control : f->controls) chain(control);
        chain(f->button);
    }
    chain(m_ok);
    chain(m_cancel);
}

int CRecordEditDlg::DoModal() {
    InitDialog();
    return exec() == 1 ? 1 : 2;
}

void CRecordEditDlg::InitDialog() {
    if (m_initialised) return;

    m_initialised = true;
    m_connection.ConnectDatabase(GetDatabasePath());
    setWindowTitle(Q(TitleForMode(m_titles, m_mode)));
    if (m_mode == 1)
        ShowRecord();
    else
        ShowDefaults();
    StartLoaders();
    FillContact();
    if (m_mode == 1)
        for (const FieldControls& f : m_controls) m_shownTexts.push_back(FieldText(f));
}

void CRecordEditDlg::FillContact() {
    if (!m_contact) return;
    const QString stored = m_contact->currentText();
    FillClientCombo(m_contact, static_cast<uint32_t>(m_contactKey), 1);
    // A record of a contact missing from the list keeps its name.
    if (m_contact->currentIndex() < 0) m_contact->setEditText(stored);
}

void CRecordEditDlg::StartLoaders() {
    if (!m_connection.IsConnected()) return;
    for (const FieldControls& f : m_controls)
        if (f.def->control == EditControl::Related)
            f.loader->SetQuery(RelatedChanceQuery(m_contactKey));
    for (size_t i = 0; i < m_loaders.size(); ++i)
        m_loaders[i]->Start(m_connection.GetConnection(), GetSafeHwnd(), i);
}

void CRecordEditDlg::ReloadLookup(QComboBox* combo) {
    if (m_closing || !m_connection.IsConnected()) return;
    for (size_t i = 0; i < m_loaders.size(); ++i)
        if (m_loaders[i]->Combo() == combo) {
            m_loadedRuns[i] = 0;
            m_loaders[i]->Start(m_connection.GetConnection(), GetSafeHwnd(), i);
        }
}

bool CRecordEditDlg::LoadersRunning() const {
    for (const auto& loader : m_loaders)
        if (loader->Busy()) return true;
    return false;
}

void CRecordEditDlg::StopLoaders() {
    for (const auto& loader : m_loaders) loader->Stop();
}

LRESULT CRecordEditDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_EDIT_LOADED) {
        if (wParam >= m_loadedRuns.size()) return 0;
        if (m_closing) {  // a list read to its end just as the window closed
            m_loaders[wParam]->Discard();
        } else {
            m_loadedRuns[wParam] = lParam;
            ScheduleAppend();
        }
        return 0;
    }
    return 0;
}

void CRecordEditDlg::ScheduleAppend() {
    if (m_appendScheduled) return;
    m_appendScheduled = true;
    // A queued call returns to the event loop first, so painting and input go between lists.
    QMetaObject::invokeMethod(
        this, [this] { AppendLoaded(); }, Qt::QueuedConnection);
}

void CRecordEditDlg::AppendLoaded() {
    m_appendScheduled = false;
    if (m_closing) return;
    // One list per turn of the event loop.
    for (size_t i = 0; i < m_loaders.size(); ++i) {
        if (!m_loadedRuns[i]) continue;
        m_loaders[i]->Show(m_loadedRuns[i]);
        m_loadedRuns[i] = 0;
        break;
    }
    for (LPARAM run : m_loadedRuns)
        if (run) ScheduleAppend();
}

void CRecordEditDlg::OnOK() {
    if (m_closing) return;
    std::string message;
    QWidget* control = nullptr;
    if (FindRefused(message, control)) {
        ShowMessage(GetSafeHwnd(), message, AppDisplayName(), MsgIcon::Exclamation);
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->selectAll();
        return;
    }
    if (!CheckRecord()) return;
    StoreValues();
    done(1);
}

void CRecordEditDlg::OnCancel() {
    done(2);
}

void CRecordEditDlg::done(int result) {
    if (!m_closing) {
        m_closing = true;
        StopLoaders();
    }
    QDialog::done(result);
}

void CRecordEditDlg::OnParamButton(FieldControls& f) {
    auto* combo = static_cast<QComboBox*>(f.controls[0]);
    CParamAdjustDlg dialog(this);
    dialog.m_kind = f.def->paramKind;
    const int result = dialog.DoModal();
    if (!dialog.m_chosenName.empty()) {
        combo->setEditText(Q(dialog.m_chosenName));
        CommitTyped(combo);
    }
    if (result == 1) ReloadLookup(combo);
}

void CRecordEditDlg::PickContact() {
    PickClientsFromHost(m_contact);
}

void CRecordEditDlg::CommitTyped(QComboBox* combo) {
    const QString text = combo->currentText();
    if (combo->currentIndex() >= 0 && combo->itemText(combo->currentIndex()) == text) return;
    const int found = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(found);
    combo->setEditText(text);
}

const CRecordEditDlg::FieldControls* CRecordEditDlg::FieldOf(QObject* control) const {
    for (const FieldControls& f : m_controls)
        for (QWidget* c : f.controls) {
            if (!c) continue;
            if (c == control) return &f;
            if (auto* combo = qobject_cast<QComboBox*>(c); combo && combo->lineEdit() == control)
                return &f;
        }
    return nullptr;
}

QWidget* CRecordEditDlg::ControlById(int id) const {
    return findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

bool CRecordEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OnOK();
            return true;
        }
        const bool letter = key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z &&
                            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (letter) {
            const FieldControls* f = FieldOf(watched);
            if (f && f->def->dropLetters) return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const FieldControls* f = FieldOf(watched);
        if (f && f->def->control == EditControl::Lookup)
            CommitTyped(static_cast<QComboBox*>(f->controls[0]));
    }
    return QDialog::eventFilter(watched, event);
}
