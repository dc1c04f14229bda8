// Start-up and exit: identify the controller board, reset every image, editor
// and display to its defaults, and read the chain's configuration back once.
#include "acquisition/KeepAlive.h"
#include "config/ConfigModel.h"
#include "link/Identify.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

#include <QTimer>

namespace qm::ui {

bool Monitor::OnLoad()
{
    auto& acq = s_.acq;
    const link::Identification id = link::IdentifyController(proto_.device());
    acq.boardRecognised = id.recognised;
    acq.identification = id.text;
    form_.Label_IDstring->setCaption(QString::fromStdString(id.text));
    if (acq.boardRecognised != -1) {
        unload(CloseReason::NoBoardAtStart);
        return false;
    }
    form_.Timer1->start();
    form_.move(0, 0);

    // Defaults of the window and of every image and editor.
    form_.setWindowWidthTwips(Form::kDesignWidthTwips);
    form_.setWindowHeightTwips(Form::kDesignHeightTwips);
    form_.Label_KA[1]->setLeft(430);
    form_.Label_KA[1]->setTop(344);
    acq.indication.messageCaption = acquisition::PollText();
    acq.indication.messageVisible = false;
    PaintKeepAlive();
    BorderWidthLocalCells();
    acq.continuousActive = 0;
    acq.keepAliveActive = 0;
    s_.panel.lastKind = protocol::kPanelNone;
    s_.chain = protocol::ChainSelection{};
    form_.Combo1->setListIndex(0);
    paintBoardColumns();
    setBoardCaptions();
    paintFocusAnimation(); // board buttons back in their slots, board 1 focused
    s_.tabs.ResetForStartup(last());
    PaintProgressTabs();
    PaintDiagnostics(true);

    s_.images = protocol::RegisterImages{}; // every image, received byte and verdict zero
    config::ResetConfiguration(s_.images, s_.config);
    RefreshCdcTable();
    LoadEditors();
    RefreshThresholds();
    s_.status = presentation::PresentationState{};
    for (auto* t : form_.Text5) t->setCaption(QString());
    for (auto* t : form_.Text7) t->setCaption(QString());
    RefreshConfigurationDisplay();
    for (Control* c : {static_cast<Control*>(form_.Text3), static_cast<Control*>(form_.Text15)}) {
        c->setForeColor(colour::kDarkCyan);
        c->setBackColor(colour::kLightGrey);
    }
    s_.images.written[0][0].clear();
    acq.continuousStart = protocol::CellStartKind::STCVAD;
    SetContinuousStart(0);

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

void Monitor::OnExit() { unload(CloseReason::Exit); }

} // namespace qm::ui
