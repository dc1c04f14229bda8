// Paints the "PACKET ERROR CODE " panel and the per-board ovals from the
// transfer panel content.
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

void Monitor::PaintTransferPanel()
{
    const protocol::TransferPanel& p = s_.panel;
    form_.Label25->setCaption(QString::fromStdString(p.direction));
    form_.Label8[2]->setCaption(QString::fromStdString(p.headerTop));
    form_.Label8[0]->setCaption(QString::fromStdString(p.headerBottom));
    form_.Label8[1]->setCaption(QString::fromStdString(p.caption));
    form_.Text8->setCaption(QString::fromStdString(p.value));
    form_.Text8->setBackColor(p.valueBack);
    for (std::size_t b = 0; b < form_.Shape12.size(); ++b) form_.Shape12[b]->setFillColor(p.ovalFill[b]);
}

} // namespace qm::ui
