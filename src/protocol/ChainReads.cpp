// Register reads with PEC verification: frame, transaction, cutting, PEC
// recomputation, panel, verdict, decoding and hand-over, in that order. The
// images are rewritten from the reply whether or not a board's PEC matched;
// only the thermal-shutdown bit and the diagnostic revision/multiplexer values
// wait for a match. Each board's part of every reply is also counted in its
// link health (good, PEC failure, missing or short).
#include <algorithm>
#include <span>

#include "link/Transport.h"
#include "protocol/ByteText.h"
#include "protocol/CellGroups.h"
#include "protocol/ChainProtocol.h"
#include "protocol/Frames.h"
#include "protocol/Pec.h"

namespace qm::protocol {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// Three characters of the reply taken as a code text, in the order given.
std::string CodeChars(std::string_view reply, int a, int b, int c)
{
    return std::string{link::ReplyChars(reply, a, 1)[0], link::ReplyChars(reply, b, 1)[0],
                       link::ReplyChars(reply, c, 1)[0]};
}

void StoreCode(RegisterImages& images, int index, std::string text)
{
    images.measured[U(index)] = CodeToVolts(HexPrefixValue(text, 3));
    images.codeText[U(index)] = std::move(text);
}

} // namespace

ChainProtocol::ChainProtocol(link::Device& device, RegisterImages& images, TransferPanel& panel,
                             const ChainSelection& chain)
    : device_(device), images_(images), panel_(panel), chain_(chain)
{
}

int ChainProtocol::last() const { return std::clamp(chain_.lastBoardIndex, 0, kMaxBoards - 1); }

int ChainProtocol::current() const { return std::clamp(chain_.currentBoard, 0, kMaxBoards - 1); }

std::string ChainProtocol::Read(ReadKind kind, std::string_view command, int n)
{
    const int boards = last() + 1;
    std::string reply = link::TransactWithReply(device_, ReadFrame(command, n, boards),
                                                static_cast<std::int16_t>(ReadReplyLength(n, boards)));
    ReceivedSet& set = images_.set(kind);
    const auto now = clock_ ? clock_() : HealthClock::now();
    for (int b = 0; b < boards; ++b) {
        auto& data = set.data[U(b)];
        for (int k = 0; k < n; ++k) data[U(k)] = link::ReplyByte(reply, b, k, n);
        set.pec[U(b)] = link::ReplyByte(reply, b, n, n);
        set.computed[U(b)] = PecOfBytes(std::span<const std::uint8_t>(data.data(), U(n)));
        CountRead(images_.health[U(b)], HealthKindOf(kind), BoardReplyPart(reply, b, n),
                  set.pec[U(b)] == set.computed[U(b)], now);
    }
    images_.reply(kind) = reply;
    return reply;
}

void ChainProtocol::Judge(ReadKind kind)
{
    const ReceivedSet& set = images_.set(kind);
    for (int b = 0; b <= last(); ++b) {
        const auto i = U(b);
        const bool match = set.pec[i] == set.computed[i];
        auto& status = images_.pecStatus[i];
        status = match ? kPecMatched : kPecMismatch;
        switch (kind) {
        case ReadKind::Flags:
            images_.flagValid[i] = match ? 1 : 0;
            images_.cellValid[i] = 0;
            break;
        case ReadKind::Temperatures:
            images_.temperatureValid[i] = match ? 1 : 0;
            if (images_.configReadValid[i] == 0) images_.temperatureValid[i] = 0;
            break;
        case ReadKind::Cells:
        case ReadKind::CellsA:
        case ReadKind::CellsB:
        case ReadKind::CellsC:
            images_.cellValid[i] = match ? 1 : 0;
            images_.flagValid[i] = 0;
            break;
        case ReadKind::Config:
        case ReadKind::Diagnostics:
            break;
        }
        if (kind != ReadKind::Config && match && images_.configReadValid[i] == 0) status = kPecNoVerdict;
        if (images_.thermalMark[i] == 1) status = kPecThermalMark;
        panel_.ovalFill[i] = OvalColour(status);
    }
}

void ChainProtocol::ReadConfiguration()
{
    constexpr int n = 6;
    Read(ReadKind::Config, "02", n);
    ShowRead(panel_, images_, ReadKind::Config, current());
    Judge(ReadKind::Config);
    listeners_.transferShown();
    for (int b = 0; b <= last(); ++b) {
        const auto& d = images_.config.data[U(b)];
        for (int k = 0; k < n; ++k) images_.readBack[U(b)][U(k)] = ByteText(d[U(k)]);
        images_.configReadValid[U(b)] = (d[0] & 0x07) != 0 ? 1 : 0;
    }
    images_.configReadBackFlag = 1;
    listeners_.configurationRead();
}

void ChainProtocol::ReadFlags()
{
    constexpr int n = 3;
    Read(ReadKind::Flags, "0C", n);
    ShowRead(panel_, images_, ReadKind::Flags, current());
    Judge(ReadKind::Flags);
    listeners_.transferShown();
    for (int b = 0; b <= last(); ++b)
        for (int k = 0; k < n; ++k) images_.flagTexts[U(b)][U(k)] = ByteText(images_.flags.data[U(b)][U(k)]);
    listeners_.flagsRead();
}

void ChainProtocol::ReadTemperatures()
{
    constexpr int n = 5;
    const std::string reply = Read(ReadKind::Temperatures, "0E", n);
    ShowRead(panel_, images_, ReadKind::Temperatures, current());
    Judge(ReadKind::Temperatures);
    listeners_.transferShown();
    for (int b = 0; b <= last(); ++b) {
        const int p = 8 + 12 * b;
        StoreCode(images_, RegisterImages::TemperatureIndex(b, 1), CodeChars(reply, p, p - 3, p - 2));
        StoreCode(images_, RegisterImages::TemperatureIndex(b, 2), CodeChars(reply, p + 1, p + 2, p - 1));
        StoreCode(images_, RegisterImages::TemperatureIndex(b, 3), CodeChars(reply, p + 6, p + 3, p + 4));
        const auto& set = images_.temperatures;
        if (set.pec[U(b)] == set.computed[U(b)])
            images_.thermalBit[U(b)] = static_cast<std::int16_t>((set.data[U(b)][4] >> 4) & 1);
    }
    listeners_.temperaturesRead();
}

void ChainProtocol::ReadDiagnostics()
{
    constexpr int n = 2;
    const std::string reply = Read(ReadKind::Diagnostics, "54", n);
    ShowRead(panel_, images_, ReadKind::Diagnostics, current());
    Judge(ReadKind::Diagnostics);
    listeners_.transferShown();
    for (int b = 0; b <= last(); ++b) {
        auto& diag = images_.diag[U(b)];
        const int base = 6 * b;
        diag.referenceVolts = CodeToVolts(HexPrefixValue(CodeChars(reply, 8 + base, 5 + base, 6 + base), 3));
        const auto& set = images_.diagnostics;
        if (set.pec[U(b)] == set.computed[U(b)]) {
            const unsigned nibble = HexPrefixValue(link::ReplyChars(reply, 7 + base, 1), 1);
            diag.revision = static_cast<std::int16_t>(nibble >> 2);
            diag.muxFail = static_cast<std::int16_t>((nibble >> 1) & 1);
        }
    }
    listeners_.diagnosticsRead();
}

void ChainProtocol::ReadCellVoltages(int groupCode)
{
    if (groupCode < 0 || groupCode > 5) groupCode = 0;
    const CellGroup& group = CellGroupFor(groupCode);
    const std::string reply = Read(group.kind, group.command, group.bytesPerBoard);
    ShowRead(panel_, images_, group.kind, current(), groupCode);
    Judge(group.kind);
    listeners_.transferShown();
    const int charsPerBoard = 2 * (group.bytesPerBoard + 1);
    const int triples = group.bytesPerBoard / 3;
    for (int b = 0; b <= last(); ++b) {
        for (int j = 0; j < triples; ++j) {
            const int p = 8 + 6 * j + charsPerBoard * b;
            const int cell = group.firstCell + 2 * j;
            StoreCode(images_, RegisterImages::CellIndex(b, cell), CodeChars(reply, p, p - 3, p - 2));
            StoreCode(images_, RegisterImages::CellIndex(b, cell + 1), CodeChars(reply, p + 1, p + 2, p - 1));
        }
    }
    listeners_.cellVoltagesRead(groupCode);
}

} // namespace qm::protocol
