#pragma once
// Invariants of the register images, the transfer panel, the cell status codes
// and the display texts, checked after every chain command whatever the
// controller answered. The robustness tests and the fuzz targets share them.
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

#include "presentation/StatusRules.h"
#include "protocol/RegisterImages.h"
#include "protocol/TransferPanel.h"

namespace qm::robustness {

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

// Board b's bytes as cut from a reply text: data bytes, PEC byte, whether the
// PEC matched, and whether every one of its characters was a hex digit.
struct CutBoard {
    std::vector<std::uint8_t> data;
    std::uint8_t pec = 0;
    bool matched = false;
    bool allHex = true;
};
CutBoard CutBoardBytes(std::string_view reply, int board, int bytesPerBoard);

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

// The display texts and colours of every board (in range or not), every cell
// and every temperature row: printable, of their fixed widths, known colours.
void CheckDisplays(Report& report, const protocol::RegisterImages& images,
                   const presentation::PresentationState& state);

// True when every character is printable ASCII.
bool Printable(std::string_view text);

} // namespace qm::robustness
