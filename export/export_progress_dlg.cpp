#include "export/export_progress_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/qt/qt_platform.h"

namespace {

// WM_EXPORT_TICKS: the block of records the writer asks about and where the answers go.
struct TickRequest {
    long first;
    long count;
    std::vector<char>* ticked;
};

}  // namespace

CExportProgressDlg::CExportProgressDlg(QWidget* parent) : QDialog(parent) {
    SetOwnerWidget(this);
    setObjectName(QStringLiteral("id418"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    auto* text = new QLabel(QString::fromUtf8("正在导出数据，请稍候..."), this);
    SetControlId(text, IDC_EXPORT_PROGRESS_TEXT);
    m_bar = new QProgressBar(this);
    SetControlId(m_bar, IDC_EXPORT_PROGRESS);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    SetControlId(cancel, IDCANCEL);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    resize(360, 140);
    connect(cancel, &QPushButton::clicked, this, &CExportProgressDlg::reject);
}

CExportProgressDlg::~CExportProgressDlg() {
    m_cancelled = true;
    m_worker.Stop();
}

void CExportProgressDlg::SetRecords(CRstValues* records, long count) {
    m_records = records;
    m_recordCount = count;
}

int CExportProgressDlg::exec() {
    ExportJob job;
    job.title = m_title;
    job.path = m_path;
    for (size_t c = 0; c < m_headings.size() && c < m_fieldNames.size() && c < m_types.size(); ++c)
        job.columns.push_back({m_headings[c], m_fieldNames[c], m_types[c]});
    job.records = m_records;
    job.recordCount = m_recordCount;

    m_bar->setValue(0);
    m_cancelled = false;
    m_outcome = ExportOutcome::Cancelled;
    const HWND self = GetSafeHwnd();
    m_worker.Start([this, self, job] {
        ExportHooks hooks;
        hooks.askTicks = [self](long first, long count, std::vector<char>& ticked) {
            TickRequest request{first, count, &ticked};
            SendMessage(self, WM_EXPORT_TICKS, 0, reinterpret_cast<LPARAM>(&request));
        };
        hooks.stopRequested = [this] { return m_worker.StopRequested(); };
        hooks.progress = [self](int percent) {
            PostMessage(self, WM_EXPORT_PROGRESS, static_cast<WPARAM>(percent), 0);
        };
        const ExportOutcome outcome = WriteTickedRecords(job, hooks);
        PostMessage(self, WM_EXPORT_DONE, static_cast<WPARAM>(outcome), 0);
    });
    return QDialog::exec();
}

void CExportProgressDlg::reject() {
    if (m_cancelled) return;
    m_cancelled = true;
    m_worker.Stop();
    m_outcome = ExportOutcome::Cancelled;
    done(IDCANCEL);
}

void CExportProgressDlg::OnWriterDone(ExportOutcome outcome) {
    if (m_cancelled) return;
    m_worker.Wait();
    m_outcome = outcome;
    switch (outcome) {
        case ExportOutcome::Completed:
            done(IDOK);
            return;
        case ExportOutcome::FileFailed:
            ShowMessage(GetSafeHwnd(), "创建文件失败", "错误", MsgIcon::Exclamation);
            break;
        case ExportOutcome::ReadFailed:
        case ExportOutcome::Cancelled:
            break;
    }
    done(0);
}

LRESULT CExportProgressDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_EXPORT_TICKS: {
            const auto* request = reinterpret_cast<const TickRequest*>(lParam);
            for (long k = 0; k < request->count; ++k)
                (*request->ticked)[k] =
                    SendMessage(m_owner, WM_PAGE_ISCHECKED, request->first + k, 0) != 0;
            return 0;
        }
        case WM_EXPORT_PROGRESS:
            m_bar->setValue(static_cast<int>(wParam));
            return 0;
        case WM_EXPORT_DONE:
            OnWriterDone(static_cast<ExportOutcome>(wParam));
            return 0;
        default:
            return 0;
    }
}
