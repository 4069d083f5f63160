// The curve chart of a statistics page: one broken line per measure column, periods evenly
// spaced from left to right, each line scaled to its own largest value, a tick box per line.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "platform/message_layer.h"
#include "platform/win_types.h"
#include "stats/chart_points.h"

class QCheckBox;
class QLabel;

class CStatChartDlg : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int kSeriesCount = 7;

    // mode: 0 sales (seven lines), 1 opportunities (three), 2 expenses (one, no tick box).
    // The chart keeps the size it is created with.
    CStatChartDlg(int mode, const QSize& size, QWidget* parent);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Takes the values of series (1 to 7) for periods periods and repaints; another series
    // number only sets the period count.
    void SetSeries(int series, int periods, const std::string& text);

    int GetMode() const { return m_mode; }
    int GetPointCount() const { return m_pointCount; }
    bool HasSeries(int series) const;
    // The points of a series received (empty for one never received).
    const std::vector<ChartPoint>& GetPoints(int series) const;
    QCheckBox* TickBox(int series) const;
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }
    static COLORREF SeriesColor(int series);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const int m_mode;
    int m_pointCount = 0;
    int m_originX = 20;
    int m_originY = 0;
    std::array<std::vector<ChartPoint>, kSeriesCount> m_points;
    std::array<bool, kSeriesCount> m_received{};
    std::array<QCheckBox*, kSeriesCount> m_boxes{};
};
