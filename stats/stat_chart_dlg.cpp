#include "stats/stat_chart_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "platform/qt/qt_platform.h"
#include "stats/stat_messages.h"

namespace {

struct TickBoxDef {
    int id;
    const char* text;
};
constexpr TickBoxDef kTickBoxes[CStatChartDlg::kSeriesCount] = {
    {1044, "数量"},   {1021, "金额"},   {1002, "总额"},   {1047, "已付款"},
    {1048, "未付款"}, {1277, "已开票"}, {1278, "未开票"},
};

// Index 0: the axes; then one colour per series.
constexpr COLORREF kColors[CStatChartDlg::kSeriesCount + 1] = {
    0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00, 0xFF00FF, 0xFFFFFF,
};

// Series with a tick box and a legend line in each mode.
int VisibleSeries(int mode) {
    return mode == 0 ? 7 : mode == 1 ? 3 : 0;
}

QPen SolidPen(COLORREF color) {
    return QPen(QColor(GetRValue(color), GetGValue(color), GetBValue(color)), 1);
}

bool IsSwallowedKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
           key == Qt::Key_Space;
}

}  // namespace

CStatChartDlg::CStatChartDlg(int mode, const QSize& size, QWidget* parent)
    : QWidget(parent), m_mode(mode) {
    setObjectName(QStringLiteral("CStatChartDlg"));
    SetOwnerWidget(this);
    resize(size);
    auto* frame = new QGroupBox(this);
    frame->setGeometry(rect());
    frame->lower();

    const int right = width();
    for (int k = 0; k < kSeriesCount; ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(kTickBoxes[k].text), this);
        SetControlId(box, kTickBoxes[k].id);
        box->setGeometry(right - 66, 11 + 20 * k, 62, 18);
        box->setChecked(true);
        box->setVisible(k < VisibleSeries(mode));
        box->installEventFilter(this);
        connect(box, &QCheckBox::toggled, this, [this] { update(); });
        m_boxes[k] = box;
    }
    m_originY = height() - 20;
    auto* timeCaption = new QLabel(QStringLiteral("（时间）"), this);
    timeCaption->setGeometry(right - 150, m_originY + 2, 60, 16);
    auto* valueCaption = new QLabel(QStringLiteral("数\n值"), this);
    valueCaption->setGeometry(m_originX + 8, 14, 16, 34);
}

COLORREF CStatChartDlg::SeriesColor(int series) {
    return series >= 0 && series <= kSeriesCount ? kColors[series] : kColors[0];
}

bool CStatChartDlg::HasSeries(int series) const {
    return series >= 1 && series <= kSeriesCount && m_received[series - 1];
}

const std::vector<ChartPoint>& CStatChartDlg::GetPoints(int series) const {
    static const std::vector<ChartPoint> kNone;
    return HasSeries(series) ? m_points[series - 1] : kNone;
}

QCheckBox* CStatChartDlg::TickBox(int series) const {
    return series >= 1 && series <= kSeriesCount ? m_boxes[series - 1] : nullptr;
}

void CStatChartDlg::SetSeries(int series, int periods, const std::string& text) {
    m_pointCount = std::max(0, periods);
    if (series >= 1 && series <= kSeriesCount) {
        m_points[series - 1] =
            ComputeSeriesPoints(series, m_pointCount, text, m_originX, m_originY);
        m_received[series - 1] = true;
    }
    update();
}

LRESULT CStatChartDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_STAT_DATA || !lParam) return 0;
    const auto* data = reinterpret_cast<const StatSeries*>(lParam);
    SetSeries(static_cast<int>(wParam), data->periods, data->text);
    return 1;
}

void CStatChartDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int right = width();
    painter.setPen(SolidPen(kColors[0]));
    painter.drawLine(m_originX, 20, m_originX, m_originY);
    painter.drawLine(m_originX, m_originY, right - m_originX - 20, m_originY);
    painter.drawLine(m_originX, 20, m_originX - 5, 28);
    painter.drawLine(m_originX, 20, m_originX + 5, 28);
    painter.drawLine(right - 40, m_originY, right - 48, m_originY - 5);
    painter.drawLine(right - 40, m_originY, right - 48, m_originY + 5);

    for (int k = 1; k <= VisibleSeries(m_mode); ++k) {
        painter.setPen(SolidPen(kColors[k]));
        painter.drawLine(right - 80, 20 * k, right - 70, 20 * k);
    }

    if (m_pointCount <= 0) return;
    for (int k = 1; k <= kSeriesCount; ++k) {
        if (!m_boxes[k - 1]->isChecked() || !HasSeries(k)) continue;
        const std::vector<ChartPoint>& points = m_points[k - 1];
        const size_t count = std::min(points.size(), static_cast<size_t>(m_pointCount));
        painter.setPen(SolidPen(kColors[k]));
        if (count == 1) painter.drawPoint(points[0].x, points[0].y);
        for (size_t i = 1; i < count; ++i)
            painter.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
}

bool CStatChartDlg::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        IsSwallowedKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}
