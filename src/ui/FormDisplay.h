#pragma once
// The window's display: copies the session's view onto the Form's controls,
// area by area, and decides nothing. Everything the Form shows that follows
// from the board count, the current board or the progress-tab states is drawn
// here from the application state.
#include <QString>

#include <functional>

#include "acquisition/Display.h"
#include "ui/Form.h"

namespace qm::ui {

class FormDisplay : public acquisition::Display {
public:
    explicit FormDisplay(Form& form);

    void paint(const acquisition::AppState& state, std::uint32_t areas) override;
    void moveFocus(acquisition::FocusTarget target) override;
    void showMessage(const std::string& text) override;
    void close(acquisition::CloseReason reason) override;

    // Tests may take the message boxes and the closing of the window instead
    // of the window's QMessageBox and close().
    std::function<void(const std::string&)> messageHook;
    std::function<void(acquisition::CloseReason)> closeHook;

    // Called with the recording status each time it is painted (the Datalog
    // menu paints its marker and its items from it).
    std::function<void(const acquisition::RecordingStatus&)> recordingHook;
    // Called each time the discharge check's progress or result is painted
    // (the Tools menu paints its dialog then).
    std::function<void()> dischargeCheckHook;

private:
    void paintCells(const acquisition::AppState& s);
    void paintTemperatures(const acquisition::AppState& s);
    void paintStatus(const acquisition::AppState& s);
    void paintLegend(const acquisition::AppState& s);
    void paintTransfer(const acquisition::AppState& s);
    void paintTabs(const acquisition::AppState& s);
    void paintKeepAlive(const acquisition::AppState& s);
    void paintDiagnostics(const acquisition::AppState& s);
    void paintConfig(const acquisition::AppState& s);
    void paintThresholds(const acquisition::AppState& s);
    void paintCommands(const acquisition::AppState& s);
    void paintBoards(const acquisition::AppState& s);
    void paintRecording(const acquisition::AppState& s);

    Form& form_;
    bool placed_ = false;
};

} // namespace qm::ui
