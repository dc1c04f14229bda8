// Board count and board focus: how many boards every chain command addresses
// and which board the panels show. The window draws the board buttons, the
// board tab, the grid columns and the focus animation from the chain selection.
#include "acquisition/Session.h"
#include "config/OptionState.h"
#include "presentation/DisplayContent.h"

namespace qm::acquisition {

void Session::OnBoardCountChosen(int position)
{
    if (closed_) return;
    Scope scope(*this);
    if (position >= 0 && position <= 9) s_.chain.lastBoardIndex = position;
    mark(kAreaBoards);
    ApplyCellCountLayout();
    if (current() > last()) OnBoardFocus(last());
    auto ctx = configContext();
    const auto texts = s_.view.config.thresholdTexts;
    ShowOptionRefresh(config::PropagateAndApply(ctx, texts[0], texts[1]));
    if (s_.view.selectedCell != 0) ApplyCellSelection();
    s_.tabs.HoldArmedTabs();
    OnCommandButton(6);
    s_.tabs.ReleaseHeldTabs();
    mark(kAreaTabs);
}

void Session::OnBoardFocus(int index)
{
    // Only boards on the stack can take the focus: the current board never
    // passes the last board index.
    if (index < 0 || index > last() || closed_) return;
    Scope scope(*this);
    s_.chain.currentBoard = index;
    mark(kAreaBoards);
    s_.tabs.ShowForCurrentBoard(current(), last());
    mark(kAreaTabs);

    // Every panel again, from the images of the new current board.
    if (s_.acq.cellHexView == 1) {
        ShowCellCodes(presentation::HexViewGroupAfterFocusChange(s_.images));
        if (s_.acq.cellSelfTestPending == -1) CheckCellSelfTest();
    } else {
        RefreshCellValues(s_.lastCellGroup);
    }
    ApplyCellCountLayout();
    auto ctx = configContext();
    const config::BoardFocusRefresh r =
        config::RefreshForCurrentBoard(ctx, s_.view.config.editors[0][config::kTenCellsBit]);
    ShowCdc(r.cdc);
    ShowEditors(r.editors);
    ShowThresholds(r.thresholds);
    ShowFlagTexts();
    if (s_.acq.temperatureHexView == 1) {
        ShowTemperatureCodes();
        if (s_.acq.temperatureSelfTestPending == -1) CheckTemperatureSelfTest();
    } else {
        RefreshTemperatures();
    }
    protocol::RedrawTransferPanel(s_.panel, s_.images, current(), last());
    mark(kAreaTransfer);
    s_.view.config.readBackBack = r.readBackMarks;
    ShowConfigDisplay(r.config);
    ShowReadBackRow(r.readBack);
    ShowDiagnosticPanel(!s_.diagnosticsShown);
    RefreshStatusDisplay();
}

} // namespace qm::acquisition
