#pragma once
// The window's "Tools" menu, after "Datalog": "Discharge Check..." opens the
// discharge check dialog. Installed by one call; it lives as long as the Form.
#include <QObject>

class QAction;
class QMenu;

namespace qm::acquisition {
class Session;
}

namespace qm::ui {

class Form;
class DischargeCheckDialog;

class ToolsMenu : public QObject {
    Q_OBJECT
public:
    ToolsMenu(Form& form, acquisition::Session& session);

    QMenu* menu() const { return menu_; }
    QAction* dischargeCheckAction() const { return dischargeCheck_; }
    // The dialog, once the operator has opened it (null before).
    DischargeCheckDialog* dischargeCheckDialog() const { return dialog_; }

    // What "Discharge Check..." does: the dialog, showing the session's state.
    void openDischargeCheck();

private:
    Form& form_;
    acquisition::Session& session_;
    QMenu* menu_;
    QAction* dischargeCheck_;
    DischargeCheckDialog* dialog_ = nullptr;
};

// Adds the menu to the window (object name "mnuTools", its item
// "mnuDischargeCheck") and keeps the dialog painted on every timer tick.
ToolsMenu* InstallToolsMenu(Form& form, acquisition::Session& session);

} // namespace qm::ui
