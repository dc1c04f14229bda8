#pragma once
// Invariants of the register images, the transfer panel, the cell status codes
// and the display texts, checked after every chain command whatever the
// controller answered. The session soak, the window soak and the fuzz targets
// share them. Every check appends a readable problem to a Report instead of
// stopping, so a test can print them all and a fuzz target can abort.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/Session.h"
#include "link/Device.h"

namespace qm::test {

struct Report {
    std::vector<std::string> problems;

    void Fail(std::string problem) { problems.push_back(std::move(problem)); }
    // Records `what` (with the board and item, when given) unless ok.
    void Expect(bool ok, std::string_view what, int board = -1, int item = -1);
    bool Ok() const { return problems.empty(); }
    std::string Text() const; // one problem a line
};

// True when every character is printable ASCII.
bool Printable(std::string_view text);

// The display texts of every board index, in range or not: printable, of their
// fixed widths, known colours.
void CheckDisplays(Report& report, const protocol::RegisterImages& images,
                   const presentation::PresentationState& state);

// After any session procedure: ranges of every image, status codes 0..10
// (boards beyond the chain as before), display texts, the view agreeing with
// the state.
void CheckSession(Report& report, const acquisition::AppState& state,
                  const presentation::PresentationState& codesBefore);

// Sits between a session and its device and checks every register read and
// configuration write against what went over the wire: it cuts the stored
// reply itself and derives the received bytes and PEC, the verdict, the
// validity flags and the decoded values every image must hold, and that
// boards beyond the chain come through untouched.
class ReadChecker : public link::Device, public protocol::ProtocolListener {
public:
    explicit ReadChecker(link::Device& inner) : inner_(inner) {}
    void attach(acquisition::Session& session);

    bool open(int index) override { return inner_.open(index); }
    void setTimeouts(int readMs, int writeMs) override { inner_.setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override { return inner_.read(buf, n); }
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override
    {
        return inner_.readAvailable(buf, n, waitMs);
    }
    std::int32_t close() override { return inner_.close(); }

    void configurationRead() override { check(protocol::ReadKind::Config, 6); }
    void flagsRead() override { check(protocol::ReadKind::Flags, 3); }
    void temperaturesRead() override { check(protocol::ReadKind::Temperatures, 5); }
    void diagnosticsRead() override { check(protocol::ReadKind::Diagnostics, 2); }
    void cellVoltagesRead(int groupCode) override;
    void configurationWritten() override;

    Report report;
    int reads = 0;

private:
    void check(protocol::ReadKind kind, int bytesPerBoard, int groupCode = 0);

    link::Device& inner_;
    const acquisition::Session* session_ = nullptr;
    protocol::RegisterImages before_;
    std::string lastWrite_;
};

} // namespace qm::test
