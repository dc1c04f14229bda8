#include "support/Invariants.h"

#include <algorithm>
#include <cmath>

#include "link/Transport.h"
#include "presentation/DisplayContent.h"
#include "presentation/StatusTable.h"
#include "presentation/TextFormats.h"
#include "protocol/ByteText.h"
#include "protocol/CellGroups.h"
#include "protocol/Colours.h"
#include "protocol/Pec.h"

namespace qm::test {

namespace {

using protocol::ReadKind;
using protocol::RegisterImages;

std::size_t U(int i) { return static_cast<std::size_t>(i); }

int Digit(char c)
{
    const auto at = std::string_view("0123456789abcdef0123456789ABCDEF").find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at % 16);
}

bool UpperHexByte(std::string_view t) { return t == protocol::ByteText(protocol::ByteFromText(t)); }

std::string At(int board, int item = -1)
{
    return " (board " + std::to_string(board) + (item >= 0 ? ", item " + std::to_string(item) : std::string()) + ")";
}

bool IsCellKind(ReadKind kind) { return kind >= ReadKind::Cells && kind <= ReadKind::CellsC; }

bool InVoltRange(float v) { return std::isfinite(v) && v >= protocol::CodeToVolts(0) && v <= protocol::CodeToVolts(4095); }

// The shape of one register read: its kind, data bytes per board and, for the
// cell reads, the cell group code (the cells it fills).
struct ReadShape {
    ReadKind kind;
    int bytesPerBoard;
    int groupCode;
};

// Board b's bytes as cut from a reply text: data bytes, PEC byte, whether the
// PEC matched, and whether every one of its characters was a hex digit.
struct CutBoard {
    std::vector<std::uint8_t> data;
    std::uint8_t pec = 0;
    bool matched = false;
    bool allHex = true;
};

CutBoard CutBoardBytes(std::string_view reply, int board, int n)
{
    CutBoard cut;
    const std::size_t first = 4 + U(board) * 2 * U(n + 1);
    auto digitAt = [&](std::size_t at) { return Digit(at < reply.size() ? reply[at] : '\0'); };
    for (int k = 0; k <= n; ++k) {
        const int hi = digitAt(first + 2 * U(k)), lo = digitAt(first + 2 * U(k) + 1);
        cut.allHex = cut.allHex && hi >= 0 && lo >= 0;
        const auto value = static_cast<std::uint8_t>(hi < 0 ? 0 : (lo < 0 ? hi : hi * 16 + lo));
        if (k < n) cut.data.push_back(value);
        else cut.pec = value;
    }
    cut.matched = protocol::PecOfBytes(cut.data) == cut.pec;
    return cut;
}

std::int16_t ExpectedStatus(const RegisterImages& images, ReadKind kind, int b, bool matched)
{
    if (images.thermalMark[U(b)] == 1) return protocol::kPecThermalMark;
    if (!matched) return protocol::kPecMismatch;
    if (kind != ReadKind::Config && images.configReadValid[U(b)] == 0) return protocol::kPecNoVerdict;
    return protocol::kPecMatched;
}

// The oval of each verdict: none, matched, mismatch, thermal mark.
std::int32_t ExpectedOval(std::int16_t status)
{
    return std::array{colour::kWhite, colour::kGreen, colour::kRed, colour::kOrange}.at(U(status));
}

// Which table entries (1..150) a read may rewrite: the covered cells, or the
// temperature inputs, of boards 0..last.
bool Rewritten(const ReadShape& shape, int index, int last)
{
    if (index >= 121) return shape.kind == ReadKind::Temperatures && (index - 121) / 3 <= last;
    if (index < 1 || !IsCellKind(shape.kind)) return false;
    const int board = (index - 1) / 12;
    return board <= last && protocol::CellGroupFor(shape.groupCode).Covers(index - 12 * board);
}

// A 12-bit code decoded from the bytes must agree with the code text the read
// took from the characters, when those characters were plain hex digits.
void CheckCode(Report& r, const RegisterImages& after, int index, unsigned code, bool allHex, int board)
{
    std::string text = after.codeText[U(index)];
    const float volts = after.measured[U(index)];
    r.Expect(text.size() == 3, "code text of three characters", board, index);
    r.Expect(InVoltRange(volts), "value within the code range", board, index);
    if (!allHex) return;
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (text != protocol::CodeText(code))
        r.Fail("code text " + text + " differs from code " + protocol::CodeText(code) + At(board, index));
    r.Expect(volts == protocol::CodeToVolts(code), "value of the code", board, index);
}

unsigned Low12(const std::vector<std::uint8_t>& d, std::size_t j) { return (d[j + 1] & 0x0Fu) << 8 | d[j]; }
unsigned High12(const std::vector<std::uint8_t>& d, std::size_t j) { return unsigned(d[j + 2]) << 4 | d[j + 1] >> 4; }

void CheckDecoded(Report& r, const RegisterImages& before, const RegisterImages& after, const ReadShape& shape,
                  int b, const CutBoard& cut)
{
    const auto& d = cut.data;
    const auto i = U(b);
    switch (shape.kind) {
    case ReadKind::Config:
        for (int k = 0; k < 6; ++k)
            r.Expect(after.readBack[i][U(k)] == protocol::ByteText(d[U(k)]), "read-back register", b, k);
        r.Expect(after.configReadValid[i] == ((d[0] & 7) != 0 ? 1 : 0), "configuration read valid from CDC", b);
        break;
    case ReadKind::Flags:
        for (int k = 0; k < 3; ++k)
            r.Expect(after.flagTexts[i][U(k)] == protocol::ByteText(d[U(k)]), "flag register text", b, k);
        break;
    case ReadKind::Temperatures:
        CheckCode(r, after, RegisterImages::TemperatureIndex(b, 1), Low12(d, 0), cut.allHex, b);
        CheckCode(r, after, RegisterImages::TemperatureIndex(b, 2), High12(d, 0), cut.allHex, b);
        CheckCode(r, after, RegisterImages::TemperatureIndex(b, 3), Low12(d, 3), cut.allHex, b);
        r.Expect(after.thermalBit[i] == (cut.matched ? ((d[4] >> 4) & 1) : before.thermalBit[i]),
                 "thermal-shutdown bit follows a matching PEC only", b);
        break;
    case ReadKind::Diagnostics: {
        const auto& diag = after.diag[i];
        if (cut.allHex) r.Expect(diag.referenceVolts == protocol::CodeToVolts(Low12(d, 0)), "reference value", b);
        if (!cut.matched)
            r.Expect(diag.revision == before.diag[i].revision && diag.muxFail == before.diag[i].muxFail,
                     "revision and multiplexer check kept on a PEC mismatch", b);
        else if (cut.allHex)
            r.Expect(diag.revision == (d[1] >> 6) && diag.muxFail == ((d[1] >> 5) & 1),
                     "revision and multiplexer check from the matching reply", b);
        break;
    }
    default: { // the cell reads
        const int first = protocol::CellGroupFor(shape.groupCode).firstCell;
        for (int j = 0; j < shape.bytesPerBoard / 3; ++j) {
            CheckCode(r, after, RegisterImages::CellIndex(b, first + 2 * j), Low12(d, U(3 * j)), cut.allHex, b);
            CheckCode(r, after, RegisterImages::CellIndex(b, first + 2 * j + 1), High12(d, U(3 * j)), cut.allHex, b);
        }
    }
    }
}

void CheckValidity(Report& r, const RegisterImages& before, const RegisterImages& after, ReadKind kind, int b,
                   bool matched)
{
    const auto i = U(b);
    const std::int16_t m = matched ? 1 : 0;
    std::int16_t cell = before.cellValid[i], flag = before.flagValid[i], temp = before.temperatureValid[i];
    if (kind == ReadKind::Flags) {
        flag = m;
        cell = 0;
    }
    if (kind == ReadKind::Temperatures) temp = (matched && after.configReadValid[i] == 1) ? 1 : 0;
    if (IsCellKind(kind)) {
        cell = m;
        flag = 0;
    }
    r.Expect(after.cellValid[i] == cell, "cell data valid follows the verdict", b);
    r.Expect(after.flagValid[i] == flag, "flag data valid follows the verdict", b);
    r.Expect(after.temperatureValid[i] == temp, "temperature data valid follows the verdict", b);
    if (kind != ReadKind::Config)
        r.Expect(after.configReadValid[i] == before.configReadValid[i], "configuration read valid kept", b);
}

void CheckBoardUntouched(Report& r, const RegisterImages& before, const RegisterImages& after, ReadKind kind, int b)
{
    const auto i = U(b);
    const auto &sb = before.set(kind), &sa = after.set(kind);
    const auto &db = before.diag[i], &da = after.diag[i];
    r.Expect(sa.data[i] == sb.data[i] && sa.pec[i] == sb.pec[i] && sa.computed[i] == sb.computed[i] &&
                 after.pecStatus[i] == before.pecStatus[i] && after.cellValid[i] == before.cellValid[i] &&
                 after.flagValid[i] == before.flagValid[i] && after.temperatureValid[i] == before.temperatureValid[i] &&
                 after.configReadValid[i] == before.configReadValid[i] && after.thermalBit[i] == before.thermalBit[i] &&
                 after.thermalMark[i] == before.thermalMark[i] && after.readBack[i] == before.readBack[i] &&
                 after.flagTexts[i] == before.flagTexts[i] && da.referenceVolts == db.referenceVolts &&
                 da.revision == db.revision && da.muxFail == db.muxFail,
             "received set, verdict, validity, thermal marks and texts of a board beyond the chain kept", b);
}

void CheckRead(Report& r, const RegisterImages& before, const RegisterImages& after,
               const protocol::TransferPanel& panel, const ReadShape& shape, int last, int current)
{
    const std::string& reply = const_cast<RegisterImages&>(after).reply(shape.kind);
    r.Expect(reply.size() == link::kReplyBufferSize, "reply text keeps the buffer size");
    const int n = shape.bytesPerBoard;
    const auto& set = after.set(shape.kind);
    for (int b = 0; b <= last; ++b) {
        const auto i = U(b);
        const CutBoard cut = CutBoardBytes(reply, b, n);
        bool cutOk = set.pec[i] == cut.pec && set.computed[i] == protocol::PecOfBytes(cut.data);
        for (int k = 0; k < 18; ++k)
            cutOk = cutOk && set.data[i][U(k)] == (k < n ? cut.data[U(k)] : before.set(shape.kind).data[i][U(k)]);
        r.Expect(cutOk, "received bytes and PEC cut from the reply", b);
        const std::int16_t status = ExpectedStatus(after, shape.kind, b, cut.matched);
        if (after.pecStatus[i] != status)
            r.Fail("PEC status " + std::to_string(after.pecStatus[i]) + " expected " + std::to_string(status) + At(b));
        r.Expect(panel.ovalFill[i] == ExpectedOval(status), "oval colour follows the verdict", b);
        CheckValidity(r, before, after, shape.kind, b, cut.matched);
        CheckDecoded(r, before, after, shape, b, cut);
    }
    for (int b = last + 1; b < protocol::kBoardSlots; ++b) CheckBoardUntouched(r, before, after, shape.kind, b);
    for (int index = 0; index < protocol::kTableSize; ++index)
        if (!Rewritten(shape, index, last))
            r.Expect(after.codeText[U(index)] == before.codeText[U(index)] &&
                         after.measured[U(index)] == before.measured[U(index)],
                     "table entry not covered by the read kept", -1, index);
    if (shape.kind == ReadKind::Config) r.Expect(after.configReadBackFlag == 1, "read-back flag set by RDCFG");

    const auto c = U(current);
    r.Expect(panel.valueBack == (set.pec[c] == set.computed[c] ? colour::kWhite : colour::kRed),
             "panel colour follows the verdict");
    r.Expect(panel.lastKind == static_cast<std::int16_t>(shape.kind), "panel shows the read");
    r.Expect(Printable(panel.value) && Printable(panel.caption), "panel texts printable");
}

// The frame must carry, highest board first, each board's six pending
// registers (as their texts read) and their data PEC, as "S" tokens.
void CheckWriteFrame(Report& r, std::string_view frame, const RegisterImages& images, int last)
{
    std::string expected = "MSxT01SC7";
    for (int b = last; b >= 0; --b) {
        std::vector<std::uint8_t> regs;
        for (const std::string& text : images.pending[U(b)]) regs.push_back(protocol::ByteFromText(text));
        for (std::uint8_t value : regs) expected += "S" + protocol::ByteText(value);
        expected += "S" + protocol::ByteText(protocol::PecOfBytes(regs));
        r.Expect(images.writtenDataPec[U(b)] == protocol::PecOfBytes(regs), "data PEC recorded", b);
        r.Expect(images.written[U(b)] == images.pending[U(b)], "written copy of the pending registers", b);
    }
    if (frame != expected + "X") r.Fail("write frame " + std::string(frame) + " expected " + expected + "X");
    r.Expect(images.configReadBackFlag == 0, "read-back flag cleared by the write");
}

void CheckImageRanges(Report& r, const RegisterImages& images, const protocol::TransferPanel& panel)
{
    auto flag = [](std::int16_t v) { return v == 0 || v == 1; };
    for (int b = 0; b < protocol::kBoardSlots; ++b) {
        const auto i = U(b);
        r.Expect(images.pecStatus[i] >= 0 && images.pecStatus[i] <= 3, "PEC status in 0..3", b);
        r.Expect(flag(images.cellValid[i]) && flag(images.flagValid[i]) && flag(images.temperatureValid[i]) &&
                     flag(images.configReadValid[i]) && flag(images.thermalBit[i]) && flag(images.thermalMark[i]),
                 "validity flags, thermal bit and mark 0 or 1", b);
        r.Expect(!(images.cellValid[i] == 1 && images.flagValid[i] == 1), "cell and flag data never both valid", b);
        const auto& diag = images.diag[i];
        r.Expect(diag.revision >= 0 && diag.revision <= 3 && flag(diag.muxFail), "revision and multiplexer flag", b);
        r.Expect(diag.referenceVolts == 0.0f || InVoltRange(diag.referenceVolts), "reference value in range", b);
        for (const auto& t : images.flagTexts[i]) r.Expect(t.empty() || UpperHexByte(t), "flag text", b);
        for (const auto& t : images.readBack[i]) r.Expect(t.empty() || UpperHexByte(t), "read-back text", b);
        const auto fill = panel.ovalFill[i];
        r.Expect(fill == colour::kWhite || fill == colour::kGreen || fill == colour::kRed || fill == colour::kOrange ||
                     fill == colour::kSysWindow,
                 "oval colour", b);
    }
    for (int index = 0; index < protocol::kTableSize; ++index) {
        r.Expect(images.codeText[U(index)].size() <= 3, "code text of at most three characters");
        r.Expect(images.measured[U(index)] == 0.0f || InVoltRange(images.measured[U(index)]),
                 "value in the code range", -1, index);
    }
    r.Expect(flag(images.configReadBackFlag) && flag(images.writtenTenCellFlag), "chain-wide flags 0 or 1");
}

} // namespace

void Report::Expect(bool ok, std::string_view what, int board, int item)
{
    if (!ok) problems.push_back(std::string(what) + (board >= 0 || item >= 0 ? At(board, item) : ""));
}

std::string Report::Text() const
{
    std::string text;
    for (const auto& p : problems) text += p + "\n";
    return text;
}

bool Printable(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

void CheckDisplays(Report& r, const RegisterImages& images, const presentation::PresentationState& state)
{
    using namespace presentation;
    auto text = [&](const std::string& t, std::size_t lo, std::size_t hi, std::string_view what, int b, int i) {
        if (!Printable(t) || t.size() < lo || t.size() > hi) r.Fail(std::string(what) + " \"" + t + "\"" + At(b, i));
    };
    for (int b = -1; b <= protocol::kMaxBoards; ++b) {
        for (int c = 0; c <= 13; ++c) {
            text(CellValueText(images, b, c), kCellClearText.size(), kCellClearText.size(), "cell value text", b, c);
            text(CellHexText(images, b, c), 3, 7, "cell code text", b, c);
            r.Expect(StatusAppearanceFor(state.Code(b, c)).has_value(), "status code with an appearance", b, c);
        }
        for (int row = -1; row <= kTemperatureRows; ++row) {
            const std::size_t width = kTemperatureClearText.size();
            text(TemperatureValueText(images, b, row), width, width, "temperature value text", b, row);
            text(TemperatureHexText(images, b, row), 4, 7, "temperature code text", b, row);
        }
        for (const auto& t : FlagTexts(images, b)) text(t, t.empty() ? 0 : 7, 7, "flag box text", b, -1);
        for (Colour fill : TemperatureGraphicColours(images, b))
            r.Expect(fill == kRed || fill == kLightGrey || fill == kWindowColour, "temperature graphic colour", b);
        (void)SelectLegend(images, b, b % 2 == 0); // any board index is safe
    }
}

void ReadChecker::attach(acquisition::Session& session)
{
    session_ = &session;
    session.protocol().addListener(this);
}

std::size_t ReadChecker::write(std::string_view bytes)
{
    lastWrite_.assign(bytes);
    if (session_) before_ = session_->state().images;
    return inner_.write(bytes);
}

void ReadChecker::cellVoltagesRead(int groupCode)
{
    const auto& group = protocol::CellGroupFor(groupCode);
    check(group.kind, group.bytesPerBoard, groupCode);
}

void ReadChecker::check(ReadKind kind, int bytesPerBoard, int groupCode)
{
    if (!session_) return;
    ++reads;
    const auto& s = session_->state();
    CheckRead(report, before_, s.images, s.panel, {kind, bytesPerBoard, groupCode}, s.chain.lastBoardIndex,
              s.chain.currentBoard);
}

void ReadChecker::configurationWritten()
{
    if (session_) CheckWriteFrame(report, lastWrite_, session_->state().images, session_->state().chain.lastBoardIndex);
}

void CheckSession(Report& r, const acquisition::AppState& s, const presentation::PresentationState& codesBefore)
{
    const int last = s.chain.lastBoardIndex;
    CheckImageRanges(r, s.images, s.panel);
    for (std::size_t i = 0; i < s.status.statusCode.size(); ++i) {
        const int board = static_cast<int>(i / 12), code = s.status.statusCode[i];
        r.Expect(code >= presentation::kNoReading && code <= presentation::kSoftOver, "status code in 0..10", board,
                 static_cast<int>(i));
        r.Expect(board <= last || code == codesBefore.statusCode[i], "status code of a board beyond the chain kept",
                 board, static_cast<int>(i));
    }
    r.Expect(s.chain.currentBoard >= 0 && s.chain.currentBoard <= last && last <= 9, "board selection in range");
    const acquisition::View& v = s.view;
    for (int b = 0; b <= last; ++b)
        for (int c = 1; c <= 12; ++c)
            if (const auto look = presentation::StatusAppearanceFor(s.status.Code(b, c)))
                r.Expect(v.squareColour[U(12 * b + c - 1)] == look->colour, "square colour of the status code", b, c);
    for (int c = 1; c <= 12; ++c) {
        const auto& cell = v.cells[U(c - 1)];
        r.Expect(Printable(cell.value.text) && !cell.value.text.empty(), "cell box text", s.chain.currentBoard, c);
        if (const auto look = presentation::StatusAppearanceFor(s.status.Code(s.chain.currentBoard, c)))
            r.Expect(cell.barColour == look->colour && cell.barTop == look->barTop, "battery of the status code", -1, c);
    }
    r.Expect(v.selectedCell == 0 || (v.selectedCell >= 1 && v.selectedCell <= (v.tenCellLayout ? 10 : 12)),
             "cell selection within the layout");
    CheckDisplays(r, s.images, s.status);
    if (!v.loaded) return; // the window never opened
    for (std::size_t k = 0; k < 6; ++k)
        r.Expect(v.config.registerTexts[k].size() == 8 && Printable(v.config.registerTexts[k]), "register row text");
    for (const auto& f : v.diagnostics.fields) r.Expect(Printable(f.text), "diagnostic field printable");
}

} // namespace qm::test
