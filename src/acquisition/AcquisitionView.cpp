// Paints the keep-alive indication and the diagnostic result fields.
#include "acquisition/CommandTexts.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

void Monitor::PaintKeepAlive()
{
    const acquisition::KeepAliveIndication& ind = s_.acq.indication;
    Label* message = form_.Label_KA[1];
    message->setCaption(QString::fromStdString(ind.messageCaption));
    message->setBackColor(ind.messageBack);
    if (ind.messageFontSize > 0) message->setFontSize(ind.messageFontSize);
    message->setVisible(ind.messageVisible);
    form_.Label_KA[0]->setVisible(ind.wdtServiceVisible);
    form_.Shape_KA->setVisible(ind.wdtServiceVisible);
    form_.Command1[0]->setLeft(ind.pollButtonLeft);
    form_.Command1[0]->setWidth(ind.pollButtonWidth);
}

void Monitor::PaintDiagnostics(bool clear)
{
    s_.diagnosticsShown = !clear;
    const acquisition::DiagnosticPanel panel =
        clear ? acquisition::ClearDiagnostics() : acquisition::ShowDiagnostics(s_.images, current());
    for (std::size_t i = 0; i < panel.size(); ++i) {
        TextBox* box = form_.Text14[i];
        box->setCaption(QString::fromStdString(panel[i].text));
        if (panel[i].back) box->setBackColor(*panel[i].back);
        if (panel[i].fore) box->setForeColor(*panel[i].fore);
    }
}

} // namespace qm::ui
