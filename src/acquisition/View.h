#pragma once
// What the window shows, as the session last decided it: the texts, colours,
// looks and states of every control the procedures change. The session keeps
// it up to date; a display copies it onto its controls, area by area, and
// decides nothing. Everything the window derives from the board count, the
// current board or the progress-tab states is not repeated here: the display
// takes those from the application state.
//
// Start values are the window's design values, so that an area painted for the
// first time shows what the window showed before for every control the
// session has not touched yet.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "acquisition/DischargeCheck.h"
#include "config/BitEditors.h"
#include "config/Looks.h"
#include "presentation/StatusTable.h"
#include "protocol/Colours.h"
#include "protocol/RegisterImages.h"

namespace qm::acquisition {

using Colour = std::int32_t;

// A value box: its text, background and text colour.
struct ValueBox {
    std::string text;
    Colour back = colour::kBlack;
    Colour fore = colour::kWhite;
    friend bool operator==(const ValueBox&, const ValueBox&) = default;
};

// The areas of the window a display paints; a session marks what changed.
enum Area : std::uint32_t {
    kAreaIdentification = 1u << 0,  // Label_IDstring (the identification of the state)
    kAreaCells = 1u << 1,           // cell value boxes, cell panel looks, battery symbols
    kAreaTemperatures = 1u << 2,    // temperature boxes, thermometers, row looks
    kAreaFlags = 1u << 3,           // flag register boxes
    kAreaStatus = 1u << 4,          // overview squares (fill and style), battery symbols
    kAreaLegend = 1u << 5,
    kAreaTransfer = 1u << 6,        // "PACKET ERROR CODE " panel and the board ovals
    kAreaTabs = 1u << 7,            // progress tabs and the read buttons they shrink
    kAreaKeepAlive = 1u << 8,       // message label, " WDT SERVICE", "POLL ADC" geometry
    kAreaDiagnostics = 1u << 9,
    kAreaConfig = 1u << 10,         // register rows, editors, thresholds, duty cycle, write button
    kAreaCommands = 1u << 11,       // cycle button and lamps, enabled commands, options, window size
    kAreaBoards = 1u << 12,         // board count, board focus, 12/10-cell layout
    // The threshold box texts and their zero markers. Apart from the rest of
    // the configuration, so that painting a look never overwrites what the
    // operator is typing into a box.
    kAreaThresholds = 1u << 13,
    kAreaRecording = 1u << 14,      // the datalog marker and menu
    kAreaDischargeCheck = 1u << 15, // the discharge check's progress and result
    kAreaAll = (1u << 16) - 1,
};

struct CellPanelView {
    ValueBox value{"0.0000V", colour::kBlack, colour::kWhite}; // Text1
    // Part of the single-cell selection (or no selection): dark lines, solid
    // battery, "READ Only" box enabled; otherwise greyed out.
    bool inSelection = true;
    // Battery level bar (panel units) and body.
    int barTop = 600;
    int barHeight = 255;
    Colour barColour = colour::kWhite;
    Colour bodyFill = colour::kWhite;
};

struct TemperatureRowView {
    ValueBox value{" 0.0000V", colour::kBlack, colour::kWhite}; // Text6
    bool inSelection = true;
    std::array<Colour, 3> graphic{colour::kWhite, colour::kWhite, colour::kWhite}; // bulb, lower, upper stem
};

struct ConfigView {
    std::array<std::string, 6> registerTexts;     // Text4
    config::FieldLook registerLook{colour::kSysWindowText, colour::kWhite};
    config::FieldLook cdcLook{colour::kSysWindowText, colour::kWhite};   // Text3, Text15
    config::FieldLook vuvLook{colour::kDarkCyan, colour::kLightGrey};    // Text2(0)
    config::FieldLook vovLook{colour::kDarkCyan, colour::kLightGrey};    // Text2(1)
    config::WriteButtonLook writeButton;
    std::array<std::string, 6> readBackTexts;     // Text5
    std::array<Colour, 6> readBackBack{colour::kWhite, colour::kWhite, colour::kWhite,
                                       colour::kWhite, colour::kWhite, colour::kWhite};
    std::array<config::Boxes, 4> editors{config::Boxes{false, false, false, false, false, true, true, true}}; // Check0..3
    std::array<std::string, 2> thresholdTexts{"Set VUV", "Set VOV  "}; // Text2
    std::array<bool, 2> zeroMarkers{true, true};  // Shape16(7), Shape16(8)
    std::string cdcTable;                         // Text3
    std::string cdcNumber;                        // Text15
    bool cdcFrame = false;                        // Shape16(6)
};

struct CommandView {
    std::string cycleCaption = "START CONTINUOUS READ CELLS"; // Command1(10)
    std::string cycleToolTip = "CONTINUOUS  READ 1) STCVAD 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG";
    Colour cycleLamp = colour::kRed;   // Shape3
    Colour dccLamp = colour::kWhite;   // Shape13
    // The single commands, hold-discharge starts, group reads and the
    // self-test panel; disabled while the continuous cycle runs.
    bool singleCommandsEnabled = true;
    bool readConfigEnabled = true;     // Command1(6)
    int continuousStart = 0;           // OptionSTADC ticked
    int selfTestOption = 0;            // Option2 ticked
    std::array<std::string, 7> selfTestTips{"0x1E STCVAD SELF TEST ALL", "0x2E STOWAD SELF TEST ALL",
                                            "0x3E STTMPAD SELF TEST ALL", "READ ALL CELLS FOR SELFTEST IN HEX.",
                                            "READ ALL TEMPS FOR SELFTEST IN HEX.", "0x6E STCVDC SELF TEST ALL",
                                            "0x7E STOWDC SELF TEST ALL"};
    int windowWidthTwips = 13500;
    int windowHeightTwips = 8970;
    bool timerRunning = false;         // Timer1 enabled
};

struct DiagnosticView {
    std::array<ValueBox, 5> fields{ValueBox{" 14-0", colour::kWhite, colour::kSysWindowText},
                                   ValueBox{" 14-1", colour::kWhite, colour::kSysWindowText},
                                   ValueBox{" 14-2", colour::kWhite, colour::kSysWindowText},
                                   ValueBox{" 14-3", colour::kWhite, colour::kSysWindowText},
                                   ValueBox{" 0.0144V", colour::kWhite, colour::kSysWindowText}};
};

// What the window shows of the datalog recording.
struct RecordingStatus {
    bool active = false;
    std::uint64_t passes = 0; // passes written since the recording started
    std::filesystem::path file;
    std::string endReason;    // why the last recording ended
    friend bool operator==(const RecordingStatus&, const RecordingStatus&) = default;
};

struct View {
    std::array<CellPanelView, 12> cells{};
    // Overview square of board b, cell c at 12b + c - 1: fill colour and
    // whether it is drawn hollow (outside the single-cell selection).
    std::array<Colour, protocol::kStatusTableSize - 1> squareColour = [] {
        std::array<Colour, protocol::kStatusTableSize - 1> a{};
        a.fill(colour::kWhite);
        return a;
    }();
    std::array<bool, protocol::kStatusTableSize - 1> squareHollow{};
    std::array<TemperatureRowView, 3> temperatures{};
    std::array<std::string, 3> flags{"  00 ", "  00 ", "  00 "};
    presentation::Legend legend = presentation::Legend::Flag;
    ConfigView config;
    CommandView commands;
    DiagnosticView diagnostics;
    // The 12/10-cell layout of the cell panels and the grid (the 10CELLS box).
    bool tenCellLayout = false;
    // The single-cell and single-temperature selections ("READ Only" and
    // "... Only" boxes): cell 1..12 and temperature row 0..2, or none.
    int selectedCell = 0;
    int selectedTemperatureRow = -1;
    // The datalog: whether it records, how many passes, into which file.
    RecordingStatus recording;
    // The tool tip of each board's PEC oval (Shape12): that board's link
    // health as of the last transfer shown. Empty until then.
    std::array<std::string, protocol::kMaxBoards> ovalTips{};
    // The discharge check: its progress while it runs, its last result, or
    // why it did not start.
    DischargeCheckView dischargeCheck;
    // Start-up has laid the window out (position, size, fixed borders).
    bool loaded = false;
};

} // namespace qm::acquisition
