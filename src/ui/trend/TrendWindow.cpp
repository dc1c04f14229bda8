#include "ui/trend/TrendWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include "datalog/TrendModel.h"
#include "protocol/LinkHealth.h"
#include "ui/Tables.h"
#include "ui/trend/TrendChart.h"

namespace qm::ui {

namespace {

constexpr int kFollowMs = 500;
constexpr int kHealthColumns = 8;

QColor BoardColour(std::size_t board)
{
    static constexpr QRgb kPalette[] = {0x1F77B4, 0xFF7F0E, 0x2CA02C, 0xD62728, 0x9467BD,
                                        0x8C564B, 0xE377C2, 0x7F7F7F, 0xBCBD22, 0x17BECF};
    return QColor::fromRgb(kPalette[board % std::size(kPalette)]);
}

QString Millivolts(double volts)
{
    const double mv = volts * 1000.0;
    return (mv >= 0.05 ? QStringLiteral("+") : QString()) + QString::number(mv, 'f', 1);
}

protocol::LinkCounts Counts(const datalog::LinkCounters& recorded)
{
    protocol::LinkCounts counts;
    for (std::size_t k = 0; k < counts.pecFailures.size(); ++k) counts.pecFailures[k] = recorded.pecFailures[k];
    counts.missing = recorded.missing;
    counts.shortReplies = recorded.shortReplies;
    return counts;
}

} // namespace

TrendWindow::TrendWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("QM7410 stack trends"));
    resize(1280, 820);

    open_ = new QPushButton(tr("&Open record..."), this);
    open_->installEventFilter(this);
    file_ = new QLabel(tr("No record open"), this);
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QLabel(this);
    boardChooser_ = new QComboBox(this);
    boardChooser_->setAccessibleName(tr("Boards drawn"));
    auto* top = new QHBoxLayout;
    top->addWidget(open_);
    top->addWidget(file_, 1);
    top->addWidget(status_);
    auto* boardsLabel = new QLabel(tr("&Boards:"), this);
    boardsLabel->setBuddy(boardChooser_);
    top->addWidget(boardsLabel);
    top->addWidget(boardChooser_);

    voltage_ = new TrendChart(tr("Cell voltage per board: minimum, mean (thick), maximum"), tr("V"), this);
    spread_ = new TrendChart(tr("Spread per board (maximum - minimum)"), tr("mV"), this);
    trace_ = new TrendChart(tr("Cell trace: choose a cell on the imbalance map"), tr("V"), this);
    auto* charts = new QSplitter(Qt::Vertical, this);
    charts->addWidget(voltage_);
    charts->addWidget(spread_);
    charts->addWidget(trace_);

    map_ = ReadOnlyTable(this, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
    map_->setAccessibleName(tr("Imbalance map"));
    health_ = ReadOnlyTable(this, {tr("PEC cfg"), tr("PEC cells"), tr("PEC temps"), tr("PEC flags"), tr("PEC diag"),
                                   tr("missing"), tr("short"), tr("since good")});
    health_->setAccessibleName(tr("Link health"));
    for (QTableWidget* table : {map_, health_}) {
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->verticalHeader()->setDefaultSectionSize(22);
    }
    auto* mapLabel = new QLabel(tr("&Imbalance at the chosen moment (mV from the stack mean; grey: not counted)"), this);
    mapLabel->setBuddy(map_);
    mapLabel->setWordWrap(true);
    auto* healthLabel = new QLabel(tr("&Link health at the chosen moment (counts since the program started)"), this);
    healthLabel->setBuddy(health_);
    healthLabel->setWordWrap(true);
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(mapLabel);
    sideLayout->addWidget(map_, 3);
    sideLayout->addWidget(healthLabel);
    sideLayout->addWidget(health_, 2);

    auto* body = new QSplitter(Qt::Horizontal, this);
    body->addWidget(charts);
    body->addWidget(side);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 2);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setFocusPolicy(Qt::StrongFocus);
    slider_->setAccessibleName(tr("Moment"));
    moment_ = new QLabel(this);
    auto* momentLabel = new QLabel(tr("&Moment:"), this);
    momentLabel->setBuddy(slider_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(momentLabel);
    bottom->addWidget(slider_, 1);
    bottom->addWidget(moment_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(body, 1);
    layout->addLayout(bottom);
    setTabOrder(open_, boardChooser_);
    setTabOrder(boardChooser_, slider_);
    setTabOrder(slider_, map_);
    setTabOrder(map_, health_);

    follow_ = new QTimer(this);
    follow_->setInterval(kFollowMs);
    connect(follow_, &QTimer::timeout, this, &TrendWindow::pollFile);
    connect(open_, &QPushButton::clicked, this, &TrendWindow::chooseFile);
    connect(slider_, &QSlider::valueChanged, this, [this] { showMoment(); });
    connect(boardChooser_, &QComboBox::currentIndexChanged, this, [this] { refreshCharts(); });
    connect(map_, &QTableWidget::currentCellChanged, this, [this](int row, int column) { chooseCell(row, column); });
    connect(map_, &QTableWidget::cellActivated, this, [this](int row, int column) { chooseCell(row, column); });
    // A resize changes the width of all three charts at once: one redraw
    // after the layout has settled serves them all.
    chartRefresh_ = new QTimer(this);
    chartRefresh_->setSingleShot(true);
    chartRefresh_->setInterval(0);
    connect(chartRefresh_, &QTimer::timeout, this, &TrendWindow::refreshCharts);
    for (TrendChart* chart : {voltage_, spread_, trace_})
        connect(chart, &TrendChart::plotWidthChanged, chartRefresh_, qOverload<>(&QTimer::start));
}

TrendWindow::~TrendWindow() = default;

bool TrendWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == open_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            open_->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrendWindow::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open a stack record"), QString(),
                                                      tr("Stack records (*.csv);;All files (*)"));
    if (!path.isEmpty()) openFile(path);
}

bool TrendWindow::openFile(const QString& path)
{
    follow_->stop();
    trace_->removeLines(); // buildBoards() makes the other charts' lines again
    traceLine_ = nullptr;
    traceBoard_ = traceCell_ = -1;
    model_ = std::make_unique<datalog::TrendModel>(QFile::encodeName(path).toStdString());
    model_->poll();
    file_->setText(QDir::toNativeSeparators(path));
    setWindowTitle(tr("QM7410 stack trends - %1").arg(QFileInfo(path).fileName()));
    buildBoards();
    setMomentRange(true);
    refreshCharts();
    showMoment();
    showStatus();
    if (model_->following()) follow_->start();
    return model_->record().headerComplete() || model_->error().empty();
}

void TrendWindow::pollFile()
{
    if (!model_) return;
    const bool atEnd = slider_->value() == slider_->maximum();
    const std::size_t added = model_->poll();
    if (lines_.size() != model_->boards().size()) buildBoards();
    if (added > 0) {
        setMomentRange(atEnd);
        refreshCharts();
        showMoment();
    }
    showStatus();
    if (!model_->following()) follow_->stop();
}

void TrendWindow::setMomentRange(bool toLast)
{
    const int last = std::max(static_cast<int>(model_->momentCount()) - 1, 0);
    const QSignalBlocker block(slider_); // the caller shows the moment once
    slider_->setRange(0, last);
    slider_->setPageStep(std::max(1, last / 50));
    if (toLast) slider_->setValue(last);
}

bool TrendWindow::following() const { return follow_->isActive(); }

void TrendWindow::buildBoards()
{
    const auto& boards = model_->boards();
    voltage_->removeLines();
    spread_->removeLines();
    lines_.clear();
    const QSignalBlocker blockChooser(boardChooser_);
    boardChooser_->clear();
    boardChooser_->addItem(tr("All boards"));
    QStringList rows;
    for (std::size_t b = 0; b < boards.size(); ++b) {
        const QString name = tr("Board %1").arg(boards[b].board);
        const QColor colour = BoardColour(b);
        lines_.push_back({voltage_->addLine(name + tr(" min"), colour.lighter(150), 1, false),
                          voltage_->addLine(name, colour, 2, true),
                          voltage_->addLine(name + tr(" max"), colour.lighter(150), 1, false),
                          spread_->addLine(name, colour, 1.5, true)});
        boardChooser_->addItem(name);
        rows << name;
    }
    const QSignalBlocker blockMap(map_);
    map_->clearContents();
    map_->setRowCount(static_cast<int>(boards.size()));
    map_->setVerticalHeaderLabels(rows);
    health_->clearContents();
    health_->setRowCount(static_cast<int>(boards.size()));
    health_->setVerticalHeaderLabels(rows);
}

void TrendWindow::refreshCharts()
{
    if (!model_) return;
    const auto& boards = model_->boards();
    const double first = model_->firstTime();
    const double last = model_->lastTime();
    const datalog::TimeUnit unit = datalog::TimeUnitFor(last - first);
    for (TrendChart* chart : {voltage_, spread_, trace_}) chart->setTimeRange(first, last, unit);
    const int chosen = boardChooser_->currentIndex() - 1; // -1: all boards
    for (std::size_t b = 0; b < lines_.size() && b < boards.size(); ++b) {
        const bool shown = chosen < 0 || chosen == static_cast<int>(b);
        const BoardLines& l = lines_[b];
        for (QLineSeries* line : {l.min, l.mean, l.max, l.spread}) line->setVisible(shown);
        if (!shown) continue;
        const auto& t = boards[b].sinceStart;
        const datalog::SpreadSeries& s = model_->spread(b);
        const auto budget = static_cast<std::size_t>(voltage_->pointBudget());
        voltage_->setPoints(l.min, datalog::DecimateMinMax(t, s.min, first, last, budget));
        voltage_->setPoints(l.mean, datalog::DecimateMinMax(t, s.mean, first, last, budget));
        voltage_->setPoints(l.max, datalog::DecimateMinMax(t, s.max, first, last, budget));
        spread_->setPoints(l.spread, datalog::DecimateMinMax(t, s.spread, first, last,
                                                             static_cast<std::size_t>(spread_->pointBudget())),
                           1000.0);
    }
    voltage_->fitValues();
    spread_->fitValues();
    refreshTrace();
}

void TrendWindow::chooseCell(int boardIndex, int cell)
{
    if (!model_ || boardIndex < 0 || cell < 0 || cell >= datalog::kCells ||
        boardIndex >= static_cast<int>(model_->boards().size()))
        return;
    traceBoard_ = boardIndex;
    traceCell_ = cell;
    if (map_->currentRow() != boardIndex || map_->currentColumn() != cell) map_->setCurrentCell(boardIndex, cell);
    refreshTrace();
}

void TrendWindow::refreshTrace()
{
    if (!model_ || traceBoard_ < 0 || traceBoard_ >= static_cast<int>(model_->boards().size())) return;
    const datalog::BoardSeries& s = model_->boards()[static_cast<std::size_t>(traceBoard_)];
    if (!traceLine_) traceLine_ = trace_->addLine(QString(), BoardColour(static_cast<std::size_t>(traceBoard_)), 1.5, true);
    const QString name = tr("Board %1, cell %2").arg(s.board).arg(traceCell_ + 1);
    traceLine_->setName(name);
    traceLine_->setPen(QPen(BoardColour(static_cast<std::size_t>(traceBoard_)), 1.5));
    trace_->setTitle(tr("Cell trace: %1").arg(name));
    trace_->setPoints(traceLine_, datalog::DecimateMinMax(s.sinceStart, datalog::CellTrace(s, traceCell_),
                                                          model_->firstTime(), model_->lastTime(),
                                                          static_cast<std::size_t>(trace_->pointBudget())));
    trace_->fitValues();
}

void TrendWindow::showMoment()
{
    if (!model_ || model_->momentCount() == 0) {
        moment_->setText(tr("no records yet"));
        return;
    }
    const auto& boards = model_->boards();
    const double t = model_->momentTime(static_cast<std::size_t>(slider_->value()));
    const datalog::ImbalanceMap map = datalog::ImbalanceAt(boards, t);
    const float scale = datalog::DeviationScale(map);
    QString utc;
    for (std::size_t b = 0; b < boards.size(); ++b) {
        const int row = static_cast<int>(b);
        const auto& at = map.rows[b];
        if (at && utc.isEmpty())
            utc = Q(datalog::UtcText(datalog::UtcTime{std::chrono::milliseconds{boards[b].utcMillis[*at]}}));
        for (int c = 0; c < datalog::kCells; ++c) {
            QTableWidgetItem* item = Item(map_, row, c);
            const float d = map.deviation[b][static_cast<std::size_t>(c)];
            item->setBackground(QColor::fromRgb(datalog::DeviationColour(d, scale)));
            item->setForeground(QColor(Qt::black));
            const QString cell = tr("Board %1, cell %2").arg(boards[b].board).arg(c + 1);
            if (std::isnan(d)) {
                item->setText(QStringLiteral("-"));
                item->setToolTip(cell + tr(": not counted (failed read, unused cell or no reading)"));
            } else {
                item->setText(Millivolts(d));
                item->setToolTip(tr("%1: %2 V, %3 mV from the stack mean %4 V")
                                     .arg(cell)
                                     .arg(static_cast<double>(boards[b].cellVolts[static_cast<std::size_t>(c)][*at]), 0, 'f', 4)
                                     .arg(Millivolts(d))
                                     .arg(map.stackMean, 0, 'f', 4));
            }
        }
        for (int k = 0; k < kHealthColumns; ++k) Item(health_, row, k)->setText(QString());
        if (!at) continue;
        const datalog::LinkCounters link = boards[b].link(*at);
        for (int k = 0; k < datalog::kLinkKinds; ++k)
            Item(health_, row, k)->setText(QString::number(link.pecFailures[static_cast<std::size_t>(k)]));
        Item(health_, row, 5)->setText(QString::number(link.missing));
        Item(health_, row, 6)->setText(QString::number(link.shortReplies));
        Item(health_, row, 7)->setText(link.sinceGoodReadSeconds ? Q(datalog::DurationText(*link.sinceGoodReadSeconds))
                                                                 : tr("none yet"));
        const QString tip = Q(protocol::HealthText(boards[b].board, Counts(link), link.sinceGoodReadSeconds));
        for (int k = 0; k < kHealthColumns; ++k) Item(health_, row, k)->setToolTip(tip);
    }
    moment_->setText(tr("%1 UTC, %2 since start, stack mean %3 V")
                         .arg(utc, Q(datalog::DurationText(t)))
                         .arg(std::isnan(map.stackMean) ? tr("-") : QString::number(map.stackMean, 'f', 4)));
    for (TrendChart* chart : {voltage_, spread_, trace_}) chart->setMarker(t);
}

void TrendWindow::showStatus()
{
    if (!model_) return;
    const auto& record = model_->record();
    QString text;
    bool bad = false;
    if (!model_->error().empty()) {
        text = tr("Stopped reading: %1").arg(Q(model_->error()));
        bad = true;
    } else if (record.endReason()) {
        text = tr("Recording ended: %1").arg(Q(*record.endReason()));
    } else if (!record.headerComplete()) {
        text = tr("Waiting for the record's header");
    } else {
        text = tr("Following the recording");
    }
    text += tr(" (%1 records)").arg(record.records());
    status_->setText(text);
    status_->setStyleSheet(bad ? QStringLiteral("color: #B00000") : QString());
}

QString TrendWindow::statusText() const { return status_->text(); }

} // namespace qm::ui
