// The heartbeat and the command column: what every timer tick does, what each
// Command1 button runs, the continuous read cycle over three ticks, the choice
// of its start command, and the low-current standby sequence.
#include "acquisition/CommandTexts.h"
#include "acquisition/KeepAlive.h"
#include "acquisition/Session.h"
#include "link/Transport.h"
#include "presentation/StatusRules.h"

namespace qm::acquisition {

using presentation::Tab;

namespace {
constexpr int kWidthRunning = 13780;
constexpr int kWidthStopped = 13500;

// Which boards 0..last the read just made gave valid values (its validity
// flags at 1), for the record of the pass.
void NoteValidity(protocol::PerBoard<bool>& valid, const protocol::PerBoard<std::int16_t>& flags, int last)
{
    for (int b = 0; b <= last; ++b) valid[static_cast<std::size_t>(b)] = flags[static_cast<std::size_t>(b)] == 1;
}
} // namespace

void Session::OnTimerTick()
{
    if (closed_) return;
    Scope scope(*this);
    auto& acq = s_.acq;
    if (acq.lowCurrentStandby == 0) {
        if (KeepAliveDue(acq)) proto_.SendKeepAlive();
        identify();
    }
    if (acq.boardRecognised == 0) {
        acq.continuousActive = 0;
        LoseDischargeCheck();
        unload(CloseReason::BoardLost);
        return;
    }
    if (acq.continuousActive == 1) ContinuousStep();
    if (dischargeCheckRunning()) AdvanceDischargeCheck();
    s_.tabs.ShowReadConfigTab(s_.config.configChanged == 1);
    KeepAliveDisplay(acq, s_.images, last(), s_.config.boards[static_cast<std::size_t>(current())].cdc);
    mark(kAreaTabs | kAreaKeepAlive);
}

void Session::OnCommandButton(int index)
{
    if (closed_) return;
    Scope scope(*this);
    auto& acq = s_.acq;
    acq.lowCurrentStandby = 0;
    closeOpenPollFrame();
    const int group = s_.cellGroupCode();
    switch (index) {
    case 0:
    case 1:
        acq.continuousActive = 1;
        ToggleContinuous(); // always the stop actions
        proto_.StartPoll(index);
        acq.openPoll = 1;
        break;
    case 2:
    case 3:
        startCells(index == 2 ? protocol::CellStartKind::STCVAD : protocol::CellStartKind::STOWAD, acq.cellSelector,
                   false);
        acq.cellHexView = 0;
        s_.tabs.setState(Tab::CellRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabArmed);
        focusCommand(7);
        acq.cellSelfTestPending = 0;
        break;
    case 4:
        proto_.StartTemperatureConversion(acq.temperatureSelector);
        acq.temperatureHexView = 0;
        ClearMeasurementTexts(false, true);
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabArmed);
        focusCommand(9);
        acq.temperatureSelfTestPending = 0;
        break;
    case 5: {
        auto ctx = configContext();
        config::Propagate(ctx);
        proto_.WriteConfiguration();
        s_.config.configChanged = 0;
        ShowWriteButtonLook(config::RefreshConfigurationDisplay(ctx));
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        RefreshStatusDisplay();
        if (s_.status.thermalReadBackMark == 1) {
            proto_.ReadConfiguration(); // the read-back display follows through the listener
            presentation::ClearThermalMarks(s_.images, s_.status, last());
        }
        if (s_.view.commands.readConfigEnabled) {
            s_.tabs.setState(Tab::ConfigRead, presentation::kTabArmed);
            focusCommand(6);
        }
        if (acq.continuousActive == 0) EvaluateKeepAlive(acq, s_.images, last());
        break;
    }
    case 6:
        proto_.ReadConfiguration();
        s_.tabs.requestSettle(Tab::ConfigRead);
        break;
    case 7:
        proto_.ReadCellVoltages(group);
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        RefreshStatusDisplay();
        acq.cellHexView = 0;
        s_.tabs.setState(Tab::CellRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::FlagRead, presentation::kTabArmed);
        focusCommand(8);
        break;
    case 8:
        proto_.ReadFlags();
        presentation::ApplyFlagRule(s_.images, s_.status, last(), group);
        RefreshStatusDisplay();
        s_.tabs.setState(Tab::FlagRead, presentation::kTabSettle);
        focusCommand(2);
        break;
    case 9:
        acq.temperatureHexView = 0;
        proto_.ReadTemperatures();
        runThermalRule();
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabSettle);
        focusCommand(4);
        break;
    case 10:
        ToggleContinuous();
        break;
    case 14:
        acq.continuousActive = 1;
        ToggleContinuous(); // the stop actions
        EnterLowCurrentStandby();
        acq.lowCurrentStandby = 1;
        PaintTemperatureGraphics();
        break;
    default:
        return; // indices 11..13 do not exist
    }
    afterCommandColumnClick();
}

void Session::closeOpenPollFrame()
{
    // "POLL ADC" and "POLL  INT" leave their frame open; anything sent into it
    // would be clocked as part of the poll and never reach the chips, so every
    // button that sends closes it first.
    if (s_.acq.openPoll != 1) return;
    link::ClosePollFrame(proto_.device());
    s_.acq.openPoll = 0;
}

void Session::afterCommandColumnClick()
{
    s_.tabs.SettleAfterCommandColumn(last());
    mark(kAreaTabs);
    ShowLegend();
}

void Session::startCells(protocol::CellStartKind kind, const std::string& selector, bool dccLamp)
{
    proto_.StartCellConversion(kind, selector);
    ClearMeasurementTexts(true, false);
    presentation::ClearCellStatusCodes(s_.status, last());
    RefreshStatusDisplay();
    setDccLamp(dccLamp ? colour::kLightBlue : colour::kWhite);
}

void Session::setDccLamp(Colour colourNumber)
{
    s_.view.commands.dccLamp = colourNumber;
    mark(kAreaCommands);
}

void Session::setSingleCommandsEnabled(bool enabled)
{
    s_.view.commands.singleCommandsEnabled = enabled;
    if (enabled) s_.view.commands.readConfigEnabled = true;
    mark(kAreaCommands);
}

void Session::ToggleContinuous()
{
    if (closed_) return;
    Scope scope(*this);
    auto& acq = s_.acq;
    CommandView& commands = s_.view.commands;
    s_.tabs.ResetForCycle(last());
    mark(kAreaTabs | kAreaCommands);
    acq.continuousActive = static_cast<std::int16_t>(acq.continuousActive + 1);
    if (acq.continuousActive == 2) acq.continuousActive = 0;

    if (acq.continuousActive == 1) {
        commands.cycleCaption = "STOP  CONTINUOUS READ CELLS";
        commands.cycleLamp = colour::kGreen;
        acq.cycleStep = 0;
        setSingleCommandsEnabled(false);
        setDccLamp(colour::kWhite);
        commands.readConfigEnabled = true;
        OnCommandButton(6);
        ClearMeasurementTexts(true, true);
        s_.panel.lastKind = protocol::kPanelNone;
        protocol::ResetTransferPanel(s_.panel, last());
        mark(kAreaTransfer);
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), s_.cellGroupCode());
        RefreshStatusDisplay();
        acq.keepAliveActive = 0;
        commands.windowWidthTwips = kWidthRunning;
    } else {
        commands.cycleCaption = "START CONTINUOUS READ CELLS";
        commands.cycleLamp = colour::kRed;
        setSingleCommandsEnabled(true);
        for (int b = 0; b <= last(); ++b) s_.images.cellValid[static_cast<std::size_t>(b)] = 0;
        EvaluateKeepAlive(acq, s_.images, last());
        commands.windowWidthTwips = kWidthStopped;
    }
}

void Session::ContinuousStep()
{
    auto& acq = s_.acq;
    const int group = s_.cellGroupCode();
    switch (acq.cycleStep) {
    case 0:
        proto_.StartCellConversion(acq.continuousStart, acq.cellSelector);
        link::TransactWriteOnly(proto_.device(), "");
        acq.cellHexView = 0;
        proto_.ReadCellVoltages(group);
        NoteValidity(passValidity_.cells, s_.images.cellValid, last());
        // Every cell-voltage read gives the cells their mask, discharge and
        // soft codes; the flag rule below then lays the chips' flags over them.
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        presentation::HoldThermalShutdownCodes(s_.images, s_.status, last());
        break;
    case 1:
        proto_.StartTemperatureConversion(acq.temperatureSelector);
        acq.temperatureHexView = 0;
        proto_.ReadTemperatures();
        NoteValidity(passValidity_.temperatures, s_.images.temperatureValid, last());
        runThermalRule();
        break;
    default:
        proto_.ReadFlags();
        NoteValidity(passValidity_.flags, s_.images.flagValid, last());
        break;
    }
    acq.cycleStep = static_cast<std::int16_t>(acq.cycleStep + 1);
    if (acq.cycleStep >= 3) acq.cycleStep = 0;
    presentation::ApplyFlagRule(s_.images, s_.status, last(), group);
    RefreshStatusDisplay();
    if (acq.cycleStep == 0) recordPass(); // a pass ends with its flag read
}

void Session::runThermalRule()
{
    const presentation::ThermalOutcome outcome = presentation::ApplyThermalRule(s_.images, s_.status, last());
    if (outcome.ReadBackNeeded()) proto_.ReadConfiguration(); // read-back display through the listener
    if (outcome.repaint || outcome.ReadBackNeeded()) RefreshStatusDisplay();
}

void Session::SelectContinuousStart(int index)
{
    if (index < 0 || index > 3) return;
    Scope scope(*this);
    s_.acq.continuousStart = static_cast<protocol::CellStartKind>(index);
    s_.view.commands.continuousStart = index;
    s_.view.commands.cycleToolTip = ContinuousToolTip(index);
    mark(kAreaCommands);
}

void Session::EnterLowCurrentStandby()
{
    auto ctx = configContext();
    s_.view.config.editors[0][config::kTenCellsBit] = false; // the 10CELLS box, cleared as by the operator
    const config::StandbyRefresh r = config::ApplyStandbyDefaults(ctx);
    ApplyCellCountLayout();
    ShowEditors(r.editors);
    ShowCdc(r.cdc);
    ShowThresholds(r.thresholds);
    OnCommandButton(5);
    OnCommandButton(6);
    s_.tabs.ResetForStandby(last());
    mark(kAreaTabs);
    link::SendStandbyLines(proto_.device());
}

void Session::focus(FocusTarget::Array array, int index)
{
    const CommandView& c = s_.view.commands;
    bool enabled = true;
    if (array == FocusTarget::Array::Command1) {
        if (index == 2 || index == 3 || index == 4 || index == 7 || index == 8 || index == 9)
            enabled = c.singleCommandsEnabled;
        else if (index == 6)
            enabled = c.readConfigEnabled;
    } else if (array == FocusTarget::Array::Command5) {
        enabled = c.singleCommandsEnabled;
    }
    if (!enabled) return;
    flush(); // the focus goes to the window as it now stands
    display_.moveFocus(FocusTarget{array, index});
}

void Session::focusCommand(int index) { focus(FocusTarget::Array::Command1, index); }

} // namespace qm::acquisition
