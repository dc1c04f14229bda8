#pragma once
// The main window: the Form with every control, the display that paints it
// and the session that runs the tool, wired together. Every operator action
// on a control and every Timer1 tick becomes one session call, with what the
// operator entered as its arguments.
#include <QObject>

#include <memory>
#include <string>

#include "acquisition/Session.h"
#include "link/Device.h"
#include "ui/Form.h"
#include "ui/FormDisplay.h"
#include "ui/datalog/DatalogMenu.h"
#include "ui/files/ConfigFileMenu.h"
#include "ui/tools/ToolsMenu.h"

namespace qm::ui {

class MainWindow : public QObject {
    Q_OBJECT
public:
    explicit MainWindow(link::Device& device);

    // Runs the window's load: identification, defaults, the first read-back.
    // False when no recognised controller board answered.
    bool start() { return session_.OnLoad(); }
    void show() { form_.show(); }

    Form& form() { return form_; }
    FormDisplay& display() { return display_; }
    acquisition::Session& session() { return session_; }
    DatalogMenu& datalog() { return *datalog_; }
    ConfigFileMenu& configFiles() { return *configFiles_; }
    ToolsMenu& tools() { return *tools_; }

private:
    void wire();
    std::string thresholdText(int box) const;
    bool thresholdKey(int box, int keyCode);
    void leaveThreshold(int box);

    Form form_;
    FormDisplay display_;
    acquisition::Session session_;
    std::unique_ptr<DatalogMenu> datalog_; // goes first: it may stop a recording on its way
    ConfigFileMenu* configFiles_; // owned by the Form
    ToolsMenu* tools_;            // owned by the Form
};

} // namespace qm::ui
