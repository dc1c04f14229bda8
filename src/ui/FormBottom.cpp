// The editing and test panels along the bottom of the window: I/O mode and
// duty cycle, temperatures, voltage limits, four-cell reads and diagnostics.
#include "ui/Form.h"
#include "ui/FormPixels.h"

#include <QPixmap>

namespace qm::ui {

using layout::P;
using layout::W;

namespace {

// The duty-cycle table heading: its bars stand over the bars of the rows
// that Text3 shows (the table box starts 30 pixels to the right, after the
// CDC number).
const QString kDutyCycleHeading = QStringLiteral(
    "Set CDC (Comparator Duty Cycle)  CDC[2]   CDC[1]   CDC[0]\r\n"
    "CDC# | UV/OV Comparator   | VREF Powered Down   | Cell Voltage\r\n"
    "           |            Period            | Between Measurements | Measurement Time");

// Row of the duty-cycle table for CDC 0, the design value of CFGR0 "E0".
const QString kDutyCycleRowZero = QStringLiteral(
    "|     Comparator Off     |                 Yes                |                   N/A                  | "
    "|default StandbyMode |          VREF is OFF!         |             ADC is OFF!           | ");

QPixmap arrow(bool up)
{
    return QPixmap(up ? QStringLiteral(":/form/arrow_up.png") : QStringLiteral(":/form/arrow_down.png"));
}

} // namespace

void Form::buildIoModePanel()
{
    Frame3 = addFrame(QStringLiteral("Frame3"), -1, W(32, 378, 424, 145), QStringLiteral("SET I/O MODE"));

    struct Bit {
        int index;
        Bounds bounds;
        const char* caption;
    };
    const Bit bits[] = {
        {7, P(4, 14, 120, 28), "WDTB STATUS bit7  1 = Hi, 0 = Low."},
        {6, P(126, 14, 122, 28), "GPIO2 bit6  1 = Hi-Z, 0 = Out Low."},
        {5, P(250, 14, 122, 28), "GPIO1 bit5  1 = Hi-Z, 0 = Out Low."},
        {4, P(4, 44, 128, 28), "LVLPL bit4  1 = Level, 0 = Toggle Poll."},
        {3, P(134, 44, 128, 28), "10CELLS bit3  1 = 10, 0 = 12 CELLs."},
    };
    for (const Bit& bit : bits) {
        Check0[static_cast<std::size_t>(bit.index)] =
            addCheck(Frame3, QStringLiteral("Check0"), bit.index, bit.bounds, QString::fromLatin1(bit.caption));
    }
    Check0[5]->setValue(1);
    Check0[6]->setValue(1);
    Check0[7]->setValue(1);

    // The CDC bits only mirror the duty-cycle number; they are never shown.
    for (int k = 2; k >= 0; --k) {
        CheckBox* box = addCheck(Frame3, QStringLiteral("Check0"), k, P(4 + 92 * (2 - k), 74, 90, 14),
                                 QStringLiteral("CDC[%1] (Bit %1)").arg(k), kButtonFont);
        box->setVisible(false);
        Check0[static_cast<std::size_t>(k)] = box;
    }

    Option3[1] = addOption(Frame3, QStringLiteral("Option3"), 1, P(296, 44, 120, 14),
                           QStringLiteral("GLOBAL CFGR0"));
    Option3[0] = addOption(Frame3, QStringLiteral("Option3"), 0, P(296, 58, 120, 14),
                           QStringLiteral("CUSTOM BRD# 1"));
    Option3[1]->setValue(true);

    // Duty-cycle arrows with their highlight tab (hidden at start).
    Shape16[6] = addShape(Frame3, QStringLiteral("Shape16"), 6, P(378, 12, 38, 33),
                          Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    Shape16[6]->setVisible(false);
    Command0[1] = addButton(Frame3, QStringLiteral("Command0"), 1, P(382, 14, 30, 14), QString(),
                            QStringLiteral("COMPARATOR DUTY CYCLE INCREMENT."));
    Command0[1]->setPicture(arrow(true));
    Command0[0] = addButton(Frame3, QStringLiteral("Command0"), 0, P(382, 29, 30, 14), QString(),
                            QStringLiteral("COMPARATOR DUTY CYCLE DECREMENT."));
    Command0[0]->setPicture(arrow(false));

    Label4 = addLabel(Frame3, QStringLiteral("Label4"), -1, P(4, 74, 416, 36), kDutyCycleHeading);

    Text15 = addText(Frame3, QStringLiteral("Text15"), -1, P(4, 112, 28, 30), QStringLiteral("0"),
                     FontSpec{"Arial", 15.75, true});
    Text15->setAlignment(Qt::AlignCenter);
    Text15->setLocked(true);
    Text15->setForeColor(kDarkCyan);
    Text15->setBackColor(kLightGrey);

    Text3 = add<MultiLineTextBox>(Frame3, QStringLiteral("Text3"), -1, P(34, 112, 386, 30), kTextFont);
    Text3->setText(kDutyCycleRowZero);
    Text3->setForeColor(kDarkCyan);
    Text3->setBackColor(kLightGrey);
}

void Form::buildTemperaturePanel()
{
    Frame5 = addFrame(QStringLiteral("Frame5"), -1, W(32, 525, 424, 50), QStringLiteral("TEMPS"));
    const char* boxes[3] = {"ITMP Only", "ETMP1Only", "ETMP2Only"};
    const char* names[3] = {"ITMP ", "ETMP1  ", "ETMP2  "};
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int x = 8 + 138 * k;
        // A thermometer: upper stem, lower stem and bulb.
        Shape8[i] = addShape(Frame5, QStringLiteral("Shape8"), k, P(x + 3, 14, 5, 11),
                             Shape::Kind::Rectangle, kWhite);
        Shape7[i] = addShape(Frame5, QStringLiteral("Shape7"), k, P(x + 3, 24, 5, 11),
                             Shape::Kind::Rectangle, kWhite);
        Shape6[i] = addShape(Frame5, QStringLiteral("Shape6"), k, P(x, 34, 11, 11),
                             Shape::Kind::Circle, kWhite);
        Check7[i] = addCheck(Frame5, QStringLiteral("Check7"), k, P(x + 16, 13, 80, 15),
                             QString::fromLatin1(boxes[k]));
        Text6[i] = addText(Frame5, QStringLiteral("Text6"), k, P(x + 16, 30, 60, 16),
                           QStringLiteral(" 0.0000V"));
        Text6[i]->setBackColor(kBlack);
        Text6[i]->setForeColor(kWhite);
        Text6[i]->setLocked(true);
        Label6[i] = addLabel(Frame5, QStringLiteral("Label6"), k, P(x + 80, 31, 48, 14),
                             QString::fromLatin1(names[k]));
        Label6[i]->setVisible(false);
    }
}

void Form::buildVoltageLimitsPanel()
{
    Frame2 = addFrame(QStringLiteral("Frame2"), -1, W(458, 378, 198, 124),
                      QStringLiteral("SET VOLTAGE LIMITS"));

    Option1[1] = addOption(Frame2, QStringLiteral("Option1"), 1, P(4, 14, 16, 15), QString());
    Label13[1] = addLabel(Frame2, QStringLiteral("Label13"), 1, P(21, 15, 130, 13),
                          QStringLiteral("GLOBAL VUV,  VOV"));
    Option1[0] = addOption(Frame2, QStringLiteral("Option1"), 0, P(4, 30, 16, 15), QString());
    Label13[0] = addLabel(Frame2, QStringLiteral("Label13"), 0, P(21, 31, 130, 13),
                          QStringLiteral("CUSTOM  BOARD # 1"));
    Option1[1]->setValue(true);

    // The arrow buttons of the thresholds are never shown: thresholds are
    // typed into the boxes.
    for (int k = 0; k < 4; ++k) {
        CommandButton* button = addButton(Frame2, QStringLiteral("Command2"), k,
                                          P(156 + 19 * (k % 2), 14 + 16 * (k / 2), 17, 14), QString());
        button->setPicture(arrow(k % 2 == 0));
        button->setVisible(false);
        Command2[static_cast<std::size_t>(k)] = button;
    }

    struct Limit {
        int index;
        int top;
        const char* range;
        const char* text;
        const char* tip;
    };
    const Limit limits[2] = {
        {1, 48,
         "Enter VOV Overvoltage                                    -0.768V                            to 5.352V",
         "Set VOV  ", "CLICK TO TYPE OVERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "},
        {0, 86,
         "Enter VUV Undervoltage                                  -0.744V                            to 5.376V",
         "Set VUV\r\n  ", "CLICK TO TYPE UNDERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "},
    };
    for (const Limit& limit : limits) {
        const auto i = static_cast<std::size_t>(limit.index);
        Label3[i] = addLabel(Frame2, QStringLiteral("Label3"), limit.index, P(4, limit.top, 122, 36),
                             QString::fromLatin1(limit.range));
        // Zero marker behind the box, shown at start (both codes are 0).
        Shape16[i + 7] = addShape(Frame2, QStringLiteral("Shape16"), limit.index + 7,
                                  P(128, limit.top + 2, 66, 30), Shape::Kind::Rectangle, kLightYellow,
                                  kLightYellow, 0);
        TextBox* box = addText(Frame2, QStringLiteral("Text2"), limit.index,
                               P(131, limit.top + 7, 60, 20), QString::fromLatin1(limit.text));
        box->setToolTip(QString::fromLatin1(limit.tip));
        box->setForeColor(kDarkCyan);
        box->setBackColor(kLightGrey);
        Text2[i] = box;
    }
}

void Form::buildReadPanel()
{
    Frame12 = addFrame(QStringLiteral("Frame12"), -1, W(458, 504, 198, 71), QStringLiteral("READ"),
                       FontSpec{"Arial", 8.25, true});
    Command8[0] = addButton(Frame12, QStringLiteral("Command8"), 0, P(4, 14, 95, 26),
                            QStringLiteral("READ CELL  1 - 4"), QStringLiteral("0x06 RDCVA"));
    Command8[1] = addButton(Frame12, QStringLiteral("Command8"), 1, P(100, 14, 95, 26),
                            QStringLiteral("READ CELL  5 - 8"), QStringLiteral("0x08 RDCVB"));
    Command8[2] = addButton(Frame12, QStringLiteral("Command8"), 2, P(4, 41, 104, 26),
                            QStringLiteral("READ CELL   9 -12"), QStringLiteral("0x0A RDCVC"));
    Label24 = addLabel(Frame12, QStringLiteral("Label24"), -1, P(110, 47, 85, 14),
                       QStringLiteral("4CELLS   ONLY"));
    Label24->setAlignment(Label::Alignment::Center);
}

void Form::buildDiagnosticPanel()
{
    Frame11 = addFrame(QStringLiteral("Frame11"), -1, W(658, 378, 116, 197), QStringLiteral("DIAGNOSTIC"));
    Command7[0] = addButton(Frame11, QStringLiteral("Command7"), 0, P(6, 15, 104, 22),
                            QStringLiteral("START DIAGN"), QStringLiteral("0x52 DAGN"));

    Label23[0] = addLabel(Frame11, QStringLiteral("Label23"), 0, P(4, 40, 108, 12),
                          QStringLiteral("| DGNR0  | DGNR1 |"));
    Text14[0] = addText(Frame11, QStringLiteral("Text14"), 0, P(4, 53, 52, 16), QStringLiteral(" 14-0"));
    Text14[1] = addText(Frame11, QStringLiteral("Text14"), 1, P(58, 53, 52, 16), QStringLiteral(" 14-1"));

    // Wraps after "MUX   |" so the two headings stand over the two fields.
    Label23[2] = addLabel(Frame11, QStringLiteral("Label23"), 2, P(4, 72, 104, 24),
                          QStringLiteral("|    REV   |    MUX   | |  CODE   | CHECK  |"));
    Text14[2] = addText(Frame11, QStringLiteral("Text14"), 2, P(4, 97, 52, 16), QStringLiteral(" 14-2"));
    Text14[3] = addText(Frame11, QStringLiteral("Text14"), 3, P(58, 97, 52, 16), QStringLiteral(" 14-3"));

    Label23[1] = addLabel(Frame11, QStringLiteral("Label23"), 1, P(4, 116, 108, 12),
                          QStringLiteral("DIAGNOSTIC VREF |"));
    Text14[4] = addText(Frame11, QStringLiteral("Text14"), 4, P(4, 129, 70, 16), QStringLiteral(" 0.0144V"));
    for (TextBox* box : Text14)
        box->setLocked(true);

    // "READ DIAGN" in its normal look (top 2330, height 500) with the
    // progress tab behind it.
    Shape16[5] = addShape(Frame11, QStringLiteral("Shape16"), 5, Bounds{60, 2280, 1620, 600},
                          Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    Shape16[5]->setVisible(false);
    Command7[1] = addButton(Frame11, QStringLiteral("Command7"), 1, Bounds{240, 2330, 1260, 500},
                            QStringLiteral("READ DIAGN"), QStringLiteral("0x54 RDDGNR"));
}

} // namespace qm::ui
