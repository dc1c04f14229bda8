#include "ui/trend/TrendChart.h"

#include <QLegendMarker>
#include <QPen>

#include <cmath>
#include <limits>

namespace qm::ui {

TrendChart::TrendChart(const QString& title, const QString& valueTitle, QWidget* parent)
    : QChartView(parent), chart_(new QChart), time_(new QValueAxis), value_(new QValueAxis), marker_(new QLineSeries)
{
    chart_->setTitle(title);
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    time_->setTitleText(tr("time since start (s)"));
    time_->setLabelFormat("%.4g");
    value_->setTitleText(valueTitle);
    value_->setLabelFormat("%.4g");
    chart_->addAxis(time_, Qt::AlignBottom);
    chart_->addAxis(value_, Qt::AlignLeft);
    marker_->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    chart_->addSeries(marker_);
    marker_->attachAxis(time_);
    marker_->attachAxis(value_);
    chart_->legend()->markers(marker_).first()->setVisible(false);
    setChart(chart_);
    setRenderHint(QPainter::Antialiasing, false);
    setFocusPolicy(Qt::NoFocus);
    setMinimumHeight(140);
    connect(chart_, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        const int width = static_cast<int>(area.width());
        if (std::abs(width - lastWidth_) * 10 > std::max(lastWidth_, 1)) {
            lastWidth_ = width;
            emit plotWidthChanged();
        }
    });
}

QLineSeries* TrendChart::addLine(const QString& name, const QColor& colour, qreal width, bool inLegend)
{
    auto* line = new QLineSeries;
    line->setName(name);
    line->setPen(QPen(colour, width));
    chart_->addSeries(line);
    line->attachAxis(time_);
    line->attachAxis(value_);
    if (!inLegend) chart_->legend()->markers(line).first()->setVisible(false);
    lines_.append(line);
    return line;
}

void TrendChart::removeLines()
{
    for (QLineSeries* line : lines_) {
        chart_->removeSeries(line);
        delete line;
    }
    lines_.clear();
}

void TrendChart::setTimeRange(double first, double last, const datalog::TimeUnit& unit)
{
    unitSeconds_ = unit.seconds;
    time_->setTitleText(tr("time since start (%1)").arg(QString::fromUtf8(unit.name.data(), static_cast<int>(unit.name.size()))));
    if (last <= first) last = first + 1;
    time_->setRange(first / unitSeconds_, last / unitSeconds_);
    setMarker(markerTime_);
}

void TrendChart::setPoints(QLineSeries* line, const std::vector<datalog::TrendPoint>& points, double scale)
{
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& p : points) list.append(QPointF(p.t / unitSeconds_, static_cast<qreal>(p.v) * scale));
    line->replace(list);
}

void TrendChart::fitValues()
{
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (QLineSeries* line : std::as_const(lines_)) {
        if (!line->isVisible()) continue;
        for (const QPointF& p : line->points()) {
            lo = std::min(lo, p.y());
            hi = std::max(hi, p.y());
        }
    }
    if (!(lo <= hi)) {
        lo = 0;
        hi = 1;
    }
    const double margin = std::max((hi - lo) * 0.05, 1e-3);
    value_->setRange(lo - margin, hi + margin);
    setMarker(markerTime_);
}

void TrendChart::setMarker(double sinceStart)
{
    markerTime_ = sinceStart;
    const double x = sinceStart / unitSeconds_;
    marker_->replace(QList<QPointF>{QPointF(x, value_->min()), QPointF(x, value_->max())});
}

void TrendChart::setTitle(const QString& title) { chart_->setTitle(title); }

int TrendChart::pointBudget() const
{
    const int width = static_cast<int>(chart_->plotArea().width());
    return std::max(width > 0 ? width : this->width(), 100);
}

} // namespace qm::ui
