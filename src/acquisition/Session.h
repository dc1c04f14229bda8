#pragma once
// The acquisition session: every procedure of the tool, run against the chain
// through the controller board, deciding what the window shows.
//
// It owns the application state and the chain protocol, and runs each event
// that enters the tool: the window's load, the 100 ms timer tick and the
// operator's actions, which arrive as calls with the operator's input as
// arguments. It tells the window what to show only through its Display, and
// asks it nothing. The window, the command-line tool and the tests all drive
// the same session.
//
// The procedures are spread over the files of their subsystem:
//   Session.cpp           start-up, exit, painting, the protocol's hand-overs
//   SessionCommands.cpp   timer tick, command column, continuous cycle, standby
//   SessionSelfTest.cpp   self test, diagnostics, hold-discharge starts, group reads
//   SessionEditors.cpp    configuration editors, thresholds, duty cycle
//   SessionCells.cpp      cell, temperature, flag and status views, selections, layout
//   SessionBoards.cpp     board count and board focus
//   SessionDischargeCheck.cpp  the discharge check, advanced by the timer ticks
//   SessionConfigFile.cpp configurations loaded from and saved to files
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "acquisition/AppState.h"
#include "acquisition/DischargeCheck.h"
#include "acquisition/Display.h"
#include "acquisition/Recorder.h"
#include "config/ConfigFile.h"
#include "config/OptionState.h"
#include "config/Thresholds.h"
#include "link/Device.h"
#include "protocol/ChainProtocol.h"

namespace qm::acquisition {

class Session : private protocol::ProtocolListener {
public:
    Session(link::Device& device, Display& display);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // A discharge check still running when the session ends (the program
    // exits) has its discharge bits cleared and the configuration put back.
    ~Session();

    const AppState& state() const { return s_; }
    const View& view() const { return s_.view; }
    protocol::ChainProtocol& protocol() { return proto_; }
    link::Device& device() { return proto_.device(); }
    bool closed() const { return closed_; }
    CloseReason closeReason() const { return closeReason_; }

    // ---- Start-up and exit ---------------------------------------------------
    // Identification, defaults of every image, editor and display, one read of
    // the chain's configuration. False when no recognised controller board
    // answered (the window has then been closed).
    bool OnLoad();
    void OnExit();

    // ---- Timer and command column -------------------------------------------
    void OnTimerTick();
    void OnCommandButton(int index);
    void ToggleContinuous();
    void SelectContinuousStart(int index);

    // ---- Self test, diagnostics, hold-discharge starts, group reads -----------
    void SelectSelfTest(int index);
    void OnSelfTestButton(int index);
    void OnDiagnosticButton(int index);
    void OnHoldDischargeStart(int index);
    void OnReadCellGroup(int index);

    // ---- Configuration editors -------------------------------------------------
    // The threshold texts are what the two boxes show at the moment of the
    // action; the forms without them take the texts the session last showed.
    void OnCfgr0Box(int bit, bool ticked);              // Check0 (operator: elements 3..7)
    void OnRegisterBox(int array, int bit, bool ticked); // Check1..Check3
    void OnCfgr0Option(int element, const std::string& vuvText, const std::string& vovText);
    void OnThresholdOption(int element, const std::string& vuvText, const std::string& vovText);
    void OnCdcArrow(int index, const std::string& vuvText, const std::string& vovText);
    void OnCfgr0Option(int element);
    void OnThresholdOption(int element);
    void OnCdcArrow(int index);
    void OnThresholdFocusIn(int box);
    // A key typed at the caret of a threshold box holding text: the box takes
    // the pending look; the decision says whether the key is taken, the
    // trimmed text, and whether the focus moves on to "WRITE CONFIG".
    config::KeyDecision OnThresholdKey(int box, const std::string& text, int caret, char32_t key);
    void OnThresholdFocusOut(int box, const std::string& vuvText, const std::string& vovText);
    // The operator clicks into a box, types text and leaves it.
    void EnterThreshold(int box, const std::string& text);

    // ---- Cell and temperature selection ----------------------------------------
    void OnCellSelectBox(int index, bool ticked);        // Check6
    void OnTemperatureSelectBox(int index, bool ticked); // Check7

    // ---- Board count and focus -----------------------------------------------------
    void OnBoardCountChosen(int position); // position 0..9 in the list: 1..10 boards
    void OnBoardFocus(int index);

    // ---- Configuration files ------------------------------------------------------
    // Fills the pending configuration from a configuration file's boards as
    // typing them into the editors would: nothing is written until
    // "WRITE CONFIG"; the editors, duty cycle and threshold boxes show the
    // current board's values and the fields that differ from the written
    // copy take the changed look.
    //  - A configuration of more boards than the stack makes the board count
    //    the configuration's, as choosing it in the list does. Boards on the
    //    stack beyond the configuration keep their discharge and mask bits.
    //  - Boards whose CFGR0 differ switch the CFGR0 option to custom, boards
    //    whose thresholds differ the threshold option, so that the write sends
    //    each board its own values (a global mode would send the current
    //    board's). While a mode stays global, every board on the stack takes
    //    the configuration's value, as typing it in that mode does.
    //  - The 10-cell mode is one box for the whole stack: a configuration
    //    whose boards differ in it is refused.
    // Returns why the configuration was refused, in the configuration file's
    // terms (nothing changed and nothing was sent then); empty when loaded.
    std::string LoadConfiguration(const config::StackConfiguration& configuration);
    // The configuration to save: what "WRITE CONFIG" would send now, that is
    // the pending registers of boards 1..board count with the global modes
    // applied (each board as the editors show it when it is the current one).
    config::StackConfiguration CurrentConfiguration() const;

    // ---- Datalog ----------------------------------------------------------------------
    // Records every continuous-cycle pass into the setup's file, starting the
    // cycle when it does not run. False, with recordingError() saying why,
    // when the file cannot be written; nothing changes then.
    bool StartRecording(const RecordingSetup& setup);
    void StopRecording(const std::string& reason = "stopped by the operator");
    const std::string& recordingError() const { return recorder_.error(); }

    // ---- Discharge check -------------------------------------------------------------
    // Starts the check of the plan's boards and cells; every following timer
    // tick advances it, so nothing waits out a settling time. False, with the
    // reason in view().dischargeCheck.refusal, when it cannot start: a board
    // without a measuring configuration written (CDC 0), in thermal shutdown
    // or not holding what was written, the continuous cycle running, a bad
    // plan. Progress and result are in view().dischargeCheck.
    //
    // While it runs the check owns the chips' configuration: it addresses the
    // boards it started with whatever the board count becomes, closes an open
    // poll frame before its commands, and stops (putting the configuration
    // back) when something else writes the configuration. The window keeps
    // the operator out meanwhile.
    bool StartDischargeCheck(const DischargeCheckPlan& plan);
    // Stops at once: discharge bits cleared, the configuration from before
    // the check written back, read back and compared.
    void CancelDischargeCheck();
    bool dischargeCheckRunning() const { return s_.view.dischargeCheck.running; }

    // The clocks of the record times and the link health: the wall clock and a
    // steady one. Tests and replays set their own.
    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    using SteadyClock = std::function<protocol::HealthClock::time_point()>;
    void setClocks(WallClock wall, SteadyClock steady);

private:
    // Every procedure that enters the session from outside opens a scope; when
    // the outermost scope closes, what changed is painted.
    struct Scope {
        explicit Scope(Session& s) : session(s) { ++session.depth_; }
        ~Scope()
        {
            if (--session.depth_ == 0) session.flush();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        Session& session;
    };

    // ProtocolListener: what the chain commands hand over to.
    void transferShown() override;
    void configurationRead() override;
    void flagsRead() override;
    void temperaturesRead() override;
    void cellVoltagesRead(int groupCode) override;
    void diagnosticsRead() override;
    void diagnosticsCleared() override;
    void configurationWritten() override;

    // Painting: areas that changed are marked, and painted when the outermost
    // procedure returns (and before a message box opens).
    void mark(std::uint32_t areas) { dirty_ |= areas; }
    void flush();
    void message(const std::string& text);
    void unload(CloseReason reason);

    // Command column and cycle.
    void ContinuousStep();
    void EnterLowCurrentStandby();
    void closeOpenPollFrame();
    void focusCommand(int index);
    void focus(FocusTarget::Array array, int index);
    void setSingleCommandsEnabled(bool enabled);
    void runThermalRule();
    void afterCommandColumnClick();
    void startCells(protocol::CellStartKind kind, const std::string& selector, bool dccLamp);
    void setDccLamp(Colour colour);
    void identify();
    void recordPass();
    // The recorder's status onto the view.
    void showRecording();
    datalog::UtcTime utcNow() const;

    // Discharge check.
    enum class Held { Ok, PecFailed, Differs };
    void AdvanceDischargeCheck();
    void LoseDischargeCheck();
    void beginDischargeStep();
    void finishDischargeCheck(CheckOutcome outcome, const std::string& how);
    void touchDischargeView();
    void writeCheckConfiguration(const protocol::PerBoard<protocol::ConfigRegisters>& regs);
    std::vector<Held> readBackAgainst(const protocol::PerBoard<protocol::ConfigRegisters>& expected);
    // Writes regs and reads them back, again until every board holds them
    // (a frame may have been garbled on its way), attempts times at most.
    std::vector<Held> writeChecked(const protocol::PerBoard<protocol::ConfigRegisters>& regs, int attempts);
    // Per board of the check: what is wrong with its configuration ("" nothing).
    std::vector<std::string> configProblems(const std::vector<Held>& held,
                                            const protocol::PerBoard<protocol::ConfigRegisters>& expected,
                                            const std::string& when) const;
    void noteProblems(const std::vector<std::string>& problems);
    std::vector<std::vector<Reading>> readCheckCells(int count);

    // Self test.
    void CheckCellSelfTest();
    void CheckTemperatureSelfTest();
    void ShowDiagnosticPanel(bool clear);

    // Views of the cells, temperatures, flags and status.
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
    void ShowLegend();
    void PaintTemperatureGraphics();
    void paintCellPanel(int cell, bool on, int lastBoard);
    void paintTemperatureRow(int row, bool on);

    // Views of the configuration.
    config::ConfigContext configContext();
    void RefreshConfigurationDisplay();
    void RefreshReadBackDisplay();
    void ShowReadBackMarks();
    void LoadEditors();
    void RefreshThresholds();
    void RefreshCdcTable();
    void ShowWriteButtonLook(const config::ConfigDisplay& display);
    void ShowConfigDisplay(const config::ConfigDisplay& display);
    void ShowCdc(const config::CdcDisplay& display);
    void ShowThresholds(const config::ThresholdDisplay& display);
    void ShowOptionRefresh(const config::OptionRefresh& refresh);
    void ShowEditors(const std::array<config::Boxes, 4>& editors);
    void ShowReadBackRow(const config::ReadBackRow& row);

    int last() const { return s_.chain.lastBoardIndex; }
    int current() const { return s_.chain.currentBoard; }

    Display& display_;
    AppState s_;
    protocol::ChainProtocol proto_;
    Recorder recorder_;
    PassValidity passValidity_;
    bool skipPass_ = false; // the pass in progress when a recording started
    DischargeRun dcc_;
    WallClock wall_ = [] { return std::chrono::system_clock::now(); };
    SteadyClock steady_ = [] { return protocol::HealthClock::now(); };
    CloseReason closeReason_ = CloseReason::None;
    bool closed_ = false;
    bool leavingThreshold_ = false;
    std::uint32_t dirty_ = 0;
    int depth_ = 0; // procedures running; the outermost paints when it returns
};

} // namespace qm::acquisition
