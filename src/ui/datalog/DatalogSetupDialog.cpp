#include "ui/datalog/DatalogSetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::ui {

DatalogSetupDialog::DatalogSetupDialog(int boardCount, const DatalogChoice& initial, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Datalog setup"));
    boardCount = std::clamp(boardCount, 1, 10);
    folder_ = QFileInfo(initial.file).absolutePath();

    file_ = new QLineEdit(QDir::toNativeSeparators(initial.file), this);
    file_->setAccessibleName(tr("Datalog file"));
    file_->setMinimumWidth(420);
    browse_ = new QPushButton(tr("&Browse…"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    everyPass_ = new QRadioButton(tr("Every &pass of the continuous cycle (about every 0.3 s)"), this);
    everySeconds_ = new QRadioButton(tr("At most one pass &every"), this);
    seconds_ = new QSpinBox(this);
    seconds_->setRange(1, kMaxIntervalSeconds);
    seconds_->setSuffix(tr(" s"));
    seconds_->setAccessibleName(tr("Seconds between records"));
    auto* group = new QButtonGroup(this);
    group->addButton(everyPass_);
    group->addButton(everySeconds_);
    const bool timed = initial.intervalSeconds > 0;
    (timed ? everySeconds_ : everyPass_)->setChecked(true);
    seconds_->setValue(timed ? std::min(initial.intervalSeconds, kMaxIntervalSeconds) : 10);
    seconds_->setEnabled(timed);
    auto* secondsRow = new QHBoxLayout;
    secondsRow->addWidget(everySeconds_);
    secondsRow->addWidget(seconds_);
    secondsRow->addStretch(1);
    auto* interval = new QVBoxLayout;
    interval->addWidget(everyPass_);
    interval->addLayout(secondsRow);

    // Boards in rows of five, ticked as the initial choice says.
    auto* boardGrid = new QGridLayout;
    bool anyTicked = false;
    for (int b = 1; b <= boardCount; ++b) {
        auto* box = new QCheckBox(tr("Board %1").arg(b), this);
        const bool ticked = std::find(initial.boards.begin(), initial.boards.end(), b) != initial.boards.end();
        box->setChecked(ticked);
        anyTicked = anyTicked || ticked;
        boardGrid->addWidget(box, (b - 1) / 5, (b - 1) % 5);
        boards_.push_back(box);
    }
    if (!anyTicked)
        for (QCheckBox* box : boards_) box->setChecked(true);

    hint_ = new QLabel(this);
    hint_->setStyleSheet(QStringLiteral("color: #B00000"));
    auto* note = new QLabel(tr("Recording starts the continuous cycle when it is not running."), this);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton()->setDefault(true);

    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(file_);
    form->addRow(fileLabel, fileRow);
    auto* intervalLabel = new QLabel(tr("Record:"), this);
    form->addRow(intervalLabel, interval);
    auto* boardsLabel = new QLabel(tr("Boards:"), this);
    form->addRow(boardsLabel, boardGrid);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(hint_);
    layout->addWidget(buttons_);

    // Tab order: file, Browse..., the interval, the boards, OK, Cancel.
    QWidget* previous = file_;
    auto chain = [&previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(browse_);
    chain(everyPass_);
    chain(everySeconds_);
    chain(seconds_);
    for (QCheckBox* box : boards_) chain(box);
    chain(okButton());
    chain(buttons_->button(QDialogButtonBox::Cancel));
    file_->setFocus();

    connect(browse_, &QPushButton::clicked, this, &DatalogSetupDialog::browse);
    connect(everySeconds_, &QRadioButton::toggled, seconds_, &QSpinBox::setEnabled);
    connect(file_, &QLineEdit::textChanged, this, &DatalogSetupDialog::refreshOk);
    for (QCheckBox* box : boards_) connect(box, &QCheckBox::toggled, this, &DatalogSetupDialog::refreshOk);
    connect(buttons_, &QDialogButtonBox::accepted, this, &DatalogSetupDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &DatalogSetupDialog::reject);
    refreshOk();
}

QPushButton* DatalogSetupDialog::okButton() const { return buttons_->button(QDialogButtonBox::Ok); }

DatalogChoice DatalogSetupDialog::choice() const
{
    DatalogChoice c;
    const QString text = QDir::fromNativeSeparators(file_->text().trimmed());
    // A bare name goes into the folder the dialog proposed.
    c.file = text.isEmpty() ? QString() : QDir::cleanPath(QDir(folder_).absoluteFilePath(text));
    c.intervalSeconds = everySeconds_->isChecked() ? seconds_->value() : 0;
    for (std::size_t i = 0; i < boards_.size(); ++i)
        if (boards_[i]->isChecked()) c.boards.push_back(static_cast<int>(i) + 1);
    return c;
}

void DatalogSetupDialog::refreshOk()
{
    const DatalogChoice c = choice();
    QString why;
    if (c.file.isEmpty()) why = tr("Name the file to record into.");
    else if (c.boards.empty()) why = tr("Tick at least one board.");
    hint_->setText(why);
    hint_->setVisible(!why.isEmpty());
    okButton()->setEnabled(why.isEmpty());
}

void DatalogSetupDialog::accept()
{
    if (!okButton()->isEnabled()) return;
    if (onAccept && !onAccept(choice())) return; // refused: the choices stay
    QDialog::accept();
}

void DatalogSetupDialog::browse()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Record into"), choice().file,
                                                      tr("Stack records (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    file_->setText(QDir::toNativeSeparators(path));
    folder_ = QFileInfo(path).absolutePath();
}

} // namespace qm::ui
