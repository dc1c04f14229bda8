// Fuzz target: the simulated controller board's token interpreter and chip
// chain, driven by arbitrary writes, reads, time steps and chain commands.
//
// Input layout:
//   byte 0      bit 0 set: a scenario text follows, up to the first line end
//               (when ParseScenario refuses it the default scenario runs);
//               otherwise byte 1 gives the board count, 1 + (byte % 10)
//   the rest    operations, one byte each plus their arguments:
//     0 open (device index 0, or another index)   5 read n bytes
//     1 close                                     6 let time pass
//     2 set time-outs                             7 an action of the tool's operator
//     3 write raw bytes                           8 change a chip (volts, shutdown)
//     4 write one token of the command language   9 pull the plug (rarely)
//
// Invariants while it runs: a read never delivers more than asked, and what
// it delivers is printable text (hex digits, identification, line end); the
// tool's session, started on the board first, keeps every check of its reads,
// writes and state. At the end: once "MSX" has ended whatever frame the input
// left open, the board answers its identification, a configuration write
// lands in every chip, and reading it back matches on every board whose
// replies carry no injected PEC fault. An unplugged board answers nothing.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "link/Identify.h"
#include "link/Transport.h"
#include "protocol/ByteText.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"

using namespace qm;

namespace {

constexpr const char* kTokens[] = {
    "MS", "MI", "x", "X", "R", "IZ", "MSX", "MSx", "S", "T", "0", "2", "C", "E", "F",
    "T02TCE", "T04TDC", "T0CTE4", "T0ETEA", "T54T6B", "T01SC7", "S10SB0", "S30S50", "S52S79", "S40S07", "S50S77",
    "SE3", "S00", "SB5", "SBE", "RRRRRRR",
};

bool Answerable(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u <= 0x7E) || c == '\r' || c == '\n';
}

void ChangeChip(sim::SimulatedDevice& device, int boards, fuzz::InputReader& in)
{
    sim::Chip& chip = device.chain().chip(in.byte() % boards);
    const int what = in.byte() % 3;
    const int item = in.byte() % 15 - 1; // out-of-range cells and inputs included
    const double volts = (static_cast<int>(in.byte()) - 40) * 0.05;
    if (what == 0) chip.setCellVolts(item, volts);
    else if (what == 1) chip.setTemperatureVolts(item, volts);
    else chip.setThermalShutdown((item & 1) != 0);
}

// The end of every run: a frame left open is ended, then the tool's own
// commands must work again. A board unplugged by the scenario's clock while
// this runs (a short read lets time pass) is held to neither outcome.
void Recover(sim::SimulatedDevice& device, const sim::Scenario& scenario, fuzz::CheckedSession& checked)
{
    const bool pluggedBefore = device.plugged();
    link::TransactWriteOnly(device, "MSX");
    const link::Identification id = link::IdentifyController(device);
    auto& session = checked.session;
    if (!session.closed()) {
        checked.run([&] { session.OnCommandButton(5); }, "the final configuration write");
        checked.run([&] { session.OnCommandButton(6); }, "the final configuration read");
    }
    const bool pluggedAfter = device.plugged();
    if (pluggedBefore != pluggedAfter) return;

    if (pluggedAfter) {
        std::string answer = scenario.identification + std::string(sim::ControllerBoard::kDescription);
        answer = answer.substr(0, std::min(answer.find('\0'), std::string_view("QM7410-1").size()));
        fuzz::Require(!id.text.empty() && id.text == answer, "identification answered after MSX: \"" + id.text + "\"");
    } else {
        fuzz::Require(id.text.empty() && id.recognised == 0, "an unplugged board answers nothing");
    }
    if (session.closed() || !pluggedAfter) return;
    const auto& images = session.state().images;
    for (int b = 0; b <= std::min(session.state().chain.lastBoardIndex, scenario.boards - 1); ++b) {
        const auto i = static_cast<std::size_t>(b);
        if (fuzz::Faulty(scenario, b)) continue;
        if (images.config.pec[i] != images.config.computed[i])
            fuzz::Require(false, "board " + std::to_string(b) + " mismatches after MSX and a fresh write");
        // A chip in thermal shutdown drops its discharge bits.
        if (device.chain().chip(b).thermalShutdown() || images.readBack[i] == images.written[i]) continue;
        std::string regs;
        for (std::size_t k = 0; k < 6; ++k) regs += " " + images.written[i][k] + "/" + images.readBack[i][k];
        fuzz::Require(false, "board " + std::to_string(b) + " reads back what was written (written/read:" + regs + ")");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::InputReader in(data, size);
    sim::Scenario scenario;
    if (in.byte() & 1) {
        const auto parsed = sim::ParseScenario(in.until('\n'));
        if (parsed.scenario) scenario = *parsed.scenario;
    } else {
        scenario.boards = 1 + in.byte() % 10;
    }
    auto clock = std::make_shared<sim::ManualClock>();
    sim::SimulatedDevice device(scenario, clock);
    fuzz::CheckedSession checked(device);
    auto& session = checked.session;
    checked.run([&] { session.OnLoad(); }, "start-up");
    checked.run([&] { session.OnBoardCountChosen(scenario.boards - 1); }, "the board count");
    test::Operator op(session, [&in] { return static_cast<unsigned>(in.byte()); });

    std::vector<char> buffer;
    for (int ops = 0; !in.empty() && ops < 2000; ++ops) {
        switch (in.byte() % 10) {
        case 0: {
            const std::uint8_t index = in.byte();
            device.open(index < 200 ? 0 : index);
            break;
        }
        case 1: device.close(); break;
        case 2: device.setTimeouts(in.byte() * 8 - 200, in.byte()); break;
        case 3: device.write(in.text(in.byte() % 64)); break;
        case 4: device.write(kTokens[in.byte() % std::size(kTokens)]); break;
        case 5: {
            const std::size_t n = in.byte() * 2u + (in.byte() & 1u);
            buffer.assign(n, '\0'); // exactly n, so a longer delivery is caught
            const std::size_t got = device.read(buffer.data(), n);
            fuzz::Require(got <= n, "a read delivered more than asked");
            for (std::size_t k = 0; k < got; ++k)
                fuzz::Require(Answerable(buffer[k]), "a read delivered a character no answer holds");
            break;
        }
        case 6: clock->advance(static_cast<std::int64_t>(in.byte()) * 37); break;
        case 7:
            checked.run([&] { op.act([&] { session.OnTimerTick(); }); },
                        "an action of the operator");
            break;
        case 8: ChangeChip(device, scenario.boards, in); break;
        case 9:
            if (in.byte() == 0xFF) device.unplug();
            break;
        }
    }
    Recover(device, scenario, checked);
    return 0;
}
