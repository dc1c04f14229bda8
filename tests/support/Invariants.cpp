#include "support/Invariants.h"

#include <cmath>
#include <span>

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
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool UpperHexByte(std::string_view text)
{
    return text.size() == 2 && Digit(text[0]) >= 0 && Digit(text[1]) >= 0 && text == protocol::ByteText(
        static_cast<std::uint8_t>(Digit(text[0]) * 16 + Digit(text[1])));
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string At(int board, int item = -1)
{
    return " (board " + std::to_string(board) + (item >= 0 ? ", item " + std::to_string(item) : std::string()) + ")";
}

const std::string& ReplyOf(const RegisterImages& images, ReadKind kind)
{
    switch (kind) {
    case ReadKind::Config: return images.configReply;
    case ReadKind::Flags: return images.flagsReply;
    case ReadKind::Temperatures: return images.temperaturesReply;
    case ReadKind::Diagnostics: return images.diagnosticsReply;
    case ReadKind::Cells: return images.cellsReply;
    case ReadKind::CellsA: return images.cellsAReply;
    case ReadKind::CellsB: return images.cellsBReply;
    case ReadKind::CellsC: return images.cellsCReply;
    }
    return images.configReply;
}

bool IsCellKind(ReadKind kind)
{
    return kind == ReadKind::Cells || kind == ReadKind::CellsA || kind == ReadKind::CellsB || kind == ReadKind::CellsC;
}

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
    auto charAt = [&](std::size_t at) { return at < reply.size() ? reply[at] : '\0'; };
    for (int k = 0; k <= n; ++k) {
        const int hi = Digit(charAt(first + 2 * U(k)));
        const int lo = Digit(charAt(first + 2 * U(k) + 1));
        cut.allHex = cut.allHex && hi >= 0 && lo >= 0;
        const int value = hi < 0 ? 0 : (lo < 0 ? hi : hi * 16 + lo);
        if (k < n) cut.data.push_back(static_cast<std::uint8_t>(value));
        else cut.pec = static_cast<std::uint8_t>(value);
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

std::int32_t ExpectedOval(std::int16_t status)
{
    switch (status) {
    case protocol::kPecMatched: return colour::kGreen;
    case protocol::kPecMismatch: return colour::kRed;
    case protocol::kPecThermalMark: return colour::kOrange;
    default: return colour::kWhite;
    }
}

const float kMinVolts = protocol::CodeToVolts(0);
const float kMaxVolts = protocol::CodeToVolts(4095);

bool InVoltRange(float v) { return std::isfinite(v) && v >= kMinVolts && v <= kMaxVolts; }

// Which table entries (1..150) a read may rewrite: the covered cells, or the
// temperature inputs, of boards 0..last.
bool Rewritten(const ReadShape& shape, int index, int lastBoardIndex)
{
    if (index >= 121) {
        const int board = (index - 121) / 3;
        return shape.kind == ReadKind::Temperatures && board <= lastBoardIndex;
    }
    if (index < 1 || !IsCellKind(shape.kind)) return false;
    const int board = (index - 1) / 12;
    const int cell = index - 12 * board;
    return board <= lastBoardIndex && protocol::CellGroupFor(shape.groupCode).Covers(cell);
}

// A 12-bit code decoded from the bytes must agree with the code text the read
// took from the characters, when those characters were plain hex digits.
void CheckCode(Report& r, const RegisterImages& after, int index, unsigned code, bool allHex, int board)
{
    const auto& text = after.codeText[U(index)];
    const float volts = after.measured[U(index)];
    r.Expect(text.size() == 3, "code text of three characters", board, index);
    r.Expect(InVoltRange(volts), "value within the code range", board, index);
    if (!allHex) return;
    if (Upper(text) != protocol::CodeText(code))
        r.Fail("code text " + text + " differs from code " + protocol::CodeText(code) + At(board, index));
    r.Expect(volts == protocol::CodeToVolts(code), "value of the code", board, index);
}

unsigned Low12(const std::vector<std::uint8_t>& d, std::size_t j)
{
    return static_cast<unsigned>((d[j + 1] & 0x0F) << 8 | d[j]);
}
unsigned High12(const std::vector<std::uint8_t>& d, std::size_t j)
{
    return static_cast<unsigned>(d[j + 2] << 4 | d[j + 1] >> 4);
}

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
        const unsigned ref = static_cast<unsigned>((d[1] & 0x0F) << 8 | d[0]);
        if (cut.allHex)
            r.Expect(diag.referenceVolts == protocol::CodeToVolts(ref), "reference value", b);
        if (!cut.matched) {
            r.Expect(diag.revision == before.diag[i].revision && diag.muxFail == before.diag[i].muxFail,
                     "revision and multiplexer check kept on a PEC mismatch", b);
        } else if (cut.allHex) {
            r.Expect(diag.revision == (d[1] >> 6) && diag.muxFail == ((d[1] >> 5) & 1),
                     "revision and multiplexer check from the matching reply", b);
        }
        break;
    }
    case ReadKind::Cells:
    case ReadKind::CellsA:
    case ReadKind::CellsB:
    case ReadKind::CellsC: {
        const auto& group = protocol::CellGroupFor(shape.groupCode);
        for (int j = 0; j < shape.bytesPerBoard / 3; ++j) {
            const int cell = group.firstCell + 2 * j;
            CheckCode(r, after, RegisterImages::CellIndex(b, cell), Low12(d, U(3 * j)), cut.allHex, b);
            CheckCode(r, after, RegisterImages::CellIndex(b, cell + 1), High12(d, U(3 * j)), cut.allHex, b);
        }
        break;
    }
    }
}

void CheckValidity(Report& r, const RegisterImages& before, const RegisterImages& after, ReadKind kind, int b,
                   bool matched)
{
    const auto i = U(b);
    const std::int16_t m = matched ? 1 : 0;
    std::int16_t cell = before.cellValid[i], flag = before.flagValid[i], temp = before.temperatureValid[i];
    switch (kind) {
    case ReadKind::Flags: flag = m; cell = 0; break;
    case ReadKind::Temperatures: temp = (matched && after.configReadValid[i] == 1) ? 1 : 0; break;
    case ReadKind::Cells:
    case ReadKind::CellsA:
    case ReadKind::CellsB:
    case ReadKind::CellsC: cell = m; flag = 0; break;
    case ReadKind::Config:
    case ReadKind::Diagnostics: break;
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
    const auto& sb = before.set(kind);
    const auto& sa = after.set(kind);
    r.Expect(sa.data[i] == sb.data[i] && sa.pec[i] == sb.pec[i] && sa.computed[i] == sb.computed[i],
             "received set of a board beyond the chain kept", b);
    r.Expect(after.pecStatus[i] == before.pecStatus[i], "verdict of a board beyond the chain kept", b);
    r.Expect(after.cellValid[i] == before.cellValid[i] && after.flagValid[i] == before.flagValid[i] &&
                 after.temperatureValid[i] == before.temperatureValid[i] &&
                 after.configReadValid[i] == before.configReadValid[i],
             "validity flags of a board beyond the chain kept", b);
    r.Expect(after.thermalBit[i] == before.thermalBit[i] && after.thermalMark[i] == before.thermalMark[i],
             "thermal bit and mark of a board beyond the chain kept", b);
    r.Expect(after.readBack[i] == before.readBack[i] && after.flagTexts[i] == before.flagTexts[i],
             "register texts of a board beyond the chain kept", b);
    r.Expect(after.diag[i].referenceVolts == before.diag[i].referenceVolts &&
                 after.diag[i].revision == before.diag[i].revision && after.diag[i].muxFail == before.diag[i].muxFail,
             "diagnostic values of a board beyond the chain kept", b);
}

} // namespace

void Report::Expect(bool ok, std::string_view what, int board, int item)
{
    if (ok) return;
    std::string problem(what);
    if (board >= 0 || item >= 0) problem += At(board, item);
    problems.push_back(std::move(problem));
}

std::string Report::Text() const
{
    std::string text;
    for (const auto& p : problems) text += p + "\n";
    return text;
}

bool Printable(std::string_view text)
{
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) return false;
    }
    return true;
}

ReadShape ConfigurationRead() { return {ReadKind::Config, 6, 0}; }
ReadShape FlagRead() { return {ReadKind::Flags, 3, 0}; }
ReadShape TemperatureRead() { return {ReadKind::Temperatures, 5, 0}; }
ReadShape DiagnosticRead() { return {ReadKind::Diagnostics, 2, 0}; }
ReadShape CellRead(int groupCode)
{
    const auto& group = protocol::CellGroupFor(groupCode);
    return {group.kind, group.bytesPerBoard, groupCode};
}

void CheckRead(Report& r, const RegisterImages& before, const RegisterImages& after,
               const protocol::TransferPanel& panel, const ReadShape& shape, int last, int current)
{
    const std::string& reply = ReplyOf(after, shape.kind);
    r.Expect(reply.size() == link::kReplyBufferSize, "reply text keeps the buffer size");
    const int n = shape.bytesPerBoard;
    const auto& set = after.set(shape.kind);
    for (int b = 0; b <= last; ++b) {
        const auto i = U(b);
        const CutBoard cut = CutBoardBytes(reply, b, n);
        bool cutOk = set.pec[i] == cut.pec && set.computed[i] == protocol::PecOfBytes(cut.data);
        for (int k = 0; k < n; ++k) cutOk = cutOk && set.data[i][U(k)] == cut.data[U(k)];
        for (int k = n; k < 18; ++k) cutOk = cutOk && set.data[i][U(k)] == before.set(shape.kind).data[i][U(k)];
        r.Expect(cutOk, "received bytes and PEC cut from the reply", b);
        const std::int16_t status = ExpectedStatus(after, shape.kind, b, cut.matched);
        if (after.pecStatus[i] != status)
            r.Fail("PEC status " + std::to_string(after.pecStatus[i]) + " expected " + std::to_string(status) + At(b));
        r.Expect(panel.ovalFill[i] == ExpectedOval(status), "oval colour follows the verdict", b);
        CheckValidity(r, before, after, shape.kind, b, cut.matched);
        CheckDecoded(r, before, after, shape, b, cut);
    }
    for (int b = last + 1; b < protocol::kBoardSlots; ++b) CheckBoardUntouched(r, before, after, shape.kind, b);
    for (int index = 0; index < protocol::kTableSize; ++index) {
        if (Rewritten(shape, index, last)) continue;
        r.Expect(after.codeText[U(index)] == before.codeText[U(index)] &&
                     after.measured[U(index)] == before.measured[U(index)],
                 "table entry not covered by the read kept", -1, index);
    }
    if (shape.kind == ReadKind::Config) r.Expect(after.configReadBackFlag == 1, "read-back flag set by RDCFG");

    const auto c = U(current);
    const bool currentMatched = set.pec[c] == set.computed[c];
    r.Expect(panel.valueBack == (currentMatched ? colour::kWhite : colour::kRed), "panel colour follows the verdict");
    r.Expect(panel.lastKind == static_cast<std::int16_t>(shape.kind), "panel shows the read");
    r.Expect(Printable(panel.value) && Printable(panel.caption), "panel texts printable");
}

void CheckWriteFrame(Report& r, std::string_view frame, const RegisterImages& images, int last)
{
    const std::size_t boards = U(last + 1);
    const std::string_view head = "MSxT01SC7";
    r.Expect(frame.size() == head.size() + boards * 7 * 3 + 1, "write frame length");
    if (frame.size() != head.size() + boards * 7 * 3 + 1) return;
    r.Expect(frame.substr(0, head.size()) == head && frame.back() == 'X', "write frame head and end");
    std::size_t at = head.size();
    for (int b = last; b >= 0; --b) {
        std::vector<std::uint8_t> regs;
        for (int k = 0; k < 7; ++k, at += 3) {
            const std::string_view token = frame.substr(at, 3);
            const bool ok = token[0] == 'S' && UpperHexByte(token.substr(1));
            r.Expect(ok, "write frame token S + two upper-case hex digits", b, k);
            if (!ok) return;
            const auto value = static_cast<std::uint8_t>(Digit(token[1]) * 16 + Digit(token[2]));
            if (k < 6) {
                regs.push_back(value);
                r.Expect(value == protocol::ByteFromText(images.pending[U(b)][U(k)]),
                         "register sent as the pending text reads", b, k);
            } else {
                r.Expect(value == protocol::PecOfBytes(regs), "data PEC over the registers sent", b);
                r.Expect(images.writtenDataPec[U(b)] == value, "data PEC recorded", b);
            }
        }
        r.Expect(images.written[U(b)] == images.pending[U(b)], "written copy of the pending registers", b);
    }
    r.Expect(images.configReadBackFlag == 0, "read-back flag cleared by the write");
}

void CheckStatusCodes(Report& r, const presentation::PresentationState& before,
                      const presentation::PresentationState& after, int last)
{
    for (std::size_t i = 0; i < after.statusCode.size(); ++i) {
        const int board = static_cast<int>(i / 12);
        const std::int16_t code = after.statusCode[i];
        r.Expect(code >= presentation::kNoReading && code <= presentation::kSoftOver,
                 "status code in 0..10", board, static_cast<int>(i));
        if (board > last)
            r.Expect(code == before.statusCode[i], "status code of a board beyond the chain kept", board,
                     static_cast<int>(i));
    }
}

void CheckImageRanges(Report& r, const RegisterImages& images, const protocol::TransferPanel& panel)
{
    auto flag = [](std::int16_t v) { return v == 0 || v == 1; };
    for (int b = 0; b < protocol::kBoardSlots; ++b) {
        const auto i = U(b);
        r.Expect(images.pecStatus[i] >= 0 && images.pecStatus[i] <= 3, "PEC status in 0..3", b);
        r.Expect(flag(images.cellValid[i]) && flag(images.flagValid[i]) && flag(images.temperatureValid[i]) &&
                     flag(images.configReadValid[i]),
                 "validity flags 0 or 1", b);
        r.Expect(!(images.cellValid[i] == 1 && images.flagValid[i] == 1), "cell and flag data never both valid", b);
        r.Expect(flag(images.thermalBit[i]) && flag(images.thermalMark[i]), "thermal bit and mark 0 or 1", b);
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

} // namespace qm::test

namespace qm::test {

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

void ReadChecker::check(const ReadShape& shape)
{
    if (!session_) return;
    ++reads;
    const auto& s = session_->state();
    CheckRead(report, before_, s.images, s.panel, shape, s.chain.lastBoardIndex, s.chain.currentBoard);
}

void ReadChecker::configurationWritten()
{
    if (!session_) return;
    const auto& s = session_->state();
    CheckWriteFrame(report, lastWrite_, s.images, s.chain.lastBoardIndex);
}

void CheckSession(Report& r, const acquisition::AppState& s, const presentation::PresentationState& codesBefore)
{
    const int last = s.chain.lastBoardIndex;
    CheckImageRanges(r, s.images, s.panel);
    CheckStatusCodes(r, codesBefore, s.status, last);
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
    if (!v.loaded) return; // the window never opened
    for (std::size_t k = 0; k < 6; ++k)
        r.Expect(v.config.registerTexts[k].size() == 8 && Printable(v.config.registerTexts[k]), "register row text");
    for (const auto& f : v.diagnostics.fields) r.Expect(Printable(f.text), "diagnostic field printable");
}

} // namespace qm::test
