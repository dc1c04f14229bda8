#pragma once
// One chart of the trend view: lines over time since the start, a vertical
// marker at the chosen moment, and the number of points a line may have
// (the plot's width in pixels). It only paints what it is given.
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

#include <vector>

#include "datalog/TrendStats.h"

namespace qm::ui {

class TrendChart : public QChartView {
    Q_OBJECT
public:
    TrendChart(const QString& title, const QString& valueTitle, QWidget* parent = nullptr);

    QLineSeries* addLine(const QString& name, const QColor& colour, qreal width, bool inLegend);
    void removeLines();
    // Times in seconds since the start; the axis shows them in unit.
    void setTimeRange(double first, double last, const datalog::TimeUnit& unit);
    // scale multiplies the values (1000 to show volts as millivolts).
    void setPoints(QLineSeries* line, const std::vector<datalog::TrendPoint>& points, double scale = 1);
    // Value axis from the lowest to the highest point shown, with a margin.
    void fitValues();
    void setMarker(double sinceStart);
    void setTitle(const QString& title);
    // Points a line may have: the plot area's width in pixels.
    int pointBudget() const;
    const QList<QLineSeries*>& lines() const { return lines_; }

signals:
    void plotWidthChanged();

private:
    QChart* chart_;
    QValueAxis* time_;
    QValueAxis* value_;
    QLineSeries* marker_;
    QList<QLineSeries*> lines_;
    double unitSeconds_ = 1;
    double markerTime_ = 0;
    int lastWidth_ = 0;
};

} // namespace qm::ui
