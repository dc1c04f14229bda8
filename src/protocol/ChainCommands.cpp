// Commands that only send: start conversions, polls, the diagnostic start, the
// keep-alive poll, and the configuration write.
#include <span>

#include "link/Transport.h"
#include "protocol/ByteText.h"
#include "protocol/ChainProtocol.h"
#include "protocol/Frames.h"
#include "protocol/Pec.h"

namespace qm::protocol {

namespace {
std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The selector is one character; anything else would corrupt the frame, so an
// empty or longer text is taken as "0" (all cells / all inputs).
char SelectorDigit(std::string_view selector) { return selector.size() == 1 ? selector[0] : '0'; }
} // namespace

void ChainProtocol::SendStart(std::string_view mnemonic, const std::string& command)
{
    link::TransactWriteOnly(device_, SendFrame(command));
    ShowSendOnly(panel_, mnemonic, command, CommandPec(command));
    listeners_.transferShown();
}

void ChainProtocol::StartCellConversion(CellStartKind kind, std::string_view selector)
{
    const std::string command{CellStartDigit(kind), SelectorDigit(selector)};
    SendStart(CellStartMnemonic(kind), command);
    for (int b = 0; b <= last(); ++b) {
        images_.cellValid[U(b)] = 0;
        images_.flagValid[U(b)] = 0;
    }
}

void ChainProtocol::StartTemperatureConversion(std::string_view selector)
{
    const std::string command{kTemperatureStartDigit, SelectorDigit(selector)};
    SendStart("STTMPAD", command);
    for (int b = 0; b <= last(); ++b) images_.temperatureValid[U(b)] = 0;
}

void ChainProtocol::StartPoll(int mode)
{
    const std::string command(mode == 1 ? cmd::PLINT : cmd::PLADC);
    link::TransactWriteOnly(device_, PollFrame(command));
    ShowSendOnly(panel_, mode == 1 ? "PLINT" : "PLADC", command, CommandPec(command));
    listeners_.transferShown();
}

void ChainProtocol::StartDiagnostic()
{
    SendStart("DAGN", std::string(cmd::DAGN));
    listeners_.diagnosticsCleared();
}

void ChainProtocol::SendKeepAlive() { link::TransactWriteOnly(device_, SendFrame(cmd::PLADC)); }

std::string ConfigDataPec(const RegisterImages& images, int board)
{
    std::array<std::uint8_t, 6> bytes{};
    const auto& regs = images.pending[U(board)];
    for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = ByteFromText(regs[k]);
    return ByteText(PecOfBytes(bytes));
}

void ChainProtocol::WriteConfiguration()
{
    std::string frame = "MSxT";
    frame += cmd::WRCFG;
    frame += 'S';
    frame += CommandPec(cmd::WRCFG);
    for (int b = last(); b >= 0; --b) {
        const std::string dpec = ConfigDataPec(images_, b);
        images_.writtenDataPec[U(b)] = ByteFromText(dpec);
        // Registers go out as two-digit texts; one that is not (it never should
        // be) is normalised so the frame keeps its shape.
        for (const std::string& reg : images_.pending[U(b)]) frame += "S" + ByteText(ByteFromText(reg));
        frame += "S" + dpec;
    }
    frame += 'X';
    link::TransactWriteOnly(device_, frame);
    ShowConfigurationWrite(panel_, images_, current());
    listeners_.transferShown();
    images_.configReadBackFlag = 0;
    RecordWrittenConfiguration(images_, chain_);
    listeners_.configurationWritten();
}

void RecordWrittenConfiguration(RegisterImages& images, const ChainSelection& chain)
{
    for (int b = 0; b <= chain.lastBoardIndex && b < kMaxBoards; ++b) images.written[U(b)] = images.pending[U(b)];
    if (chain.currentBoard < 0 || chain.currentBoard >= kMaxBoards) return;
    const std::uint8_t cfgr0 = ByteFromText(images.written[U(chain.currentBoard)][0]);
    images.writtenTenCellFlag = (cfgr0 & 0x08) != 0 ? 1 : 0;
}

} // namespace qm::protocol
