// The Form as designed: every caption, tool tip and initial state from one table, colours and fonts,
// control arrays indexed as the window indexes them, the fixed positions the moving indicators rely
// on, no overlapping controls, and every caption readable, also with the texts shown later on.
#include "ui/Form.h"

#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

#include "acquisition/KeepAlive.h"
#include "config/DutyCycle.h"
#include "presentation/StatusTable.h"

using namespace qm::ui;
using qm::presentation::Legend;
using qm::presentation::LegendRowFor;

namespace {

struct Row {
    QString name;         // display name, "Command1(7)"
    QString caption = {}; // caption or text; not checked when null
    QString tip = {};     // tool tip; not checked when null
    bool hidden = false;
    int selected = -1; // an option button's state when 0 or 1
};
Row hidden(const char* name, const char* caption = nullptr) { return {name, caption, {}, true}; }
Row option(const char* name, const char* caption, int selected) { return {name, caption, {}, false, selected}; }
QString Q(std::string_view t) { return QString::fromUtf8(t.data(), static_cast<int>(t.size())); }

std::vector<Row> designTable()
{
    std::vector<Row> rows = {
        {"Frame2", "SET VOLTAGE LIMITS"}, {"Frame3", "SET I/O MODE"}, {"Frame4", "CONFIGURATION REGISTERS"},
        {"Frame5", "TEMPS"}, {"Frame6", "FLAG REG"}, {"Frame7", "PACKET ERROR CODE "}, {"Frame8", "LEGEND"},
        {"Frame9", "SELF TEST START A/D"}, {"Frame11", "DIAGNOSTIC"}, {"Frame12", "READ"},
        {"Check7(0)", "ITMP Only"}, {"Check7(1)", "ETMP1Only"}, {"Check7(2)", "ETMP2Only"},
        hidden("Label6(0)", "ITMP "), hidden("Label6(1)", "ETMP1  "), hidden("Label6(2)", "ETMP2  "),
        {"Label5(0)", "CONFIGURATION READ FROM QM7410                        | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"},
        {"Label5(1)", "CONFIGURATION WRITTEN TO QM7410                       | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"},
        {"Text5(0)", " 0xE0"}, {"Text4(0)", " 0xE0"},
        // Transfer inspection.
        {"Label8(2)", "| SENT | REC'D |  GUI    |"}, {"Label8(0)", "|  Cmd  | 7410  |  CALC |"},
        {"Label8(1)", "Command = 0x54 RDDGNR"}, {"Label25", "R D"}, {"Text8", "  8B  |  40  !=  1B   "},
        {"Command8(0)", "READ CELL  1 - 4", "0x06 RDCVA"}, {"Command8(1)", "READ CELL  5 - 8", "0x08 RDCVB"},
        {"Command8(2)", "READ CELL   9 -12", "0x0A RDCVC"}, {"Label24", "4CELLS   ONLY"},
        // Voltage limits.
        option("Option1(1)", "", 1), option("Option1(0)", "", 0), {"Label13(1)", "GLOBAL VUV,  VOV"},
        {"Label13(0)", "CUSTOM  BOARD # 1"},
        {"Text2(1)", "Set VOV  ", "CLICK TO TYPE OVERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "},
        {"Text2(0)", "Set VUV\r\n  ", "CLICK TO TYPE UNDERVOLTAGE THRESHOLD THEN  PRESS ENTER TO SAVE. "},
        {"Label3(1)", "Enter VOV Overvoltage                                    -0.768V                            to 5.352V"},
        {"Label3(0)", "Enter VUV Undervoltage                                  -0.744V                            to 5.376V"},
        hidden("Command2(0)"), hidden("Command2(1)"), hidden("Command2(2)"), hidden("Command2(3)"),
        // I/O mode and duty cycle.
        {"Check0(7)", "WDTB STATUS bit7  1 = Hi, 0 = Low."}, {"Check0(6)", "GPIO2 bit6  1 = Hi-Z, 0 = Out Low."},
        {"Check0(5)", "GPIO1 bit5  1 = Hi-Z, 0 = Out Low."}, {"Check0(4)", "LVLPL bit4  1 = Level, 0 = Toggle Poll."},
        {"Check0(3)", "10CELLS bit3  1 = 10, 0 = 12 CELLs."}, hidden("Check0(2)", "CDC[2] (Bit 2)"),
        hidden("Check0(1)", "CDC[1] (Bit 1)"), hidden("Check0(0)", "CDC[0] (Bit 0)"),
        option("Option3(1)", "GLOBAL CFGR0", 1), option("Option3(0)", "CUSTOM BRD# 1", 0),
        {"Command0(1)", {}, "COMPARATOR DUTY CYCLE INCREMENT."}, {"Command0(0)", {}, "COMPARATOR DUTY CYCLE DECREMENT."},
        {"Text15", "0"},
        // Self test.
        {"Command5(0)", "CELL VOLT", "0x1E STCVAD SELF TEST ALL"}, {"Command5(1)", "OPEN WIRE", "0x2E STOWAD SELF TEST ALL"},
        {"Command5(2)", "ALL TEMP", "0x3E STTMPAD SELF TEST ALL"},
        {"Command5(3)", "READCELL HEX VIEW", "READ ALL CELLS FOR SELFTEST IN HEX."},
        {"Command5(4)", "READTEMP HEX VIEW", "READ ALL TEMPS FOR SELFTEST IN HEX."},
        {"Command5(5)", "CELL DCC", "0x6E STCVDC SELF TEST ALL"}, {"Command5(6)", "OPEN DCC", "0x7E STOWDC SELF TEST ALL"},
        option("Option2(0)", "0x555", 1), option("Option2(1)", "0xAAA", 0), option("Option2(2)", "0xFFF", 0),
        // Diagnostics.
        {"Command7(0)", "START DIAGN", "0x52 DAGN"}, {"Command7(1)", "READ DIAGN", "0x54 RDDGNR"},
        {"Label23(0)", "| DGNR0  | DGNR1 |"}, {"Label23(1)", "DIAGNOSTIC VREF |"},
        {"Label23(2)", "|    REV   |    MUX   | |  CODE   | CHECK  |"}, {"Text14(0)", " 14-0"}, {"Text14(1)", " 14-1"},
        {"Text14(2)", " 14-2"}, {"Text14(3)", " 14-3"}, {"Text14(4)", " 0.0144V"},
        // Command column and the buttons around it.
        {"Command1(0)", "POLL ADC", "0x40 PLADC"}, {"Command1(1)", "POLL  INT", "0x50 PLINT"},
        {"Command1(8)", "READ  FLAG", "0x0C RDFLG"}, {"Command1(5)", "WRITE CONFIG", "0x01 WRCFG"},
        {"Command1(6)", "READ CONFIG", "0x02 RDCFG"}, {"Command1(4)", "START TEMP", "0x30 STTMPAD"},
        {"Command1(9)", "READ TEMP", "0x0E RDTMP"}, {"Command1(3)", "STARTOPENWIRE", "0x20 STOWAD"},
        {"Command1(2)", "STARTCELLVOLT", "0x10 STCVAD"}, {"Command1(7)", "READCELL VOLT", "0x04 RDCV"},
        {"Command3(0)", "STARTCELL hold DCC", "0x60 STCVDC"}, {"Command3(1)", "STARTOPEN hold DCC", "0x70 STOWDC"},
        {"Label20", "DCC PERMITTED"}, option("OptionSTADC(0)", "", 1), option("OptionSTADC(1)", "", 0),
        option("OptionSTADC(2)", "", 0), option("OptionSTADC(3)", "", 0),
        {"Command1(10)", "START CONTINUOUS READ CELLS", "CONTINUOUS  READ 1) STCVAD 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG"},
        {"Command1(14)", "LOW CURRENT STBY", "XU250B'S SPI LINES ARE FORCED HIGH TO SHOW QM7410-1'S LOW CURRENT STANDBY."},
        // Keep-alive, board selection and the grid, progress tabs, identification.
        hidden("Label_KA(0)", " WDT SERVICE"), hidden("Shape_KA"),
        hidden("Label_KA(1)", " POLL ADC BEING SENT.                                                              "
                              "PREVENTS WATCHDOG TIMEOUT."),
        {"Combo1", "1", "SELECT TOTAL NUMBER OF DAISY-CHAINED BOARDS ON STACK. "},
        {"Label7", "SELECT BOARDS ON STACK"}, {"Label21", " 1"}, {"Label1", "B O A R D # 1 "},
        {"Label12", " BOARDS   1      2      3      4      5      6      7      8      9     10"},
        {"Label9(0)", "CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  CELL 4  CELL 3  CELL 2  CELL 1"},
        {"Label9(1)", "PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    C 3    C 2    C 1"},
        hidden("Shape16(3)"), hidden("Shape16(4)"), hidden("Shape16(5)"), hidden("Shape16(6)"), hidden("Shape16(9)"),
        hidden("Shape14"), {"Label_IDstring", "QM741X-X"}, {"Label_version", "QM7410-1-3_GUI_V09_20110512"},
    };
    const auto at = [](const char* name, int i) { return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i); };
    for (int k = 0; k < 3; ++k) { // temperatures and flag registers
        rows.push_back({at("Text6", k), " 0.0000V"});
        rows.push_back({at("Label2", k), QStringLiteral("|  FLGR%1  | ").arg(k)});
        rows.push_back({at("Text7", k), "  00 "});
    }
    for (int k = 1; k <= 5; ++k) rows.insert(rows.end(), {{at("Text5", k), " 0x00"}, {at("Text4", k), " 0x00"}});
    for (int i = 0; i < 12; ++i)
        rows.insert(rows.end(), {{at("Frame1", i), QStringLiteral("CELL%1").arg(i + 1)}, {at("Text1", i), "0.0000V"},
                                 {at("Check6", i), "READ Only"}});
    for (int i = 0; i < 10; ++i)
        rows.push_back({at("Command4", i), QString::number(i + 1), QStringLiteral("MONITOR BOARD# %1").arg(i + 1, 2)});
    for (int r = 0; r < qm::presentation::kLegendRows; ++r) // the window starts with the flag legend
        rows.insert(rows.end(), {{at("Label10", r), Q(LegendRowFor(r, Legend::Flag).mark)},
                                 {at("Label11", r), Q(LegendRowFor(r, Legend::Flag).text)}});
    return rows;
}

QRect onCanvas(const Form& form, const Control& control)
{
    return QRect(control.widget().mapTo(form.canvas(), QPoint(0, 0)), control.widget().size());
}

// True when w is hidden, or one of its panels is.
bool hiddenOnCanvas(const Form& form, const QWidget* w)
{
    for (; w && w != form.canvas(); w = w->parentWidget())
        if (w->isHidden()) return true;
    return false;
}

bool isAncestor(const QWidget& a, const QWidget& b)
{
    for (const QWidget* w = b.parentWidget(); w; w = w->parentWidget())
        if (w == &a) return true;
    return false;
}

// True when the control's caption fits with the given text (and width, in
// the control's units), the control left as it was.
bool fitsWith(Control& control, const QString& text, int width = 0)
{
    const QString before = control.caption();
    const Bounds bounds = control.bounds();
    control.setCaption(text);
    if (width > 0) control.setWidth(width);
    const bool fits = control.captionFits();
    control.setCaption(before);
    control.setBounds(bounds);
    return fits;
}

} // namespace

class FormDesign : public ::testing::Test {
protected:
    Form form;
};

TEST_F(FormDesign, EveryCaptionTipAndInitialStateMenusTimerAndTitle)
{
    std::set<QString> hiddenNames;
    for (const Row& r : designTable()) {
        SCOPED_TRACE(r.name.toStdString());
        Control* control = form.control(r.name);
        ASSERT_NE(control, nullptr);
        if (!r.caption.isNull()) { EXPECT_EQ(control->caption(), r.caption); }
        if (!r.tip.isNull()) { EXPECT_EQ(control->widget().toolTip(), r.tip); }
        if (r.selected >= 0) { EXPECT_EQ(dynamic_cast<OptionButton&>(*control).value(), r.selected == 1); }
        if (r.hidden) hiddenNames.insert(r.name);
    }
    // Everything the table does not hide is visible and enabled, and only
    // the boxes the design ticks are ticked.
    const std::set<QString> ticked = {"Check0(5)", "Check0(6)", "Check0(7)"};
    for (Control* control : form.controls()) {
        const QString name = control->displayName();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(control->visible(), hiddenNames.count(name) == 0);
        EXPECT_TRUE(control->widget().isEnabled());
        if (auto* box = dynamic_cast<CheckBox*>(control)) { EXPECT_EQ(box->value(), ticked.count(name) ? 1 : 0); }
    }
    // The duty-cycle heading names its columns.
    const QString heading = form.Label4->caption();
    EXPECT_TRUE(heading.startsWith("Set CDC (Comparator Duty Cycle)  CDC[2]   CDC[1]   CDC[0]")) << heading.toStdString();
    for (const char* column : {"| UV/OV Comparator", "| VREF Powered Down", "| Cell Voltage", "Period", "Between",
                               "Measurement", "Measurements", "Time", "CDC# |"})
        EXPECT_TRUE(heading.contains(QLatin1String(column))) << column;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("QM7410-1/-3 DAISY CHAIN MULTICELL MONITOR GUI"));
    ASSERT_EQ(form.Combo1->listCount(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(form.Combo1->itemText(i), QString::number(i + 1));
    EXPECT_EQ(form.Combo1->listIndex(), 0);
    EXPECT_TRUE(form.Timer1->interval() == 100 && !form.Timer1->isActive());
    EXPECT_EQ(form.mnuFile->title() + " " + form.mnuDatalog->title(), "File Datalog");
    EXPECT_EQ(form.mnuDatalog->actions(),
              (QList<QAction*>{form.mnuCreateNewSetup, form.mnuUsePreviousSetup, form.mnuViewLastDatalog}));
    const std::tuple<QAction*, const char*, bool> items[] = {
        {form.mnuExit, "&Exit", true}, {form.mnuCreateNewSetup, "Create New Setup", true},
        {form.mnuUsePreviousSetup, "Use Previous Setup", false}, {form.mnuViewLastDatalog, "View Last Datalog", false}};
    for (const auto& [action, text, enabled] : items)
        EXPECT_TRUE(action->text() == QLatin1String(text) && action->isEnabled() == enabled) << text;
}

TEST_F(FormDesign, ColoursAndFontsTheViewsRelyOn)
{
    const std::tuple<Control*, int, int, double, bool> looks[] = { // back, fore (-1: any), size (0: any), bold
        {form.Label21, kDarkRed, kLightGrey, 0, false}, {form.Label1, -1, kDarkRed, 0, false},
        {form.Label25, 14737632, -1, 14.25, true},      {form.Label_KA[1], 8454016, -1, 9.0, false},
        {form.Text15, -1, -1, 15.75, true},             {form.Combo1, -1, -1, 12.0, true},
        {form.Text2[0], 14737632, 32896, 0, false},     {form.Text2[1], 14737632, 32896, 0, false},
    };
    for (const auto& [control, back, fore, fontSize, bold] : looks) {
        SCOPED_TRACE(control->displayName().toStdString());
        if (back >= 0) { EXPECT_EQ(control->backColor(), back); }
        if (fore >= 0) { EXPECT_EQ(control->foreColor(), fore); }
        if (fontSize > 0) { EXPECT_EQ(control->fontSize(), fontSize); }
        if (bold) { EXPECT_TRUE(control->fontBold()); }
    }
    EXPECT_EQ(form.Label21->alignment(), Label::Alignment::Center);
    EXPECT_EQ(form.Label25->alignment(), Label::Alignment::Center);
    // Fills: the board tab, the keep-alive tab, the cycle lamp, the progress tabs.
    EXPECT_EQ(std::tuple(form.Shape15->fillColor(), form.Shape_KA->fillColor(), form.Shape3->fillColor(),
                         form.Shape3->borderWidth(), form.Shape14->fillColor()),
              std::tuple(kDarkRed, 12640511, 255, 3, 8454143));
    for (Shape* tab : form.Shape16) EXPECT_EQ(tab->fillColor(), 8454143);
    for (Shape* oval : form.Shape12) EXPECT_EQ(oval->kind(), Shape::Kind::Oval);
    for (Shape* cap : form.Shape5) EXPECT_EQ(cap->fillColor(), 12632256);
    // Window, panels, labels and check boxes stand on light grey; panel
    // captions and the controls in them use the 8.25-point face.
    EXPECT_EQ(form.canvas()->palette().color(QPalette::Window), toQColor(12632256));
    for (Control* control : form.controls()) {
        SCOPED_TRACE(control->displayName().toStdString());
        if (dynamic_cast<Frame*>(control) || dynamic_cast<CheckBox*>(control) || dynamic_cast<OptionButton*>(control)) {
            EXPECT_EQ(control->backColor(), 12632256);
        }
        if (qobject_cast<Frame*>(control->widget().parentWidget()) && !dynamic_cast<Shape*>(control) &&
            !dynamic_cast<Line*>(control) && control != form.Label25 && control != form.Text15) {
            EXPECT_EQ(control->fontSize(), 8.25);
        }
    }
}

TEST_F(FormDesign, CellBoxesAreTheRegisterBitBoxesAndArraysAreIndexedAsTheWindowIndexesThem)
{
    // Of the 24 bits of the run Check1..Check3, cell c's discharge box is bit
    // c-1 and its mask box bit c+11; both sit in the cell's panel.
    const std::array arrays{&form.Check1, &form.Check2, &form.Check3};
    auto parent = [](const Control* c) { return c->widget().parentWidget(); };
    for (int cell = 1; cell <= 12; ++cell) {
        const auto i = static_cast<std::size_t>(cell - 1), mask = i + 12;
        EXPECT_EQ(form.dccBox(cell), (*arrays[i / 8])[i % 8]) << cell;
        EXPECT_EQ(form.maskBox(cell), (*arrays[mask / 8])[mask % 8]) << cell;
        const QWidget* panel = form.Frame1[i];
        EXPECT_TRUE(parent(form.dccBox(cell)) == panel && parent(form.maskBox(cell)) == panel &&
                    parent(form.Text1[i]) == panel && parent(form.Check6[i]) == panel) << cell;
        EXPECT_TRUE(form.maskBox(cell)->caption() == "Mask" && form.dccBox(cell)->caption() == "DCC") << cell;
    }
    EXPECT_TRUE(form.maskBox(0) == nullptr && form.dccBox(13) == nullptr);
    for (std::size_t i = 0; i < form.Command1.size(); ++i)
        EXPECT_TRUE(i >= 11 && i <= 13 ? form.Command1[i] == nullptr : form.Command1[i]->index() == int(i)) << i;
    std::set<QString> names;
    for (Control* control : form.controls())
        EXPECT_TRUE(names.insert(control->displayName()).second) << control->displayName().toStdString();
    // Grid square 12*b + c - 1 stands in board column b and in the row of
    // cell c, cell 12 at the top under the board's oval.
    const auto square = [&](int b, int c) { return form.Shape1[static_cast<std::size_t>(12 * b + c - 1)]->geometry(); };
    for (int b = 0; b < 10; ++b) {
        for (int c = 1; c <= 12; ++c) {
            EXPECT_TRUE(square(b, c).left() >= 480 + 24 * b && square(b, c).right() <= 503 + 24 * b) << b << c;
            if (c < 12) { EXPECT_LT(square(b, c + 1).bottom(), square(b, c).top()) << b << c; }
        }
        EXPECT_LT(form.Shape12[static_cast<std::size_t>(b)]->geometry().bottom(), square(b, 12).top()) << b;
    }
}

TEST_F(FormDesign, FixedGeometryTheIndicatorsMoveOn)
{
    // Command column top to bottom at left 796, width 97.
    int previousTop = -1;
    for (int index : {0, 1, 8, 5, 6, 4, 9, 3, 2, 7}) {
        const CommandButton* button = form.Command1[static_cast<std::size_t>(index)];
        EXPECT_TRUE(button->left() == 796 && button->bounds().width == 97 && button->top() > previousTop) << index;
        previousTop = button->top();
    }
    EXPECT_EQ(form.Command1[5]->bounds(), (Bounds{796, 168, 97, 20}));
    // Progress tabs: 97 wide at 796, ten pixels taller than their buttons,
    // and behind them; the other tabs and shapes behind their controls too.
    auto behind = [](const Control& shape, const Control& front) {
        const QObjectList& siblings = front.widget().parentWidget()->children();
        return shape.widget().parentWidget() == front.widget().parentWidget() &&
               siblings.indexOf(&shape.widget()) < siblings.indexOf(&front.widget());
    };
    const std::pair<Shape*, Control*> tabs[] = {
        {form.Shape16[0], form.Command1[6]}, {form.Shape16[1], form.Command1[7]}, {form.Shape16[2], form.Command1[9]},
        {form.Shape16[9], form.Command1[8]}, {form.Shape14, form.Command1[5]},    {form.Shape_KA, form.Command1[0]},
        {form.Shape16[3], form.Command5[3]}, {form.Shape16[4], form.Command5[4]}, {form.Shape16[5], form.Command7[1]},
        {form.Shape16[6], form.Command0[0]}, {form.Shape16[7], form.Text2[0]},    {form.Shape16[8], form.Text2[1]},
    };
    for (std::size_t i = 0; i < std::size(tabs); ++i) {
        const auto& [shape, front] = tabs[i];
        EXPECT_TRUE(behind(*shape, *front)) << shape->displayName().toStdString();
        const Bounds button = front->bounds();
        if (i < 6) { // the command column's
            EXPECT_EQ(shape->bounds(), (Bounds{796, button.top - 5, 97, button.height + 10})) << i;
        }
    }
    for (CommandButton* button : form.Command4) EXPECT_TRUE(behind(*form.Shape15, *button));
    for (std::size_t i = 0; i < 12; ++i) EXPECT_TRUE(behind(*form.Shape4[i], *form.Shape2[i])) << "bar over body";
    // Board buttons at the left edge, board 10 at the top, the tab behind all ten.
    for (int i = 0; i < 10; ++i) {
        const Bounds b = form.Command4[static_cast<std::size_t>(i)]->bounds();
        EXPECT_TRUE(b.top == 532 - 40 * i && b.height == 41 && b.left <= 5) << i;
        EXPECT_TRUE(form.Shape15->geometry().contains(form.Command4[static_cast<std::size_t>(i)]->geometry())) << i;
    }
    EXPECT_EQ(form.Command4[0]->geometry().bottom(), 572); // bottom at 573
    // (The marker, the row label and the board tab move with the stack: WindowTest.cpp.)
    EXPECT_TRUE(form.Command7[1]->top() == 2330 && form.Command7[1]->bounds().height == 500);
    // Battery symbol in panel units; the bar ends where the body ends.
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(form.Shape4[i]->bounds(), (Bounds{75, 360, 495, 495}));
        const Bounds bar = form.Shape2[i]->bounds();
        EXPECT_TRUE(bar.left == 75 && bar.width == 495 && bar.top + bar.height == 855) << i;
        EXPECT_EQ(form.Shape4[i]->geometry().bottom(), form.Shape2[i]->geometry().bottom());
    }
    // The window's size in twips.
    EXPECT_EQ(form.canvas()->size(), QSize(900, 598));
    form.setWindowWidthTwips(13780); // the bottom rule spans the wider window
    EXPECT_EQ(std::tuple(form.windowWidthTwips(), form.canvas()->width(), form.Line1->x2()), std::tuple(13780, 919, 919));
    form.setWindowWidthTwips(13500);
    form.setWindowHeightTwips(8970);
    EXPECT_EQ(form.canvas()->size(), QSize(900, 598));
    form.setWindowWidthTwips(-5); // nonsense leaves a usable window
    EXPECT_GT(form.canvas()->width(), 0);
}

TEST_F(FormDesign, NoVisibleControlsOverlapAndAllStayInside)
{
    // Controls hidden at start are shown later (the message label most of
    // the time): their places must be free as well. Only the CDC bit boxes
    // are never shown.
    for (Control* control : form.controls())
        if (!(control->name() == QLatin1String("Check0") && control->index() <= 2)) control->widget().setVisible(true);
    std::vector<Control*> solid;
    for (Control* control : form.controls()) {
        if (hiddenOnCanvas(form, &control->widget())) continue;
        const std::string name = control->displayName().toStdString();
        EXPECT_TRUE(form.canvas()->rect().contains(onCanvas(form, *control))) << name;
        if (QWidget* parent = control->widget().parentWidget(); parent != form.canvas()) {
            EXPECT_TRUE(parent->rect().contains(control->widget().geometry())) << name << " leaves its panel";
        }
        if (!dynamic_cast<const Shape*>(control) && !dynamic_cast<const Line*>(control)) solid.push_back(control);
    }
    for (std::size_t i = 0; i < solid.size(); ++i)
        for (std::size_t j = i + 1; j < solid.size(); ++j) {
            const QRect a = onCanvas(form, *solid[i]), b = onCanvas(form, *solid[j]);
            if (isAncestor(solid[i]->widget(), solid[j]->widget()) || isAncestor(solid[j]->widget(), solid[i]->widget()))
                continue;
            // Board buttons are 41 high on a 40-pixel pitch: neighbours share their edge row by design.
            if (solid[i]->name() == QLatin1String("Command4") && solid[j]->name() == QLatin1String("Command4") &&
                a.intersected(b).height() <= 1)
                continue;
            EXPECT_FALSE(a.intersects(b)) << solid[i]->displayName().toStdString() << " overlaps "
                                          << solid[j]->displayName().toStdString();
        }
}

TEST_F(FormDesign, EveryCaptionFitsAlsoWithTheTextsShownLater)
{
    for (Control* control : form.controls())
        EXPECT_TRUE(control->captionFits()) << control->displayName().toStdString() << ": " << control->caption().toStdString();
    // Headings that must break where their columns start.
    const auto wrapped = [](const Label* c) { return wrapWords(QFontMetricsF(c->font()), c->caption(), c->width()).lines; };
    EXPECT_EQ(wrapped(form.Label23[2]), (QStringList{"|    REV   |    MUX   |", "|  CODE   | CHECK  |"}));
    for (Label* label : form.Label5) {
        const QStringList lines = wrapped(label);
        EXPECT_TRUE(lines.size() == 2 && lines[1] == "| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |") << lines.size();
    }
    for (Label* label : form.Label3) EXPECT_EQ(wrapped(label).size(), 3);
    // Texts the window shows later on: the armed and normal looks of the
    // command column (width in units, 0 as designed), captions that follow
    // the current board, values, codes and verdicts.
    const std::tuple<Control*, const char*, int> later[] = {
        {form.Command1[7], "READCELL", 81}, {form.Command1[7], "READCELLVOLT", 97}, {form.Command1[5], "WRITECONFIG", 81},
        {form.Command1[6], "READ CONFIG", 81}, {form.Command1[9], "READ TEMP", 81}, {form.Command1[8], "READ  FLAG", 81},
        {form.Command1[0], "POLL ADC", 81}, {form.Command1[10], "STOP  CONTINUOUS READ CELLS", 0},
        {form.Command8[2], "READ CELL   9 -10", 0}, {form.Option3[0], "CUSTOM BRD#10", 0},
        {form.Label13[0], "CUSTOM  BOARD # 10", 0}, {form.Label21, "10", 0}, {form.Label_IDstring, "QM7410-3", 0},
        {form.Label8[1], "Command = 0x0A RDCVC", 0}, {form.Label8[1], "Command = 0x70 STOWDC", 0},
        {form.Label8[2], "| SENT | SENT  |", 0}, {form.Label8[0], "|  Cmd  | DATA |", 0},
        {form.Text1[0], " -0.7680V  ", 0}, {form.Text1[0], " 5.3745V  ", 0}, {form.Text1[0], "0x555 ", 0},
        {form.Text1[0], " 0x000 ", 0}, {form.Text6[0], " -0.7680V ", 0}, {form.Text6[0], " 0xAAA ", 0},
        {form.Text7[0], "  0F   ", 0}, {form.Text4[0], "   E0   ", 0}, {form.Text5[5], "   FF   ", 0},
        {form.Text8, "  CE  | 3A  !=  5C", 0}, {form.Text8, "  DC  |  3A != 5C", 0}, {form.Text8, "  C7  |  E  |", 0},
        {form.Text8, "  D2  |  3A != 5C", 0}, {form.Text14[0], "   05   ", 0}, {form.Text14[2], "   ?    ", 0},
        {form.Text14[3], " ????", 0}, {form.Text14[3], " FAIL", 0}, {form.Text14[4], "-0.7680V ", 0},
        {form.Text2[0], "-0.744V ", 0}, {form.Text2[1], "5.352V ", 0}, {form.Text15, "7", 0},
    };
    for (const auto& [control, text, width] : later)
        EXPECT_TRUE(fitsWith(*control, QLatin1String(text), width)) << control->displayName().toStdString() << ": " << text;
    // Both legends, the keep-alive, cycle and standby notices, as the window shows them.
    for (int row = 0; row < qm::presentation::kLegendRows; ++row)
        for (auto legend : {Legend::Flag, Legend::Soft}) {
            const auto look = LegendRowFor(row, legend);
            EXPECT_TRUE(fitsWith(*form.Label10[static_cast<std::size_t>(row)], Q(look.mark))) << look.mark;
            EXPECT_TRUE(fitsWith(*form.Label11[static_cast<std::size_t>(row)], Q(look.text))) << look.text;
        }
    for (const std::string& notice :
         {qm::acquisition::PollText(), qm::acquisition::CycleText(), qm::config::StandbyNoticeLook().caption})
        EXPECT_TRUE(fitsWith(*form.Label_KA[1], Q(notice))) << notice;
    // The header over the grid for any board count.
    QString header = QStringLiteral("BOARDS    1");
    for (int n = 2; n <= 10; ++n) header += QString(n < 10 ? 6 : 5, QLatin1Char(' ')) + QString::number(n);
    EXPECT_TRUE(fitsWith(*form.Label12, header));
    // The duty-cycle box shows a row's values line and notes line, each on one line.
    for (int cdc = 0; cdc <= 7; ++cdc) {
        const auto row = qm::config::CdcTableRow(cdc);
        EXPECT_TRUE(fitsWith(*form.Text3, Q(row.values) + "\r\n" + Q(row.notes))) << cdc;
        EXPECT_TRUE(fitsWith(*form.Text3, QString::fromStdString(qm::config::CdcTableText(cdc)))) << cdc;
    }
}
