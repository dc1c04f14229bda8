#pragma once
// Traffic fixtures: recordings of the controller traffic (tests/data/traffic/
// NAME.jsonl) made over faulty simulated stacks while a scripted operator works
// the session, each kept beside what the session showed after every step
// (NAME.view: after each "step" line, the areas that changed, as JSON).
// Replaying a recording through the same script must show the same, step by
// step; TrafficReplayTest.cpp checks it and remakes the files
// (scripts/remake-traffic-fixtures.sh).
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "acquisition/Session.h"
#include "support/Operator.h"
#include "support/SessionRig.h"

namespace qm::config {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FieldLook, fore, back)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(WriteButtonLook, caption, left, top, width, height, frameVisible)
} // namespace qm::config

namespace qm::protocol {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TransferPanel, direction, headerTop, headerBottom, caption, value, valueBack,
                                   lastKind, lastGroupCode, ovalFill)
} // namespace qm::protocol

namespace qm::acquisition {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ValueBox, text, back, fore)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(CellPanelView, value, inSelection, barTop, barHeight, barColour, bodyFill)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TemperatureRowView, value, inSelection, graphic)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(DiagnosticView, fields)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ConfigView, registerTexts, registerLook, cdcLook, vuvLook, vovLook, writeButton,
                                   readBackTexts, readBackBack, editors, thresholdTexts, zeroMarkers, cdcTable,
                                   cdcNumber, cdcFrame)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(CommandView, cycleCaption, cycleToolTip, cycleLamp, dccLamp, singleCommandsEnabled,
                                   readConfigEnabled, continuousStart, selfTestOption, selfTestTips, windowWidthTwips,
                                   windowHeightTwips, timerRunning)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(KeepAliveIndication, messageVisible, messageBack, messageCaption, messageFontSize,
                                   wdtServiceVisible, pollButtonLeft, pollButtonWidth)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FocusTarget, array, index)
// All of the view but the oval tips (timed on the host's clock), the datalog
// and the discharge check.
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(View, cells, squareColour, squareHollow, temperatures, flags, legend, config,
                                   commands, diagnostics, tenCellLayout, selectedCell, selectedTemperatureRow, loaded)
} // namespace qm::acquisition

namespace qm::test {

// What the session shows, area by area (each a top-level field of the view or
// a part of the state the window shows): area name -> its JSON text.
using Shown = std::map<std::string, std::string>;

inline Shown ShownBy(const acquisition::Session& session, const RecordingDisplay& display)
{
    using nlohmann::json;
    const acquisition::AppState& s = session.state();
    json all = s.view;
    for (int t = 0; t < presentation::kTabCount; ++t)
        all["tabs"].push_back(json::array({s.tabs.state(presentation::Tab(t)), s.tabs.armedLook(presentation::Tab(t))}));
    all["identification"] = json::array({s.acq.identification, s.acq.boardRecognised});
    all["boards"] = json::array({s.chain.lastBoardIndex, s.chain.currentBoard});
    all["options"] = json::array({s.config.cfgr0Option, s.config.thresholdOption});
    all["codes"] = s.status.statusCode;
    all["transfer"] = s.panel;
    all["keepAlive"] = s.acq.indication;
    all["messages"] = display.messages;
    all["focus"] = display.focus;
    all["closed"] = display.closed;
    Shown shown;
    for (const auto& [area, value] : all.items()) shown[area] = value.dump();
    return shown;
}

// One step of a script; a step without an action is a timer tick. An action
// may tick itself, by the function it is given.
using Tick = std::function<void()>;
struct ScriptStep {
    std::string label;
    std::function<void(acquisition::Session&, const Tick&)> act;
};

// A script in words, one step each: "." a tick, "L" start-up, "Bn" command
// button n, "Tn" self-test button n, "Dn" diagnostic button n, "Nn" the board
// count at list position n, "Fn" the focus on board index n, "Sn" self-test
// option n, "C" the duty-cycle up arrow, "U<volts>" and "O<volts>" typed VUV
// and VOV.
inline std::vector<ScriptStep> Script(const std::string& words)
{
    using S = acquisition::Session;
    std::vector<ScriptStep> steps;
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        const std::string arg = w.substr(1);
        const int n = std::atoi(arg.c_str());
        const std::map<char, std::function<void(S&)>> acts{
            {'L', [](S& s) { s.OnLoad(); }},
            {'B', [n](S& s) { s.OnCommandButton(n); }},
            {'T', [n](S& s) { s.OnSelfTestButton(n); }},
            {'D', [n](S& s) { s.OnDiagnosticButton(n); }},
            {'N', [n](S& s) { s.OnBoardCountChosen(n); }},
            {'F', [n](S& s) { s.OnBoardFocus(n); }},
            {'S', [n](S& s) { s.SelectSelfTest(n); }},
            {'C', [](S& s) { s.OnCdcArrow(1); }},
            {'U', [arg](S& s) { s.EnterThreshold(0, arg); }},
            {'O', [arg](S& s) { s.EnterThreshold(1, arg); }},
        };
        if (w == ".") steps.push_back({"tick", nullptr});
        else steps.push_back({w, [act = acts.at(w[0])](S& s, const Tick&) { act(s); }});
    }
    return steps;
}

// `count` actions of a seeded operator at every control (test::Operator).
inline std::vector<ScriptStep> OperatorSteps(std::uint32_t seed, int count)
{
    auto source = std::make_shared<Operator::Source>(Seeded(seed));
    std::vector<ScriptStep> steps;
    for (int a = 0; a < count; ++a)
        steps.push_back({"action " + std::to_string(a), [source](acquisition::Session& s, const Tick& tick) {
                             Operator(s, [source] { return (*source)(); }).act(tick);
                         }});
    return steps;
}

// Start-up and a configuration written for `boards` boards (VOV 4.2 V, VUV
// 3.0 V, CDC 2) and read back.
inline std::string Configured(int boards)
{
    return "L . . N" + std::to_string(boards - 1) + " O4.2 U3.0 C C B5 B6 ";
}

// The operator at the bench: the single commands, a look at board 2, passes
// of the continuous cycle, the self tests and the diagnostics. `variant`
// swaps a step for the divergence tests: "boards" writes for one board fewer,
// "button" starts an open-wire conversion where the script starts a cell
// conversion.
inline std::vector<ScriptStep> BenchScript(int boards, std::string_view variant = {})
{
    return Script(Configured(variant == "boards" ? boards - 1 : boards) + ". " + (variant == "button" ? "B3" : "B2") +
                  " . B7 B8 B4 . B9 B3 . B7 F1 F0 B10 . . . . . . . . . B10 S0 T0 . T3 T2 . T4 D0 . D1 . .");
}

// The configured stack with the continuous cycle left running.
inline std::vector<ScriptStep> CycleScript(int boards, int ticks)
{
    std::string words = Configured(boards) + "B10";
    while (ticks-- > 0) words += " .";
    return Script(words);
}

struct StepShown {
    std::string label;
    Shown shown;
};

// Runs the steps until the session closes, rendering what it shows after each
// one; `advance` lets time pass (the simulator's clock) before a tick.
inline std::vector<StepShown> RunScript(acquisition::Session& session, RecordingDisplay& display,
                                        const std::vector<ScriptStep>& steps, const Tick& advance)
{
    const Tick tick = [&] {
        if (advance) advance();
        session.OnTimerTick();
    };
    std::vector<StepShown> out;
    for (const ScriptStep& step : steps) {
        if (session.closed()) break;
        display.messages.clear();
        display.focus.clear();
        step.act ? step.act(session, tick) : tick();
        out.push_back({step.label, ShownBy(session, display)});
    }
    return out;
}

struct TrafficFixture {
    const char* name;
    const char* scenario;
    int boards;
    bool cycleOnly; // CycleScript instead of BenchScript

    std::vector<ScriptStep> script() const { return cycleOnly ? CycleScript(boards, 40) : BenchScript(boards); }
    std::string path(const char* ext) const { return std::string(QM_SOURCE_DIR "/tests/data/traffic/") + name + ext; }
};

inline const TrafficFixture kTrafficFixtures[] = {
    {"pec-thermal", "boards=3,seed=5,pec-errors=1:0.25,thsd=2", 3, false},
    {"openwire-selftest", "boards=2,seed=2,openwire=0:5,selftest-fault=0:7,mux-fail=0", 2, false},
    {"unplug", "boards=4,seed=3,unplug-after=3", 4, true},
};

// The .view text: every area after the first step, then only what changed.
inline std::string ViewFileText(const std::string& fixture, const std::vector<StepShown>& steps)
{
    std::ostringstream out;
    out << "# What the session showed after each step while " << fixture
        << ".jsonl was recorded (the areas that changed).\n"
           "# Made by scripts/remake-traffic-fixtures.sh; do not edit by hand.\n";
    Shown last;
    for (const StepShown& step : steps) {
        out << "step " << step.label << "\n";
        for (const auto& [area, text] : step.shown)
            if (last[area] != text) out << area << " " << text << "\n";
        last = step.shown;
    }
    return out.str();
}

// Reads a .view text back into full renderings per step; empty on a malformed text.
inline std::optional<std::vector<StepShown>> ParseViewFile(const std::string& text)
{
    std::vector<StepShown> steps;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto space = line.find(' ');
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("step ", 0) == 0) steps.push_back({line.substr(5), steps.empty() ? Shown{} : steps.back().shown});
        else if (steps.empty() || space == std::string::npos) return std::nullopt;
        else steps.back().shown[line.substr(0, space)] = line.substr(space + 1);
    }
    return steps;
}

} // namespace qm::test
