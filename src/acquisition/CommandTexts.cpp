#include "acquisition/CommandTexts.h"

#include <cmath>
#include <cstdio>

#include "protocol/ByteText.h"
#include "protocol/Colours.h"

namespace qm::acquisition {

std::string ContinuousToolTip(int startCommand)
{
    static constexpr const char* kStarts[] = {"STCVAD", "STOWAD", "STCVDC", "STOWDC"};
    if (startCommand < 0 || startCommand > 3) startCommand = 0;
    return std::string("CONTINUOUS  READ 1) ") + kStarts[startCommand] + " 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG";
}

std::string SelfTestSelector(int option)
{
    switch (option) {
    case 1: return "F";
    case 2: return "D";
    default: return "E";
    }
}

std::array<std::string, 7> SelfTestToolTips(int option)
{
    const std::string sel = SelfTestSelector(option);
    const std::string what = option == 1 ? "SELF TEST2 ALL" : option == 2 ? "CLEAR (FF) ALL" : "SELF TEST1 ALL";
    std::array<std::string, 7> tips;
    tips[0] = "0x1" + sel + " STCVAD " + what;
    tips[5] = "0x6" + sel + " STCVDC " + what;
    tips[1] = "0x2" + sel + " STOWAD " + what;
    tips[6] = "0x7" + sel + " STOWDC " + what;
    tips[2] = "0x3" + sel + " STTMPAD " + what;
    return tips;
}

namespace {
std::string PatternOf(const std::string& selector)
{
    if (selector == "F") return "AAA";
    if (selector == "D") return "FFF";
    return "555";
}
} // namespace

std::string ExpectedCellSelfTestText(const std::string& selector) { return "0x" + PatternOf(selector) + " "; }

std::string ExpectedTemperatureSelfTestText(const std::string& selector) { return " 0x" + PatternOf(selector) + " "; }

std::string ReferenceVoltsText(float volts)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(volts));
    std::string text = buf;
    if (text == "-0.0000") text = "0.0000";
    return text + "V ";
}

DiagnosticPanel ShowDiagnostics(const protocol::RegisterImages& images, int currentBoard)
{
    const auto c = static_cast<std::size_t>(currentBoard);
    const auto& set = images.diagnostics;
    DiagnosticPanel panel{};
    for (std::size_t i = 0; i < 2; ++i)
        panel[i] = {"   " + protocol::ByteText(set.data[c][i]) + "   ", colour::kWhite, std::nullopt};
    if (set.pec[c] != set.computed[c]) {
        panel[2] = {"   ?    ", std::nullopt, std::nullopt};
        // White, so a green PASS of an earlier read never stands behind an
        // unknown verdict.
        panel[3] = {" ????", colour::kWhite, std::nullopt};
    } else {
        static constexpr char kLetters[] = {'A', 'B', 'C', 'D'};
        const auto rev = static_cast<std::size_t>(images.diag[c].revision & 3);
        panel[2] = {std::string("   ") + kLetters[rev] + "    ", std::nullopt, std::nullopt};
        panel[3] = images.diag[c].muxFail == 1 ? DiagnosticField{" FAIL", colour::kRed, std::nullopt}
                                               : DiagnosticField{" PASS", colour::kGreen, std::nullopt};
    }
    panel[4] = {ReferenceVoltsText(images.diag[c].referenceVolts), std::nullopt, std::nullopt};
    return panel;
}

DiagnosticPanel ClearDiagnostics()
{
    DiagnosticPanel panel{};
    for (std::size_t i = 0; i < 4; ++i) panel[i] = {"", colour::kWhite, std::nullopt};
    panel[4] = {" 0.0000V ", colour::kSysWindowText, colour::kWhite};
    return panel;
}

} // namespace qm::acquisition
