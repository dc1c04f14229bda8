// The heartbeat and the command column: what every timer tick does, what each
// Command1 button runs, the continuous read cycle over three ticks, the choice
// of its start command, and the low-current standby sequence.
#include "acquisition/CommandTexts.h"
#include "acquisition/KeepAlive.h"
#include "link/Identify.h"
#include "link/Transport.h"
#include "presentation/StatusRules.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

using presentation::Tab;

namespace {
constexpr int kWidthRunning = 13780;
constexpr int kWidthStopped = 13500;
} // namespace

void Monitor::OnTimerTick()
{
    if (closed_) return;
    auto& acq = s_.acq;
    if (acq.lowCurrentStandby == 0) {
        if (acquisition::KeepAliveDue(acq)) proto_.SendKeepAlive();
        const link::Identification id = link::IdentifyController(proto_.device());
        acq.boardRecognised = id.recognised;
        acq.identification = id.text;
        form_.Label_IDstring->setCaption(QString::fromStdString(id.text));
    }
    if (acq.boardRecognised == 0) {
        acq.continuousActive = 0;
        unload(CloseReason::BoardLost);
        return;
    }
    if (acq.continuousActive == 1) ContinuousStep();
    s_.tabs.ShowReadConfigTab(s_.config.configChanged == 1);
    PaintProgressTabs();
    acquisition::KeepAliveDisplay(acq, s_.images, last(), s_.config.boards[static_cast<std::size_t>(current())].cdc);
    PaintKeepAlive();
}

void Monitor::OnCommandButton(int index)
{
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
        if (form_.Command1[6]->isEnabled()) {
            s_.tabs.setState(Tab::ConfigRead, presentation::kTabArmed);
            focusCommand(6);
        }
        if (acq.continuousActive == 0) acquisition::EvaluateKeepAlive(acq, s_.images, last());
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

void Monitor::closeOpenPollFrame()
{
    if (s_.acq.openPoll != 1) return;
    link::ClosePollFrame(proto_.device());
    s_.acq.openPoll = 0;
}

void Monitor::afterCommandColumnClick()
{
    s_.tabs.SettleAfterCommandColumn(last());
    PaintProgressTabs();
    ShowLegend();
}

void Monitor::startCells(protocol::CellStartKind kind, const std::string& selector, bool dccLamp)
{
    proto_.StartCellConversion(kind, selector);
    ClearMeasurementTexts(true, false);
    presentation::ClearCellStatusCodes(s_.status, last());
    RefreshStatusDisplay();
    setDccLamp(dccLamp ? colour::kLightBlue : colour::kWhite);
}

void Monitor::setDccLamp(int colourNumber) { form_.Shape13->setFillColor(colourNumber); }

void Monitor::setCommandColumnEnabled(bool enabled)
{
    for (int i : {2, 3, 7, 4, 9, 8}) form_.Command1[static_cast<std::size_t>(i)]->setEnabled(enabled);
    if (enabled) form_.Command1[6]->setEnabled(true);
    for (auto* b : form_.Command3) b->setEnabled(enabled);
    for (auto* b : form_.Command8) b->setEnabled(enabled);
    for (auto* o : form_.Option2) o->setEnabled(enabled);
    for (auto* b : form_.Command5) b->setEnabled(enabled);
}

void Monitor::ToggleContinuous()
{
    auto& acq = s_.acq;
    s_.tabs.ResetForCycle(last());
    PaintProgressTabs();
    acq.continuousActive = static_cast<std::int16_t>(acq.continuousActive + 1);
    if (acq.continuousActive == 2) acq.continuousActive = 0;

    if (acq.continuousActive == 1) {
        form_.Command1[10]->setCaption(QStringLiteral("STOP  CONTINUOUS READ CELLS"));
        form_.Shape3->setFillColor(colour::kGreen);
        acq.cycleStep = 0;
        setCommandColumnEnabled(false);
        setDccLamp(colour::kWhite);
        form_.Command1[6]->setEnabled(true);
        OnCommandButton(6);
        ClearMeasurementTexts(true, true);
        s_.panel.lastKind = protocol::kPanelNone;
        protocol::ResetTransferPanel(s_.panel, last());
        PaintTransferPanel();
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), s_.cellGroupCode());
        RefreshStatusDisplay();
        acq.keepAliveActive = 0;
        paintWindowWidth(kWidthRunning);
    } else {
        form_.Command1[10]->setCaption(QStringLiteral("START CONTINUOUS READ CELLS"));
        form_.Shape3->setFillColor(colour::kRed);
        setCommandColumnEnabled(true);
        for (int b = 0; b <= last(); ++b) s_.images.cellValid[static_cast<std::size_t>(b)] = 0;
        acquisition::EvaluateKeepAlive(acq, s_.images, last());
        paintWindowWidth(kWidthStopped);
    }
}

void Monitor::ContinuousStep()
{
    auto& acq = s_.acq;
    const int group = s_.cellGroupCode();
    switch (acq.cycleStep) {
    case 0:
        proto_.StartCellConversion(acq.continuousStart, acq.cellSelector);
        link::TransactWriteOnly(proto_.device(), "");
        acq.cellHexView = 0;
        proto_.ReadCellVoltages(group);
        // Every cell-voltage read gives the cells their mask, discharge and
        // soft codes; the flag rule below then lays the chips' flags over them.
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        presentation::HoldThermalShutdownCodes(s_.images, s_.status, last());
        break;
    case 1:
        proto_.StartTemperatureConversion(acq.temperatureSelector);
        acq.temperatureHexView = 0;
        proto_.ReadTemperatures();
        runThermalRule();
        break;
    default:
        proto_.ReadFlags();
        break;
    }
    acq.cycleStep = static_cast<std::int16_t>(acq.cycleStep + 1);
    if (acq.cycleStep >= 3) acq.cycleStep = 0;
    presentation::ApplyFlagRule(s_.images, s_.status, last(), group);
    RefreshStatusDisplay();
}

void Monitor::runThermalRule()
{
    const presentation::ThermalOutcome outcome = presentation::ApplyThermalRule(s_.images, s_.status, last());
    if (outcome.ReadBackNeeded()) proto_.ReadConfiguration(); // read-back display through the listener
    if (outcome.repaint || outcome.ReadBackNeeded()) RefreshStatusDisplay();
}

void Monitor::SelectContinuousStart(int index)
{
    if (index < 0 || index > 3) return;
    s_.acq.continuousStart = static_cast<protocol::CellStartKind>(index);
    form_.Command1[10]->setToolTip(QString::fromStdString(acquisition::ContinuousToolTip(index)));
}

void Monitor::SetContinuousStart(int index)
{
    if (index < 0 || index > 3) return;
    form_.OptionSTADC[static_cast<std::size_t>(index)]->setValue(true);
    SelectContinuousStart(index);
}

void Monitor::EnterLowCurrentStandby()
{
    auto ctx = configContext();
    form_.Check0[3]->setValue(0);
    const config::StandbyRefresh r = config::ApplyStandbyDefaults(ctx);
    ApplyCellCountLayout();
    PaintEditors(r.editors);
    PaintCdc(r.cdc);
    PaintThresholds(r.thresholds);
    OnCommandButton(5);
    OnCommandButton(6);
    s_.tabs.ResetForStandby(last());
    PaintProgressTabs();
    link::SendStandbyLines(proto_.device());
}

void Monitor::focusCommand(int index)
{
    auto* button = form_.Command1[static_cast<std::size_t>(index)];
    if (button && button->isEnabled() && button->isVisible()) button->setFocus();
}

void Monitor::paintWindowWidth(int twips) { form_.setWindowWidthTwips(twips); }

} // namespace qm::ui
