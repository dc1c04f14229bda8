#pragma once
// The project's programs run as child processes (the window offscreen), and
// what they leave behind: records, traffic recordings, the last error line.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "datalog/RecordSupport.h"
#include "link/TrafficReader.h"
#include "support/ChildProcess.h"

namespace qm::test {

inline const std::string kCli = QM_BINARY_DIR "/qm7410-cli";
inline const std::string kGui = QM_BINARY_DIR "/qm7410-gui";
inline const std::vector<std::pair<std::string, std::string>> kOffscreen{{"QT_QPA_PLATFORM", "offscreen"}};

struct Result {
    int status;
    std::string out, err;
};

// A program run to its end (60 s at most): its status, standard output and error.
inline Result Exec(const std::string& program, std::vector<std::string> args)
{
    ChildProcess child(program, std::move(args), kOffscreen);
    const int status = child.wait(60'000);
    return {status, child.outputText(), child.errorText()};
}
inline Result Cli(std::vector<std::string> args) { return Exec(kCli, std::move(args)); }
inline Result Gui(std::vector<std::string> args) { return Exec(kGui, std::move(args)); }

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The last line of a text (the program's own, after anything Qt said before it).
inline std::string LastLine(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.substr(text.rfind('\n') + 1); // from the start when there is only one
}

// The configuration writes a traffic recording shows sent to the board.
inline std::vector<std::string> ConfigWrites(const std::filesystem::path& traffic)
{
    std::vector<std::string> frames;
    if (const auto read = link::ReadTrafficFile(traffic))
        for (const auto& t : read.recording->transactions)
            for (const auto& op : t.ops)
                if (op.kind == link::TrafficOperation::Kind::Write && op.bytes.rfind("MSxT01", 0) == 0)
                    frames.push_back(op.bytes);
    return frames;
}

} // namespace qm::test
