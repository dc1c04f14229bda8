// The configuration editors: the CFGR0..CFGR3 boxes, the global/custom options,
// the duty-cycle arrows and the threshold boxes; and what the configuration
// fields show: the pending and read-back register rows, the write button's
// look, the register boxes, the duty-cycle fields and the threshold boxes.
#include "acquisition/KeepAlive.h"
#include "acquisition/Session.h"
#include "config/BitEditors.h"
#include "config/ChangeIndication.h"
#include "config/DutyCycle.h"

namespace qm::acquisition {

config::ConfigContext Session::configContext()
{
    return config::ConfigContext{s_.images, s_.config, current(), last()};
}

// ---- Views ------------------------------------------------------------------------

void Session::ShowWriteButtonLook(const config::ConfigDisplay& display)
{
    s_.view.config.writeButton = display.writeButton;
    mark(kAreaConfig);
}

void Session::ShowConfigDisplay(const config::ConfigDisplay& display)
{
    ConfigView& c = s_.view.config;
    c.registerTexts = display.registerTexts;
    c.registerLook = display.registerLook;
    c.cdcLook = display.cdcLook;
    c.vuvLook = display.vuvLook;
    c.vovLook = display.vovLook;
    ShowWriteButtonLook(display);
}

void Session::RefreshConfigurationDisplay()
{
    auto ctx = configContext();
    ShowConfigDisplay(config::RefreshConfigurationDisplay(ctx));
}

void Session::ShowReadBackRow(const config::ReadBackRow& row)
{
    ConfigView& c = s_.view.config;
    c.readBackTexts = row.texts;
    if (row.background) c.readBackBack.fill(*row.background);
    mark(kAreaConfig);
}

void Session::RefreshReadBackDisplay() { ShowReadBackRow(config::ReadBackTexts(s_.images, current())); }

void Session::ShowReadBackMarks()
{
    s_.view.config.readBackBack = config::ReadBackMarks(s_.images, current());
    mark(kAreaConfig);
}

void Session::ShowEditors(const std::array<config::Boxes, 4>& editors)
{
    s_.view.config.editors = editors;
    mark(kAreaConfig);
}

void Session::LoadEditors()
{
    auto ctx = configContext();
    ShowEditors(config::LoadEditors(ctx));
}

void Session::ShowThresholds(const config::ThresholdDisplay& display)
{
    ConfigView& c = s_.view.config;
    c.thresholdTexts = {display.vuvText, display.vovText};
    c.zeroMarkers = {display.vuvZeroMarker, display.vovZeroMarker};
    mark(kAreaThresholds);
    ShowConfigDisplay(display.config);
}

void Session::RefreshThresholds()
{
    auto ctx = configContext();
    ShowThresholds(config::RefreshThresholds(ctx));
}

void Session::ShowCdc(const config::CdcDisplay& display)
{
    ConfigView& c = s_.view.config;
    c.cdcTable = display.tableText;
    for (std::size_t k = 0; k < 3; ++k) c.editors[0][k] = display.mirror[k];
    c.cdcNumber = display.numberText;
    c.cdcFrame = display.frameVisible;
    auto& indication = s_.acq.indication;
    switch (config::NoticeLabelAfter(display.cdc, s_.acq.keepAliveActive == 1)) {
    case config::NoticeLabel::ShowStandbyNotice:
        PostStandbyNotice(indication, config::StandbyNoticeLook().caption);
        break;
    case config::NoticeLabel::Hide: indication.messageVisible = false; break;
    case config::NoticeLabel::Keep: break;
    }
    mark(kAreaKeepAlive);
    ShowConfigDisplay(display.config);
}

void Session::RefreshCdcTable()
{
    auto ctx = configContext();
    ShowCdc(config::RefreshCdcTable(ctx));
}

void Session::ShowOptionRefresh(const config::OptionRefresh& refresh)
{
    ShowThresholds(refresh.thresholds);
    ShowCdc(refresh.cdc);
}

// ---- Operator actions -----------------------------------------------------------------

void Session::OnCfgr0Box(int bit, bool ticked)
{
    if (bit < 0 || bit > 7 || closed_) return;
    Scope scope(*this);
    s_.view.config.editors[0][static_cast<std::size_t>(bit)] = ticked;
    auto ctx = configContext();
    config::ChangeCfgr0Box(ctx, bit, ticked);
    ApplyCellCountLayout(); // the 10/12-cell layout follows the 10CELLS box; repaints the display
}

void Session::OnRegisterBox(int array, int bit, bool ticked)
{
    if (array < 1 || array > 3 || bit < 0 || bit > 7 || closed_) return;
    Scope scope(*this);
    s_.view.config.editors[static_cast<std::size_t>(array)][static_cast<std::size_t>(bit)] = ticked;
    auto ctx = configContext();
    ShowConfigDisplay(config::ChangeRegisterBox(ctx, array, bit, ticked));
}

void Session::OnCfgr0Option(int element, const std::string& vuvText, const std::string& vovText)
{
    if (closed_) return;
    Scope scope(*this);
    auto ctx = configContext();
    if (const auto r = config::SelectCfgr0Option(ctx, element, vuvText, vovText)) ShowOptionRefresh(*r);
    mark(kAreaConfig); // the option buttons follow the choice
}

void Session::OnThresholdOption(int element, const std::string& vuvText, const std::string& vovText)
{
    if (closed_) return;
    Scope scope(*this);
    auto ctx = configContext();
    if (const auto r = config::SelectThresholdOption(ctx, element, vuvText, vovText)) ShowOptionRefresh(*r);
    mark(kAreaConfig);
}

void Session::OnCdcArrow(int index, const std::string& vuvText, const std::string& vovText)
{
    if (closed_) return;
    Scope scope(*this);
    auto ctx = configContext();
    if (const auto r = config::ClickCdcArrow(ctx, index, vuvText, vovText)) ShowOptionRefresh(*r);
}

void Session::OnCfgr0Option(int element)
{
    const auto texts = s_.view.config.thresholdTexts;
    OnCfgr0Option(element, texts[0], texts[1]);
}

void Session::OnThresholdOption(int element)
{
    const auto texts = s_.view.config.thresholdTexts;
    OnThresholdOption(element, texts[0], texts[1]);
}

void Session::OnCdcArrow(int index)
{
    const auto texts = s_.view.config.thresholdTexts;
    OnCdcArrow(index, texts[0], texts[1]);
}

void Session::OnThresholdFocusIn(int box)
{
    if (box < 0 || box > 1) return;
    Scope scope(*this);
    s_.view.config.thresholdTexts[static_cast<std::size_t>(box)].clear();
    mark(kAreaThresholds);
}

config::KeyDecision Session::OnThresholdKey(int box, const std::string& text, int caret, char32_t key)
{
    if (box < 0 || box > 1) return {};
    Scope scope(*this);
    (box == 0 ? s_.view.config.vuvLook : s_.view.config.vovLook) = config::kPendingLook;
    mark(kAreaConfig);
    const config::KeyDecision d = config::FilterThresholdKey(text, caret, key);
    if (d.focusWriteConfig) focusCommand(5); // leaving the box runs the entry check
    return d;
}

void Session::OnThresholdFocusOut(int box, const std::string& vuvText, const std::string& vovText)
{
    if (box < 0 || box > 1 || leavingThreshold_ || closed_) return;
    Scope scope(*this);
    leavingThreshold_ = true;
    auto ctx = configContext();
    const config::EntryResult r = config::LeaveThresholdBox(ctx, box, vuvText, vovText);
    if (r.message) {
        // Ticks run while the box waits; show the thresholds as they are then.
        message(*r.message);
        RefreshThresholds();
    } else {
        ShowThresholds(r.display);
    }
    leavingThreshold_ = false;
}

void Session::EnterThreshold(int box, const std::string& text)
{
    if (box < 0 || box > 1) return;
    Scope scope(*this);
    OnThresholdFocusIn(box);
    std::string typed;
    for (char ch : text) {
        const config::KeyDecision d = OnThresholdKey(box, typed, static_cast<int>(typed.size()),
                                                     static_cast<unsigned char>(ch));
        typed = d.text;
        if (d.accepted) typed.insert(static_cast<std::size_t>(d.caret), 1, ch);
    }
    const auto& texts = s_.view.config.thresholdTexts;
    OnThresholdFocusOut(box, box == 0 ? typed : texts[0], box == 1 ? typed : texts[1]);
}

} // namespace qm::acquisition
