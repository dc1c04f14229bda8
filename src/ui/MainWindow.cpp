#include "ui/MainWindow.h"

#include <QAction>
#include <QTimer>

namespace qm::ui {

MainWindow::MainWindow(link::Device& device) : form_(), monitor_(form_, device) { wire(); }

bool MainWindow::start() { return monitor_.OnLoad(); }

void MainWindow::wire()
{
    Monitor* m = &monitor_;
    const auto onClick = [this](auto& array, auto handler) {
        for (auto* control : array)
            if (control)
                connect(control, &std::remove_pointer_t<std::decay_t<decltype(control)>>::operatorClicked, this, handler);
    };

    onClick(form_.Command0, [m](int i) { m->OnCdcArrow(i); });
    onClick(form_.Command1, [m](int i) { m->OnCommandButton(i); });
    onClick(form_.Command3, [m](int i) { m->OnHoldDischargeStart(i); });
    onClick(form_.Command4, [m](int i) { m->OnBoardFocus(i); });
    onClick(form_.Command5, [m](int i) { m->OnSelfTestButton(i); });
    onClick(form_.Command7, [m](int i) { m->OnDiagnosticButton(i); });
    onClick(form_.Command8, [m](int i) { m->OnReadCellGroup(i); });

    onClick(form_.Check0, [m](int i) { m->OnCfgr0Box(i); });
    onClick(form_.Check1, [m](int i) { m->OnRegisterBox(1, i); });
    onClick(form_.Check2, [m](int i) { m->OnRegisterBox(2, i); });
    onClick(form_.Check3, [m](int i) { m->OnRegisterBox(3, i); });
    onClick(form_.Check6, [m](int i) { m->OnCellSelectBox(i); });
    onClick(form_.Check7, [m](int i) { m->OnTemperatureSelectBox(i); });

    onClick(form_.Option1, [m](int i) { m->OnThresholdOption(i); });
    onClick(form_.Option2, [m](int i) { m->SelectSelfTest(i); });
    onClick(form_.Option3, [m](int i) { m->OnCfgr0Option(i); });
    onClick(form_.OptionSTADC, [m](int i) { m->SelectContinuousStart(i); });

    connect(form_.Combo1, &ComboBox::operatorClicked, this, [m](int) { m->OnBoardCountChosen(); });

    for (auto* box : form_.Text2) {
        connect(box, &TextBox::focusEntered, this, [m](int i) { m->OnThresholdFocusIn(i); });
        connect(box, &TextBox::focusLeft, this, [m](int i) { m->OnThresholdFocusOut(i); });
        box->setKeyFilter([m](int i, int key) { return m->OnThresholdKey(i, key); });
    }

    connect(form_.Timer1, &QTimer::timeout, this, [m] { m->OnTimerTick(); });
    connect(form_.mnuExit, &QAction::triggered, this, [m] { m->OnExit(); });
}

} // namespace qm::ui
