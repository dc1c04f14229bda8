// Fuzz target: the reader of traffic recordings, and the replay of what it accepts.
//
// The whole input is the text of a recording. ParseTraffic either accepts it or
// gives one message naming a line of it; it never throws. An accepted recording
// must come back the same when written out again and read once more. When the
// recorder could have written it, playing its own traffic into a ReplayDevice
// wrapped in a TrafficRecorder must answer exactly as recorded, never diverge,
// end like an unplugged board, and record the same operations again.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "link/ReplayDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"

using namespace qm;
using namespace qm::link;

namespace {

std::string Written(const TrafficRecording& recording)
{
    std::string text = TrafficHeaderLine(recording.header) + "\n";
    for (const auto& tx : recording.transactions) {
        AppendTransactionLine(text, tx);
        text += '\n';
    }
    return text;
}

// The recorder starts a line at an open and ends it at a close: an empty line,
// or one without an open right after one left without a close, it never writes.
bool Recordable(const TrafficRecording& recording)
{
    bool closed = true;
    for (const auto& tx : recording.transactions) {
        if (!tx.open && tx.ops.empty() && !tx.closeStatus) return false;
        if (!tx.open && !closed) return false;
        closed = tx.closeStatus.has_value();
    }
    return true;
}

// The count a read asks for when the recording is played: as recorded, unless
// that is more than a fuzz input can hold; then what came.
std::size_t Asked(const TrafficOperation& op) { return op.count <= 4096 ? op.count : op.bytes.size(); }

// Makes every call the recording holds, in order, and checks the answers.
void PlayOwnTraffic(Device& device, const TrafficRecording& recording)
{
    std::string buffer;
    for (const auto& tx : recording.transactions) {
        if (tx.open) fuzz::Require(device.open(tx.open->index) == tx.open->ok, "open answers as recorded");
        for (const auto& op : tx.ops) {
            switch (op.kind) {
            case TrafficOperation::Kind::Timeouts: device.setTimeouts(op.readMs, op.writeMs); break;
            case TrafficOperation::Kind::Write:
                fuzz::Require(device.write(op.bytes) == op.count, "write answers the recorded count");
                break;
            case TrafficOperation::Kind::Read:
            case TrafficOperation::Kind::ReadAvailable: {
                const std::size_t n = Asked(op);
                buffer.assign(n + 1, '\x5A');
                const std::size_t got = op.kind == TrafficOperation::Kind::Read
                                            ? device.read(buffer.data(), n)
                                            : device.readAvailable(buffer.data(), n, op.waitMs);
                fuzz::Require(got == op.bytes.size() && buffer.compare(0, got, op.bytes) == 0,
                              "a read returns the recorded characters");
                fuzz::Require(buffer.back() == '\x5A', "a read stays within what was asked for");
                break;
            }
            }
        }
        if (tx.closeStatus) fuzz::Require(device.close() == *tx.closeStatus, "close answers as recorded");
    }
}

bool SameTraffic(const TrafficTransaction& a, const TrafficTransaction& b)
{
    if (a.open != b.open || a.closeStatus != b.closeStatus || a.ops.size() != b.ops.size()) return false;
    for (std::size_t i = 0; i < a.ops.size(); ++i) {
        TrafficOperation x = a.ops[i], y = b.ops[i];
        x.atUs = y.atUs = 0; // times are the replay's own
        if (y.isRead()) y.count = Asked(y);
        if (x != y) return false;
    }
    return true;
}

void CheckReplay(const TrafficRecording& recording)
{
    ReplayDevice replay(recording);
    std::ostringstream again;
    {
        TrafficRecorder recorder(replay, again, recording.header);
        PlayOwnTraffic(recorder, recording);
    }
    fuzz::Require(!replay.failure(), "the recording's own traffic never diverges");
    const auto reread = ParseTraffic(again.str());
    fuzz::Require(reread.recording.has_value(), "the re-recording reads back: " + reread.error);
    const auto& txs = reread.recording->transactions;
    fuzz::Require(txs.size() == recording.transactions.size(), "the re-recording has every transaction");
    for (std::size_t i = 0; i < txs.size(); ++i)
        fuzz::Require(SameTraffic(txs[i], recording.transactions[i]),
                      "transaction " + std::to_string(i + 1) + " re-recorded the same");

    char byte = 0;
    fuzz::Require(!replay.open(0) && replay.read(&byte, 1) == 0 && replay.close() == 1,
                  "past the end: an unplugged board");
    fuzz::Require(replay.state() == ReplayDevice::State::Ended, "past the end: ended");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TrafficReadResult result = ParseTraffic(text, "fuzz");
    fuzz::Require(result.recording.has_value() != !result.error.empty(), "either a recording or a message");
    if (!result.recording) {
        const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzz::Require(result.errorLine >= 1 && result.errorLine <= lines, "the message names a line of the text");
        fuzz::Require(result.error.rfind("fuzz: line " + std::to_string(result.errorLine), 0) == 0,
                      "the message starts with its line");
        return 0;
    }
    const TrafficRecording& recording = *result.recording;
    const auto reread = ParseTraffic(Written(recording), "fuzz");
    fuzz::Require(reread.recording.has_value(), "a written recording reads back: " + reread.error);
    fuzz::Require(reread.recording->header == recording.header, "the header comes back the same");
    fuzz::Require(reread.recording->transactions == recording.transactions, "the transactions come back the same");
    if (Recordable(recording)) CheckReplay(recording);
    return 0;
}
