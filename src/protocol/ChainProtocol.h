#pragma once
// The chip commands of the chain: register reads with PEC verification, start,
// poll and diagnostic commands, and the configuration write. Each performs one
// complete transaction with the controller board, fills the register images and
// the transfer panel, and then hands over to the displays through a listener.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "link/Device.h"
#include "protocol/CommandBytes.h"
#include "protocol/RegisterImages.h"
#include "protocol/TransferPanel.h"

namespace qm::protocol {

// The boards every chain command addresses (0..lastBoardIndex) and the board
// shown in detail.
struct ChainSelection {
    int lastBoardIndex = 0;
    int currentBoard = 0;
};

// The displays a command hands over to. The window implements it; tests and
// benchmarks may leave it out.
class ProtocolListener {
public:
    virtual ~ProtocolListener() = default;
    virtual void transferShown() {}             // panel content and board ovals changed
    virtual void configurationRead() {}         // read-back display
    virtual void flagsRead() {}                 // flag register display of the current board
    virtual void temperaturesRead() {}          // temperature refresh of the current board
    virtual void cellVoltagesRead(int /*groupCode*/) {} // cell value refresh of the current board
    virtual void diagnosticsRead() {}           // diagnostic fields of the current board
    virtual void diagnosticsCleared() {}        // empty diagnostic fields after a DAGN start
    virtual void configurationWritten() {}      // field colours restored, read-back display refreshed
};

// Hands every call on to several listeners, in the order they were added.
class ListenerFanOut : public ProtocolListener {
public:
    void add(ProtocolListener* listener)
    {
        if (listener) listeners_.push_back(listener);
    }
    void clear() { listeners_.clear(); }
    void transferShown() override { each(&ProtocolListener::transferShown); }
    void configurationRead() override { each(&ProtocolListener::configurationRead); }
    void flagsRead() override { each(&ProtocolListener::flagsRead); }
    void temperaturesRead() override { each(&ProtocolListener::temperaturesRead); }
    void cellVoltagesRead(int groupCode) override
    {
        for (auto* l : listeners_) l->cellVoltagesRead(groupCode);
    }
    void diagnosticsRead() override { each(&ProtocolListener::diagnosticsRead); }
    void diagnosticsCleared() override { each(&ProtocolListener::diagnosticsCleared); }
    void configurationWritten() override { each(&ProtocolListener::configurationWritten); }

private:
    void each(void (ProtocolListener::*call)())
    {
        for (auto* l : listeners_) (l->*call)();
    }
    std::vector<ProtocolListener*> listeners_;
};

class ChainProtocol {
public:
    ChainProtocol(link::Device& device, RegisterImages& images, TransferPanel& panel, const ChainSelection& chain);

    // The only listener from now on (none for nullptr).
    void setListener(ProtocolListener* listener)
    {
        listeners_.clear();
        listeners_.add(listener);
    }
    // A further listener, told after those added before it (a recorder, the
    // checks of a test).
    void addListener(ProtocolListener* listener) { listeners_.add(listener); }
    link::Device& device() { return device_; }
    // The clock that stamps each board's last good read (the steady clock unless set).
    void setClock(std::function<HealthClock::time_point()> clock) { clock_ = std::move(clock); }

    // Register reads: one frame for every board in use.
    void ReadConfiguration();
    void ReadFlags();
    void ReadTemperatures();
    void ReadDiagnostics();
    void ReadCellVoltages(int groupCode);

    // Start commands act on every board at once; selector is one digit
    // ("0" all, "1".."C" one cell or "1".."3" one temperature input, "D".."F").
    void StartCellConversion(CellStartKind kind, std::string_view selector);
    void StartTemperatureConversion(std::string_view selector);
    // PLADC (mode 0) or PLINT (mode 1) with the frame left open.
    void StartPoll(int mode);
    void StartDiagnostic();
    // The keep-alive PLADC, closed, shown nowhere.
    void SendKeepAlive();

    // WRCFG of every board in use, highest board first, then the written copy.
    void WriteConfiguration();

private:
    // The chain selection held to boards 0..9, so that no selection can make a
    // command reach past the per-board images.
    int last() const;
    int current() const;
    std::string Read(ReadKind kind, std::string_view command, int bytesPerBoard);
    void Judge(ReadKind kind);
    void SendStart(std::string_view mnemonic, const std::string& command);

    link::Device& device_;
    RegisterImages& images_;
    TransferPanel& panel_;
    const ChainSelection& chain_;
    ListenerFanOut listeners_;
    std::function<HealthClock::time_point()> clock_ = [] { return HealthClock::now(); };
};

// PEC over CFGR0..CFGR5 of a board's pending configuration image, as a byte text.
std::string ConfigDataPec(const RegisterImages& images, int board);

// Copies the pending image of boards 0..lastBoardIndex into the written copy and
// sets the written 10-cell flag from the current board's written CFGR0.
void RecordWrittenConfiguration(RegisterImages& images, const ChainSelection& chain);

} // namespace qm::protocol
