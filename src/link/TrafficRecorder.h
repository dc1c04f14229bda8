#pragma once
// A Device decorator that records every transaction with the controller board
// to a traffic recording (format in TrafficFormat.h) while passing each
// operation on unchanged:
//
//   link::TrafficHeader header{"qm7410-gui", "0.1.0", "simulate", {}, "boards=4"};
//   link::TrafficRecorder recorder(device, "bench.jsonl", header);
//   if (!recorder.error().empty()) { std::cerr << recorder.error() << "\n"; return 2; }
//   ... use recorder wherever device was used ...
//
// The header line goes out at once. A transaction's line is written and flushed
// when it closes, so a program that stops abruptly leaves every finished
// transaction readable. Operations that come outside open..close are kept in a
// line of their own (without "open"); a transaction the program never closes is
// written when the next one opens, or by finish() / the destructor (without "close").
// Buffered flushing (see TrafficFlush) trades that safety for less host time.
// A failing file never disturbs the device: error() says what went wrong and
// the recorder goes on passing operations through.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "link/Device.h"
#include "link/TrafficFormat.h"

namespace qm::link {

// When the recorder hands its lines to the system.
enum class TrafficFlush {
    EachTransaction,  // as each transaction closes: a program that dies loses no finished transaction
    Buffered,         // when the stream's buffer is full, and at finish(): a crash loses what is buffered
};

class TrafficRecorder : public Device {
public:
    // Records to out, which must outlive the recorder.
    TrafficRecorder(Device& inner, std::ostream& out, TrafficHeader header,
                    TrafficFlush flush = TrafficFlush::EachTransaction);
    // Creates (or empties) the file and records to it.
    TrafficRecorder(Device& inner, const std::filesystem::path& file, TrafficHeader header,
                    TrafficFlush flush = TrafficFlush::EachTransaction);
    ~TrafficRecorder() override;

    TrafficRecorder(const TrafficRecorder&) = delete;
    TrafficRecorder& operator=(const TrafficRecorder&) = delete;

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

    // Writes a transaction that is still open (without "close") and flushes
    // everything written so far.
    void finish();
    // Empty while every line went out; otherwise why the recording is incomplete.
    const std::string& error() const { return error_; }
    // Transaction lines written so far.
    std::uint64_t transactions() const { return seq_; }
    // The header as written (with the start time filled in).
    const TrafficHeader& header() const { return header_; }

private:
    void begin();                 // starts a transaction unless one is under way
    void end();                   // writes the transaction under way and flushes
    void writeLine(std::string_view line);
    std::int64_t sinceStartUs() const;
    TrafficOperation& readOp(TrafficOperation::Kind kind, std::size_t n);

    Device& inner_;
    std::unique_ptr<std::ofstream> file_;
    std::ostream* out_ = nullptr;
    TrafficHeader header_;
    TrafficFlush flush_;
    std::chrono::steady_clock::time_point start_;
    TrafficTransaction current_;
    bool active_ = false;
    std::uint64_t seq_ = 0;
    std::string line_;
    std::string error_;
};

} // namespace qm::link
