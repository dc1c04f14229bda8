#pragma once
// Invariants of the register images, the transfer panel, the cell status codes
// and the display texts, checked after every chain command whatever the
// controller answered. The session soak and the fuzz targets share them.
//
// The read check cuts the stored reply text itself (its own cutting, not the
// link's) and derives from those bytes what every image must hold: the
// received bytes and PEC, the verdict, the validity flags and the decoded
// values. Boards beyond the last board index must come through untouched.
//
// Every check appends a readable problem to a Report instead of stopping, so a
// test can print all of them and a fuzz target can abort on the first run that
// has any.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/Session.h"
#include "link/Device.h"
#include "presentation/StatusRules.h"
#include "protocol/RegisterImages.h"
#include "protocol/TransferPanel.h"

namespace qm::test {

struct Report {
    std::vector<std::string> problems;

    void Fail(std::string problem) { problems.push_back(std::move(problem)); }
    // Records `what` (with the board and item, when given) unless ok; the
    // text is only built for a problem, so checks cost little when all is well.
    void Expect(bool ok, std::string_view what, int board = -1, int item = -1);
    bool Ok() const { return problems.empty(); }
    std::string Text() const; // one problem a line
};

// The shape of one register read: its kind, data bytes per board and, for the
// cell reads, the cell group code (the cells it fills).
struct ReadShape {
    protocol::ReadKind kind = protocol::ReadKind::Config;
    int bytesPerBoard = 6;
    int groupCode = 0;
};

ReadShape ConfigurationRead();
ReadShape FlagRead();
ReadShape TemperatureRead();
ReadShape DiagnosticRead();
ReadShape CellRead(int groupCode);

// After one read of the given shape: `before` is a copy of the images taken
// right before it.
void CheckRead(Report& report, const protocol::RegisterImages& before, const protocol::RegisterImages& after,
               const protocol::TransferPanel& panel, const ReadShape& shape, int lastBoardIndex,
               int currentBoard);

// After a configuration write: the frame sent, and the written copy.
void CheckWriteFrame(Report& report, std::string_view frame, const protocol::RegisterImages& images,
                     int lastBoardIndex);

// Every status code 0..10; codes of boards beyond the last index as before.
void CheckStatusCodes(Report& report, const presentation::PresentationState& before,
                      const presentation::PresentationState& after, int lastBoardIndex);

// Ranges of everything the images hold for any board (flags 0/1, verdicts
// 0..3, oval colours, revision, values within the code range, texts).
void CheckImageRanges(Report& report, const protocol::RegisterImages& images,
                      const protocol::TransferPanel& panel);

// The display texts of every board, in range or not: printable, of their
// fixed widths, known colours.
void CheckDisplays(Report& report, const protocol::RegisterImages& images,
                   const presentation::PresentationState& state);

// True when every character is printable ASCII.
bool Printable(std::string_view text);

} // namespace qm::test

namespace qm::test {

// Checks every register read and configuration write a session makes against
// what went over the wire: it sits between the session and its device (to see
// each frame and the images right before it) and listens to the chain
// protocol (to check once the read is decoded, before any rule runs).
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

    void configurationRead() override { check(ConfigurationRead()); }
    void flagsRead() override { check(FlagRead()); }
    void temperaturesRead() override { check(TemperatureRead()); }
    void diagnosticsRead() override { check(DiagnosticRead()); }
    void cellVoltagesRead(int groupCode) override { check(CellRead(groupCode)); }
    void configurationWritten() override;

    Report report;
    int reads = 0;

private:
    void check(const ReadShape& shape);

    link::Device& inner_;
    const acquisition::Session* session_ = nullptr;
    protocol::RegisterImages before_;
    std::string lastWrite_;
};

// The checks that hold after any session procedure whatever the controller
// answered: ranges of every image, status codes 0..10 (boards beyond the chain
// as before), display texts, and the view agreeing with the state.
void CheckSession(Report& report, const acquisition::AppState& state,
                  const presentation::PresentationState& codesBefore);

} // namespace qm::test
