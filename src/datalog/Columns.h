#pragma once
// The record's columns as the writer and the reader know them: each column
// name stands for one field of a PassRecord (with an index for the arrays).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qm::datalog {

enum class Field : std::uint8_t {
    Utc,
    SinceStart,
    Board,
    CellsInUse,
    CellVolts,   // index 0..11
    CellStatus,  // index 0..11
    TempVolts,   // index 0..2
    FlagByte,    // index 0..2
    CellsValid,
    TempsValid,
    FlagsValid,
    Measuring,
    PecFailures, // index LinkKind
    Missing,
    Short,
    SinceGoodRead,
    Unknown, // a column this program does not know: read past
};

struct ColumnId {
    Field field;
    std::uint8_t index = 0;
};

// Parallel to ColumnNames().
const std::vector<ColumnId>& ColumnIds();
// The place of a column in ColumnNames() and ColumnIds(); none for a column
// this program does not know.
std::optional<std::size_t> ColumnIndexOf(std::string_view name);

} // namespace qm::datalog
