#pragma once
// Writes a stack record as a self-describing CSV file (RFC 4180, CRLF line
// ends, '.' decimals whatever the locale): '#' comment lines with the header,
// one row of column names with their units, then one row per board per pass,
// and at the end a comment line saying why the recording ended. Such a file
// opens as it is in a spreadsheet and with pandas.read_csv(f, comment='#').
//
// Each pass is written and handed to the file system as one piece when it
// ends. A failing write (full disk, drive removed, file deleted) never throws:
// the writer reports why, cuts the file back to the end of the last complete
// pass, refuses later passes, and finish() still tries to add the end line.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "datalog/Record.h"

namespace qm::datalog {

// The text the writer produces, for callers that build a file another way.
void AppendHeaderLines(std::string& out, const RecordHeader& header);
void AppendColumnRow(std::string& out);
void AppendRecordRow(std::string& out, const PassRecord& record);
void AppendEndLine(std::string& out, std::string_view reason);

inline constexpr std::string_view kEndLinePrefix = "# recording ended: ";

class CsvWriter {
public:
    CsvWriter() = default;
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;
    // Ends a file still open with "the recording was closed".
    ~CsvWriter();

    // Creates (or replaces) the file and writes the header lines and the
    // column row. False, with error() saying why, when that fails.
    bool open(const std::filesystem::path& path, const RecordHeader& header);

    // Writes the rows of one pass (one record per board) and hands them to the
    // file system. False when the writer is not open, has failed before, or
    // this write failed; error() says why.
    bool writePass(std::span<const PassRecord> records);

    // Adds "# recording ended: <reason>" and closes the file. False when that
    // line could not be written (error() says why); the records before it stay
    // as they are. Does nothing when no file was opened or it is already finished.
    bool finish(std::string_view reason);

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }
    std::uint64_t passesWritten() const { return passes_; }

private:
    bool put(std::string_view text, const char* what);
    void fail(std::string reason);

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::uint64_t committed_ = 0; // bytes up to the end of the last complete write
    std::uint64_t passes_ = 0;
    bool started_ = false;  // open() was called and the file existed
    bool finished_ = false;
    std::string error_;
    std::string buffer_;
};

} // namespace qm::datalog
