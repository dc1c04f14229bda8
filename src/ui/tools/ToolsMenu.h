#pragma once
// The window's "Tools" menu, after "Datalog" (object name "mnuTools", its item
// "mnuDischargeCheck"): "Discharge Check..." opens the discharge check dialog,
// which the display's hook keeps painted. It lives as long as the Form.
#include <QObject>

class QAction;
class QMenu;

namespace qm::acquisition {
class Session;
}

namespace qm::ui {

class Form;
class FormDisplay;
class DischargeCheckDialog;

class ToolsMenu : public QObject {
    Q_OBJECT
public:
    // The display goes before the Form, so the hook set here is never called
    // after the menu has gone.
    ToolsMenu(Form& form, FormDisplay& display, acquisition::Session& session);

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

} // namespace qm::ui
