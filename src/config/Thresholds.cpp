#include "config/Thresholds.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "protocol/ByteText.h"

namespace qm::config {

namespace {
std::size_t Slot(int board) { return static_cast<std::size_t>(board); }

bool InVuvRange(float v) { return !(v < kVuvMinVolts || v > kVuvMaxVolts) && !std::isnan(v); }
bool InVovRange(float v) { return !(v < kVovMinVolts || v > kVovMaxVolts) && !std::isnan(v); }
} // namespace

float VuvCodeToVolts(int code) { return static_cast<float>((code + 1) * 0.024 - 0.768); }
float VovCodeToVolts(int code) { return static_cast<float>((code - 32) * 0.024); }
float VoltsToVuvCode(float volts) { return static_cast<float>(static_cast<double>(volts) / 0.024 + 31.0); }
float VoltsToVovCode(float volts) { return static_cast<float>(static_cast<double>(volts) / 0.024 + 32.0); }

int RoundHalfEven(float value)
{
    if (std::isnan(value) || value <= 0.0f) return 0;
    if (value >= 255.0f) return 255;
    const float whole = std::floor(value);
    const float fraction = value - whole;
    int n = static_cast<int>(whole);
    if (fraction > 0.5f || (fraction == 0.5f && (n % 2) != 0)) ++n;
    return n;
}

float NumericPrefix(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string number;
    bool point = false;
    bool digits = false;
    bool significantWhole = false; // a non-zero digit before the point
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (!point && c != '0') significantWhole = true;
            number += c;
        } else if (c == '.' && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    if (!digits) return 0.0f;

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range)
        value = significantWhole ? std::numeric_limits<double>::infinity() : 0.0;
    else if (ec != std::errc{})
        value = 0.0;
    const auto held = static_cast<float>(value); // too large for a float: infinity
    return negative ? -held : held;
}

std::string ThresholdText(float volts)
{
    double v = static_cast<double>(volts);
    if (!std::isfinite(v)) v = 0.0;
    const long long milli = std::llround(std::fabs(v) * 1000.0);
    std::string frac = std::to_string(milli % 1000);
    frac.insert(0, 3 - frac.size(), '0');
    std::string text;
    if (v < 0 && milli != 0) text += '-';
    text += std::to_string(milli / 1000) + "." + frac + "V ";
    return text;
}

std::optional<int> VuvCodeOfText(std::string_view text)
{
    const float v = NumericPrefix(text);
    if (!InVuvRange(v)) return std::nullopt;
    return RoundHalfEven(VoltsToVuvCode(v));
}

std::optional<int> VovCodeOfText(std::string_view text)
{
    const float v = NumericPrefix(text);
    if (!InVovRange(v)) return std::nullopt;
    return RoundHalfEven(VoltsToVovCode(v));
}

ThresholdDisplay RefreshThresholds(ConfigContext& ctx)
{
    const int cur = ctx.current();
    auto& board = ctx.state.boards[Slot(cur)];
    board.vuvCode = std::clamp(board.vuvCode, 0, 255);
    board.vovCode = std::clamp(board.vovCode, 0, 255);
    auto& regs = ctx.images.pending[Slot(cur)];
    regs[4] = protocol::ByteText(static_cast<std::uint8_t>(board.vuvCode));
    regs[5] = protocol::ByteText(static_cast<std::uint8_t>(board.vovCode));

    ThresholdDisplay d;
    d.vuvText = ThresholdText(VuvCodeToVolts(board.vuvCode));
    d.vovText = ThresholdText(VovCodeToVolts(board.vovCode));
    d.vuvZeroMarker = board.vuvCode == 0;
    d.vovZeroMarker = board.vovCode == 0;
    d.config = RefreshConfigurationDisplay(ctx);
    return d;
}

void StoreThresholdCode(ConfigContext& ctx, Threshold which, int code)
{
    code = std::clamp(code, 0, 255);
    auto store = [&](int b) {
        auto& board = ctx.state.boards[Slot(b)];
        (which == Threshold::Vuv ? board.vuvCode : board.vovCode) = code;
    };
    if (ctx.state.thresholdOption == kOptionCustom) {
        store(ctx.current());
    } else if (ctx.state.thresholdOption == kOptionGlobal) {
        for (int b = 0; b <= ctx.last(); ++b) store(b);
    }
}

EntryCheck CheckThresholdEntry(std::string_view vuvText, std::string_view vovText)
{
    const float vov = NumericPrefix(vovText);
    const float vuv = NumericPrefix(vuvText);
    EntryCheck check;
    if (!InVuvRange(vuv)) {
        check.verdict = EntryVerdict::VuvOutOfRange;
        return check;
    }
    check.vuvCode = VoltsToVuvCode(vuv);
    if (!InVovRange(vov)) {
        check.verdict = EntryVerdict::VovOutOfRange;
        return check;
    }
    check.vovCode = VoltsToVovCode(vov);
    if (check.vuvCode >= check.vovCode) check.verdict = EntryVerdict::VuvNotBelowVov;
    return check;
}

std::string_view EntryMessage(EntryVerdict verdict)
{
    switch (verdict) {
    case EntryVerdict::Accepted: return {};
    case EntryVerdict::VuvOutOfRange: return kVuvRangeMessage;
    case EntryVerdict::VovOutOfRange: return kVovRangeMessage;
    case EntryVerdict::VuvNotBelowVov: return kOrderMessage;
    }
    return {};
}

EntryResult LeaveThresholdBox(ConfigContext& ctx, int box, std::string_view vuvText, std::string_view vovText)
{
    EntryResult result;
    const EntryCheck check = CheckThresholdEntry(vuvText, vovText);
    if (check.verdict != EntryVerdict::Accepted) {
        result.message = std::string(EntryMessage(check.verdict));
    } else if (box == 0) {
        StoreThresholdCode(ctx, Threshold::Vuv, RoundHalfEven(check.vuvCode));
    } else if (box == 1) {
        StoreThresholdCode(ctx, Threshold::Vov, RoundHalfEven(check.vovCode));
    }
    result.display = RefreshThresholds(ctx);
    return result;
}

KeyDecision FilterThresholdKey(std::string_view text, int caret, char32_t key)
{
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && text[first] == ' ') ++first;
    while (end > first && text[end - 1] == ' ') --end;

    KeyDecision d;
    d.text = std::string(text.substr(first, end - first));
    const int length = static_cast<int>(d.text.size());
    d.caret = std::clamp(caret - static_cast<int>(first), 0, length);

    if (key == kKeyBackspace) {
        d.accepted = true;
    } else if (key == kKeyEnter) {
        d.accepted = true;
        d.focusWriteConfig = true;
    } else if (key == U'.') {
        d.accepted = d.text.find('.') == std::string::npos;
    } else if (key == U'-') {
        d.accepted = d.caret == 0 && d.text.find('-') == std::string::npos;
    } else {
        d.accepted = key >= U'0' && key <= U'9';
    }
    return d;
}

} // namespace qm::config
