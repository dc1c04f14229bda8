#pragma once
// The main window: the Form with every control, and the monitor that handles
// its events, wired together.
#include <QObject>

#include "link/Device.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

class MainWindow : public QObject {
    Q_OBJECT
public:
    explicit MainWindow(link::Device& device);

    // Runs the window's load: identification, defaults, the first read-back.
    // False when no recognised controller board answered.
    bool start();
    void show() { form_.show(); }

    Form& form() { return form_; }
    Monitor& monitor() { return monitor_; }

private:
    void wire();

    Form form_;
    Monitor monitor_;
};

} // namespace qm::ui
