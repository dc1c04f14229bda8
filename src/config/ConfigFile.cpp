#include "config/ConfigFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "config/ConfigModel.h"
#include "config/Thresholds.h"
#include "link/HexText.h"
#include "protocol/ByteText.h"

namespace qm::config {

namespace {

// Objects keep the file's order, so "the first unknown field" is the first
// one in the file.
using Json = nlohmann::ordered_json;

// The format nests four levels; anything much deeper is not a configuration.
constexpr std::size_t kMaxDepth = 32;
constexpr std::size_t kShownBytes = 40;
constexpr std::array<std::string_view, 6> kRegisterNames = {"CFGR0", "CFGR1", "CFGR2", "CFGR3", "CFGR4", "CFGR5"};

// A text from the file, fit to quote in a message: control characters
// replaced, cut (at a character boundary) when long.
std::string Shown(std::string_view text)
{
    std::string out;
    for (char c : text.substr(0, kShownBytes)) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    if (text.size() > kShownBytes) {
        while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
        if (!out.empty() && (static_cast<unsigned char>(out.back()) & 0x80) != 0) out.pop_back();
        out += "...";
    }
    return out;
}

std::string Quoted(std::string_view text) { return "\"" + Shown(text) + "\""; }

// A value as the file writes it.
std::string ValueText(const Json& value)
{
    if (value.is_string()) return Quoted(value.get_ref<const std::string&>());
    if (value.is_structured()) return value.is_array() ? "a list" : "an object";
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Where a value sits: its JSON pointer (for its line) and its field name.
struct Place {
    std::string pointer;
    std::string field;

    Place member(std::string_view key) const
    {
        std::string step = "/"; // JSON pointer escapes
        for (char c : key) step += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
        return {pointer + step, field.empty() ? Shown(key) : field + "." + Shown(key)};
    }
    Place element(std::size_t i) const
    {
        return {pointer + "/" + std::to_string(i), field + "[" + std::to_string(i) + "]"};
    }
};

// ---- Parsing with lines --------------------------------------------------

// Hands the text to the parser one character at a time and notes how many it
// has taken, so that every parser event knows how far into the text it is.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(std::string_view text, std::size_t at, std::size_t* taken) : text_(text), at_(at), taken_(taken) {}
    reference operator*() const
    {
        *taken_ = at_ + 1;
        return text_[at_];
    }
    CountingIterator& operator++()
    {
        ++at_;
        return *this;
    }
    friend bool operator==(const CountingIterator& a, const CountingIterator& b) { return a.at_ == b.at_; }

private:
    std::string_view text_;
    std::size_t at_;
    std::size_t* taken_;
};

// Builds the document from the parser's events and notes the line of every
// member (the line of its key) and of every list element.
class TreeBuilder final : public nlohmann::json_sax<Json> {
public:
    explicit TreeBuilder(std::string_view text) : text_(text)
    {
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') lineEnds_.push_back(i);
    }

    bool parse()
    {
        const bool parsed =
            Json::sax_parse(CountingIterator(text_, 0, &taken_), CountingIterator(text_, text_.size(), &taken_), this);
        if (!parsed && !error) error = ConfigFileError{line(), last_, "not valid JSON"};
        return parsed && !error;
    }

    Json root;
    std::map<std::string, int> lineOf;
    std::optional<ConfigFileError> error;

    bool null() override { return add(Json(nullptr)); }
    bool boolean(bool value) override { return add(Json(value)); }
    bool number_integer(number_integer_t value) override { return add(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return add(Json(value)); }
    bool string(string_t& value) override { return add(Json(std::move(value))); }
    bool binary(binary_t&) override { return add(Json(nullptr)); } // JSON text has none
    bool start_object(std::size_t) override { return add(Json::object(), true); }
    bool start_array(std::size_t) override { return add(Json::array(), true); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        const Place place = open_.back().place.member(name);
        last_ = place.field;
        if (open_.back().node->contains(name)) {
            error = ConfigFileError{line(), place.field, "given more than once"};
            return false;
        }
        lineOf[place.pointer] = line();
        key_ = std::move(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        // The parser's own words, without its prefix and position; the line
        // is that of the character it stopped at.
        std::string reason = e.what();
        if (const auto column = reason.find("column "); column != std::string::npos)
            if (const auto colon = reason.find(": ", column); colon != std::string::npos) reason.erase(0, colon + 2);
        if (reason.rfind("[json.exception.", 0) == 0) reason.erase(0, reason.find("] ") + 2);
        error = ConfigFileError{line(), last_, "not valid JSON: " + reason};
        return false;
    }

private:
    struct Open {
        Json* node;
        Place place;
    };

    // The line of the character at offset; a line end belongs to its line.
    int LineAt(std::size_t offset) const
    {
        return 1 + static_cast<int>(std::lower_bound(lineEnds_.begin(), lineEnds_.end(), offset) - lineEnds_.begin());
    }
    // The line of the token just read, or of the character the parser
    // stopped at: the last character taken. (A number is read one character
    // past its end, which is on its line or ends it.)
    int line() const { return LineAt(taken_ == 0 ? 0 : taken_ - 1); }

    // Places a value in the open object or list (or as the document).
    bool add(Json&& value, bool container = false)
    {
        if (container && open_.size() >= kMaxDepth) {
            error = ConfigFileError{line(), last_, "nested too deep for a configuration file"};
            return false;
        }
        Json* node = &root;
        Place where;
        if (open_.empty()) {
            root = std::move(value);
            lineOf[""] = line();
        } else if (Open& parent = open_.back(); parent.node->is_array()) {
            where = parent.place.element(parent.node->size());
            last_ = where.field;
            lineOf[where.pointer] = line();
            parent.node->push_back(std::move(value));
            node = &parent.node->back();
        } else {
            where = parent.place.member(key_);
            node = &((*parent.node)[key_] = std::move(value));
        }
        if (container) open_.push_back({node, std::move(where)});
        return true;
    }

    bool close()
    {
        if (!open_.empty()) open_.pop_back();
        last_ = open_.empty() ? std::string() : open_.back().place.field;
        return true;
    }

    std::string_view text_;
    std::vector<std::size_t> lineEnds_;
    std::size_t taken_ = 0;
    std::vector<Open> open_;
    std::string key_;
    std::string last_; // the field the parser is in, for syntax errors
};

// ---- A board in human terms ----------------------------------------------

// Threshold volts as written: a whole number of millivolts.
double WrittenVolts(float volts) { return std::round(static_cast<double>(volts) * 1000.0) / 1000.0; }

std::string VoltsText(double volts) { return Json(volts).dump() + " V"; }

std::string CellsText(const std::vector<int>& cells)
{
    std::string text = "[";
    for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? ", " : "") + std::to_string(cells[i]);
    return text + "]";
}

} // namespace

Settings Decode(const protocol::ConfigRegisters& regs)
{
    std::array<unsigned, 6> b{};
    for (std::size_t r = 0; r < b.size(); ++r) b[r] = protocol::ByteFromText(regs[r]);
    Settings s;
    s.vuvVolts = WrittenVolts(VuvCodeToVolts(static_cast<int>(b[4])));
    s.vovVolts = WrittenVolts(VovCodeToVolts(static_cast<int>(b[5])));
    s.cdc = static_cast<int>(b[0] & 0x07);
    for (std::size_t i = 0; i < kCfgr0Bits.size(); ++i) s.bits[i] = ((b[0] >> kCfgr0Bits[i].bit) & 1) != 0;
    for (std::size_t i = 0; i < kCellLists.size(); ++i)
        for (int c = 1; c <= protocol::kCellsPerBoard; ++c)
            if (const auto box = kCellLists[i].box(c);
                box && ((b[static_cast<std::size_t>(box->array)] >> box->index) & 1))
                s.cells[i].push_back(c);
    return s;
}

namespace {

// Registers of the human fields; the threshold codes are rounded as the
// threshold entry stores them.
protocol::ConfigRegisters Encode(const Settings& s)
{
    std::array<unsigned, 6> b{};
    b[0] = static_cast<unsigned>(s.cdc);
    for (std::size_t i = 0; i < kCfgr0Bits.size(); ++i)
        if (s.bits[i]) b[0] |= 1u << kCfgr0Bits[i].bit;
    for (std::size_t i = 0; i < kCellLists.size(); ++i)
        for (int c : s.cells[i])
            if (const auto box = kCellLists[i].box(c)) b[static_cast<std::size_t>(box->array)] |= 1u << box->index;
    b[4] = static_cast<unsigned>(RoundHalfEven(VoltsToVuvCode(static_cast<float>(s.vuvVolts))));
    b[5] = static_cast<unsigned>(RoundHalfEven(VoltsToVovCode(static_cast<float>(s.vovVolts))));
    protocol::ConfigRegisters regs;
    for (std::size_t r = 0; r < b.size(); ++r) regs[r] = protocol::ByteText(static_cast<std::uint8_t>(b[r]));
    return regs;
}

// ---- Checking ------------------------------------------------------------

class Checker {
public:
    Checker(const Json& root, const std::map<std::string, int>& lineOf) : root_(root), lineOf_(lineOf) {}

    bool run(StackConfiguration& out);
    ConfigFileError error;

private:
    // A field that is missing takes the line of the object it is missing from.
    bool fail(const Place& place, std::string message)
    {
        std::string pointer = place.pointer;
        auto it = lineOf_.find(pointer);
        while (it == lineOf_.end() && !pointer.empty()) {
            pointer.erase(pointer.rfind('/'));
            it = lineOf_.find(pointer);
        }
        error = {it == lineOf_.end() ? 1 : it->second, place.field, std::move(message)};
        return false;
    }
    bool knownKeysOnly(const Json& object, const Place& place, std::initializer_list<std::string_view> known);
    bool board(const Json& value, const Place& place, protocol::ConfigRegisters& out);
    bool registers(const Json& value, const Place& place, protocol::ConfigRegisters& out);
    bool human(const Json& object, const Place& place, const protocol::ConfigRegisters* registers, Settings& s);
    bool cellList(const Json& value, const Place& place, std::vector<int>& out);

    const Json& root_;
    const std::map<std::string, int>& lineOf_;
};

bool Checker::knownKeysOnly(const Json& object, const Place& place, std::initializer_list<std::string_view> known)
{
    for (auto it = object.begin(); it != object.end(); ++it)
        if (std::find(known.begin(), known.end(), it.key()) == known.end())
            return fail(place.member(it.key()),
                        "not a field of " + (place.field.empty() ? std::string("the file") : place.field));
    return true;
}

bool Checker::run(StackConfiguration& out)
{
    const Place top;
    if (!root_.is_object()) return fail(top, "the file must hold one JSON object, {...}");
    if (!knownKeysOnly(root_, top, {"format", "version", "boards"})) return false;
    for (const char* key : {"format", "version", "boards"})
        if (!root_.contains(key)) return fail(top.member(key), "missing");

    const Json& format = root_["format"];
    if (!format.is_string() || format.get_ref<const std::string&>() != kConfigFileFormat)
        return fail(top.member("format"), ValueText(format) + " is not \"" + std::string(kConfigFileFormat) + "\"");
    const Json& version = root_["version"];
    if (!version.is_number_integer() || version != kConfigFileVersion)
        return fail(top.member("version"), ValueText(version) + " is not a version this tool reads (" +
                                               std::to_string(kConfigFileVersion) + ")");

    const Json& boards = root_["boards"];
    const Place list = top.member("boards");
    if (!boards.is_array()) return fail(list, "must be a list of boards, [...]");
    if (boards.empty()) return fail(list, "no boards: a configuration holds 1 to 10 boards");
    if (boards.size() > static_cast<std::size_t>(protocol::kMaxBoards))
        return fail(list.element(protocol::kMaxBoards), "more than 10 boards");

    out.boards.assign(boards.size(), protocol::DefaultConfiguration());
    for (std::size_t i = 0; i < boards.size(); ++i)
        if (!board(boards[i], list.element(i), out.boards[i])) return false;
    return true;
}

bool Checker::board(const Json& value, const Place& place, protocol::ConfigRegisters& out)
{
    if (!value.is_object()) return fail(place, "a board must be an object, {...}");
    if (!knownKeysOnly(value, place,
                       {"registers", "vuvVolts", "vovVolts", "cdc", "tenCells", "wdtb", "gpio2", "gpio1", "lvlpl",
                        "dischargeCells", "maskedCells"}))
        return false;
    if (value.contains("registers")) {
        // The registers decide; every human field given must agree with them.
        if (!registers(value["registers"], place.member("registers"), out)) return false;
        Settings given = Decode(out);
        return human(value, place, &out, given);
    }
    for (const char* key : {"vuvVolts", "vovVolts", "cdc"})
        if (!value.contains(key))
            return fail(place.member(key), "missing: a board without \"registers\" needs vuvVolts, vovVolts and cdc");
    // Fields left out keep their power-on values.
    Settings s = Decode(protocol::DefaultConfiguration());
    if (!human(value, place, nullptr, s)) return false;
    // The threshold entry's order check, as if the volts had been typed in.
    if (VoltsToVuvCode(static_cast<float>(s.vuvVolts)) >= VoltsToVovCode(static_cast<float>(s.vovVolts)))
        return fail(place.member("vuvVolts"),
                    std::string(kOrderMessage) + ": " + VoltsText(s.vuvVolts) + " against " + VoltsText(s.vovVolts));
    out = Encode(s);
    return true;
}

bool Checker::registers(const Json& value, const Place& place, protocol::ConfigRegisters& out)
{
    if (!value.is_object()) return fail(place, "must be an object of CFGR0 to CFGR5, {...}");
    if (!knownKeysOnly(value, place, {"CFGR0", "CFGR1", "CFGR2", "CFGR3", "CFGR4", "CFGR5"})) return false;
    for (std::size_t r = 0; r < kRegisterNames.size(); ++r) {
        const Place at = place.member(kRegisterNames[r]);
        if (!value.contains(kRegisterNames[r])) return fail(at, "missing");
        const Json& text = value[std::string(kRegisterNames[r])];
        if (!text.is_string() || !link::IsByteText(text.get_ref<const std::string&>()))
            return fail(at, ValueText(text) + " is not a register value of two hex digits, \"00\" to \"FF\"");
        out[r] = protocol::ByteText(protocol::ByteFromText(text.get_ref<const std::string&>()));
    }
    // What the threshold entry can store, the power-on pair 00/00 included.
    if (protocol::ByteFromText(out[4]) > protocol::ByteFromText(out[5]))
        return fail(place.member("CFGR4"),
                    std::string(kOrderMessage) + ": VUV code " + out[4] + " is above VOV code " + out[5]);
    return true;
}

bool Checker::cellList(const Json& value, const Place& place, std::vector<int>& out)
{
    if (!value.is_array()) return fail(place, "must be a list of cell numbers, e.g. [1, 5]");
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        const Json& cell = value[i];
        if (!(cell.is_number_integer() && cell >= 1 && cell <= protocol::kCellsPerBoard))
            return fail(place.element(i), ValueText(cell) + " is not a cell from 1 to 12");
        if (std::find(out.begin(), out.end(), cell.get<int>()) != out.end())
            return fail(place.element(i), "cell " + cell.dump() + " is listed twice");
        out.push_back(cell.get<int>());
    }
    std::sort(out.begin(), out.end());
    return true;
}

// Checks every human field the board gives and puts it into s; with
// registers (s then holds what they give), each must also agree with them.
bool Checker::human(const Json& object, const Place& place, const protocol::ConfigRegisters* registers, Settings& s)
{
    auto agrees = [&](std::string_view key, bool same, const std::string& given, int reg, const std::string& theirs) {
        const std::string which =
            reg == 1 ? std::string("CFGR1 to CFGR3")
                     : "CFGR" + std::to_string(reg) + " " + (*registers)[static_cast<std::size_t>(reg)];
        return same || fail(place.member(key), given + " does not agree with " + which +
                                                   (reg == 1 ? ", which give " : ", which gives ") + theirs);
    };
    for (const bool vuv : {true, false}) {
        const char* key = vuv ? "vuvVolts" : "vovVolts";
        if (!object.contains(key)) continue;
        const Json& value = object[key];
        if (!value.is_number()) return fail(place.member(key), ValueText(value) + " is not a number of volts");
        const double volts = value.get<double>();
        // The threshold entry's range, in the entry's single precision.
        const auto held = static_cast<float>(volts);
        const float low = vuv ? kVuvMinVolts : kVovMinVolts;
        const float high = vuv ? kVuvMaxVolts : kVovMaxVolts;
        if (held < low || held > high)
            return fail(place.member(key), VoltsText(volts) + " is outside " + VoltsText(WrittenVolts(low)) + " to " +
                                               VoltsText(WrittenVolts(high)));
        double& field = vuv ? s.vuvVolts : s.vovVolts;
        if (registers &&
            !agrees(key, std::fabs(volts - field) < 0.0005, VoltsText(volts), vuv ? 4 : 5, VoltsText(field)))
            return false;
        field = volts;
    }
    if (object.contains("cdc")) {
        const Json& cdc = object["cdc"];
        if (!(cdc.is_number_integer() && cdc >= 0 && cdc <= 7))
            return fail(place.member("cdc"), ValueText(cdc) + " is not a comparator duty cycle from 0 to 7");
        if (registers && !agrees("cdc", cdc == s.cdc, cdc.dump(), 0, std::to_string(s.cdc))) return false;
        s.cdc = cdc.get<int>();
    }
    for (std::size_t i = 0; i < kCfgr0Bits.size(); ++i) {
        const std::string key(kCfgr0Bits[i].key);
        if (!object.contains(key)) continue;
        const Json& bit = object[key];
        if (!bit.is_boolean()) return fail(place.member(key), ValueText(bit) + " is not true or false");
        if (registers && !agrees(key, bit == s.bits[i], bit.dump(), 0, Json(s.bits[i]).dump())) return false;
        s.bits[i] = bit.get<bool>();
    }
    for (std::size_t i = 0; i < kCellLists.size(); ++i) {
        const std::string key(kCellLists[i].key);
        if (!object.contains(key)) continue;
        std::vector<int> cells;
        if (!cellList(object[key], place.member(key), cells)) return false;
        if (registers && !agrees(key, cells == s.cells[i], CellsText(cells), 1, CellsText(s.cells[i]))) return false;
        s.cells[i] = std::move(cells);
    }
    return true;
}

ConfigFileRead Refused(ConfigFileError error) { return {std::nullopt, std::move(error)}; }

ConfigFileRead ReadChecked(std::string_view text)
{
    if (text.size() > kConfigFileMaxBytes)
        return Refused(
            {0, "", "larger than " + std::to_string(kConfigFileMaxBytes) + " bytes: not a configuration file"});
    TreeBuilder builder(text);
    if (!builder.parse()) return Refused(*builder.error);
    Checker checker(builder.root, builder.lineOf);
    StackConfiguration configuration;
    if (!checker.run(configuration)) return Refused(checker.error);
    return {std::move(configuration), {}};
}

// ---- Writing -------------------------------------------------------------

std::string Member(std::string_view key, const std::string& value) { return Json(key).dump() + ": " + value; }

std::string BoardText(const protocol::ConfigRegisters& regs)
{
    const Settings s = Decode(regs);
    std::string registers;
    for (std::size_t r = 0; r < regs.size(); ++r)
        registers += (r ? ", " : "") + Member(kRegisterNames[r], Json(regs[r]).dump());
    std::vector<std::string> members = {
        Member("registers", "{" + registers + "}"), Member("vuvVolts", Json(s.vuvVolts).dump()),
        Member("vovVolts", Json(s.vovVolts).dump()), Member("cdc", std::to_string(s.cdc))};
    for (std::size_t i = 0; i < kCfgr0Bits.size(); ++i)
        members.push_back(Member(kCfgr0Bits[i].key, Json(s.bits[i]).dump()));
    for (std::size_t i = 0; i < kCellLists.size(); ++i)
        members.push_back(Member(kCellLists[i].key, CellsText(s.cells[i])));

    std::string text = "    {\n";
    for (std::size_t i = 0; i < members.size(); ++i)
        text += "      " + members[i] + (i + 1 < members.size() ? ",\n" : "\n");
    return text + "    }";
}

ConfigFileWrite WriteChecked(const StackConfiguration& configuration)
{
    auto refuse = [](std::string field, std::string message) {
        return ConfigFileWrite{std::nullopt, {0, std::move(field), std::move(message)}};
    };
    const int count = configuration.boardCount();
    if (count < 1 || count > protocol::kMaxBoards)
        return refuse("boards", std::to_string(count) + " boards: a configuration holds 1 to 10 boards");

    // Registers as the file holds them: two upper-case hex digits.
    StackConfiguration normal = configuration;
    for (std::size_t b = 0; b < normal.boards.size(); ++b) {
        for (std::size_t r = 0; r < kRegisterNames.size(); ++r) {
            const std::string& text = normal.boards[b][r];
            if (!link::IsByteText(text))
                return refuse("boards[" + std::to_string(b) + "].registers." + std::string(kRegisterNames[r]),
                              Quoted(text) + " is not a register value of two hex digits");
            normal.boards[b][r] = protocol::ByteText(protocol::ByteFromText(text));
        }
    }

    std::string text = "{\n  \"format\": " + Json(kConfigFileFormat).dump() +
                       ",\n  \"version\": " + std::to_string(kConfigFileVersion) + ",\n  \"boards\": [\n";
    for (std::size_t b = 0; b < normal.boards.size(); ++b)
        text += BoardText(normal.boards[b]) + (b + 1 < normal.boards.size() ? ",\n" : "\n");
    text += "  ]\n}\n";

    // What is saved must load again as the same configuration.
    const ConfigFileRead back = ReadChecked(text);
    if (!back.configuration) return refuse(back.error.field, back.error.message);
    if (*back.configuration != normal) return refuse("", "the file would not read back as this configuration");
    return {std::move(text), {}};
}

// Runs fn; anything thrown on the way becomes a refusal.
template <typename Result, typename Fn>
Result Guarded(const char* what, Fn fn)
{
    std::string reason = "unknown failure";
    try {
        return fn();
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
    }
    Result result;
    result.error = {0, "", std::string(what) + ": " + reason};
    return result;
}

ConfigFileRead ReadFile(const std::filesystem::path& path)
{
    const std::string name = path.string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return Refused({0, "", name + ": " + (ec ? ec.message() : std::string("not a regular file"))});
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return Refused({0, "", name + ": " + ec.message()});
    if (size > kConfigFileMaxBytes)
        return Refused({0, "", name + ": larger than " + std::to_string(kConfigFileMaxBytes) + " bytes"});
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    if (in) content << in.rdbuf();
    if (!in || in.bad()) return Refused({0, "", name + ": cannot be read"});
    return ReadChecked(content.str());
}

} // namespace

ConfigFileRead ReadConfigText(std::string_view text)
{
    return Guarded<ConfigFileRead>("could not be read", [&] { return ReadChecked(text); });
}

ConfigFileRead ReadConfigFile(const std::filesystem::path& path)
{
    return Guarded<ConfigFileRead>("could not be read", [&] { return ReadFile(path); });
}

ConfigFileWrite WriteConfigText(const StackConfiguration& configuration)
{
    return Guarded<ConfigFileWrite>("could not be written", [&] { return WriteChecked(configuration); });
}

std::string DescribeConfigFileError(const ConfigFileError& error)
{
    std::string text;
    if (error.line > 0) text += "line " + std::to_string(error.line) + ": ";
    if (!error.field.empty()) text += error.field + ": ";
    return text + error.message;
}

} // namespace qm::config
