// Start-up and exit, the painting of what changed, message boxes, and what the
// chain commands hand over to after each transaction.
#include "acquisition/Session.h"

#include "acquisition/KeepAlive.h"
#include "config/ConfigModel.h"
#include "link/Identify.h"

namespace qm::acquisition {

Session::Session(link::Device& device, Display& display)
    : display_(display), proto_(device, s_.images, s_.panel, s_.chain)
{
    proto_.setListener(this);
}

void Session::flush()
{
    if (dirty_ == 0) return;
    const std::uint32_t areas = dirty_;
    dirty_ = 0;
    display_.paint(s_, areas);
}

void Session::message(const std::string& text)
{
    // The box waits in an event loop of its own where timer ticks go on; each
    // tick paints what it changed as if no procedure were running.
    flush();
    const int depth = depth_;
    depth_ = 0;
    display_.showMessage(text);
    depth_ = depth;
}

void Session::unload(CloseReason reason)
{
    if (closed_) return;
    closed_ = true;
    closeReason_ = reason;
    if (recorder_.active()) {
        recorder_.stop(reason == CloseReason::BoardLost ? "the controller board stopped answering"
                                                        : "the program ended");
        showRecording();
    }
    s_.view.commands.timerRunning = false;
    mark(kAreaCommands);
    flush();
    display_.close(reason);
}

void Session::setClocks(WallClock wall, SteadyClock steady)
{
    wall_ = std::move(wall);
    steady_ = std::move(steady);
    proto_.setClock(steady_);
}

datalog::UtcTime Session::utcNow() const
{
    return std::chrono::time_point_cast<std::chrono::milliseconds>(wall_());
}

bool Session::StartRecording(const RecordingSetup& setup)
{
    if (closed_) return false;
    Scope scope(*this);
    if (!recorder_.start(setup, s_, utcNow(), steady_())) return false;
    passValidity_ = {};
    showRecording();
    // A pass in progress would be recorded with the reads it missed: the
    // first record is the first whole pass.
    skipPass_ = s_.acq.continuousActive == 1 && s_.acq.cycleStep != 0;
    if (s_.acq.continuousActive == 0) ToggleContinuous();
    return true;
}

void Session::StopRecording(const std::string& reason)
{
    Scope scope(*this);
    recorder_.stop(reason);
    showRecording();
}

void Session::showRecording()
{
    s_.view.recording = recorder_.status();
    mark(kAreaRecording);
}

void Session::recordPass()
{
    if (!recorder_.active()) return;
    if (skipPass_) {
        skipPass_ = false;
        return;
    }
    const bool written = recorder_.passEnded(s_, passValidity_, utcNow(), steady_());
    showRecording();
    if (!written) message("The datalog stopped: " + recorder_.status().endReason + ". Measuring goes on.");
}

void Session::identify()
{
    const link::Identification id = link::IdentifyController(proto_.device());
    s_.acq.boardRecognised = id.recognised;
    s_.acq.identification = id.text;
    mark(kAreaIdentification);
}

bool Session::OnLoad()
{
    Scope scope(*this);
    auto& acq = s_.acq;
    View& v = s_.view;
    identify();
    if (acq.boardRecognised != -1) {
        unload(CloseReason::NoBoardAtStart);
        return false;
    }
    v.commands.timerRunning = true;

    // Defaults of the window and of every image and editor.
    v.loaded = true;
    v.commands.windowWidthTwips = 13500;
    v.commands.windowHeightTwips = 8970;
    acq.indication.messageCaption = PollText();
    acq.indication.messageVisible = false;
    acq.continuousActive = 0;
    acq.keepAliveActive = 0;
    s_.panel.lastKind = protocol::kPanelNone;
    s_.chain = protocol::ChainSelection{};
    s_.tabs.ResetForStartup(last());
    ShowDiagnosticPanel(true);
    mark(kAreaCommands | kAreaKeepAlive | kAreaBoards | kAreaTabs);

    s_.images = protocol::RegisterImages{}; // every image, received byte and verdict zero
    config::ResetConfiguration(s_.images, s_.config);
    RefreshCdcTable();
    LoadEditors();
    RefreshThresholds();
    s_.status = presentation::PresentationState{};
    v.config.readBackTexts = {};
    v.flags = {};
    mark(kAreaFlags);
    RefreshConfigurationDisplay();
    v.config.cdcLook = config::kPendingLook;
    s_.images.written[0][0].clear();
    SelectContinuousStart(0);

    OnCommandButton(6);

    acq.selfTestSelector = "E";
    acq.cellSelector = "0";
    acq.cellHexView = 0;
    acq.temperatureHexView = 0;
    acq.temperatureSelector = "0";
    acq.lowCurrentStandby = 0;
    acq.openPoll = 0;
    s_.config.configChanged = 1;
    return true;
}

void Session::OnExit()
{
    Scope scope(*this);
    unload(CloseReason::Exit);
}

// ---- What the chain commands hand over to --------------------------------------

void Session::transferShown()
{
    // The link health changes with every read, and its "last good read" with
    // time: the ovals' tips are renewed with every transfer shown.
    const protocol::HealthClock::time_point now = steady_();
    for (int b = 0; b <= last(); ++b)
        s_.view.ovalTips[static_cast<std::size_t>(b)] =
            protocol::HealthText(b + 1, s_.images.health[static_cast<std::size_t>(b)], now);
    mark(kAreaTransfer);
}

void Session::configurationRead()
{
    RefreshReadBackDisplay();
    ShowReadBackMarks();
}

void Session::flagsRead() { ShowFlagTexts(); }

void Session::temperaturesRead() { RefreshTemperatures(); }

void Session::cellVoltagesRead(int groupCode) { RefreshCellValues(groupCode); }

void Session::diagnosticsRead() { ShowDiagnosticPanel(false); }

void Session::diagnosticsCleared() { ShowDiagnosticPanel(true); }

void Session::configurationWritten()
{
    // The editors coloured the fields while a change was pending.
    ConfigView& c = s_.view.config;
    c.registerLook = c.cdcLook = c.vuvLook = c.vovLook = config::kWrittenLook;
    mark(kAreaConfig);
    RefreshReadBackDisplay();
}

} // namespace qm::acquisition
