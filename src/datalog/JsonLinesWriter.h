#pragma once
// The stack record as JSON lines: one JSON object per line (LF ends), for
// scripts that read records with a JSON parser rather than a CSV reader.
//
//   {"record":"qm7410-record","version":1,"program":"qm7410-cli 0.1.0",
//    "startedUtc":"2026-12-07T14:03:21.300Z","device":"simulated: boards=2",
//    "intervalSeconds":0,"boardCount":2,"boards":[{"board":1,
//    "config":["E2","00","00","00","9C","CF"],"vuvVolts":3,"vovVolts":4.2}, ...]}
//   {"utc":"2026-12-07T14:03:21.600Z","sinceStartSeconds":0.3,"board":1,"cellsInUse":12,
//    "cellVolts":[3.5,...],"cellStatus":[8,...],"temperatureVolts":[1.5,1.5,2.4],
//    "flags":[0,0,0],"cellsValid":true,"temperaturesValid":true,"flagsValid":true,
//    "measuring":true,"pecFailures":{"config":0,"cells":0,"temperatures":0,"flags":0,
//    "diagnostics":0},"repliesMissing":0,"repliesShort":0,"sinceGoodReadSeconds":0.1}
//   ... one line per board per pass ...
//   {"recordingEnded":"interrupted by SIGINT"}
//
// The header line is the one with "record", every record line has "board",
// and the last line is the one with "recordingEnded". Values and their
// meaning are those of the CSV columns (datalog/CsvWriter.h); volts are
// written with the fewest digits that read back as the same value, and
// sinceGoodReadSeconds is null before the first good read.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "datalog/Record.h"

namespace qm::datalog {

// A single-precision value as the JSON number that prints with its own
// fewest digits (3.6f as 3.6, not 3.5999999046325684); null when not finite.
nlohmann::ordered_json JsonNumber(float value);

void AppendJsonHeaderLine(std::string& out, const RecordHeader& header);
void AppendJsonRecordLine(std::string& out, const PassRecord& record);
void AppendJsonEndLine(std::string& out, std::string_view reason);

} // namespace qm::datalog
