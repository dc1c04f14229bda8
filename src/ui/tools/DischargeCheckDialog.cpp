#include "ui/tools/DischargeCheckDialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "acquisition/Session.h"
#include "ui/Tables.h"
#include "ui/controls/Colour.h"

namespace qm::ui {

using acquisition::CellVerdict;

namespace {

constexpr int kCellColumns = 12;
constexpr int kNoiseColumn = 12;
constexpr int kRestoreColumn = 13;

QString CellText(const acquisition::CellResult& c, bool now)
{
    switch (c.verdict) {
    case CellVerdict::Pass:
    case CellVerdict::Fail:
    case CellVerdict::Unsure:
        return QString::fromLatin1(acquisition::VerdictName(c.verdict)) + '\n' +
               (c.dropMv ? QString::number(*c.dropMv, 'f', 1) + QStringLiteral(" mV") : QStringLiteral("--"));
    case CellVerdict::Masked: return QStringLiteral("masked");
    case CellVerdict::Discharging: return QStringLiteral("DCC on");
    case CellVerdict::NotInUse: return QStringLiteral("unused");
    case CellVerdict::NotChosen: return QStringLiteral("-");
    case CellVerdict::Untested: break;
    }
    return now ? QStringLiteral("now") : QString();
}

QString CellTip(const acquisition::CellResult& c)
{
    QString tip = Q(c.reason);
    if (c.residualMv)
        tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("%1 mV below the start after the bit was cleared")
                                                                        .arg(*c.residualMv, 0, 'f', 1);
    return tip;
}

// Colour number of a cell's verdict in the table (the current cell of a
// running check is light blue instead).
int VerdictColour(CellVerdict verdict)
{
    switch (verdict) {
    case CellVerdict::Pass: return colour::kGreen;
    case CellVerdict::Fail: return colour::kRed;
    case CellVerdict::Unsure: return colour::kYellow;
    case CellVerdict::Masked:
    case CellVerdict::Discharging:
    case CellVerdict::NotInUse:
    case CellVerdict::NotChosen: return colour::kLightGrey;
    case CellVerdict::Untested: break;
    }
    return colour::kWhite;
}

} // namespace

DischargeCheckDialog::DischargeCheckDialog(acquisition::Session* session, QWidget* parent)
    : QDialog(parent), session_(session)
{
    setObjectName(QStringLiteral("DischargeCheckDialog"));
    setWindowTitle(tr("Discharge Check"));
    setWindowModality(Qt::WindowModal);

    auto* intro = new QLabel(tr("Switches on each chosen cell's discharge alone, on every chosen board at once, and "
                                "watches its reading drop and come back. The configuration written before the check "
                                "is put back afterwards."),
                             this);
    intro->setWordWrap(true);

    auto* boardGroup = new QGroupBox(tr("&Boards"), this);
    auto* boardGrid = new QGridLayout(boardGroup);
    for (int b = 0; b < 10; ++b) {
        auto* box = new QCheckBox(QString::number(b + 1), boardGroup);
        box->setObjectName(QStringLiteral("board%1").arg(b + 1));
        box->setChecked(true);
        boardGrid->addWidget(box, b / 5, b % 5);
        connect(box, &QCheckBox::toggled, this, &DischargeCheckDialog::choicesChanged);
        boards_[static_cast<std::size_t>(b)] = box;
    }
    auto* cellGroup = new QGroupBox(tr("C&ells"), this);
    auto* cellGrid = new QGridLayout(cellGroup);
    for (int c = 1; c <= 12; ++c) {
        auto* box = new QCheckBox(QString::number(c), cellGroup);
        box->setObjectName(QStringLiteral("cell%1").arg(c));
        box->setChecked(true);
        cellGrid->addWidget(box, (c - 1) / 6, (c - 1) % 6);
        connect(box, &QCheckBox::toggled, this, &DischargeCheckDialog::choicesChanged);
        cells_[static_cast<std::size_t>(c - 1)] = box;
    }
    settle_ = new QSpinBox(this);
    settle_->setRange(acquisition::dcc::kMinSettleMs, acquisition::dcc::kMaxSettleMs);
    settle_->setSingleStep(acquisition::dcc::kTickMs);
    settle_->setValue(acquisition::dcc::kDefaultSettleMs);
    settle_->setSuffix(tr(" ms"));
    auto* settleLabel = new QLabel(tr("Se&ttling time:"), this);
    settleLabel->setBuddy(settle_);
    auto* choices = new QHBoxLayout;
    choices->addWidget(boardGroup);
    choices->addWidget(cellGroup);
    auto* settleRow = new QVBoxLayout;
    settleRow->addWidget(settleLabel);
    settleRow->addWidget(settle_);
    settleRow->addStretch();
    choices->addLayout(settleRow);

    start_ = new QPushButton(tr("&Start"), this);
    cancel_ = new QPushButton(tr("&Cancel check"), this);
    auto* close = new QPushButton(tr("Cl&ose"), this);
    start_->setDefault(true);
    cancel_->setEnabled(false);
    connect(start_, &QPushButton::clicked, this, &DischargeCheckDialog::start);
    connect(cancel_, &QPushButton::clicked, this, &DischargeCheckDialog::cancel);
    connect(close, &QPushButton::clicked, this, &DischargeCheckDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    buttons->addWidget(close);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    phase_ = new QLabel(tr("Not run yet"), this);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    QPalette warn = status_->palette();
    warn.setColor(QPalette::WindowText, toQColor(colour::kDarkRed));
    status_->setPalette(warn);
    status_->hide();

    QStringList columns;
    for (int c = 1; c <= kCellColumns; ++c) columns << QString::number(c);
    columns << tr("Noise") << tr("Configuration");
    table_ = ReadOnlyTable(this, columns);
    table_->setAccessibleName(tr("Result: boards by cells"));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setDefaultSectionSize(62);
    table_->horizontalHeader()->setSectionResizeMode(kRestoreColumn, QHeaderView::Stretch);
    table_->verticalHeader()->setDefaultSectionSize(38);
    table_->setMinimumWidth(62 * 13 + 200);
    auto* tableLabel = new QLabel(tr("&Result (drop of each cell while discharged):"), this);
    tableLabel->setBuddy(table_);
    note_ = new QLabel(this);
    note_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(phase_);
    layout->addWidget(status_);
    layout->addWidget(tableLabel);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    setTabOrder(settle_, start_);
    setTabOrder(start_, cancel_);
    setTabOrder(cancel_, close);
    setTabOrder(close, table_);
}

acquisition::DischargeCheckPlan DischargeCheckDialog::plan() const
{
    acquisition::DischargeCheckPlan p;
    for (int b = 0; b < 10; ++b)
        if (!boardBox(b)->isHidden() && boardBox(b)->isChecked()) p.boards.push_back(b);
    for (int c = 1; c <= 12; ++c)
        if (cellBox(c)->isChecked()) p.cells.push_back(c);
    p.settleMs = settle_->value();
    return p;
}

void DischargeCheckDialog::choicesChanged()
{
    const acquisition::DischargeCheckPlan p = plan();
    start_->setEnabled(!running_ && !p.boards.empty() && !p.cells.empty());
}

void DischargeCheckDialog::start()
{
    if (!session_ || running_) return;
    const acquisition::DischargeCheckPlan p = plan();
    if (p.boards.empty() || p.cells.empty()) return; // an empty list would stand for all of them
    session_->StartDischargeCheck(p);
    refresh();
    if (running_) cancel_->setFocus();
}

void DischargeCheckDialog::cancel()
{
    if (session_) session_->CancelDischargeCheck();
    refresh();
    start_->setFocus();
}

void DischargeCheckDialog::reject()
{
    if (running_) cancel();
    QDialog::reject();
}

void DischargeCheckDialog::refresh()
{
    if (!session_) return;
    showState(session_->view().dischargeCheck, session_->state().chain.lastBoardIndex + 1);
}

void DischargeCheckDialog::showState(const acquisition::DischargeCheckView& v, int boardCount)
{
    running_ = v.running;
    // Boards beyond the stack are not offered; while the check runs the
    // choices stay as they were made.
    for (int b = 0; b < 10; ++b) {
        boardBox(b)->setEnabled(!running_ && b < boardCount);
        boardBox(b)->setVisible(b < boardCount);
    }
    for (QCheckBox* box : cells_) box->setEnabled(!running_);
    settle_->setEnabled(!running_);
    cancel_->setEnabled(running_);
    choicesChanged();

    progress_->setRange(0, std::max(1, v.ticksTotal));
    progress_->setValue(v.running ? v.ticksDone : (v.result.outcome == acquisition::CheckOutcome::Completed ? v.ticksTotal : v.ticksDone));
    const auto& r = v.result;
    QString phase;
    if (v.running)
        phase = v.step == 0 ? Q(v.phase) : tr("Step %1 of %2: %3").arg(v.step).arg(v.steps).arg(Q(v.phase));
    else if (r.outcome != acquisition::CheckOutcome::None)
        phase = tr("%1: PASS %2, FAIL %3, UNSURE %4 (%5 s)")
                    .arg(Q(v.phase))
                    .arg(r.count(CellVerdict::Pass))
                    .arg(r.count(CellVerdict::Fail))
                    .arg(r.count(CellVerdict::Unsure))
                    .arg(static_cast<double>(r.elapsedMs) / 1000.0, 0, 'f', 1);
    else
        phase = tr("Not run yet");
    phase_->setText(phase);
    status_->setText(Q(v.refusal));
    status_->setVisible(!v.refusal.empty() && !v.running);
    note_->setText(Q(r.note));
    paintTable(v);
}

void DischargeCheckDialog::paintTable(const acquisition::DischargeCheckView& v)
{
    const auto& boards = v.result.boards;
    table_->setRowCount(static_cast<int>(boards.size()));
    QStringList rows;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        const acquisition::BoardResult& b = boards[i];
        const int row = static_cast<int>(i);
        rows << tr("Board %1").arg(b.board + 1);
        for (int c = 0; c < kCellColumns; ++c) {
            const acquisition::CellResult& cell = b.cells[static_cast<std::size_t>(c)];
            const bool now = v.running && cell.verdict == CellVerdict::Untested && v.cell == c + 1;
            QTableWidgetItem* item = Item(table_, row, c);
            item->setText(CellText(cell, now));
            item->setToolTip(CellTip(cell));
            const int back = now ? colour::kLightBlue : VerdictColour(cell.verdict);
            item->setBackground(toQColor(back));
            item->setForeground(toQColor(back == colour::kRed ? colour::kWhite : colour::kBlack));
        }
        Item(table_, row, kNoiseColumn)
            ->setText(b.noiseMv ? QString::number(*b.noiseMv, 'f', 1) + QStringLiteral(" mV") : QStringLiteral("--"));
        Item(table_, row, kRestoreColumn)
            ->setText(b.restore == acquisition::RestoreState::Pending ? QString()
                                                                       : QString::fromLatin1(acquisition::RestoreName(b.restore)));
    }
    table_->setVerticalHeaderLabels(rows);
    // Room for every board up to the ten of a full stack, without scrolling.
    const int shown = std::clamp(static_cast<int>(boards.size()), 4, 10);
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() + 38 * shown + 2 * table_->frameWidth() + 2);
}

} // namespace qm::ui
