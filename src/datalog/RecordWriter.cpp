#include "datalog/RecordWriter.h"

#include <cerrno>
#include <system_error>

#include "datalog/CsvWriter.h"
#include "datalog/JsonLinesWriter.h"

namespace qm::datalog {

namespace {

std::string Plain(std::errc code)
{
    switch (code) {
    case std::errc::no_space_on_device: return "the disk is full";
    case std::errc::io_error: return "input/output error (was the drive removed?)";
    case std::errc::file_too_large: return "the file has grown too large for its file system";
    case std::errc::read_only_file_system: return "the file system is read-only";
    case std::errc::permission_denied: return "permission denied";
    case std::errc::no_such_file_or_directory: return "the folder does not exist";
    case std::errc::broken_pipe: return "nothing reads it any more";
    default: return std::make_error_code(code).message();
    }
}

std::string ErrnoText(int err)
{
    if (err == 0) return "the write was refused";
    return Plain(static_cast<std::errc>(err));
}

void AppendHeader(RecordFormat format, std::string& out, const RecordHeader& header)
{
    if (format == RecordFormat::JsonLines) return AppendJsonHeaderLine(out, header);
    AppendHeaderLines(out, header);
    AppendColumnRow(out);
}

void AppendPass(RecordFormat format, std::string& out, std::span<const PassRecord> records)
{
    for (const PassRecord& r : records) {
        if (format == RecordFormat::JsonLines) AppendJsonRecordLine(out, r);
        else AppendRecordRow(out, r);
    }
}

void AppendEnd(RecordFormat format, std::string& out, std::string_view reason)
{
    if (format == RecordFormat::JsonLines) return AppendJsonEndLine(out, reason);
    AppendEndLine(out, reason);
}

} // namespace

std::string_view FormatName(RecordFormat format) { return format == RecordFormat::JsonLines ? "jsonl" : "csv"; }

std::optional<RecordFormat> FormatNamed(std::string_view name)
{
    if (name == "csv") return RecordFormat::Csv;
    if (name == "jsonl") return RecordFormat::JsonLines;
    return std::nullopt;
}

RecordWriter::RecordWriter(RecordFormat format) : format_(format) {}

RecordWriter::~RecordWriter() { finish("the recording was closed"); }

bool RecordWriter::open(const std::filesystem::path& path, const RecordHeader& header)
{
    if (file_) finish("a new recording was started");
    std::error_code ec;
    path_ = std::filesystem::absolute(path, ec);
    if (ec) path_ = path;
    committed_ = 0;
    started_ = false;
    finished_ = false;
    ownsFile_ = true;
    error_.clear();
    errno = 0;
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        error_ = "cannot create " + path_.string() + ": " + ErrnoText(errno);
        return false;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0); // every write goes straight to the file system
    started_ = true;
    buffer_.clear();
    AppendHeader(format_, buffer_, header);
    return put(buffer_, "writing the header");
}

bool RecordWriter::open(std::FILE* stream, const std::string& name, const RecordHeader& header)
{
    if (file_) finish("a new recording was started");
    path_ = name;
    committed_ = 0;
    finished_ = false;
    ownsFile_ = false;
    error_.clear();
    file_ = stream;
    started_ = stream != nullptr;
    if (!file_) {
        error_ = "no stream to write " + name + " to";
        return false;
    }
    buffer_.clear();
    AppendHeader(format_, buffer_, header);
    return put(buffer_, "writing the header");
}

bool RecordWriter::writePass(std::span<const PassRecord> records)
{
    if (!file_) return false;
    buffer_.clear();
    AppendPass(format_, buffer_, records);
    return put(buffer_, "writing a pass");
}

bool RecordWriter::finish(std::string_view reason)
{
    if (!started_ || finished_) return error_.empty();
    finished_ = true;
    std::error_code ec;
    if (!file_) {
        // The file was closed after a failed write: append the end line if it
        // is still there and its header made it (a lone end line is no record).
        // A stream that failed once is not written again.
        if (!ownsFile_ || committed_ == 0 || !std::filesystem::is_regular_file(path_, ec)) return false;
        file_ = std::fopen(path_.c_str(), "ab");
        if (!file_) return false;
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
    buffer_.clear();
    AppendEnd(format_, buffer_, reason);
    const bool wasFailed = failed();
    if (!put(buffer_, "writing the end line")) return false;
    if (!ownsFile_) {
        file_ = nullptr;
        return true;
    }
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0 && !wasFailed) {
        error_ = "closing " + path_.string() + " failed: " + ErrnoText(errno);
        return false;
    }
    return true;
}

bool RecordWriter::put(std::string_view text, const char* what)
{
    errno = 0;
    const std::size_t n = std::fwrite(text.data(), 1, text.size(), file_);
    if (n != text.size() || std::fflush(file_) != 0) {
        fail(std::string(what) + " to " + path_.string() + " failed: " + ErrnoText(errno));
        return false;
    }
    std::error_code ec;
    if (ownsFile_ && !std::filesystem::exists(path_, ec)) {
        fail("the record file " + path_.string() + " is gone (deleted, or its drive was removed)");
        return false;
    }
    committed_ += text.size();
    return true;
}

void RecordWriter::fail(std::string reason)
{
    if (error_.empty()) error_ = std::move(reason);
    if (!ownsFile_) {
        file_ = nullptr; // the caller's stream stays open
        return;
    }
    if (file_) std::fclose(file_);
    file_ = nullptr;
    // Cut a partly written piece off, so that the file ends with a whole line.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path_, ec)) std::filesystem::resize_file(path_, committed_, ec);
}

} // namespace qm::datalog
