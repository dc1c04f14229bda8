#include "config/DutyCycle.h"

namespace qm::config {

namespace {
// One row per CDC value: values line, notes line.
constexpr std::array<CdcRow, 8> kRows{{
    {"|     Comparator Off     |                 Yes                |                   N/A                  | ",
     "|default StandbyMode |          VREF is OFF!         |             ADC is OFF!           | "},
    {"|     Comparator Off    |                 No                  |                   13mS                 | ",
     "|                                  |                                       |           (Cell Voltage)            | "},
    {"|              13mS            |                 No                  |                   13mS                | ",
     "|                                   |                                       |           (Cell Voltage)           |"},
    {"|             130mS           |                 No                  |                   13mS                | ",
     "|                                   |                                       |           (Cell Voltage)           |  "},
    {"|              500mS          |                 No                  |                   13mS                | ",
     "|                                   |                                       |           (Cell Voltage)           |  "},
    {"|              130mS          |                Yes                 |                   21mS               | ",
     "|                                   |     8mS output settling    |  8mS VREF + 13mS Cell V | "},
    {"|              500mS          |                Yes                 |                   21mS               | ",
     "|                                   |     8mS output settling    |  8mS VREF + 13mS Cell V | "},
    {"|            2000mS          |                Yes                 |                   21mS               | ",
     "|                                   |     8mS output settling    |  8mS VREF + 13mS Cell V | "},
}};
} // namespace

CdcRow CdcTableRow(int cdc) { return kRows[static_cast<std::size_t>(cdc & 7)]; }

std::string CdcTableText(int cdc)
{
    const CdcRow row = CdcTableRow(cdc);
    std::string text(row.values);
    text += row.notes;
    return text;
}

int IncrementCdc(int cdc) { return (cdc + 1) & 7; }
int DecrementCdc(int cdc) { return (cdc + 7) & 7; }

StandbyNotice StandbyNoticeLook()
{
    StandbyNotice notice;
    notice.caption = "CDC=0-STANDBY MODE. CLICK UP/DOWN ";
    notice.caption += "BUTTON TO SET CDC>0 THEN WRITE CONFIG FOR MEASURE MODE";
    return notice;
}

NoticeLabel NoticeLabelAfter(int cdc, bool keepAliveActive)
{
    if ((cdc & 7) == 0) return NoticeLabel::ShowStandbyNotice;
    return keepAliveActive ? NoticeLabel::Keep : NoticeLabel::Hide;
}

CdcDisplay RefreshCdcTable(ConfigContext& ctx)
{
    const int cur = ctx.current();
    auto& board = ctx.state.boards[static_cast<std::size_t>(cur)];
    board.cdc &= 7;
    const int c = board.cdc;

    // The mirror boxes Check0(0..2) take the bits of c; when that changes
    // CFGR0, bit 3 of every board follows as on any CFGR0 box change.
    const std::uint8_t old = PendingByte(ctx.images, cur, 0);
    const auto value = static_cast<std::uint8_t>((old & ~7u) | static_cast<unsigned>(c));
    StoreCfgr0(ctx, cur, value);
    if (value != old) ApplyTenCellBit(ctx, ((value >> kTenCellsBit) & 1) != 0);

    CdcDisplay d;
    d.cdc = c;
    d.tableText = CdcTableText(c);
    for (int bit = 0; bit < 3; ++bit) d.mirror[static_cast<std::size_t>(bit)] = ((c >> bit) & 1) != 0;
    d.numberText = std::to_string(c);
    d.standby = c == 0;
    d.frameVisible = d.standby;
    d.config = RefreshConfigurationDisplay(ctx);
    return d;
}

} // namespace qm::config
