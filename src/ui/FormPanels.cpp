// The panels at the top middle of the window: configuration registers,
// legend, flag registers, transfer inspection and the self-test starts.
#include "ui/Form.h"
#include "ui/FormPixels.h"

#include <QFontMetricsF>

#include <cmath>

namespace qm::ui {

using layout::P;
using layout::W;

namespace {

struct LegendRow {
    const char* mark;
    const char* text;
    int colour;
    int barHeight; // of the 495-unit body, as the cell panels show the code
    int body;
};

// Rows in the order of the legend; the colours, bar heights and body fills
// are those of the status codes the rows explain.
constexpr LegendRow kLegendRows[8] = {
    {" DANGER!", "Flag Over Voltage ", kRed, 375, kLightGrey},
    {" GOOD", "Voltage In Range", kGreen, 255, kLightGrey},
    {" CLEAR", "No Voltage Reading", kWhite, 255, kWhite},
    {" MASKED", "Mask Cell Interrupt", kLightGrey, 495, kLightGrey},
    {" MASKDCC", "Mask Cell Int w/ DCC", kGrey, 135, kLightGrey},
    {" DISCHARGE", "DisCharge Cell", kLightBlue, 135, kLightGrey},
    {" CAUTION!", "Flag  Under Voltage ", kYellow, 135, kLightGrey},
    {" THERMAL SD!", "Thermal Shutdown! ", kOrange, 495, kLightGrey},
};

} // namespace

void Form::buildRegisterPanel()
{
    Frame4 = addFrame(QStringLiteral("Frame4"), -1, W(292, 0, 290, 98),
                      QStringLiteral("CONFIGURATION REGISTERS"));

    // Each heading wraps after its title, so that "| CFGR0 | ... |" stands on
    // its own line above the six boxes; the boxes sit between the bars.
    const QString header = QStringLiteral("| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |");
    Label5[0] = addLabel(Frame4, QStringLiteral("Label5"), 0, P(4, 13, 280, 24),
                         QStringLiteral("CONFIGURATION READ FROM QM7410                        ") + header);
    Label5[1] = addLabel(Frame4, QStringLiteral("Label5"), 1, P(4, 55, 280, 24),
                         QStringLiteral("CONFIGURATION WRITTEN TO QM7410                       ") + header);

    const QFontMetricsF metrics(Label5[0]->font());
    for (int k = 0; k < 6; ++k) {
        const qreal from = metrics.horizontalAdvance(header.left(8 * k + 1));
        const qreal to = metrics.horizontalAdvance(header.left(8 * (k + 1)));
        const int x = 4 + static_cast<int>(std::ceil(from)) + 1;
        const int width = static_cast<int>(std::floor(to - from)) - 2;
        const QString initial = k == 0 ? QStringLiteral(" 0xE0") : QStringLiteral(" 0x00");
        const auto i = static_cast<std::size_t>(k);
        Text5[i] = addText(Frame4, QStringLiteral("Text5"), k, P(x, 37, width, 16), initial);
        Text5[i]->setLocked(true);
        Text4[i] = addText(Frame4, QStringLiteral("Text4"), k, P(x, 79, width, 16), initial);
        Text4[i]->setLocked(true);
        Text4[i]->setForeColor(kGrey);
    }
}

void Form::buildLegend()
{
    Frame8 = addFrame(QStringLiteral("Frame8"), -1, W(292, 100, 136, 208), QStringLiteral("LEGEND"));
    for (int row = 0; row < 8; ++row) {
        const LegendRow& r = kLegendRows[row];
        const auto i = static_cast<std::size_t>(row);
        const int y = 14 + 24 * row;
        // A small battery per row, drawn like the cell panels draw the code.
        Shape11[i] = addShape(Frame8, QStringLiteral("Shape11"), row, P(7, y + 2, 6, 3),
                              Shape::Kind::Rectangle, kWindowGrey);
        Shape10[i] = addShape(Frame8, QStringLiteral("Shape10"), row, P(4, y + 5, 12, 18),
                              Shape::Kind::Rectangle, r.body);
        const int barHeight = static_cast<int>(std::lround(18.0 * r.barHeight / 495.0));
        Shape9[i] = addShape(Frame8, QStringLiteral("Shape9"), row,
                             P(4, y + 5 + 18 - barHeight, 12, barHeight), Shape::Kind::Rectangle,
                             r.colour);

        // The mark takes the row's colour as its text colour, on black so
        // that the pale colours stay readable.
        Label10[i] = addLabel(Frame8, QStringLiteral("Label10"), row, P(20, y, 86, 12),
                              QString::fromLatin1(r.mark));
        Label10[i]->setBackColor(kBlack);
        Label10[i]->setForeColor(r.colour);
        Label11[i] = addLabel(Frame8, QStringLiteral("Label11"), row, P(20, y + 12, 112, 12),
                              QString::fromLatin1(r.text));
    }
}

void Form::buildFlagPanel()
{
    Frame6 = addFrame(QStringLiteral("Frame6"), -1, W(292, 310, 136, 66), QStringLiteral("FLAG REG"));
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int y = 14 + 17 * k;
        Label2[i] = addLabel(Frame6, QStringLiteral("Label2"), k, P(6, y + 2, 60, 13),
                             QStringLiteral("|  FLGR%1  | ").arg(k));
        Text7[i] = addText(Frame6, QStringLiteral("Text7"), k, P(68, y, 48, 16), QStringLiteral("  00 "));
        Text7[i]->setLocked(true);
    }
}

void Form::buildTransferPanel()
{
    Frame7 = addFrame(QStringLiteral("Frame7"), -1, W(584, 0, 210, 68),
                      QStringLiteral("PACKET ERROR CODE "));
    Label25 = addLabel(Frame7, QStringLiteral("Label25"), -1, P(4, 14, 38, 24), QStringLiteral("R D"),
                       FontSpec{"Arial", 14.25, true});
    Label25->setAlignment(Label::Alignment::Center);
    Label25->setBackColor(kLightGrey);

    Label8[1] = addLabel(Frame7, QStringLiteral("Label8"), 1, P(46, 13, 160, 12),
                         QStringLiteral("Command = 0x54 RDDGNR"));
    Label8[2] = addLabel(Frame7, QStringLiteral("Label8"), 2, P(46, 25, 160, 12),
                         QStringLiteral("| SENT | REC'D |  GUI    |"));
    Label8[0] = addLabel(Frame7, QStringLiteral("Label8"), 0, P(46, 37, 160, 12),
                         QStringLiteral("|  Cmd  | 7410  |  CALC |"));
    // The value line's text starts three pixels inside the box, under the
    // headings.
    Text8 = addText(Frame7, QStringLiteral("Text8"), -1, P(43, 50, 130, 16),
                    QStringLiteral("  8B  |  40  !=  1B   "));
    Text8->setLocked(true);
}

void Form::buildSelfTestPanel()
{
    Frame9 = addFrame(QStringLiteral("Frame9"), -1, W(584, 70, 210, 90),
                      QStringLiteral("SELF TEST START A/D"));
    // Progress tabs behind the two hex-view buttons, hidden at start.
    Shape16[3] = addShape(Frame9, QStringLiteral("Shape16"), 3, P(4, 58, 72, 30),
                          Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    Shape16[4] = addShape(Frame9, QStringLiteral("Shape16"), 4, P(80, 58, 72, 30),
                          Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    Shape16[3]->setVisible(false);
    Shape16[4]->setVisible(false);

    Command5[0] = addButton(Frame9, QStringLiteral("Command5"), 0, P(4, 14, 66, 20),
                            QStringLiteral("CELL VOLT"), QStringLiteral("0x1E STCVAD SELF TEST ALL"));
    Command5[1] = addButton(Frame9, QStringLiteral("Command5"), 1, P(72, 14, 68, 20),
                            QStringLiteral("OPEN WIRE"), QStringLiteral("0x2E STOWAD SELF TEST ALL"));
    Command5[2] = addButton(Frame9, QStringLiteral("Command5"), 2, P(142, 14, 64, 20),
                            QStringLiteral("ALL TEMP"), QStringLiteral("0x3E STTMPAD SELF TEST ALL"));
    Command5[5] = addButton(Frame9, QStringLiteral("Command5"), 5, P(4, 36, 72, 20),
                            QStringLiteral("CELL DCC"), QStringLiteral("0x6E STCVDC SELF TEST ALL"));
    Command5[6] = addButton(Frame9, QStringLiteral("Command5"), 6, P(80, 36, 72, 20),
                            QStringLiteral("OPEN DCC"), QStringLiteral("0x7E STOWDC SELF TEST ALL"));
    Command5[3] = addButton(Frame9, QStringLiteral("Command5"), 3, P(7, 60, 66, 26),
                            QStringLiteral("READCELL HEX VIEW"),
                            QStringLiteral("READ ALL CELLS FOR SELFTEST IN HEX."));
    Command5[4] = addButton(Frame9, QStringLiteral("Command5"), 4, P(83, 60, 66, 26),
                            QStringLiteral("READTEMP HEX VIEW"),
                            QStringLiteral("READ ALL TEMPS FOR SELFTEST IN HEX."));

    const char* patterns[3] = {"0x555", "0xAAA", "0xFFF"};
    for (int k = 0; k < 3; ++k) {
        Option2[static_cast<std::size_t>(k)] =
            addOption(Frame9, QStringLiteral("Option2"), k, P(156, 38 + 16 * k, 50, 15),
                      QString::fromLatin1(patterns[k]));
    }
    Option2[0]->setValue(true);
}

} // namespace qm::ui
