#pragma once
// Byte texts as the protocol procedures pass them around; the reading and
// writing of hex text lives with the link, which cuts replies with it.
#include "link/HexText.h"

namespace qm::protocol {
using link::ByteFromText;
using link::ByteText;
using link::CodeText;
using link::HexNoPad;
using link::HexPrefixValue;
} // namespace qm::protocol
