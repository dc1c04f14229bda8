// The Form's structure and geometry: control-array indexing (one object per
// register bit), the fixed positions that the moving indicators rely on, no
// two visible controls on top of each other unless one is a shape put
// behind, and every caption readable, also with the texts the window shows
// later on.
#include "ui/Form.h"

#include "acquisition/KeepAlive.h"
#include "config/DutyCycle.h"
#include "presentation/StatusTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace qm::ui;

namespace {

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
    if (width > 0)
        control.setWidth(width);
    const bool fits = control.captionFits();
    control.setCaption(before);
    control.setBounds(bounds);
    return fits;
}

} // namespace

class FormLayout : public ::testing::Test {
protected:
    Form form;
};

TEST_F(FormLayout, CellBoxesAreTheRegisterBitBoxesAndArraysAreIndexedAsTheWindowIndexesThem)
{
    // Of the 24 bits of the run Check1..Check3, cell c's discharge box is bit
    // c-1 and its mask box bit c+11; both sit in the cell's panel.
    const std::array arrays{&form.Check1, &form.Check2, &form.Check3};
    auto parent = [](const Control* c) { return c->widget().parentWidget(); };
    std::set<CheckBox*> cellBoxes;
    for (int cell = 1; cell <= 12; ++cell) {
        const auto i = static_cast<std::size_t>(cell - 1), mask = i + 12;
        EXPECT_EQ(form.dccBox(cell), (*arrays[i / 8])[i % 8]) << cell;
        EXPECT_EQ(form.maskBox(cell), (*arrays[mask / 8])[mask % 8]) << cell;
        const QWidget* panel = form.Frame1[i];
        EXPECT_TRUE(parent(form.dccBox(cell)) == panel && parent(form.maskBox(cell)) == panel &&
                    parent(form.Text1[i]) == panel && parent(form.Check6[i]) == panel)
            << cell;
        EXPECT_EQ(form.maskBox(cell)->caption(), QStringLiteral("Mask"));
        EXPECT_EQ(form.dccBox(cell)->caption(), QStringLiteral("DCC"));
        cellBoxes.insert({form.maskBox(cell), form.dccBox(cell)});
    }
    EXPECT_EQ(cellBoxes.size(), 24u);
    EXPECT_EQ(form.maskBox(0), nullptr);
    EXPECT_EQ(form.dccBox(13), nullptr);
    for (std::size_t i = 0; i < form.Command1.size(); ++i) {
        if (i >= 11 && i <= 13) {
            EXPECT_EQ(form.Command1[i], nullptr) << i;
        } else {
            ASSERT_NE(form.Command1[i], nullptr) << i;
            EXPECT_EQ(form.Command1[i]->index(), static_cast<int>(i));
        }
    }
    std::set<QString> names;
    for (Control* control : form.controls())
        EXPECT_TRUE(names.insert(control->displayName()).second) << control->displayName().toStdString();

    // Grid square 12*b + c - 1 stands in board column b and in the row of
    // cell c, cell 12 at the top under the board's oval.
    for (int b = 0; b < 10; ++b) {
        for (int c = 1; c <= 12; ++c) {
            const QRect r = form.Shape1[static_cast<std::size_t>(12 * b + c - 1)]->geometry();
            EXPECT_GE(r.left(), 480 + 24 * b);
            EXPECT_LE(r.right(), 503 + 24 * b);
            if (c < 12) {
                EXPECT_LT(form.Shape1[static_cast<std::size_t>(12 * b + c)]->geometry().bottom(), r.top());
            }
        }
        EXPECT_LT(form.Shape12[static_cast<std::size_t>(b)]->geometry().bottom(),
                  form.Shape1[static_cast<std::size_t>(12 * b + 11)]->geometry().top());
    }
}

TEST_F(FormLayout, FixedGeometryTheIndicatorsMoveOn)
{
    // Command column top to bottom at left 796, width 97.
    const int order[] = {0, 1, 8, 5, 6, 4, 9, 3, 2, 7};
    int previousTop = -1;
    for (int index : order) {
        const CommandButton* button = form.Command1[static_cast<std::size_t>(index)];
        EXPECT_EQ(button->left(), 796) << index;
        EXPECT_EQ(button->bounds().width, 97) << index;
        EXPECT_GT(button->top(), previousTop) << index;
        previousTop = button->top();
    }
    EXPECT_EQ(form.Command1[5]->bounds(), (Bounds{796, 168, 97, 20}));

    // Progress tabs: 97 wide at 796, ten pixels taller than their buttons,
    // and behind them; the other tabs and shapes behind their controls too.
    auto behind = [](const Control& shape, const Control& front) {
        const QObjectList& siblings = front.widget().parentWidget()->children();
        return shape.widget().parentWidget() == front.widget().parentWidget()
               && siblings.indexOf(&shape.widget()) < siblings.indexOf(&front.widget());
    };
    const std::pair<Shape*, Control*> tabs[] = {
        {form.Shape16[0], form.Command1[6]}, {form.Shape16[1], form.Command1[7]}, {form.Shape16[2], form.Command1[9]},
        {form.Shape16[9], form.Command1[8]}, {form.Shape14, form.Command1[5]},    {form.Shape_KA, form.Command1[0]},
        {form.Shape16[3], form.Command5[3]}, {form.Shape16[4], form.Command5[4]}, {form.Shape16[5], form.Command7[1]},
        {form.Shape16[6], form.Command0[0]}, {form.Shape16[7], form.Text2[0]},    {form.Shape16[8], form.Text2[1]},
    };
    for (std::size_t i = 0; i < std::size(tabs); ++i) {
        const auto& [shape, front] = tabs[i];
        SCOPED_TRACE(shape->displayName().toStdString());
        EXPECT_TRUE(behind(*shape, *front));
        if (i >= 6) continue; // the command column's
        const Bounds button = front->bounds();
        EXPECT_EQ(shape->bounds(), (Bounds{796, button.top - 5, 97, button.height + 10}));
    }
    for (CommandButton* button : form.Command4) EXPECT_TRUE(behind(*form.Shape15, *button));
    for (std::size_t i = 0; i < 12; ++i) EXPECT_TRUE(behind(*form.Shape4[i], *form.Shape2[i])) << "bar over body";

    // Board buttons at the left edge, board 10 at the top, the tab behind
    // all ten.
    for (int i = 0; i < 10; ++i) {
        const Bounds b = form.Command4[static_cast<std::size_t>(i)]->bounds();
        EXPECT_EQ(b.top, 532 - 40 * i);
        EXPECT_EQ(b.height, 41);
        EXPECT_LE(b.left, 5);
        EXPECT_TRUE(form.Shape15->geometry().contains(form.Command4[static_cast<std::size_t>(i)]->geometry()));
    }
    EXPECT_EQ(form.Shape15->top(), 532 - 40 * 9);
    EXPECT_EQ(form.Shape15->bounds().height, 41 + 40 * 9);
    EXPECT_EQ(form.Command4[0]->geometry().bottom(), 572); // bottom at 573

    // The marker over board 1's column and the right-hand row label one
    // column right of board 10's.
    EXPECT_EQ(form.Image1->left(), 472);
    EXPECT_EQ(form.Label9[1]->left(), 720);

    // Battery symbol in panel units; the bar ends where the body ends.
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(form.Shape4[i]->bounds(), (Bounds{75, 360, 495, 495}));
        const Bounds bar = form.Shape2[i]->bounds();
        EXPECT_EQ(bar.left, 75);
        EXPECT_EQ(bar.width, 495);
        EXPECT_EQ(bar.top + bar.height, 855);
        EXPECT_EQ(form.Shape4[i]->geometry().bottom(), form.Shape2[i]->geometry().bottom());
    }
    EXPECT_EQ(form.Command7[1]->top(), 2330);
    EXPECT_EQ(form.Command7[1]->bounds().height, 500);
    EXPECT_EQ(form.Label_KA[1]->left(), 430);
    EXPECT_EQ(form.Label_KA[1]->top(), 344);

    // The window's size in twips.
    EXPECT_EQ(form.canvas()->size(), QSize(900, 598));
    form.setWindowWidthTwips(13780);
    EXPECT_EQ(form.windowWidthTwips(), 13780);
    EXPECT_EQ(form.canvas()->width(), 919);
    EXPECT_EQ(form.Line1->x2(), 919) << "the bottom rule spans the wider window";
    form.setWindowWidthTwips(13500);
    EXPECT_EQ(form.canvas()->width(), 900);
    form.setWindowHeightTwips(8970);
    EXPECT_EQ(form.canvas()->height(), 598);
    form.setWindowWidthTwips(-5); // nonsense leaves a usable window
    EXPECT_GT(form.canvas()->width(), 0);
}

TEST_F(FormLayout, NoVisibleControlsOverlapAndAllStayInside)
{
    // Controls hidden at start are shown later (the message label most of
    // the time): their places must be free as well. Only the CDC bit boxes
    // are never shown.
    for (Control* control : form.controls()) {
        const bool cdcMirror = control->name() == QLatin1String("Check0") && control->index() <= 2;
        if (!cdcMirror)
            control->widget().setVisible(true);
    }
    std::vector<Control*> solid;
    for (Control* control : form.controls()) {
        if (hiddenOnCanvas(form, &control->widget())) continue;
        const QRect r = onCanvas(form, *control);
        EXPECT_TRUE(form.canvas()->rect().contains(r)) << control->displayName().toStdString();
        if (QWidget* parent = control->widget().parentWidget(); parent != form.canvas()) {
            EXPECT_TRUE(parent->rect().contains(control->widget().geometry()))
                << control->displayName().toStdString() << " leaves its panel";
        }
        if (!dynamic_cast<const Shape*>(control) && !dynamic_cast<const Line*>(control)) solid.push_back(control);
    }
    for (std::size_t i = 0; i < solid.size(); ++i) {
        for (std::size_t j = i + 1; j < solid.size(); ++j) {
            const QWidget& a = solid[i]->widget();
            const QWidget& b = solid[j]->widget();
            if (isAncestor(a, b) || isAncestor(b, a))
                continue;
            // Board buttons are 41 high on a 40-pixel pitch: neighbours share
            // their edge row by design.
            if (solid[i]->name() == QLatin1String("Command4") && solid[j]->name() == QLatin1String("Command4")
                && onCanvas(form, *solid[i]).intersected(onCanvas(form, *solid[j])).height() <= 1)
                continue;
            EXPECT_FALSE(onCanvas(form, *solid[i]).intersects(onCanvas(form, *solid[j])))
                << solid[i]->displayName().toStdString() << " overlaps " << solid[j]->displayName().toStdString();
        }
    }
}

TEST_F(FormLayout, EveryCaptionFitsAlsoWithTheTextsShownLater)
{
    for (Control* control : form.controls()) {
        EXPECT_TRUE(control->captionFits()) << control->displayName().toStdString() << ": "
                                            << control->caption().toStdString();
    }
    // Headings that must break where their columns start.
    EXPECT_EQ(wrapWords(QFontMetricsF(form.Label23[2]->font()), form.Label23[2]->caption(),
                        form.Label23[2]->width())
                  .lines,
              (QStringList{QStringLiteral("|    REV   |    MUX   |"), QStringLiteral("|  CODE   | CHECK  |")}));
    for (Label* label : form.Label5) {
        const QStringList lines = wrapWords(QFontMetricsF(label->font()), label->caption(), label->width()).lines;
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[1], QStringLiteral("| CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |"));
    }
    for (Label* label : form.Label3) {
        EXPECT_EQ(wrapWords(QFontMetricsF(label->font()), label->caption(), label->width()).lines.size(), 3);
    }

    // Texts the window shows later on.
    struct Later {
        Control* control;
        const char* text;
        int width; // 0: as designed
    };
    const Later cases[] = {
        // Armed and normal looks of the command column.
        {form.Command1[7], "READCELL", 81}, {form.Command1[7], "READCELLVOLT", 97},
        {form.Command1[5], "WRITECONFIG", 81}, {form.Command1[6], "READ CONFIG", 81},
        {form.Command1[9], "READ TEMP", 81}, {form.Command1[8], "READ  FLAG", 81}, {form.Command1[0], "POLL ADC", 81},
        {form.Command1[10], "STOP  CONTINUOUS READ CELLS", 0}, {form.Command8[2], "READ CELL   9 -10", 0},
        // Captions that follow the current board.
        {form.Option3[0], "CUSTOM BRD#10", 0}, {form.Label13[0], "CUSTOM  BOARD # 10", 0}, {form.Label21, "10", 0},
        {form.Label_IDstring, "QM7410-3", 0}, {form.Label8[1], "Command = 0x0A RDCVC", 0},
        {form.Label8[1], "Command = 0x70 STOWDC", 0}, {form.Label8[2], "| SENT | SENT  |", 0},
        {form.Label8[0], "|  Cmd  | DATA |", 0},
        // Values, codes and verdicts.
        {form.Text1[0], " -0.7680V  ", 0}, {form.Text1[0], " 5.3745V  ", 0}, {form.Text1[0], "0x555 ", 0},
        {form.Text1[0], " 0x000 ", 0}, {form.Text6[0], " -0.7680V ", 0}, {form.Text6[0], " 0xAAA ", 0},
        {form.Text7[0], "  0F   ", 0}, {form.Text4[0], "   E0   ", 0}, {form.Text5[5], "   FF   ", 0},
        {form.Text8, "  CE  | 3A  !=  5C", 0}, {form.Text8, "  DC  |  3A != 5C", 0}, {form.Text8, "  C7  |  E  |", 0},
        {form.Text8, "  D2  |  3A != 5C", 0}, {form.Text14[0], "   05   ", 0}, {form.Text14[2], "   ?    ", 0},
        {form.Text14[3], " ????", 0}, {form.Text14[3], " FAIL", 0}, {form.Text14[4], "-0.7680V ", 0},
        {form.Text2[0], "-0.744V ", 0}, {form.Text2[1], "5.352V ", 0}, {form.Text15, "7", 0},
        {form.Command5[0], "CELL VOLT", 0},
    };
    auto q = [](std::string_view t) { return QString::fromUtf8(t.data(), static_cast<int>(t.size())); };
    // Both legends, the keep-alive, cycle and standby notices, as the window shows them.
    for (int row = 0; row < qm::presentation::kLegendRows; ++row)
        for (auto legend : {qm::presentation::Legend::Flag, qm::presentation::Legend::Soft}) {
            const auto look = qm::presentation::LegendRowFor(row, legend);
            EXPECT_TRUE(fitsWith(*form.Label10[static_cast<std::size_t>(row)], q(look.mark))) << look.mark;
            EXPECT_TRUE(fitsWith(*form.Label11[static_cast<std::size_t>(row)], q(look.text))) << look.text;
        }
    for (const std::string& notice :
         {qm::acquisition::PollText(), qm::acquisition::CycleText(), qm::config::StandbyNoticeLook().caption})
        EXPECT_TRUE(fitsWith(*form.Label_KA[1], q(notice))) << notice;
    for (const Later& c : cases) {
        EXPECT_TRUE(fitsWith(*c.control, QString::fromLatin1(c.text), c.width))
            << c.control->displayName().toStdString() << ": \"" << c.text << "\"";
    }

    // The header over the grid for any board count.
    QString header = QStringLiteral("BOARDS    1");
    for (int n = 2; n <= 10; ++n)
        header += QString(n < 10 ? 6 : 5, QLatin1Char(' ')) + QString::number(n);
    EXPECT_TRUE(fitsWith(*form.Label12, header));

    // The box shows a row's values line and notes line, each on one line.
    MultiLineTextBox& box = *form.Text3;
    for (int cdc = 0; cdc <= 7; ++cdc) {
        const auto row = qm::config::CdcTableRow(cdc);
        const QString values = QString::fromUtf8(row.values.data(), static_cast<int>(row.values.size()));
        const QString notes = QString::fromUtf8(row.notes.data(), static_cast<int>(row.notes.size()));
        EXPECT_TRUE(fitsWith(box, values + QStringLiteral("\r\n") + notes)) << cdc;
        EXPECT_TRUE(fitsWith(box, QString::fromStdString(qm::config::CdcTableText(cdc)))) << cdc;
    }
}
