#pragma once
// Traffic fixtures: recordings of the controller traffic (tests/data/traffic/
// NAME.jsonl) made over faulty simulated stacks while a scripted operator works
// the session, each kept beside what the session showed after every step of the
// script (NAME.view). Replaying a recording through the same script must show
// the same, step by step; TrafficReplayTest.cpp checks it and remakes the files
// (scripts/remake-traffic-fixtures.sh).
//
// What the session shows is rendered area by area as JSON text: the cell boxes
// and panels, the overview squares and the codes behind them, temperatures,
// flags, the transfer panel, tabs, keep-alive indication, diagnostics,
// configuration, command column, board count and focus, and the messages,
// focus moves and closing of the step. A .view file lists, after each step, the
// areas that changed since the step before:
//   step READ CELLS
//   cells [["4.1203V",0,16777215,true,...],...]
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "acquisition/Session.h"
#include "support/SessionRig.h"

namespace qm::config {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FieldLook, fore, back)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(WriteButtonLook, caption, left, top, width, height, frameVisible)
} // namespace qm::config

namespace qm::acquisition {
// Value boxes, cell panels and temperature rows as short lists:
// [text, back, fore], then for a panel [in selection, bar top, bar height, bar
// colour, body fill] and for a row [in selection, bulb, lower stem, upper stem].
inline void to_json(nlohmann::json& j, const ValueBox& b) { j = {b.text, b.back, b.fore}; }
inline void to_json(nlohmann::json& j, const CellPanelView& c)
{
    j = {c.value.text, c.value.back, c.value.fore, c.inSelection, c.barTop, c.barHeight, c.barColour, c.bodyFill};
}
inline void to_json(nlohmann::json& j, const TemperatureRowView& r)
{
    j = {r.value.text, r.value.back, r.value.fore, r.inSelection, r.graphic[0], r.graphic[1], r.graphic[2]};
}
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ConfigView, registerTexts, registerLook, cdcLook, vuvLook, vovLook, writeButton,
                                   readBackTexts, readBackBack, editors, thresholdTexts, zeroMarkers, cdcTable,
                                   cdcNumber, cdcFrame)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(CommandView, cycleCaption, cycleToolTip, cycleLamp, dccLamp, singleCommandsEnabled,
                                   readConfigEnabled, continuousStart, selfTestOption, selfTestTips, windowWidthTwips,
                                   windowHeightTwips, timerRunning)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(KeepAliveIndication, messageVisible, messageBack, messageCaption, messageFontSize,
                                   wdtServiceVisible, pollButtonLeft, pollButtonWidth)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FocusTarget, array, index)
} // namespace qm::acquisition

namespace qm::protocol {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(TransferPanel, direction, headerTop, headerBottom, caption, value, valueBack,
                                   lastKind, lastGroupCode, ovalFill)
} // namespace qm::protocol

namespace qm::test {

// Area name -> its JSON text.
using Shown = std::map<std::string, std::string>;

inline Shown ShownBy(const acquisition::Session& session, const RecordingDisplay& display)
{
    using nlohmann::json;
    const acquisition::AppState& s = session.state();
    const acquisition::View& v = s.view;
    json squares = json::array(), hollow = json::array(), codes = json::array();
    for (int b = 0; b <= s.chain.lastBoardIndex; ++b) {
        json sq = json::array(), ho = json::array(), co = json::array();
        for (int c = 1; c <= 12; ++c) {
            const auto i = static_cast<std::size_t>(presentation::PresentationState::StatusIndex(b, c));
            sq.push_back(v.squareColour[i]);
            ho.push_back(v.squareHollow[i] ? 1 : 0);
            co.push_back(s.status.statusCode[i]);
        }
        squares.push_back(sq);
        hollow.push_back(ho);
        codes.push_back(co);
    }
    json tabs = json::array();
    for (int t = 0; t < presentation::kTabCount; ++t) {
        const auto tab = static_cast<presentation::Tab>(t);
        tabs.push_back({s.tabs.state(tab), s.tabs.armedLook(tab)});
    }
    const std::map<std::string, json> areas{
        {"identification", {{"text", s.acq.identification}, {"recognised", s.acq.boardRecognised}}},
        {"boards",
         {{"last", s.chain.lastBoardIndex}, {"current", s.chain.currentBoard}, {"tenCells", v.tenCellLayout},
          {"cell", v.selectedCell}, {"temperatureRow", v.selectedTemperatureRow}, {"loaded", v.loaded}}},
        {"cells", v.cells},
        {"squares", {{"colour", squares}, {"hollow", hollow}}},
        {"codes", codes},
        {"temperatures", v.temperatures},
        {"flags", {{"texts", v.flags}, {"legend", v.legend}}},
        {"transfer", s.panel},
        {"tabs", tabs},
        {"keepAlive", s.acq.indication},
        {"diagnostics", v.diagnostics.fields},
        {"config", {{"view", v.config}, {"cfgr0Option", s.config.cfgr0Option}, {"thresholdOption", s.config.thresholdOption}}},
        {"commands", v.commands},
        {"messages", display.messages},
        {"focus", display.focus},
        {"closed", display.closed},
    };
    Shown shown;
    for (const auto& [area, value] : areas) shown[area] = value.dump();
    return shown;
}

// One operator action of a script; a step without an action is a timer tick.
struct ScriptStep {
    std::string label;
    std::function<void(acquisition::Session&)> act;
};

struct StepShown {
    std::string label;
    Shown shown;
};

// Runs the steps until the session closes, rendering what it shows after each
// one; beforeTick lets time pass (the simulator's clock) before a tick.
inline std::vector<StepShown> RunScript(acquisition::Session& session, RecordingDisplay& display,
                                        const std::vector<ScriptStep>& steps, const std::function<void()>& beforeTick)
{
    std::vector<StepShown> out;
    for (const ScriptStep& step : steps) {
        if (session.closed()) break;
        display.messages.clear();
        display.focus.clear();
        if (step.act) {
            step.act(session);
        } else {
            if (beforeTick) beforeTick();
            session.OnTimerTick();
        }
        out.push_back({step.label, ShownBy(session, display)});
    }
    return out;
}

// The operator at the bench: start-up, a configuration written for `boards`
// boards, the single commands, a look at board 2, passes of the continuous
// cycle, the self tests and the diagnostics. `variant` swaps a step for the
// divergence tests: "boards" writes for one board fewer, "button" starts an
// open-wire conversion where the script starts a cell conversion.
inline std::vector<ScriptStep> BenchScript(int boards, std::string_view variant = {})
{
    using S = acquisition::Session;
    const auto button = [](const char* label, int index) {
        return ScriptStep{label, [index](S& s) { s.OnCommandButton(index); }};
    };
    const ScriptStep tick{"tick", nullptr};
    const int chosen = variant == "boards" ? boards - 1 : boards;
    std::vector<ScriptStep> steps{
        {"start-up", [](S& s) { s.OnLoad(); }},
        tick,
        tick,
        {"choose boards", [chosen](S& s) { s.OnBoardCountChosen(chosen - 1); }},
        {"VOV 4.2", [](S& s) { s.EnterThreshold(1, "4.2"); }},
        {"VUV 3.0", [](S& s) { s.EnterThreshold(0, "3.0"); }},
        {"CDC up", [](S& s) { s.OnCdcArrow(1); }},
        {"CDC up", [](S& s) { s.OnCdcArrow(1); }},
        button("WRITE CONFIG", 5),
        button("READ CONFIG", 6),
        tick,
        variant == "button" ? button("STOWAD", 3) : button("STCVAD", 2),
        tick,
        button("READ CELLS", 7),
        button("READ FLAGS", 8),
        button("STTMPAD", 4),
        tick,
        button("READ TEMPS", 9),
        button("STOWAD", 3),
        tick,
        button("READ CELLS", 7),
        {"board 2", [](S& s) { s.OnBoardFocus(1); }},
        {"board 1", [](S& s) { s.OnBoardFocus(0); }},
        button("START CONTINUOUS", 10),
    };
    for (int i = 0; i < 9; ++i) steps.push_back(tick);
    const std::vector<ScriptStep> rest{
        button("STOP CONTINUOUS", 10),
        {"self test 1", [](S& s) { s.SelectSelfTest(0); }},
        {"STCVAD SELF TEST", [](S& s) { s.OnSelfTestButton(0); }},
        tick,
        {"READ CELLS HEX", [](S& s) { s.OnSelfTestButton(3); }},
        {"STTMPAD SELF TEST", [](S& s) { s.OnSelfTestButton(2); }},
        tick,
        {"READ TEMPS HEX", [](S& s) { s.OnSelfTestButton(4); }},
        {"STARTDIAGN", [](S& s) { s.OnDiagnosticButton(0); }},
        tick,
        {"READ DIAGN", [](S& s) { s.OnDiagnosticButton(1); }},
        tick,
        tick,
    };
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

// Start-up, a configuration written and the continuous cycle left running.
inline std::vector<ScriptStep> CycleScript(int boards, int ticks)
{
    std::vector<ScriptStep> steps = BenchScript(boards);
    steps.resize(10); // up to READ CONFIG
    steps.push_back({"START CONTINUOUS", [](acquisition::Session& s) { s.OnCommandButton(10); }});
    for (int i = 0; i < ticks; ++i) steps.push_back({"tick", nullptr});
    return steps;
}

struct TrafficFixture {
    const char* name;
    const char* scenario;
    int boards;
    bool cycleOnly; // CycleScript instead of BenchScript

    std::vector<ScriptStep> script() const { return cycleOnly ? CycleScript(boards, 40) : BenchScript(boards); }
    std::string path(const char* extension) const
    {
        return std::string(QM_SOURCE_DIR "/tests/data/traffic/") + name + extension;
    }
};

inline const std::vector<TrafficFixture>& TrafficFixtures()
{
    static const std::vector<TrafficFixture> all{
        {"pec-thermal", "boards=3,seed=5,pec-errors=1:0.25,thsd=2", 3, false},
        {"openwire-selftest", "boards=2,seed=2,openwire=0:5,selftest-fault=0:7,mux-fail=0", 2, false},
        {"unplug", "boards=4,seed=3,unplug-after=3", 4, true},
    };
    return all;
}

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
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("step ", 0) == 0) {
            steps.push_back({line.substr(5), steps.empty() ? Shown{} : steps.back().shown});
            continue;
        }
        const auto space = line.find(' ');
        if (steps.empty() || space == std::string::npos) return std::nullopt;
        steps.back().shown[line.substr(0, space)] = line.substr(space + 1);
    }
    return steps;
}

} // namespace qm::test
