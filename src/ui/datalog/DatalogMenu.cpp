#include "ui/datalog/DatalogMenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>

#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/FormDisplay.h"
#include "ui/datalog/DatalogSettings.h"
#include "ui/trend/TrendWindow.h"

namespace qm::ui {

DatalogMenu::DatalogMenu(Form& form, FormDisplay& display, acquisition::Session& session)
    : form_(form), display_(display), session_(session),
      settings_(QSettings::UserScope, QStringLiteral("qm7410"), QStringLiteral("qm7410-gui"))
{
    // "Stop Datalog" stands before "View Last Datalog", shown while recording.
    stop_ = new QAction(tr("Stop Datalog"), this);
    stop_->setObjectName(QStringLiteral("mnuStopDatalog"));
    form_.mnuDatalog->insertAction(form_.mnuViewLastDatalog, stop_);

    // The marker: a red lamp and the passes written, in the free middle of
    // the identification line at the bottom of the window.
    lamp_ = new Shape(form_.canvas(), QStringLiteral("Shape_DL"), -1, Shape::Kind::Circle);
    lamp_->setBounds(Bounds{300, 579, 12, 12});
    lamp_->setFillColor(colour::kRed);
    lamp_->setVisible(false);
    caption_ = new Label(form_.canvas(), QStringLiteral("Label_DL"));
    caption_->setFontSpec(QStringLiteral("Arial"), 9.75, true);
    caption_->setForeColor(colour::kDarkRed);
    caption_->setBounds(Bounds{318, 577, 260, 15});
    caption_->setVisible(false);
    display_.recordingHook = [this](const acquisition::RecordingStatus& status) { paint(status); };

    connect(form_.mnuCreateNewSetup, &QAction::triggered, this, &DatalogMenu::createNewSetup);
    connect(form_.mnuUsePreviousSetup, &QAction::triggered, this, &DatalogMenu::usePreviousSetup);
    connect(stop_, &QAction::triggered, this, &DatalogMenu::stopDatalog);
    connect(form_.mnuViewLastDatalog, &QAction::triggered, this, &DatalogMenu::viewLastDatalog);
    // A file of an earlier run may have gone since: look again each time the menu opens.
    connect(form_.mnuDatalog, &QMenu::aboutToShow, this, &DatalogMenu::refresh);

    lastFile_ = LoadLastDatalog(settings_);
    refresh();
}

DatalogMenu::~DatalogMenu()
{
    display_.recordingHook = nullptr;
    if (session_.view().recording.active) session_.StopRecording("the program ended");
}

void DatalogMenu::setSource(std::string program, std::string device)
{
    program_ = std::move(program);
    device_ = std::move(device);
}

QString DatalogMenu::DefaultFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

int DatalogMenu::boardCount() const { return session_.state().chain.lastBoardIndex + 1; }

void DatalogMenu::paint(const acquisition::RecordingStatus& status)
{
    // The marker: shown while the session records, with the passes written.
    lamp_->setVisible(status.active);
    caption_->setVisible(status.active);
    caption_->setCaption(QStringLiteral("DATALOG ON   %1 %2")
                             .arg(status.passes)
                             .arg(status.passes == 1 ? QStringLiteral("PASS") : QStringLiteral("PASSES")));
    // Setting a tool tip costs an event even when it does not change.
    const QString tip = QStringLiteral("Recording into %1").arg(QString::fromStdString(status.file.string()));
    if (caption_->toolTip() != tip) caption_->setToolTip(tip);

    if (status.passes > 0) {
        const QString file = QFile::decodeName(status.file.c_str());
        if (file != lastFile_) {
            lastFile_ = file;
            SaveLastDatalog(settings_, lastFile_);
        }
    }
    const bool recording = status.active;
    stop_->setVisible(recording);
    form_.mnuCreateNewSetup->setEnabled(!recording);
    form_.mnuUsePreviousSetup->setEnabled(!recording && hasSetup_);
    form_.mnuViewLastDatalog->setEnabled(!lastFile_.isEmpty() && (status.passes > 0 || QFileInfo::exists(lastFile_)));
}

void DatalogMenu::refresh()
{
    hasSetup_ = LoadDatalogSetup(settings_).has_value();
    paint(session_.view().recording);
}

bool DatalogMenu::start(const DatalogChoice& choice)
{
    const QString folder = QFileInfo(choice.file).absolutePath();
    if (folder == DefaultFolder()) QDir().mkpath(folder); // a fresh account may have none yet
    acquisition::RecordingSetup setup;
    setup.file = QFile::encodeName(choice.file).toStdString();
    setup.intervalSeconds = choice.intervalSeconds;
    setup.boards = choice.boards;
    setup.program = program_;
    setup.device = device_;
    if (!session_.StartRecording(setup)) {
        const std::string why = session_.recordingError().empty() ? "the window is closing" : session_.recordingError();
        display_.showMessage("The datalog could not start: " + why + ".");
        return false;
    }
    SaveDatalogSetup(settings_, choice);
    refresh();
    return true;
}

void DatalogMenu::createNewSetup()
{
    if (session_.view().recording.active) return;
    const std::optional<DatalogChoice> saved = LoadDatalogSetup(settings_);
    DatalogChoice initial = saved.value_or(DatalogChoice{});
    initial.file = NewDatalogFile(saved ? QFileInfo(saved->file).absolutePath() : DefaultFolder(), now_());
    if (dialog_) dialog_->close();
    dialog_ = new DatalogSetupDialog(boardCount(), initial, &form_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->onAccept = [this](const DatalogChoice& choice) { return start(choice); };
    dialog_->open();
}

void DatalogMenu::usePreviousSetup()
{
    std::optional<DatalogChoice> saved = LoadDatalogSetup(settings_);
    if (!saved || session_.view().recording.active) return;
    saved->file = NewDatalogFile(QFileInfo(saved->file).absolutePath(), now_());
    start(*saved);
}

void DatalogMenu::stopDatalog() { session_.StopRecording(); }

void DatalogMenu::viewLastDatalog()
{
    if (lastFile_.isEmpty()) return;
    if (!trend_) trend_ = new TrendWindow(&form_);
    if (trendFile_ != lastFile_ || !trend_->isVisible()) {
        trend_->openFile(lastFile_);
        trendFile_ = lastFile_;
    }
    trend_->show();
    trend_->raise();
    trend_->activateWindow();
}

} // namespace qm::ui
