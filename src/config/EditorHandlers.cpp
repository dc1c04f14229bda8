// Operator actions on the configuration editors: the CFGR0..CFGR3 boxes, the
// global/custom options, the duty-cycle arrows and the threshold boxes.
#include "config/BitEditors.h"
#include "config/OptionState.h"
#include "config/Thresholds.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

std::string Monitor::thresholdText(int box) const
{
    return form_.Text2[static_cast<std::size_t>(box)]->caption().toStdString();
}

void Monitor::OnCfgr0Box(int bit)
{
    if (bit < 0 || bit > 7) return;
    auto ctx = configContext();
    config::ChangeCfgr0Box(ctx, bit, form_.Check0[static_cast<std::size_t>(bit)]->value() == 1);
    ApplyCellCountLayout(); // the 10/12-cell layout follows the 10CELLS box; repaints the display
}

void Monitor::OnRegisterBox(int array, int bit)
{
    if (array < 1 || array > 3 || bit < 0 || bit > 7) return;
    const std::array<std::array<CheckBox*, 8>*, 3> arrays{&form_.Check1, &form_.Check2, &form_.Check3};
    const bool ticked = (*arrays[static_cast<std::size_t>(array - 1)])[static_cast<std::size_t>(bit)]->value() == 1;
    auto ctx = configContext();
    PaintConfigDisplay(config::ChangeRegisterBox(ctx, array, bit, ticked));
}

void Monitor::OnCfgr0Option(int element)
{
    auto ctx = configContext();
    if (const auto r = config::SelectCfgr0Option(ctx, element, thresholdText(0), thresholdText(1)))
        PaintOptionRefresh(*r);
}

void Monitor::OnThresholdOption(int element)
{
    auto ctx = configContext();
    if (const auto r = config::SelectThresholdOption(ctx, element, thresholdText(0), thresholdText(1)))
        PaintOptionRefresh(*r);
}

void Monitor::OnCdcArrow(int index)
{
    auto ctx = configContext();
    if (const auto r = config::ClickCdcArrow(ctx, index, thresholdText(0), thresholdText(1))) PaintOptionRefresh(*r);
}

void Monitor::OnThresholdFocusIn(int box)
{
    if (box < 0 || box > 1) return;
    form_.Text2[static_cast<std::size_t>(box)]->setCaption(QString());
}

bool Monitor::OnThresholdKey(int box, int keyCode)
{
    if (box < 0 || box > 1 || keyCode < 0) return false;
    TextBox* text = form_.Text2[static_cast<std::size_t>(box)];
    text->setBackColor(colour::kLightGrey);
    text->setForeColor(colour::kDarkCyan);
    const config::KeyDecision d =
        config::FilterThresholdKey(text->caption().toStdString(), text->selStart(), static_cast<char32_t>(keyCode));
    // Only a text that had blanks to trim is rewritten: rewriting an unchanged
    // text would drop the operator's selection, so that a digit typed over a
    // selected number would be added to it instead of replacing it.
    const QString trimmed = QString::fromStdString(d.text);
    if (text->caption() != trimmed) {
        text->setCaption(trimmed);
        text->setSelStart(d.caret);
    }
    if (d.focusWriteConfig) {
        form_.Command1[5]->setFocus(); // leaving the box runs the entry check
        if (text->hasFocus() || !form_.isVisible()) OnThresholdFocusOut(box);
        return false;
    }
    return d.accepted;
}

void Monitor::OnThresholdFocusOut(int box)
{
    if (box < 0 || box > 1 || suppressFocusLeave_) return;
    suppressFocusLeave_ = true;
    auto ctx = configContext();
    const config::EntryResult r = config::LeaveThresholdBox(ctx, box, thresholdText(0), thresholdText(1));
    if (r.message && showMessage) {
        // Ticks run while the box waits; repaint from the state as it is then.
        showMessage(*r.message);
        RefreshThresholds();
    } else {
        PaintThresholds(r.display);
    }
    suppressFocusLeave_ = false;
}

} // namespace qm::ui
