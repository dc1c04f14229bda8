#pragma once
// Writes a stack record file: a header, the records of each pass as it ends,
// and at the end a line saying why the recording ended. The spelling is the
// record format's (CSV, datalog/CsvWriter.h, or JSON lines,
// datalog/JsonLinesWriter.h); what happens to the file is the same for both.
//
// Each pass is written and handed to the file system as one piece when it
// ends. A failing write (full disk, drive removed, file deleted, a closed
// pipe) never throws: the writer reports why, cuts a file back to the end of
// the last complete pass, refuses later passes, and finish() still tries to
// add the end line.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "datalog/Record.h"

namespace qm::datalog {

enum class RecordFormat { Csv, JsonLines };

// "csv", "jsonl".
std::string_view FormatName(RecordFormat format);
std::optional<RecordFormat> FormatNamed(std::string_view name);

class RecordWriter {
public:
    explicit RecordWriter(RecordFormat format);
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;
    // Ends a record still open with "the recording was closed".
    ~RecordWriter();

    // Creates (or replaces) the file and writes the header. False, with
    // error() saying why, when that fails.
    bool open(const std::filesystem::path& path, const RecordHeader& header);
    // Writes into a stream the caller keeps open (standard output); name is
    // what messages call it. Nothing is cut back after a failed write, and
    // finish() leaves the stream open.
    bool open(std::FILE* stream, const std::string& name, const RecordHeader& header);

    // Writes the records of one pass (one per board) and hands them to the
    // file system. False when the writer is not open, has failed before, or
    // this write failed; error() says why.
    bool writePass(std::span<const PassRecord> records);

    // Adds the end line with the reason and closes the file. False when that
    // line could not be written (error() says why); the records before it
    // stay as they are. Does nothing when nothing was opened or it is already
    // finished.
    bool finish(std::string_view reason);

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    bool put(std::string_view text, const char* what);
    void fail(std::string reason);

    RecordFormat format_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = true;  // false for a stream the caller keeps
    std::filesystem::path path_;
    std::uint64_t committed_ = 0; // bytes up to the end of the last complete write
    bool started_ = false;  // open() was called and the file existed
    bool finished_ = false;
    std::string error_;
    std::string buffer_;
};

} // namespace qm::datalog
