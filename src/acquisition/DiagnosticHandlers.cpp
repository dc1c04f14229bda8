// The "DIAGNOSTIC" panel, the two hold-discharge starts and the four-cell
// group reads of the "READ" panel.
#include "presentation/StatusRules.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

using presentation::Tab;

void Monitor::OnDiagnosticButton(int index)
{
    if (index < 0 || index > 1) return;
    closeOpenPollFrame();
    if (index == 0) {
        proto_.StartDiagnostic(); // empties the diagnostic fields through the listener
        s_.tabs.setState(Tab::DiagnosticRead, presentation::kTabArmed);
        form_.Command7[1]->setFocus();
    } else {
        proto_.ReadDiagnostics(); // shows the current board's fields through the listener
        s_.tabs.setState(Tab::DiagnosticRead, presentation::kTabSettle);
        form_.Command7[0]->setFocus();
    }
    s_.tabs.SettleAfterDiagnostic(last());
    PaintProgressTabs();
}

void Monitor::OnHoldDischargeStart(int index)
{
    if (index < 0 || index > 1) return;
    auto& acq = s_.acq;
    closeOpenPollFrame();
    startCells(index == 0 ? protocol::CellStartKind::STCVDC : protocol::CellStartKind::STOWDC, acq.cellSelector, true);
    acq.cellSelfTestPending = 0;
    s_.tabs.setState(Tab::CellRead, presentation::kTabArmed);
    s_.tabs.setState(Tab::CellHexRead, presentation::kTabArmed);
    s_.tabs.SettleAfterCommandColumn(last());
    PaintProgressTabs();
    setDccLamp(colour::kLightBlue);
    focusCommand(7);
}

void Monitor::OnReadCellGroup(int index)
{
    int group = 0;
    switch (index) {
    case 0: group = 2; break;
    case 1: group = 3; break;
    case 2: group = s_.cellGroupCode() == 1 ? 5 : 4; break;
    default: return;
    }
    closeOpenPollFrame();
    proto_.ReadCellVoltages(group);
    presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
    RefreshStatusDisplay();
    s_.acq.cellHexView = 0;
    ShowLegend();
}

} // namespace qm::ui
