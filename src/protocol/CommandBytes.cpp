#include "protocol/CommandBytes.h"

#include "protocol/ByteText.h"

namespace qm::protocol {

char CellStartDigit(CellStartKind kind)
{
    switch (kind) {
    case CellStartKind::STCVAD: return '1';
    case CellStartKind::STOWAD: return '2';
    case CellStartKind::STCVDC: return '6';
    case CellStartKind::STOWDC: return '7';
    }
    return '1';
}

std::string_view CellStartMnemonic(CellStartKind kind)
{
    switch (kind) {
    case CellStartKind::STCVAD: return "STCVAD";
    case CellStartKind::STOWAD: return "STOWAD";
    case CellStartKind::STCVDC: return "STCVDC";
    case CellStartKind::STOWDC: return "STOWDC";
    }
    return "STCVAD";
}

std::string CellSelector(int cell)
{
    if (cell < 1 || cell > 12) return "0";
    return HexNoPad(static_cast<unsigned>(cell));
}

} // namespace qm::protocol
