// The Form's inventory: every caption, tool tip, initial text and initial
// state of the window design, from one table; the colours and fonts the
// other parts of the system rely on; menus, timer and window caption.
#include "ui/Form.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

using namespace qm::ui;

namespace {

struct Row {
    QString name;    // display name, "Command1(7)"
    QString caption = {}; // caption or text; not checked when null
    QString tip = {};     // tool tip; not checked when null
    bool hidden = false;
    std::optional<bool> selected = std::nullopt; // an option button's state
};

QString Latin1(const char* text) { return text ? QString::fromLatin1(text) : QString(); }
Row row(const char* name, const char* caption, const char* tip = nullptr) { return {Latin1(name), Latin1(caption), Latin1(tip)}; }
Row hidden(const char* name, const char* caption = nullptr) { return {Latin1(name), Latin1(caption), {}, true}; }
Row option(const char* name, const char* caption, bool selected) { return {Latin1(name), Latin1(caption), {}, false, selected}; }

const char* const kPollText =
    " POLL ADC BEING SENT.                                                              PREVENTS WATCHDOG TIMEOUT.";

std::vector<Row> designTable()
{
    std::vector<Row> rows = {
        // Panels.
        row("Frame2", "SET VOLTAGE LIMITS"), row("Frame3", "SET I/O MODE"), row("Frame4", "CONFIGURATION REGISTERS"),
        row("Frame5", "TEMPS"), row("Frame6", "FLAG REG"), row("Frame7", "PACKET ERROR CODE "),
        row("Frame8", "LEGEND"), row("Frame9", "SELF TEST START A/D"), row("Frame11", "DIAGNOSTIC"),
        row("Frame12", "READ"),
        // Temperatures.
        row("Check7(0)", "ITMP Only"), row("Check7(1)", "ETMP1Only"), row("Check7(2)", "ETMP2Only"),
        hidden("Label6(0)", "ITMP "), hidden("Label6(1)", "ETMP1  "), hidden("Label6(2)", "ETMP2  "),
        row("Text6(0)", " 0.0000V"), row("Text6(1)", " 0.0000V"), row("Text6(2)", " 0.0000V"),
        // Flag registers.
        row("Label2(0)", "|  FLGR0  | "), row("Label2(1)", "|  FLGR1  | "), row("Label2(2)", "|  FLGR2  | "),
        row("Text7(0)", "  00 "), row("Text7(1)", "  00 "), row("Text7(2)", "  00 "),
        // Configuration registers.
        row("Label5(0)", "CONFIGURATION READ FROM QM7410                        | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"),
        row("Label5(1)", "CONFIGURATION WRITTEN TO QM7410                       | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"),
        row("Text5(0)", " 0xE0"), row("Text4(0)", " 0xE0"),
        // Transfer inspection.
        row("Label8(2)", "| SENT | REC'D |  GUI    |"), row("Label8(0)", "|  Cmd  | 7410  |  CALC |"),
        row("Label8(1)", "Command = 0x54 RDDGNR"), row("Label25", "R D"), row("Text8", "  8B  |  40  !=  1B   "),
        // Four-cell reads.
        row("Command8(0)", "READ CELL  1 - 4", "0x06 RDCVA"), row("Command8(1)", "READ CELL  5 - 8", "0x08 RDCVB"),
        row("Command8(2)", "READ CELL   9 -12", "0x0A RDCVC"), row("Label24", "4CELLS   ONLY"),
        // Legend, flag limits.
        row("Label10(0)", " DANGER!"), row("Label11(0)", "Flag Over Voltage "),
        row("Label10(1)", " GOOD"), row("Label11(1)", "Voltage In Range"),
        row("Label10(2)", " CLEAR"), row("Label11(2)", "No Voltage Reading"),
        row("Label10(3)", " MASKED"), row("Label11(3)", "Mask Cell Interrupt"),
        row("Label10(4)", " MASKDCC"), row("Label11(4)", "Mask Cell Int w/ DCC"),
        row("Label10(5)", " DISCHARGE"), row("Label11(5)", "DisCharge Cell"),
        row("Label10(6)", " CAUTION!"), row("Label11(6)", "Flag  Under Voltage "),
        row("Label10(7)", " THERMAL SD!"), row("Label11(7)", "Thermal Shutdown! "),
        // Voltage limits.
        option("Option1(1)", "", 1), option("Option1(0)", "", 0), row("Label13(1)", "GLOBAL VUV,  VOV"),
        row("Label13(0)", "CUSTOM  BOARD # 1"),
        row("Text2(1)", "Set VOV  ", "CLICK TO TYPE OVERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "),
        row("Text2(0)", "Set VUV\r\n  ", "CLICK TO TYPE UNDERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "),
        row("Label3(1)", "Enter VOV Overvoltage                                    -0.768V                            to 5.352V"),
        row("Label3(0)", "Enter VUV Undervoltage                                  -0.744V                            to 5.376V"),
        hidden("Command2(0)"), hidden("Command2(1)"), hidden("Command2(2)"), hidden("Command2(3)"),
        // I/O mode and duty cycle.
        row("Check0(7)", "WDTB STATUS bit7  1 = Hi, 0 = Low."),
        row("Check0(6)", "GPIO2 bit6  1 = Hi-Z, 0 = Out Low."),
        row("Check0(5)", "GPIO1 bit5  1 = Hi-Z, 0 = Out Low."),
        row("Check0(4)", "LVLPL bit4  1 = Level, 0 = Toggle Poll."),
        row("Check0(3)", "10CELLS bit3  1 = 10, 0 = 12 CELLs."), hidden("Check0(2)", "CDC[2] (Bit 2)"),
        hidden("Check0(1)", "CDC[1] (Bit 1)"), hidden("Check0(0)", "CDC[0] (Bit 0)"),
        option("Option3(1)", "GLOBAL CFGR0", 1), option("Option3(0)", "CUSTOM BRD# 1", 0),
        row("Command0(1)", nullptr, "COMPARATOR DUTY CYCLE INCREMENT."),
        row("Command0(0)", nullptr, "COMPARATOR DUTY CYCLE DECREMENT."), row("Text15", "0"),
        // Self test.
        row("Command5(0)", "CELL VOLT", "0x1E STCVAD SELF TEST ALL"),
        row("Command5(1)", "OPEN WIRE", "0x2E STOWAD SELF TEST ALL"),
        row("Command5(2)", "ALL TEMP", "0x3E STTMPAD SELF TEST ALL"),
        row("Command5(3)", "READCELL HEX VIEW", "READ ALL CELLS FOR SELFTEST IN HEX."),
        row("Command5(4)", "READTEMP HEX VIEW", "READ ALL TEMPS FOR SELFTEST IN HEX."),
        row("Command5(5)", "CELL DCC", "0x6E STCVDC SELF TEST ALL"),
        row("Command5(6)", "OPEN DCC", "0x7E STOWDC SELF TEST ALL"), option("Option2(0)", "0x555", 1),
        option("Option2(1)", "0xAAA", 0), option("Option2(2)", "0xFFF", 0),
        // Diagnostics.
        row("Command7(0)", "START DIAGN", "0x52 DAGN"), row("Command7(1)", "READ DIAGN", "0x54 RDDGNR"),
        row("Label23(0)", "| DGNR0  | DGNR1 |"), row("Label23(1)", "DIAGNOSTIC VREF |"),
        row("Label23(2)", "|    REV   |    MUX   | |  CODE   | CHECK  |"), row("Text14(0)", " 14-0"),
        row("Text14(1)", " 14-1"), row("Text14(2)", " 14-2"), row("Text14(3)", " 14-3"), row("Text14(4)", " 0.0144V"),
        // Command column and the buttons around it.
        row("Command1(0)", "POLL ADC", "0x40 PLADC"), row("Command1(1)", "POLL  INT", "0x50 PLINT"),
        row("Command1(8)", "READ  FLAG", "0x0C RDFLG"), row("Command1(5)", "WRITE CONFIG", "0x01 WRCFG"),
        row("Command1(6)", "READ CONFIG", "0x02 RDCFG"), row("Command1(4)", "START TEMP", "0x30 STTMPAD"),
        row("Command1(9)", "READ TEMP", "0x0E RDTMP"), row("Command1(3)", "STARTOPENWIRE", "0x20 STOWAD"),
        row("Command1(2)", "STARTCELLVOLT", "0x10 STCVAD"), row("Command1(7)", "READCELL VOLT", "0x04 RDCV"),
        row("Command3(0)", "STARTCELL hold DCC", "0x60 STCVDC"),
        row("Command3(1)", "STARTOPEN hold DCC", "0x70 STOWDC"), row("Label20", "DCC PERMITTED"),
        option("OptionSTADC(0)", "", 1), option("OptionSTADC(1)", "", 0), option("OptionSTADC(2)", "", 0),
        option("OptionSTADC(3)", "", 0),
        row("Command1(10)", "START CONTINUOUS READ CELLS", "CONTINUOUS  READ 1) STCVAD 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG"),
        row("Command1(14)", "LOW CURRENT STBY", "XU250B'S SPI LINES ARE FORCED HIGH TO SHOW QM7410-1'S LOW CURRENT STANDBY."),
        // Keep-alive.
        hidden("Label_KA(0)", " WDT SERVICE"), hidden("Label_KA(1)", kPollText), hidden("Shape_KA"),
        // Board selection and the grid.
        row("Combo1", "1", "SELECT TOTAL NUMBER OF DAISY-CHAINED BOARDS ON STACK. "),
        row("Label7", "SELECT BOARDS ON STACK"), row("Label21", " 1"), row("Label1", "B O A R D # 1 "),
        row("Label12", " BOARDS   1      2      3      4      5      6      7      8      9     10"),
        row("Label9(0)", "CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  CELL 4  CELL 3  CELL 2  CELL 1"),
        row("Label9(1)", "PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    C 3    C 2    C 1"),
        // Progress tabs.
        hidden("Shape16(3)"), hidden("Shape16(4)"), hidden("Shape16(5)"), hidden("Shape16(6)"), hidden("Shape16(9)"),
        hidden("Shape14"),
        // Identification.
        row("Label_IDstring", "QM741X-X"), row("Label_version", "QM7410-1-3_GUI_V09_20110512"),
    };
    for (int k = 1; k <= 5; ++k) {
        rows.push_back({QStringLiteral("Text5(%1)").arg(k), QStringLiteral(" 0x00")});
        rows.push_back({QStringLiteral("Text4(%1)").arg(k), QStringLiteral(" 0x00")});
    }
    for (int i = 0; i < 12; ++i) {
        rows.push_back({QStringLiteral("Frame1(%1)").arg(i), QStringLiteral("CELL%1").arg(i + 1)});
        rows.push_back({QStringLiteral("Text1(%1)").arg(i), QStringLiteral("0.0000V")});
        rows.push_back({QStringLiteral("Check6(%1)").arg(i), QStringLiteral("READ Only")});
    }
    for (int i = 0; i < 10; ++i)
        rows.push_back({QStringLiteral("Command4(%1)").arg(i), QString::number(i + 1),
                        QStringLiteral("MONITOR BOARD# %1").arg(i + 1, 2)});
    return rows;
}

} // namespace

class FormInventory : public ::testing::Test {
protected:
    Form form;
};

TEST_F(FormInventory, EveryCaptionTipAndInitialStateOfTheDesign)
{
    std::set<QString> hidden;
    for (const Row& r : designTable()) {
        SCOPED_TRACE(r.name.toStdString());
        Control* control = form.control(r.name);
        ASSERT_NE(control, nullptr);
        if (!r.caption.isNull()) {
            EXPECT_EQ(control->caption(), r.caption);
        }
        if (!r.tip.isNull()) {
            EXPECT_EQ(control->widget().toolTip(), r.tip);
        }
        if (r.selected) {
            EXPECT_EQ(dynamic_cast<OptionButton&>(*control).value(), *r.selected);
        }
        if (r.hidden) hidden.insert(r.name);
    }
    // Everything the table does not hide is visible and enabled, and only
    // the boxes the design ticks are ticked.
    const std::set<QString> ticked = {QStringLiteral("Check0(5)"), QStringLiteral("Check0(6)"),
                                      QStringLiteral("Check0(7)")};
    for (Control* control : form.controls()) {
        const QString name = control->displayName();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(control->visible(), hidden.count(name) == 0);
        EXPECT_TRUE(control->widget().isEnabled());
        if (auto* box = dynamic_cast<CheckBox*>(control)) {
            EXPECT_EQ(box->value(), ticked.count(name) ? 1 : 0);
        }
    }
}

TEST_F(FormInventory, DutyCycleHeadingNamesItsColumns)
{
    const QString heading = form.Label4->caption();
    EXPECT_TRUE(heading.startsWith(QStringLiteral("Set CDC (Comparator Duty Cycle)  CDC[2]   CDC[1]   CDC[0]")));
    for (const char* column : {"| UV/OV Comparator", "| VREF Powered Down", "| Cell Voltage", "Period", "Between",
                               "Measurement", "Measurements", "Time", "CDC# |"})
        EXPECT_TRUE(heading.contains(QString::fromLatin1(column))) << column;
}

TEST_F(FormInventory, ColoursAndFontsTheViewsRelyOn)
{
    struct Look {
        Control* control;
        int back, fore; // -1: not checked
        double fontSize;
        bool bold; // checked when set
    };
    const Look looks[] = {
        {form.Label21, kDarkRed, kLightGrey, 0, false}, {form.Label1, -1, kDarkRed, 0, false},
        {form.Label25, 14737632, -1, 14.25, true},      {form.Label_KA[1], 8454016, -1, 9.0, false},
        {form.Text15, -1, -1, 15.75, true},             {form.Combo1, -1, -1, 12.0, true},
    };
    for (const Look& l : looks) {
        SCOPED_TRACE(l.control->displayName().toStdString());
        if (l.back >= 0) { EXPECT_EQ(l.control->backColor(), l.back); }
        if (l.fore >= 0) { EXPECT_EQ(l.control->foreColor(), l.fore); }
        if (l.fontSize > 0) { EXPECT_EQ(l.control->fontSize(), l.fontSize); }
        if (l.bold) { EXPECT_TRUE(l.control->fontBold()); }
    }
    EXPECT_EQ(form.Label21->alignment(), Label::Alignment::Center);
    EXPECT_EQ(form.Label25->alignment(), Label::Alignment::Center);
    // Fills: the board tab, the keep-alive tab, the cycle lamp, the progress tabs.
    EXPECT_EQ(form.Shape15->fillColor(), kDarkRed);
    EXPECT_EQ(form.Shape_KA->fillColor(), 12640511);
    EXPECT_EQ(form.Shape3->fillColor(), 255);
    EXPECT_EQ(form.Shape3->borderWidth(), 3);
    EXPECT_EQ(form.Shape14->fillColor(), 8454143);
    for (Shape* tab : form.Shape16) EXPECT_EQ(tab->fillColor(), 8454143);
    for (TextBox* box : form.Text2) EXPECT_TRUE(box->foreColor() == 32896 && box->backColor() == 14737632);
    for (Shape* oval : form.Shape12) EXPECT_EQ(oval->kind(), Shape::Kind::Oval);
    for (Shape* cap : form.Shape5) EXPECT_EQ(cap->fillColor(), 12632256);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(form.Check0[static_cast<std::size_t>(k)]->fontBold());
    // Window, panels, labels and check boxes stand on light grey; panel
    // captions and the controls in them use the 8.25-point face.
    EXPECT_EQ(form.canvas()->palette().color(QPalette::Window), toQColor(12632256));
    for (Control* control : form.controls()) {
        SCOPED_TRACE(control->displayName().toStdString());
        if (dynamic_cast<Frame*>(control) || dynamic_cast<CheckBox*>(control) || dynamic_cast<OptionButton*>(control)) {
            EXPECT_EQ(control->backColor(), 12632256);
        }
        if (qobject_cast<Frame*>(control->widget().parentWidget()) && !dynamic_cast<Shape*>(control)
            && !dynamic_cast<Line*>(control) && control != form.Label25 && control != form.Text15) {
            EXPECT_EQ(control->fontSize(), 8.25);
        }
    }
}

TEST_F(FormInventory, BoardListMenusTimerAndCaption)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("QM7410-1/-3 DAISY CHAIN MULTICELL MONITOR GUI"));
    ASSERT_EQ(form.Combo1->listCount(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(form.Combo1->itemText(i), QString::number(i + 1));
    EXPECT_EQ(form.Combo1->listIndex(), 0);
    EXPECT_EQ(form.Timer1->interval(), 100);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.mnuFile->title(), QStringLiteral("File"));
    EXPECT_EQ(form.mnuFile->actions(), QList<QAction*>{form.mnuExit});
    EXPECT_EQ(form.mnuDatalog->title(), QStringLiteral("Datalog"));
    EXPECT_EQ(form.mnuDatalog->actions(),
              (QList<QAction*>{form.mnuCreateNewSetup, form.mnuUsePreviousSetup, form.mnuViewLastDatalog}));
    const std::tuple<QAction*, const char*, bool> items[] = {
        {form.mnuExit, "&Exit", true}, {form.mnuCreateNewSetup, "Create New Setup", true},
        {form.mnuUsePreviousSetup, "Use Previous Setup", false}, {form.mnuViewLastDatalog, "View Last Datalog", false}};
    for (const auto& [action, text, enabled] : items) {
        EXPECT_EQ(action->text(), QString::fromLatin1(text));
        EXPECT_EQ(action->isEnabled(), enabled) << text;
    }
}
