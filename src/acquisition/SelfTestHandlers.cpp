// The "SELF TEST START A/D" panel: a start button converts with the self-test
// selector and arms the check, the matching hex-view read shows the raw codes
// of the current board and colours each one white (as expected) or red.
#include "acquisition/CommandTexts.h"
#include "presentation/StatusRules.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/Monitor.h"

namespace qm::ui {

using presentation::Tab;

void Monitor::SelectSelfTest(int index)
{
    if (index < 0 || index > 2) return;
    s_.acq.selfTestSelector = acquisition::SelfTestSelector(index);
    const auto tips = acquisition::SelfTestToolTips(index);
    for (int i : {0, 1, 2, 5, 6})
        form_.Command5[static_cast<std::size_t>(i)]->setToolTip(QString::fromStdString(tips[static_cast<std::size_t>(i)]));
}

void Monitor::OnSelfTestButton(int index)
{
    if (index < 0 || index > 6) return;
    auto& acq = s_.acq;
    closeOpenPollFrame();
    switch (index) {
    case 0:
    case 1:
    case 5:
    case 6: {
        const auto kind = index == 0   ? protocol::CellStartKind::STCVAD
                          : index == 1 ? protocol::CellStartKind::STOWAD
                          : index == 5 ? protocol::CellStartKind::STCVDC
                                       : protocol::CellStartKind::STOWDC;
        proto_.StartCellConversion(kind, acq.selfTestSelector);
        for (auto* text : form_.Text1) {
            text->setCaption(QStringLiteral("0x000 "));
            text->setBackColor(colour::kWhite);
            text->setForeColor(colour::kBlack);
        }
        presentation::ClearCellStatusCodes(s_.status, last());
        RefreshStatusDisplay();
        setDccLamp(index >= 5 ? colour::kLightBlue : colour::kWhite);
        acq.cellHexView = 1;
        s_.tabs.setState(Tab::CellRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabArmed);
        form_.Command5[3]->setFocus();
        acq.cellSelfTestPending = -1;
        break;
    }
    case 2:
        proto_.StartTemperatureConversion(acq.selfTestSelector);
        acq.temperatureHexView = 1;
        for (std::size_t row = 0; row < 3; ++row) {
            form_.Text6[row]->setCaption(QStringLiteral(" 0x000 "));
            form_.Text6[row]->setBackColor(colour::kWhite);
            form_.Text6[row]->setForeColor(colour::kBlack);
            for (Shape* s : {form_.Shape6[row], form_.Shape7[row], form_.Shape8[row]}) s->setFillColor(colour::kSysWindow);
        }
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabArmed);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabArmed);
        form_.Command5[4]->setFocus();
        acq.temperatureSelfTestPending = -1;
        break;
    case 3: {
        const int group = s_.cellGroupCode();
        proto_.ReadCellVoltages(group);
        presentation::ApplyMaskAndDischargeRule(s_.images, s_.status, last(), group);
        RefreshStatusDisplay();
        ShowCellCodes(group);
        if (acq.cellSelfTestPending == -1) CheckCellSelfTest();
        acq.cellHexView = 1;
        acq.cellSelfTestPending = 0;
        s_.tabs.setState(Tab::CellRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::CellHexRead, presentation::kTabSettle);
        form_.Command5[0]->setFocus();
        break;
    }
    case 4:
        acq.temperatureHexView = 1;
        proto_.ReadTemperatures();
        runThermalRule();
        ShowTemperatureCodes();
        if (acq.temperatureSelfTestPending == -1) CheckTemperatureSelfTest();
        acq.temperatureSelfTestPending = 0;
        s_.tabs.setState(Tab::TemperatureRead, presentation::kTabSettle);
        s_.tabs.setState(Tab::TemperatureHexRead, presentation::kTabSettle);
        form_.Command5[2]->setFocus();
        break;
    default:
        return;
    }
    s_.tabs.SettleAfterSelfTest(last());
    PaintProgressTabs();
    if (index == 3) ShowLegend();
}

void Monitor::CheckCellSelfTest()
{
    const QString expected = QString::fromStdString(acquisition::ExpectedCellSelfTestText(s_.acq.selfTestSelector));
    for (auto* text : form_.Text1) text->setBackColor(text->caption() == expected ? colour::kWhite : colour::kRed);
}

void Monitor::CheckTemperatureSelfTest()
{
    const QString expected =
        QString::fromStdString(acquisition::ExpectedTemperatureSelfTestText(s_.acq.selfTestSelector));
    for (auto* text : form_.Text6) text->setBackColor(text->caption() == expected ? colour::kWhite : colour::kRed);
}

} // namespace qm::ui
