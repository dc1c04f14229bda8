// The "SELF TEST START A/D" panel: a start button converts with the self-test
// selector and arms the check, the matching hex-view read shows the raw codes
// of the current board and colours each one white (as expected) or red. And
// the "DIAGNOSTIC" panel, the two hold-discharge starts and the four-cell
// group reads of the "READ" panel.
#include "acquisition/CommandTexts.h"
#include "acquisition/Session.h"
#include "presentation/StatusRules.h"

namespace qm::acquisition {

using presentation::Tab;

void Session::SelectSelfTest(int index)
{
    if (index < 0 || index > 2) return;
    Scope scope(*this);
    s_.acq.selfTestSelector = SelfTestSelector(index);
    const auto tips = SelfTestToolTips(index);
    for (std::size_t i : {0u, 1u, 2u, 5u, 6u}) s_.view.commands.selfTestTips[i] = tips[i];
    s_.view.commands.selfTestOption = index;
    mark(kAreaCommands);
}

void Session::OnSelfTestButton(int index)
{
    if (index < 0 || index > 6 || closed_) return;
    Scope scope(*this);
    auto& acq = s_.acq;
    closeOpenPollFrame();
    switch (index) {
    case 0:
    case 1:
    case 5:
    case 6: {
        const auto kind = index == 0   ? protocol::CellStartKind::STCVAD
                          : index == 1 ? protocol::CellStartKind::STOWAD
                          : index == 5 ? protocol::CellStartKind::STCVDC
                                       : protocol::CellStartKind::STOWDC;
        proto_.StartCellConversion(kind, acq.selfTestSelector);
        for (auto& cell : s_.view.cells) cell.value = ValueBox{"0x000 ", colour::kWhite, colour::kBlack};
        mark(kAreaCells);
        presentation::ClearCellStatusCodes(s_.status, last());
        RefreshStatusDisplay();
        setDccLamp(index >= 5 ? colour::kLightBlue : colour::kWhite);
        acq.cellHexView = 1;
        s_.tabs.setState(Tab::CellRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabArmed);
        focus(FocusTarget::Array::Command5, 3);
        acq.cellSelfTestPending = -1;
        break;
    }
    case 2:
        proto_.StartTemperatureConversion(acq.selfTestSelector);
        acq.temperatureHexView = 1;
        for (auto& row : s_.view.temperatures) {
            row.value = ValueBox{" 0x000 ", colour::kWhite, colour::kBlack};
            row.graphic.fill(colour::kSysWindow);
        }
        mark(kAreaTemperatures);
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabArmed);
        focus(FocusTarget::Array::Command5, 4);
        acq.temperatureSelfTestPending = -1;
        break;
    case 3: {
        const int group = s_.cellGroupCode();
        proto_.ReadCellVoltages(group);
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        RefreshStatusDisplay();
        ShowCellCodes(group);
        if (acq.cellSelfTestPending == -1) CheckCellSelfTest();
        acq.cellHexView = 1;
        acq.cellSelfTestPending = 0;
        s_.tabs.setState(Tab::CellRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabSettle);
        focus(FocusTarget::Array::Command5, 0);
        break;
    }
    case 4:
        acq.temperatureHexView = 1;
        proto_.ReadTemperatures();
        runThermalRule();
        ShowTemperatureCodes();
        if (acq.temperatureSelfTestPending == -1) CheckTemperatureSelfTest();
        acq.temperatureSelfTestPending = 0;
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabSettle);
        focus(FocusTarget::Array::Command5, 2);
        break;
    default:
        return;
    }
    s_.tabs.SettleAfterSelfTest(last());
    mark(kAreaTabs);
    if (index == 3) ShowLegend();
}

void Session::CheckCellSelfTest()
{
    const std::string expected = ExpectedCellSelfTestText(s_.acq.selfTestSelector);
    for (auto& cell : s_.view.cells) cell.value.back = cell.value.text == expected ? colour::kWhite : colour::kRed;
    mark(kAreaCells);
}

void Session::CheckTemperatureSelfTest()
{
    const std::string expected = ExpectedTemperatureSelfTestText(s_.acq.selfTestSelector);
    for (auto& row : s_.view.temperatures) row.value.back = row.value.text == expected ? colour::kWhite : colour::kRed;
    mark(kAreaTemperatures);
}

void Session::ShowDiagnosticPanel(bool clear)
{
    s_.diagnosticsShown = !clear;
    const DiagnosticPanel panel = clear ? ClearDiagnostics() : ShowDiagnostics(s_.images, current());
    for (std::size_t i = 0; i < panel.size(); ++i) {
        ValueBox& field = s_.view.diagnostics.fields[i];
        field.text = panel[i].text;
        if (panel[i].back) field.back = *panel[i].back;
        if (panel[i].fore) field.fore = *panel[i].fore;
    }
    mark(kAreaDiagnostics);
}

void Session::OnDiagnosticButton(int index)
{
    if (index < 0 || index > 1 || closed_) return;
    Scope scope(*this);
    closeOpenPollFrame();
    if (index == 0) {
        proto_.StartDiagnostic(); // empties the diagnostic fields through the listener
        s_.tabs.setState(Tab::DiagnosticRead, presentation::kTabArmed);
        focus(FocusTarget::Array::Command7, 1);
    } else {
        proto_.ReadDiagnostics(); // shows the current board's fields through the listener
        s_.tabs.setState(Tab::DiagnosticRead, presentation::kTabSettle);
        focus(FocusTarget::Array::Command7, 0);
    }
    s_.tabs.SettleAfterDiagnostic(last());
    mark(kAreaTabs);
}

void Session::OnHoldDischargeStart(int index)
{
    if (index < 0 || index > 1 || closed_) return;
    Scope scope(*this);
    auto& acq = s_.acq;
    closeOpenPollFrame();
    startCells(index == 0 ? protocol::CellStartKind::STCVDC : protocol::CellStartKind::STOWDC, acq.cellSelector, true);
    acq.cellSelfTestPending = 0;
    s_.tabs.setState(Tab::CellRead, presentation::kTabArmed);
    s_.tabs.setState(Tab::CellHexRead, presentation::kTabArmed);
    s_.tabs.SettleAfterCommandColumn(last());
    mark(kAreaTabs);
    setDccLamp(colour::kLightBlue);
    focusCommand(7);
}

void Session::OnReadCellGroup(int index)
{
    int group = 0;
    switch (index) {
    case 0: group = 2; break;
    case 1: group = 3; break;
    case 2: group = s_.cellGroupCode() == 1 ? 5 : 4; break;
    default: return;
    }
    if (closed_) return;
    Scope scope(*this);
    closeOpenPollFrame();
    proto_.ReadCellVoltages(group);
    presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
    RefreshStatusDisplay();
    s_.acq.cellHexView = 0;
    ShowLegend();
}

} // namespace qm::acquisition
