#include "robustness/Rig.h"

#include <algorithm>

#include "link/Transport.h"

namespace qm::robustness {

std::size_t FrameTap::write(std::string_view bytes)
{
    lastWrite_.assign(bytes);
    return inner_.write(bytes);
}

std::size_t FrameTap::read(char* buf, std::size_t n)
{
    lastReadCount_ = n;
    largestReadCount_ = std::max(largestReadCount_, n);
    return inner_.read(buf, n);
}

Rig::Rig(link::Device& device, int boards, int currentBoard)
    : tap(device), proto(tap, images, panel, chain)
{
    chain.lastBoardIndex = boards - 1;
    chain.currentBoard = currentBoard;
}

Report ReadAndClassify(Rig& rig, const ReadShape& shape, Classify classify)
{
    Report report;
    const protocol::RegisterImages before = rig.images;
    const presentation::PresentationState stateBefore = rig.state;
    switch (shape.kind) {
    case protocol::ReadKind::Config: rig.proto.ReadConfiguration(); break;
    case protocol::ReadKind::Flags: rig.proto.ReadFlags(); break;
    case protocol::ReadKind::Temperatures: rig.proto.ReadTemperatures(); break;
    case protocol::ReadKind::Diagnostics: rig.proto.ReadDiagnostics(); break;
    default: rig.proto.ReadCellVoltages(shape.groupCode); break;
    }
    const auto expected = static_cast<std::size_t>(4 + (rig.last() + 1) * 2 * (shape.bytesPerBoard + 1));
    if (rig.tap.lastReadCount() != expected || expected > link::kReplyBufferSize)
        report.Fail("read count " + std::to_string(rig.tap.lastReadCount()) + " expected " + std::to_string(expected));
    CheckRead(report, before, rig.images, rig.panel, shape, rig.last(), rig.chain.currentBoard);

    switch (shape.kind) {
    case protocol::ReadKind::Cells:
    case protocol::ReadKind::CellsA:
    case protocol::ReadKind::CellsB:
    case protocol::ReadKind::CellsC:
        rig.groupCode = shape.groupCode;
        presentation::ApplyMaskAndDischargeRule(rig.images, rig.state, rig.last(), shape.groupCode);
        break;
    case protocol::ReadKind::Temperatures: presentation::ApplyThermalRule(rig.images, rig.state, rig.last()); break;
    default: break;
    }
    if (classify == Classify::ContinuousStep || shape.kind == protocol::ReadKind::Flags)
        presentation::ApplyFlagRule(rig.images, rig.state, rig.last(), rig.groupCode);
    CheckStatusCodes(report, stateBefore, rig.state, rig.last());
    CheckImageRanges(report, rig.images, rig.panel);
    if (rig.checkDisplays) CheckDisplays(report, rig.images, rig.state);
    return report;
}

Report WriteAndClassify(Rig& rig)
{
    Report report;
    const presentation::PresentationState stateBefore = rig.state;
    rig.proto.WriteConfiguration();
    CheckWriteFrame(report, rig.tap.lastWrite(), rig.images, rig.last());
    presentation::ApplyMaskAndDischargeRule(rig.images, rig.state, rig.last(), rig.groupCode);
    CheckStatusCodes(report, stateBefore, rig.state, rig.last());
    CheckImageRanges(report, rig.images, rig.panel);
    if (rig.checkDisplays) CheckDisplays(report, rig.images, rig.state);
    return report;
}

} // namespace qm::robustness
