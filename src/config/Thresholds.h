#pragma once
// The undervoltage (VUV, CFGR4) and overvoltage (VOV, CFGR5) thresholds: code
// and volt conversions, the threshold boxes Text2(0) (VUV) and Text2(1) (VOV),
// the check made when a box is left, and the key filter of the boxes.
//
// VUV volts = (code + 1) * 0.024 - 0.768, VOV volts = (code - 32) * 0.024.
// Back again, VUV code = V / 0.024 + 31 and VOV code = V / 0.024 + 32,
// computed in double precision and held single precision; the stored code is
// that value rounded half to even. -0.744..5.376 V are exactly the VUV codes
// 0..255, -0.768..5.352 V the VOV codes 0..255.
#include <optional>
#include <string>
#include <string_view>

#include "config/ChangeIndication.h"
#include "config/ConfigModel.h"

namespace qm::config {

// ---- Conversions ---------------------------------------------------------

float VuvCodeToVolts(int code);
float VovCodeToVolts(int code);
// Unrounded codes, single precision.
float VoltsToVuvCode(float volts);
float VoltsToVovCode(float volts);
// Nearest integer, exact halves to the even neighbour, limited to 0..255
// (a value that is not a number gives 0).
int RoundHalfEven(float value);

inline constexpr float kVuvMinVolts = -0.744f;
inline constexpr float kVuvMaxVolts = 5.376f;
inline constexpr float kVovMinVolts = -0.768f;
inline constexpr float kVovMaxVolts = 5.352f;

inline constexpr std::string_view kVuvRangeMessage = "Only Enter Values Between -0.744V and 5.376V.";
inline constexpr std::string_view kVovRangeMessage = "Only Enter Values Between  -0.768V and 5.352V.";
inline constexpr std::string_view kOrderMessage = "VUV must be less than VOV";

// ---- Box texts -----------------------------------------------------------

// The number a box text starts with, single precision: blanks, an optional
// sign, digits and at most one decimal point. A text that does not start with
// a number reads as 0; a number too large for single precision reads as an
// infinity, which every range check refuses.
float NumericPrefix(std::string_view text);

// Volts as shown in a threshold box: "0.000" then "V " ("3.600V ",
// "-0.744V "); the sign stands directly before the digits.
std::string ThresholdText(float volts);

// The code a box text stands for when it lies within that threshold's range
// (what the option handling reads back from the boxes); nullopt otherwise.
std::optional<int> VuvCodeOfText(std::string_view text);
std::optional<int> VovCodeOfText(std::string_view text);

// ---- Refresh -------------------------------------------------------------

struct ThresholdDisplay {
    std::string vuvText;        // Text2(0)
    std::string vovText;        // Text2(1)
    bool vuvZeroMarker = false; // Shape16(7), shown while the VUV code is 0
    bool vovZeroMarker = false; // Shape16(8), shown while the VOV code is 0
    ConfigDisplay config;       // the configuration display refreshed after
};

// CFGR4/CFGR5 of the current board from its VUV/VOV codes, the box texts and
// the zero markers; then the configuration display.
ThresholdDisplay RefreshThresholds(ConfigContext& ctx);

// Stores a code as the threshold option says: current board only (custom),
// every board 0..last (global), nowhere when neither is selected.
enum class Threshold { Vuv = 0, Vov = 1 };
void StoreThresholdCode(ConfigContext& ctx, Threshold which, int code);

// ---- Entry ---------------------------------------------------------------

enum class EntryVerdict { Accepted, VuvOutOfRange, VovOutOfRange, VuvNotBelowVov };

struct EntryCheck {
    EntryVerdict verdict = EntryVerdict::Accepted;
    float vuvCode = 0; // unrounded; valid once the VUV range check passed
    float vovCode = 0; // unrounded; valid once the VOV range check passed
};

// The check of both box texts: VUV range, VOV range, then VUV code below VOV
// code (unrounded). Ranges are inclusive, compared in single precision.
EntryCheck CheckThresholdEntry(std::string_view vuvText, std::string_view vovText);

// The message box text of a refused entry; empty for an accepted one.
std::string_view EntryMessage(EntryVerdict verdict);

struct EntryResult {
    std::optional<std::string> message; // one message box when refused
    ThresholdDisplay display;           // the boxes always show the stored values again
};

// Leaving box Text2(box): the check; when accepted the code of the box being
// left is stored (rounded); the other box only takes part in the check. The
// thresholds are refreshed in every case, so a refused entry is replaced by
// the stored value. A box index other than 0 or 1 stores nothing.
EntryResult LeaveThresholdBox(ConfigContext& ctx, int box, std::string_view vuvText, std::string_view vovText);

// ---- Typing --------------------------------------------------------------

inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyEnter = 13;

struct KeyDecision {
    bool accepted = false;
    bool focusWriteConfig = false; // Enter: the focus moves to "WRITE CONFIG"
    std::string text;              // the box text, trimmed of blanks
    int caret = 0;                 // the insertion point within the trimmed text
};

// One key typed into a threshold box at insertion point caret. The text is
// first trimmed of leading and trailing blanks (the insertion point moves with
// it); then Backspace and Enter are accepted, "." only while the text holds
// none, "-" only at the start of a text without one, digits always, and
// anything else is discarded.
KeyDecision FilterThresholdKey(std::string_view text, int caret, char32_t key);

} // namespace qm::config
