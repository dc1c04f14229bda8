#include "protocol/RegisterImages.h"

namespace qm::protocol {

RegisterImages::RegisterImages()
{
    for (auto& regs : pending) regs = DefaultConfiguration();
}

ReceivedSet& RegisterImages::set(ReadKind kind)
{
    switch (kind) {
    case ReadKind::Config: return config;
    case ReadKind::Cells: return cells;
    case ReadKind::CellsA: return cellsA;
    case ReadKind::CellsB: return cellsB;
    case ReadKind::CellsC: return cellsC;
    case ReadKind::Flags: return flags;
    case ReadKind::Temperatures: return temperatures;
    case ReadKind::Diagnostics: return diagnostics;
    }
    return config;
}

const ReceivedSet& RegisterImages::set(ReadKind kind) const
{
    return const_cast<RegisterImages*>(this)->set(kind);
}

std::string& RegisterImages::reply(ReadKind kind)
{
    switch (kind) {
    case ReadKind::Config: return configReply;
    case ReadKind::Cells: return cellsReply;
    case ReadKind::CellsA: return cellsAReply;
    case ReadKind::CellsB: return cellsBReply;
    case ReadKind::CellsC: return cellsCReply;
    case ReadKind::Flags: return flagsReply;
    case ReadKind::Temperatures: return temperaturesReply;
    case ReadKind::Diagnostics: return diagnosticsReply;
    }
    return configReply;
}

float CodeToVolts(unsigned code12)
{
    return static_cast<float>((static_cast<double>(code12) - 512.0) * 0.0015);
}

ConfigRegisters DefaultConfiguration() { return {"E0", "00", "00", "00", "00", "00"}; }

} // namespace qm::protocol
