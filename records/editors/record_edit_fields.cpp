// The field controls of an editor: made from the control table, filled from the record's
// texts, checked and read back in the fields' value forms.
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimeEdit>
#include <ctime>

#include "host/call_context.h"
#include "platform/qt/qt_platform.h"
#include "records/editors/param_combo_loader.h"
#include "records/editors/record_edit_dlg.h"

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QDateTime FromCalendarTime(long t) {
    return QDateTime::fromSecsSinceEpoch(t < 0 ? 0 : t);
}

long ToCalendarTime(const QDate& date, const QTime& time) {
    return static_cast<long>(QDateTime(date, time).toSecsSinceEpoch());
}

QComboBox* NewCombo(QWidget* parent, bool editable) {
    auto* combo = new QComboBox(parent);
    if (editable) MakeTypedTextCombo(combo);
    // Long lists must not make the window measure every entry.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(8);
    return combo;
}

QString LineText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    return {};
}

}  // namespace

QWidget* CRecordEditDlg::CreateFieldControls(FieldControls& f, QWidget** secondBox) {
    const EditField& def = *f.def;
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto lineEdit = [&](int id) {
        auto* edit = new QLineEdit(box);
        SetControlId(edit, id);
        row->addWidget(edit, 1);
        return edit;
    };
    auto unit = [&](const char* text) { row->addWidget(new QLabel(Q(text), box)); };
    auto datePicker = [&](int id) {
        auto* picker = new QDateEdit(box);
        SetControlId(picker, id);
        picker->setDisplayFormat(Q("yyyy年M月d日"));
        picker->setCalendarPopup(true);
        picker->setDateRange(FromCalendarTime(kFirstPickerTime).date(),
                             FromCalendarTime(kLastPickerTime).date());
        row->addWidget(picker, 1);
        return picker;
    };

    switch (def.control) {
        case EditControl::Text:
        case EditControl::Amount:
            f.controls[0] = lineEdit(def.id);
            break;
        case EditControl::Integer: {
            QLineEdit* edit = lineEdit(def.id);
            if (def.digitsOnly)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            f.controls[0] = edit;
            break;
        }
        case EditControl::Date:
            f.controls[0] = datePicker(def.id);
            break;
        case EditControl::DateTime: {
            f.controls[0] = datePicker(def.id);
            QWidget* timeBox = box;
            QHBoxLayout* timeRow = row;
            if (def.secondLabel) {
                timeBox = *secondBox = new QWidget;
                timeRow = new QHBoxLayout(timeBox);
                timeRow->setContentsMargins(0, 0, 0, 0);
            }
            auto* time = new QTimeEdit(timeBox);
            SetControlId(time, def.secondId);
            time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
            timeRow->addWidget(time, 1);
            f.controls[1] = time;
            break;
        }
        case EditControl::Duration:
            f.controls[0] = lineEdit(def.id);
            unit("天");
            f.controls[1] = lineEdit(def.secondId);
            unit("小时");
            f.controls[2] = lineEdit(def.thirdId);
            break;
        case EditControl::Lookup:
        case EditControl::Contact:
        case EditControl::Related:
        case EditControl::Choice:
        case EditControl::YesNo:
        case EditControl::Rate: {
            static constexpr const char* kYesNo[] = {"否", "是"};
            const bool list = def.control == EditControl::Choice ||
                              def.control == EditControl::YesNo || def.control == EditControl::Rate;
            QComboBox* combo = NewCombo(box, !list);
            SetControlId(combo, def.id);
            row->addWidget(combo, 1);
            f.controls[0] = combo;
            const std::span<const char* const> items =
                def.control == EditControl::YesNo  ? std::span<const char* const>(kYesNo)
                : def.control == EditControl::Rate ? SuccessRateEntries()
                                                   : def.items;
            for (const char* item : items) combo->addItem(Q(item));
            if (def.control == EditControl::Contact) m_contact = combo;
            if (def.control == EditControl::Lookup && def.paramKind >= 0)
                f.loader = new ParamComboLoader(def.paramKind, combo);
            if (def.control == EditControl::Related) {
                // Usable once the opportunities could be read.
                combo->setEnabled(false);
                f.loader = new ParamComboLoader(combo, "ChanceTable", "ChanceName");
                f.loader->SetSorted(def.sorted);
            }
            if (f.loader) m_loaders.emplace_back(f.loader);
            break;
        }
    }
    if (def.unit) unit(def.unit);
    if (def.buttonId) {
        f.button = new QPushButton(QStringLiteral("..."), box);
        f.button->setAutoDefault(false);
        f.button->setFixedWidth(28);
        SetControlId(f.button, def.buttonId);
        if (def.tip) f.button->setToolTip(Q(def.tip));
        row->addWidget(f.button);
        const size_t at = m_controls.size();
        connect(f.button, &QPushButton::clicked, this, [this, at] {
            FieldControls& field = m_controls[at];
            if (field.def->control == EditControl::Contact)
                PickContact();
            else
                OnParamButton(field);
        });
    }
    return box;
}

void CRecordEditDlg::ShowDefaults() {
    const long today = TodayLocalStart();
    const long now = static_cast<long>(std::time(nullptr));
    for (const FieldControls& f : m_controls) {
        const EditField& def = *f.def;
        switch (def.control) {
            case EditControl::Integer:
                ShowField(f, ShowNumber(static_cast<long>(def.initial)));
                break;
            case EditControl::Amount:
            case EditControl::Choice:
            case EditControl::YesNo:
            case EditControl::Rate:
                ShowField(f, StoreNumber(static_cast<long>(def.initial)));
                break;
            case EditControl::Date:
                ShowField(f, StoreNumber(today));
                break;
            case EditControl::DateTime:
                ShowField(f, StoreNumber(def.start == DateStart::Today ? TodayAtTimeOf(0) : now));
                break;
            case EditControl::Duration:
                ShowField(f, "0");
                break;
            default:
                break;
        }
    }
}

void CRecordEditDlg::ShowRecord() {
    const int keyIndex = m_table.FieldIndex("ObjectDateTime");
    if (keyIndex >= 0) m_contactKey = TextToLong(m_values[keyIndex]);
    for (const FieldControls& f : m_controls) {
        if (f.index < 0) continue;
        ShowField(f, m_values[f.index]);
        if (f.def->control == EditControl::Contact) m_loadedContact = m_values[f.index];
    }
}

void CRecordEditDlg::ShowField(const FieldControls& f, const std::string& text) {
    const EditField& def = *f.def;
    switch (def.control) {
        case EditControl::Text:
            static_cast<QLineEdit*>(f.controls[0])->setText(Q(text));
            break;
        case EditControl::Integer:
            static_cast<QLineEdit*>(f.controls[0])->setText(Q(ShowNumber(TextToLong(text))));
            break;
        case EditControl::Amount:
            static_cast<QLineEdit*>(f.controls[0])->setText(Q(ShowAmount(TextToDouble(text))));
            break;
        case EditControl::Date:
        case EditControl::DateTime: {
            const QDateTime when = FromCalendarTime(TextToLong(text));
            static_cast<QDateEdit*>(f.controls[0])->setDate(when.date());
            if (f.controls[1]) static_cast<QTimeEdit*>(f.controls[1])->setTime(when.time());
            if (def.keepTime) f.keptTime = when.time();
            break;
        }
        case EditControl::Duration: {
            const DurationParts parts = SplitDuration(TextToLong(text));
            const long values[] = {parts.days, parts.hours, parts.minutes};
            for (int i = 0; i < 3; ++i)
                static_cast<QLineEdit*>(f.controls[i])->setText(Q(ShowNumber(values[i])));
            break;
        }
        case EditControl::Lookup:
        case EditControl::Contact:
        case EditControl::Related:
            static_cast<QComboBox*>(f.controls[0])->setEditText(Q(text));
            break;
        case EditControl::YesNo:
            static_cast<QComboBox*>(f.controls[0])->setCurrentIndex(YesNoIndex(text));
            break;
        case EditControl::Rate:
            static_cast<QComboBox*>(f.controls[0])->setCurrentIndex(SuccessRateIndex(text));
            break;
        case EditControl::Choice: {
            auto* combo = static_cast<QComboBox*>(f.controls[0]);
            const long index = TextToLong(text);
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? static_cast<int>(index)
                                                                        : 0);
            break;
        }
    }
}

bool CRecordEditDlg::FindRefused(std::string& message, QWidget*& control) const {
    for (const FieldControls& f : m_controls) {
        const EditField& def = *f.def;
        if (def.hidden) continue;  // nothing the user could mend
        if (def.control == EditControl::Duration) {
            for (int part = 0; part < 3; ++part) {
                message = CheckDurationPart(def, part, LineText(f.controls[part]).toStdString());
                if (!message.empty()) {
                    control = f.controls[part];
                    return true;
                }
            }
            continue;
        }
        message = CheckTyped(def, LineText(f.controls[0]).toStdString());
        if (!message.empty()) {
            control = f.controls[0];
            return true;
        }
    }
    return false;
}

std::string CRecordEditDlg::FieldText(const FieldControls& f) const {
    const EditField& def = *f.def;
    switch (def.control) {
        case EditControl::Integer: {
            long v = 0;
            ParseWholeNumber(LineText(f.controls[0]).toStdString(), v);
            return StoreNumber(v);
        }
        case EditControl::Amount: {
            double v = 0;
            ParseAmount(LineText(f.controls[0]).toStdString(), v);
            return StoreAmount(v);
        }
        case EditControl::Date:
            return StoreNumber(ToCalendarTime(static_cast<QDateEdit*>(f.controls[0])->date(),
                                              def.keepTime ? f.keptTime : QTime(0, 0)));
        case EditControl::DateTime:
            return StoreNumber(ToCalendarTime(static_cast<QDateEdit*>(f.controls[0])->date(),
                                              static_cast<QTimeEdit*>(f.controls[1])->time()));
        case EditControl::Duration: {
            long parts[3] = {};
            for (int i = 0; i < 3; ++i)
                ParseWholeNumber(LineText(f.controls[i]).toStdString(), parts[i]);
            return StoreNumber(DurationMinutes(parts[0], parts[1], parts[2]));
        }
        case EditControl::Choice:
        case EditControl::YesNo:
        case EditControl::Rate:
            return StoreNumber(static_cast<QComboBox*>(f.controls[0])->currentIndex());
        default:
            return LineText(f.controls[0]).toStdString();
    }
}

void CRecordEditDlg::StoreValues() {
    for (size_t k = 0; k < m_controls.size(); ++k) {
        const FieldControls& f = m_controls[k];
        if (f.index < 0) continue;
        // A loaded value the user cannot see, or left as shown, goes back as it came.
        const bool kept = m_mode == 1 && (f.def->hidden || FieldText(f) == m_shownTexts[k]);
        if (!kept) m_values[f.index] = FieldText(f);
        if (f.twinIndex >= 0) m_values[f.twinIndex] = m_values[f.index];
    }
    if (m_contact) {
        // A loaded record's contact missing from the list keeps its key while its name stands.
        const bool keepKey = m_mode == 1 && m_contact->currentIndex() < 0 &&
                             m_contact->currentText().toStdString() == m_loadedContact;
        if (!keepKey) m_contactKey = static_cast<int32_t>(GetComboClientKey(m_contact));
        const int keyIndex = m_table.FieldIndex("ObjectDateTime");
        if (keyIndex >= 0) m_values[keyIndex] = StoreNumber(m_contactKey);
    }
}
