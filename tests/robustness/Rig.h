#pragma once
// A chain under test: the register images, transfer panel, status codes and
// chain commands over any controller, with one call per command that runs the
// command, the classification the window runs after it, and every invariant
// check of Invariants.h. The robustness tests and the fuzz targets drive the
// core through it.
#include <cstddef>
#include <string>

#include "link/Device.h"
#include "presentation/StatusRules.h"
#include "protocol/ChainProtocol.h"
#include "robustness/Invariants.h"

namespace qm::robustness {

// Passes every operation on and keeps the last command text and the last
// read count, so the checks can look at the frame a command sent.
class FrameTap : public link::Device {
public:
    explicit FrameTap(link::Device& inner) : inner_(inner) {}

    bool open(int index) override { return inner_.open(index); }
    void setTimeouts(int readMs, int writeMs) override { inner_.setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::int32_t close() override { return inner_.close(); }

    const std::string& lastWrite() const { return lastWrite_; }
    std::size_t lastReadCount() const { return lastReadCount_; }
    std::size_t largestReadCount() const { return largestReadCount_; }

private:
    link::Device& inner_;
    std::string lastWrite_;
    std::size_t lastReadCount_ = 0;
    std::size_t largestReadCount_ = 0;
};

struct Rig {
    Rig(link::Device& device, int boards, int currentBoard = 0);
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    int last() const { return chain.lastBoardIndex; }

    FrameTap tap;
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain;
    presentation::PresentationState state;
    protocol::ChainProtocol proto;
    // The cell group code the flag rule uses: that of the last cell read.
    int groupCode = 0;
    // The display checks walk every box of every board; a caller that runs
    // many commands may turn them off and check the displays once at the end.
    bool checkDisplays = true;
};

// Which rules run after a read. A command button runs the read's own rule
// (mask and discharge after a cell read, thermal after a temperature read,
// flag after a flag read); a step of the continuous cycle runs the flag rule
// after every step as well.
enum class Classify { Command, ContinuousStep };

// One register read, then the rules, with every check.
Report ReadAndClassify(Rig& rig, const ReadShape& shape, Classify classify = Classify::ContinuousStep);

// A configuration write, then the mask and discharge rule, with the frame and
// status checks.
Report WriteAndClassify(Rig& rig);

} // namespace qm::robustness
