#include "ui/MainWindow.h"

#include <QAction>
#include <QTimer>

namespace qm::ui {

MainWindow::MainWindow(link::Device& device)
    : form_(), display_(form_), session_(device, display_),
      datalog_(std::make_unique<DatalogMenu>(form_, display_, session_))
{
    wire();
    configFiles_ = new ConfigFileMenu(form_, display_, session_);
    tools_ = new ToolsMenu(form_, display_, session_);
}

std::string MainWindow::thresholdText(int box) const
{
    return form_.Text2[static_cast<std::size_t>(box)]->caption().toStdString();
}

bool MainWindow::thresholdKey(int box, int keyCode)
{
    if (box < 0 || box > 1 || keyCode < 0) return false;
    TextBox* text = form_.Text2[static_cast<std::size_t>(box)];
    const config::KeyDecision d =
        session_.OnThresholdKey(box, text->caption().toStdString(), text->selStart(), static_cast<char32_t>(keyCode));
    if (d.focusWriteConfig) {
        // The focus went to "WRITE CONFIG", and leaving the box ran the entry
        // check, which shows the stored value again; a window not on screen
        // moves no focus, so check it here.
        if (text->hasFocus() || !form_.isVisible()) leaveThreshold(box);
        return false;
    }
    // Only a text that had blanks to trim is rewritten: rewriting an unchanged
    // text would drop the operator's selection, so that a digit typed over a
    // selected number would be added to it instead of replacing it.
    const QString trimmed = QString::fromStdString(d.text);
    if (text->caption() != trimmed) {
        text->setCaption(trimmed);
        text->setSelStart(d.caret);
    }
    return d.accepted;
}

void MainWindow::leaveThreshold(int box) { session_.OnThresholdFocusOut(box, thresholdText(0), thresholdText(1)); }

void MainWindow::wire()
{
    acquisition::Session* s = &session_;
    const auto onClick = [this](auto& array, auto handler) {
        for (auto* control : array)
            if (control)
                connect(control, &std::remove_pointer_t<std::decay_t<decltype(control)>>::operatorClicked, this, handler);
    };
    // A check box's handler also gets whether the click left the box ticked.
    const auto onTick = [onClick](auto& array, auto handler) {
        onClick(array, [&array, handler](int i) { handler(i, array[static_cast<std::size_t>(i)]->isChecked()); });
    };

    onClick(form_.Command0, [this, s](int i) { s->OnCdcArrow(i, thresholdText(0), thresholdText(1)); });
    onClick(form_.Command1, [s](int i) { s->OnCommandButton(i); });
    onClick(form_.Command3, [s](int i) { s->OnHoldDischargeStart(i); });
    onClick(form_.Command4, [s](int i) { s->OnBoardFocus(i); });
    onClick(form_.Command5, [s](int i) { s->OnSelfTestButton(i); });
    onClick(form_.Command7, [s](int i) { s->OnDiagnosticButton(i); });
    onClick(form_.Command8, [s](int i) { s->OnReadCellGroup(i); });

    onTick(form_.Check0, [s](int i, bool on) { s->OnCfgr0Box(i, on); });
    onTick(form_.Check1, [s](int i, bool on) { s->OnRegisterBox(1, i, on); });
    onTick(form_.Check2, [s](int i, bool on) { s->OnRegisterBox(2, i, on); });
    onTick(form_.Check3, [s](int i, bool on) { s->OnRegisterBox(3, i, on); });
    onTick(form_.Check6, [s](int i, bool on) { s->OnCellSelectBox(i, on); });
    onTick(form_.Check7, [s](int i, bool on) { s->OnTemperatureSelectBox(i, on); });

    onClick(form_.Option1, [this, s](int i) { s->OnThresholdOption(i, thresholdText(0), thresholdText(1)); });
    onClick(form_.Option2, [s](int i) { s->SelectSelfTest(i); });
    onClick(form_.Option3, [this, s](int i) { s->OnCfgr0Option(i, thresholdText(0), thresholdText(1)); });
    onClick(form_.OptionSTADC, [s](int i) { s->SelectContinuousStart(i); });

    connect(form_.Combo1, &ComboBox::operatorClicked, this, [this, s](int) { s->OnBoardCountChosen(form_.Combo1->listIndex()); });

    for (auto* box : form_.Text2) {
        connect(box, &TextBox::focusEntered, this, [s](int i) { s->OnThresholdFocusIn(i); });
        connect(box, &TextBox::focusLeft, this, [this](int i) { leaveThreshold(i); });
        box->setKeyFilter([this](int i, int key) { return thresholdKey(i, key); });
    }

    connect(form_.Timer1, &QTimer::timeout, this, [s] { s->OnTimerTick(); });
    connect(form_.mnuExit, &QAction::triggered, this, [s] { s->OnExit(); });
}

} // namespace qm::ui
