// Paints the configuration editors from the configuration state: the pending
// and read-back register rows, the write button's look, the register boxes,
// the duty-cycle fields and the threshold boxes.
#include "acquisition/KeepAlive.h"
#include "config/BitEditors.h"
#include "config/ChangeIndication.h"
#include "config/DutyCycle.h"
#include "config/Thresholds.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

void ApplyLook(Control* c, const config::FieldLook& look)
{
    c->setForeColor(look.fore);
    c->setBackColor(look.back);
}
} // namespace

config::ConfigContext Monitor::configContext()
{
    return config::ConfigContext{s_.images, s_.config, current(), last()};
}

void Monitor::ShowWriteButtonLook(const config::ConfigDisplay& display)
{
    const config::WriteButtonLook& look = display.writeButton;
    CommandButton* write = form_.Command1[5];
    write->setCaption(Q(look.caption));
    write->setBounds(Bounds{look.left, look.top, look.width, look.height});
    form_.Shape14->setVisible(look.frameVisible);
}

void Monitor::PaintConfigDisplay(const config::ConfigDisplay& display)
{
    for (std::size_t k = 0; k < 6; ++k) {
        form_.Text4[k]->setCaption(Q(display.registerTexts[k]));
        ApplyLook(form_.Text4[k], display.registerLook);
    }
    ApplyLook(form_.Text3, display.cdcLook);
    ApplyLook(form_.Text15, display.cdcLook);
    ApplyLook(form_.Text2[0], display.vuvLook);
    ApplyLook(form_.Text2[1], display.vovLook);
    ShowWriteButtonLook(display);
}

void Monitor::RefreshConfigurationDisplay()
{
    auto ctx = configContext();
    PaintConfigDisplay(config::RefreshConfigurationDisplay(ctx));
}

void Monitor::RefreshReadBackDisplay()
{
    const config::ReadBackRow row = config::ReadBackTexts(s_.images, current());
    for (std::size_t k = 0; k < 6; ++k) {
        form_.Text5[k]->setCaption(Q(row.texts[k]));
        if (row.background) form_.Text5[k]->setBackColor(*row.background);
    }
}

void Monitor::ShowReadBackMarks()
{
    const auto marks = config::ReadBackMarks(s_.images, current());
    for (std::size_t k = 0; k < 6; ++k) form_.Text5[k]->setBackColor(marks[k]);
}

void Monitor::PaintEditors(const std::array<config::Boxes, 4>& editors)
{
    const std::array<std::array<CheckBox*, 8>*, 4> arrays{&form_.Check0, &form_.Check1, &form_.Check2, &form_.Check3};
    for (std::size_t a = 0; a < 4; ++a)
        for (std::size_t k = 0; k < 8; ++k) (*arrays[a])[k]->setValue(editors[a][k] ? 1 : 0);
}

void Monitor::LoadEditors()
{
    auto ctx = configContext();
    PaintEditors(config::LoadEditors(ctx));
}

void Monitor::PaintThresholds(const config::ThresholdDisplay& display)
{
    form_.Text2[0]->setCaption(Q(display.vuvText));
    form_.Text2[1]->setCaption(Q(display.vovText));
    form_.Shape16[7]->setVisible(display.vuvZeroMarker);
    form_.Shape16[8]->setVisible(display.vovZeroMarker);
    PaintConfigDisplay(display.config);
}

void Monitor::RefreshThresholds()
{
    auto ctx = configContext();
    PaintThresholds(config::RefreshThresholds(ctx));
}

void Monitor::PaintCdc(const config::CdcDisplay& display)
{
    form_.Text3->setCaption(Q(display.tableText));
    for (std::size_t k = 0; k < 3; ++k) form_.Check0[k]->setValue(display.mirror[k] ? 1 : 0);
    form_.Text15->setCaption(Q(display.numberText));
    form_.Shape16[6]->setVisible(display.frameVisible);
    auto& indication = s_.acq.indication;
    switch (config::NoticeLabelAfter(display.cdc, s_.acq.keepAliveActive == 1)) {
    case config::NoticeLabel::ShowStandbyNotice:
        acquisition::PostStandbyNotice(indication, config::StandbyNoticeLook().caption);
        break;
    case config::NoticeLabel::Hide: indication.messageVisible = false; break;
    case config::NoticeLabel::Keep: break;
    }
    PaintKeepAlive();
    PaintConfigDisplay(display.config);
}

void Monitor::RefreshCdcTable()
{
    auto ctx = configContext();
    PaintCdc(config::RefreshCdcTable(ctx));
}

void Monitor::PaintOptionRefresh(const config::OptionRefresh& refresh)
{
    PaintThresholds(refresh.thresholds);
    PaintCdc(refresh.cdc);
}

} // namespace qm::ui
