#include "params/param_name_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"

namespace {

// Refuses a keystroke or paste that would make the text longer than max characters
// (QLineEdit's own limit counts UTF-16 units).
class MaxCharsValidator : public QValidator {
public:
    MaxCharsValidator(qsizetype max, QObject* parent) : QValidator(parent), m_max(max) {}
    State validate(QString& input, int&) const override {
        return input.toUcs4().size() <= m_max ? Acceptable : Invalid;
    }

private:
    qsizetype m_max;
};

}  // namespace

CParamNameDlg::CParamNameDlg(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* label = new QLabel(QStringLiteral("参数名："), this);
    m_edit = new QLineEdit(this);
    SetControlId(m_edit, IDC_PARAM_NAME);
    m_edit->setValidator(new MaxCharsValidator(kMaxParamNameChars, m_edit));
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    SetControlId(ok, IDC_PARAM_NAME_OK);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    SetControlId(cancel, IDC_PARAM_NAME_CANCEL);
    connect(ok, &QPushButton::clicked, this, &CParamNameDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(label);
    nameRow->addWidget(m_edit, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    resize(250, 90);
}

int CParamNameDlg::DoModal() {
    setWindowTitle(m_name.empty() ? QStringLiteral("增加参数") : QStringLiteral("修改参数"));
    m_edit->setText(QString::fromStdString(m_name));
    m_edit->selectAll();
    m_edit->setFocus();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CParamNameDlg::OnOK() {
    const QString text = m_edit->text();
    const char* refusal = nullptr;
    if (text.isEmpty())
        refusal = "参数名不能为空";
    else if (text.toUcs4().size() > kMaxParamNameChars)
        refusal = "参数名不能超过 20 个字符";
    if (refusal) {
        ShowMessage(0, refusal, "错误", MsgIcon::Error);
        m_edit->setFocus();
        return;
    }
    m_name = text.toStdString();
    accept();
}
