#include "ui/Monitor.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "protocol/Colours.h"
#include "ui/Form.h"

namespace qm::ui {

Monitor::Monitor(Form& form, link::Device& device) : form_(form), proto_(device, s_.images, s_.panel, s_.chain)
{
    proto_.setListener(this);
    showMessage = [this](const std::string& text) {
        // The box runs its own event loop and Timer1 keeps ticking in it: the
        // keep-alive must go on servicing the chips' watchdog, and a lost
        // board must still close the window. The handler that shows a box
        // repaints from the state as it is once the box has been closed.
        QMessageBox::information(&form_, form_.windowTitle(), QString::fromStdString(text), QMessageBox::Ok);
    };
    closeWindow = [this](CloseReason) {
        // A message box still waiting for OK goes with the window.
        if (QWidget* box = QApplication::activeModalWidget(); box && box != &form_) box->close();
        form_.close();
    };
}

void Monitor::unload(CloseReason reason)
{
    if (closed_) return;
    closed_ = true;
    closeReason_ = reason;
    form_.Timer1->stop();
    if (closeWindow) closeWindow(reason);
}

void Monitor::transferShown() { PaintTransferPanel(); }

void Monitor::configurationRead()
{
    RefreshReadBackDisplay();
    ShowReadBackMarks();
}

void Monitor::flagsRead() { ShowFlagTexts(); }

void Monitor::temperaturesRead() { RefreshTemperatures(); }

void Monitor::cellVoltagesRead(int groupCode) { RefreshCellValues(groupCode); }

void Monitor::diagnosticsRead() { PaintDiagnostics(false); }

void Monitor::diagnosticsCleared() { PaintDiagnostics(true); }

void Monitor::configurationWritten()
{
    // The editors coloured the fields while a change was pending.
    for (auto* t : form_.Text4) {
        t->setBackColor(colour::kWhite);
        t->setForeColor(colour::kSysWindowText);
    }
    for (Control* c : {static_cast<Control*>(form_.Text3), static_cast<Control*>(form_.Text15),
                       static_cast<Control*>(form_.Text2[0]), static_cast<Control*>(form_.Text2[1])})
        c->setForeColor(colour::kSysWindowText);
    for (Control* c : {static_cast<Control*>(form_.Text3), static_cast<Control*>(form_.Text15),
                       static_cast<Control*>(form_.Text2[0]), static_cast<Control*>(form_.Text2[1])})
        c->setBackColor(colour::kWhite);
    RefreshReadBackDisplay();
}

} // namespace qm::ui
