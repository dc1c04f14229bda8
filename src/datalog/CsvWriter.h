#pragma once
// The stack record as a self-describing CSV file (RFC 4180, CRLF line ends,
// '.' decimals whatever the locale): '#' comment lines with the header, one
// row of column names with their units, then one row per board per pass, and
// at the end a comment line saying why the recording ended. Such a file opens
// as it is in a spreadsheet and with pandas.read_csv(f, comment='#').
#include <string>
#include <string_view>

#include "datalog/Record.h"
#include "datalog/RecordWriter.h"

namespace qm::datalog {

// The text the writer produces, for callers that build a file another way.
void AppendHeaderLines(std::string& out, const RecordHeader& header);
void AppendColumnRow(std::string& out);
void AppendRecordRow(std::string& out, const PassRecord& record);
void AppendEndLine(std::string& out, std::string_view reason);

inline constexpr std::string_view kEndLinePrefix = "# recording ended: ";

// A record writer that writes CSV.
class CsvWriter : public RecordWriter {
public:
    CsvWriter() : RecordWriter(RecordFormat::Csv) {}
};

} // namespace qm::datalog
