#include "link/TrafficRecorder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qm::link {

TrafficRecorder::TrafficRecorder(Device& inner, std::ostream& out, TrafficHeader header, TrafficFlush flush)
    : inner_(inner), out_(&out), header_(std::move(header)), flush_(flush), start_(std::chrono::steady_clock::now())
{
    if (header_.started.empty()) header_.started = UtcNowIso8601();
    header_.version = kTrafficVersion;
    writeLine(TrafficHeaderLine(header_));
}

TrafficRecorder::TrafficRecorder(Device& inner, const std::filesystem::path& file, TrafficHeader header,
                                 TrafficFlush flush)
    : inner_(inner), header_(std::move(header)), flush_(flush), start_(std::chrono::steady_clock::now())
{
    if (header_.started.empty()) header_.started = UtcNowIso8601();
    header_.version = kTrafficVersion;
    file_ = std::make_unique<std::ofstream>(file, std::ios::binary | std::ios::trunc);
    if (!*file_) {
        error_ = "cannot create the traffic recording " + file.string() + ": " + std::strerror(errno);
        return;
    }
    out_ = file_.get();
    writeLine(TrafficHeaderLine(header_));
}

TrafficRecorder::~TrafficRecorder() { finish(); }

void TrafficRecorder::finish()
{
    if (active_) end();
    if (out_ && error_.empty() && !out_->flush()) error_ = "writing the traffic recording failed (is the disk full?)";
}

std::int64_t TrafficRecorder::sinceStartUs() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
}

void TrafficRecorder::begin()
{
    if (active_) return;
    active_ = true;
    current_.seq = seq_ + 1;
    current_.startUs = sinceStartUs();
    current_.open.reset();
    current_.ops.clear();
    current_.closeStatus.reset();
}

void TrafficRecorder::end()
{
    active_ = false;
    ++seq_;
    line_.clear();
    AppendTransactionLine(line_, current_);
    writeLine(line_);
}

void TrafficRecorder::writeLine(std::string_view line)
{
    if (!out_ || !error_.empty()) return;
    out_->write(line.data(), static_cast<std::streamsize>(line.size()));
    out_->put('\n');
    if (flush_ == TrafficFlush::EachTransaction) out_->flush();
    if (!*out_) error_ = "writing the traffic recording failed (is the disk full?); its last line may be cut off";
}

bool TrafficRecorder::open(int index)
{
    if (active_) end(); // the one before was never closed: keep it as it stands
    begin();
    const bool ok = inner_.open(index);
    current_.open = TrafficOpen{index, ok};
    return ok;
}

void TrafficRecorder::setTimeouts(int readMs, int writeMs)
{
    begin();
    TrafficOperation op;
    op.kind = TrafficOperation::Kind::Timeouts;
    op.readMs = readMs;
    op.writeMs = writeMs;
    current_.ops.push_back(std::move(op));
    inner_.setTimeouts(readMs, writeMs);
}

std::size_t TrafficRecorder::write(std::string_view bytes)
{
    begin();
    const std::size_t count = inner_.write(bytes);
    TrafficOperation op;
    op.kind = TrafficOperation::Kind::Write;
    op.bytes.assign(bytes);
    op.count = count;
    current_.ops.push_back(std::move(op));
    return count;
}

TrafficOperation& TrafficRecorder::readOp(TrafficOperation::Kind kind, std::size_t n)
{
    begin();
    TrafficOperation& op = current_.ops.emplace_back();
    op.kind = kind;
    op.count = n;
    return op;
}

std::size_t TrafficRecorder::read(char* buf, std::size_t n)
{
    TrafficOperation& op = readOp(TrafficOperation::Kind::Read, n);
    const std::size_t got = std::min(inner_.read(buf, n), n);
    op.bytes.assign(buf, got);
    op.atUs = sinceStartUs();
    return got;
}

std::size_t TrafficRecorder::readAvailable(char* buf, std::size_t n, int waitMs)
{
    TrafficOperation& op = readOp(TrafficOperation::Kind::ReadAvailable, n);
    op.waitMs = waitMs;
    const std::size_t got = std::min(inner_.readAvailable(buf, n, waitMs), n);
    op.bytes.assign(buf, got);
    op.atUs = sinceStartUs();
    return got;
}

std::int32_t TrafficRecorder::close()
{
    begin();
    const std::int32_t status = inner_.close();
    current_.closeStatus = status;
    end();
    return status;
}

} // namespace qm::link
