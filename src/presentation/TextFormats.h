#pragma once
// The texts of the value, raw-code and flag boxes.
//
// Values are shown in volts with four decimals behind one leading character:
// a blank for zero and positive values (" 3.6015"), the minus sign in its place
// for negative ones ("-0.7680"), so the field keeps its width either way. Cell
// boxes add "V" and two blanks, temperature boxes "V" and one blank.
//
// Texts that come from the chain (code texts, flag texts) may carry anything a
// garbled or missing reply left there; before they reach a box every character
// that is not printable ASCII is shown as '?', so no box ever holds NUL or a
// control character.
#include <string>
#include <string_view>

namespace qm::presentation {

inline constexpr std::string_view kCellSuffix = "V  ";
inline constexpr std::string_view kTemperatureSuffix = "V ";

// Clear texts of the value boxes, in the volts and in the raw-code view.
inline constexpr std::string_view kCellClearText = " 0.0000V  ";
inline constexpr std::string_view kTemperatureClearText = " 0.0000V ";
inline constexpr std::string_view kCodeClearText = " 0x000 ";

// " 0.0000" with the sign rule above. A value that rounds to zero shows no
// minus sign; a value that is not a number shows " -.----".
std::string FormatVolts(float volts);
std::string FormatCellVolts(float volts);        // + "V  "
std::string FormatTemperatureVolts(float volts); // + "V "

// Raw-code view: "0x" + code + " " for cells, " 0x" + code + " " for
// temperatures. The code text is shown as it stands (at most three
// characters), made visible.
std::string CellCodeText(std::string_view codeText);
std::string TemperatureCodeText(std::string_view codeText);

// A flag register box: two blanks, the two hex digits, three blanks. An empty
// flag text (never read) gives an empty box.
std::string FlagDisplayText(std::string_view flagText);

// Every character outside printable ASCII replaced by '?'.
std::string VisibleText(std::string_view text);

} // namespace qm::presentation
