#pragma once
// The monitor: every event of the window (load, timer tick, operator actions)
// and the procedures they run. It owns the one state object of the tool and
// the chain protocol, and paints the Form from that state.
//
// The handlers are spread over the subsystems they belong to:
//   acquisition/CommandColumnHandlers.cpp  command column, timer, continuous cycle, standby
//   acquisition/SelfTestHandlers.cpp       self-test panel
//   acquisition/DiagnosticHandlers.cpp     diagnostics, hold-discharge starts, group reads
//   config/EditorHandlers.cpp              register boxes, options, duty cycle, thresholds
//   ui/BoardHandlers.cpp                   board count and board focus
//   ui/StartupHandlers.cpp                 start-up and exit
// and the views that paint the Form from the state:
//   presentation/CellView.cpp, presentation/StatusView.cpp, presentation/ProgressView.cpp,
//   config/ConfigView.cpp, protocol/TransferPanelView.cpp, acquisition/AcquisitionView.cpp
#include <functional>
#include <string>

#include "acquisition/AcquisitionState.h"
#include "config/ConfigModel.h"
#include "config/OptionState.h"
#include "link/Device.h"
#include "presentation/ProgressTabs.h"
#include "presentation/StatusRules.h"
#include "protocol/ChainProtocol.h"

namespace qm::ui {

class Form;

// Everything the tool knows, in one place. Each part belongs to its subsystem.
struct AppState {
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain;
    presentation::PresentationState status;
    presentation::ProgressTabs tabs;
    config::ConfigState config;
    acquisition::AcquisitionState acq;
    // The cell group code of the last cell-value view, for the repaint when
    // the current board changes.
    int lastCellGroup = 0;
    // Whether the diagnostic fields last showed a read (true) or were emptied.
    bool diagnosticsShown = false;
    // The command-column button the focus was last moved to (-1: none yet).
    int focusedCommand = -1;

    // The cell group code the reads use: ten cells once a configuration with
    // the 10-cell bit was written (the chips follow their own bit), else twelve.
    int cellGroupCode() const { return images.writtenTenCellFlag == 1 ? 1 : 0; }
};

// Why the window closed.
enum class CloseReason { None, Exit, NoBoardAtStart, BoardLost };

class Monitor : public protocol::ProtocolListener {
public:
    Monitor(Form& form, link::Device& device);

    AppState& state() { return s_; }
    const AppState& state() const { return s_; }
    Form& form() { return form_; }
    protocol::ChainProtocol& protocol() { return proto_; }

    // Seams: a message box with only OK and the application's title, and the
    // unloading of the window. Tests replace both.
    std::function<void(const std::string& text)> showMessage;
    std::function<void(CloseReason)> closeWindow;
    CloseReason closeReason() const { return closeReason_; }

    // ---- Start-up and exit --------------------------------------------------
    // Returns false when no recognised controller board answered (the window
    // has then been closed).
    bool OnLoad();
    void OnExit();

    // ---- Timer and command column ------------------------------------------
    void OnTimerTick();
    void OnCommandButton(int index);
    void ToggleContinuous();
    void ContinuousStep();
    void SelectContinuousStart(int index);
    void SetContinuousStart(int index);
    void EnterLowCurrentStandby();

    // ---- Self test, diagnostics, hold-discharge starts, group reads ----------
    void SelectSelfTest(int index);
    void OnSelfTestButton(int index);
    void CheckCellSelfTest();
    void CheckTemperatureSelfTest();
    void OnDiagnosticButton(int index);
    void OnHoldDischargeStart(int index);
    void OnReadCellGroup(int index);

    // ---- Configuration editors ----------------------------------------------
    void OnCfgr0Box(int bit);             // Check0, operator click (elements 3..7)
    void OnRegisterBox(int array, int bit); // Check1..Check3
    void OnCfgr0Option(int element);      // Option3
    void OnThresholdOption(int element);  // Option1
    void OnCdcArrow(int index);           // Command0
    void OnThresholdFocusIn(int box);
    bool OnThresholdKey(int box, int keyCode);
    void OnThresholdFocusOut(int box);

    // ---- Cell and temperature selection --------------------------------------
    void OnCellSelectBox(int index);        // Check6
    void OnTemperatureSelectBox(int index); // Check7

    // ---- Board count and focus -------------------------------------------------
    void OnBoardCountChosen();
    void OnBoardFocus(int index);

    // ---- Views: paint the Form from the state ----------------------------------
    void RefreshStatusDisplay();
    void RefreshCellValues(int groupCode);
    void RefreshTemperatures();
    void ShowFlagTexts();
    void ShowCellCodes(int groupCode);
    void ShowTemperatureCodes();
    void ClearMeasurementTexts(bool cells, bool temperatures);
    void ApplyCellSelection();
    void ClearCellSelection();
    void ApplyTemperatureSelection();
    void ClearTemperatureSelection();
    void ApplyCellCountLayout();
    void RefreshConfigurationDisplay();
    void RefreshReadBackDisplay();
    void ShowReadBackMarks();
    void LoadEditors();
    void RefreshThresholds();
    void RefreshCdcTable();
    void ShowLegend();
    void PaintTransferPanel();
    void PaintProgressTabs();
    void PaintKeepAlive();
    void PaintDiagnostics(bool clear);
    void PaintTemperatureGraphics();
    void BorderWidthLocalCells();
    void ShowWriteButtonLook(const config::ConfigDisplay& display);
    void PaintConfigDisplay(const config::ConfigDisplay& display);
    void PaintCdc(const config::CdcDisplay& display);
    void PaintThresholds(const config::ThresholdDisplay& display);
    void PaintOptionRefresh(const config::OptionRefresh& refresh);
    void PaintEditors(const std::array<config::Boxes, 4>& editors);

    // ---- ProtocolListener: what the chain commands hand over to -----------------
    void transferShown() override;
    void configurationRead() override;
    void flagsRead() override;
    void temperaturesRead() override;
    void cellVoltagesRead(int groupCode) override;
    void diagnosticsRead() override;
    void diagnosticsCleared() override;
    void configurationWritten() override;

private:
    config::ConfigContext configContext();
    int last() const { return s_.chain.lastBoardIndex; }
    int current() const { return s_.chain.currentBoard; }
    void unload(CloseReason reason);
    // "POLL ADC" and "POLL  INT" leave their frame open; anything sent into it
    // would be clocked as part of the poll and never reach the chips, so every
    // button that sends closes it first.
    void closeOpenPollFrame();
    void focusCommand(int index);
    void setCommandColumnEnabled(bool enabled);
    void runThermalRule();
    void afterCommandColumnClick();
    void startCells(protocol::CellStartKind kind, const std::string& selector, bool dccLamp);
    void setDccLamp(int colour);
    void paintWindowWidth(int twips);
    void paintBoardColumns();
    void paintFocusAnimation();
    void setBoardCaptions();
    std::string thresholdText(int box) const;

    Form& form_;
    AppState s_;
    protocol::ChainProtocol proto_;
    CloseReason closeReason_ = CloseReason::None;
    bool closed_ = false;
    bool suppressFocusLeave_ = false;
};

} // namespace qm::ui
