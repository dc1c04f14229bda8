// The left part of the window: the board buttons with their tab, the twelve
// cell panels in two columns of six, and the board overview grid.
#include "ui/Form.h"
#include "ui/FormPixels.h"

#include <QPixmap>

namespace qm::ui {

using layout::P;
using layout::W;

namespace {

constexpr int kBoardButtonLeft = 3;
constexpr int kBoardColumnWidth = 30;
constexpr int kCellPanelWidth = 128;
constexpr int kCellPanelHeight = 62;
constexpr int kCellColumnLeft[2] = {32, 162}; // cells 12..7 left, cells 6..1 right

// Grid geometry: board column b spans 480 + 24b .. 504 + 24b; one row per
// cell (cell 12 at the top) under a row of ovals.
constexpr int kGridColumnLeft = 480;
constexpr int kGridColumn = 24;
constexpr int kGridRow = 12;
constexpr int kOvalRowTop = 186;
constexpr int kCellRowTop = kOvalRowTop + kGridRow; // cell 12

QString boardTip(int board)
{
    return board < 10 ? QStringLiteral("MONITOR BOARD#  %1").arg(board)
                      : QStringLiteral("MONITOR BOARD# %1").arg(board);
}

} // namespace

void Form::buildBoardColumn()
{
    Label1 = addLabel(m_canvas, QStringLiteral("Label1"), -1, W(8, 4, 14, 110),
                      QStringLiteral("B O A R D # 1 "), kWindowFont);
    Label1->setForeColor(kDarkRed);
    Label1->setAlignment(Label::Alignment::Center);

    Label21 = addLabel(m_canvas, QStringLiteral("Label21"), -1, W(0, 150, kBoardColumnWidth, 20),
                       QStringLiteral(" 1"), kWindowFont);
    Label21->setBackColor(kDarkRed);
    Label21->setForeColor(kLightGrey);
    Label21->setAlignment(Label::Alignment::Center);

    // The board tab spans every visible button: with all ten shown, from the
    // top of board 10 to the bottom of board 1.
    Shape15 = addShape(m_canvas, QStringLiteral("Shape15"), -1,
                       W(0, layout::kBoardButtonTop - layout::kBoardSlot * 9, kBoardColumnWidth,
                         layout::kBoardButtonHeight + layout::kBoardSlot * 9),
                       Shape::Kind::Rectangle, kDarkRed, kDarkRed, 0);

    for (int i = 0; i < 10; ++i) {
        Command4[static_cast<std::size_t>(i)] =
            addButton(m_canvas, QStringLiteral("Command4"), i,
                      W(kBoardButtonLeft, layout::kBoardButtonTop - layout::kBoardSlot * i,
                        kBoardColumnWidth - 2 * kBoardButtonLeft, layout::kBoardButtonHeight),
                      QString::number(i + 1), boardTip(i + 1), kWindowFont);
    }
}

void Form::buildCellPanels()
{
    for (int cell = 12; cell >= 1; --cell) {
        const bool leftColumn = cell >= 7;
        const int row = leftColumn ? 12 - cell : 6 - cell;
        buildCellPanel(cell, kCellColumnLeft[leftColumn ? 0 : 1], row * kCellPanelHeight);
    }
}

void Form::buildCellPanel(int cell, int left, int top)
{
    const auto i = static_cast<std::size_t>(cell - 1);
    Frame* panel = addFrame(QStringLiteral("Frame1"), cell - 1,
                            W(left, top, kCellPanelWidth, kCellPanelHeight),
                            QStringLiteral("CELL%1").arg(cell));
    Frame1[i] = panel;

    // Battery symbol (panel units): body 75/360/495/495 ending at 855, the
    // level bar over it ending at 855 too, the terminal cap above, and the
    // connection lines above the cap, below the body and along the bottom.
    Line7[i] = addLine(panel, QStringLiteral("Line7"), cell - 1, 315, 195, 315, 270);
    Shape5[i] = addShape(panel, QStringLiteral("Shape5"), cell - 1, Bounds{225, 270, 195, 90},
                         Shape::Kind::Rectangle, kWindowGrey);
    Shape4[i] = addShape(panel, QStringLiteral("Shape4"), cell - 1, Bounds{75, 360, 495, 495},
                         Shape::Kind::Rectangle, kWhite);
    Shape2[i] = addShape(panel, QStringLiteral("Shape2"), cell - 1, Bounds{75, 600, 495, 255},
                         Shape::Kind::Rectangle, kWhite);
    Line9[i] = addLine(panel, QStringLiteral("Line9"), cell - 1, 315, 855, 315, 900);
    Line10[i] = addLine(panel, QStringLiteral("Line10"), cell - 1, 45, 900, 1860, 900);
    if (cell == 12)
        Line10[12] = addLine(panel, QStringLiteral("Line10"), 12, 45, 195, 315, 195);

    TextBox* value = addText(panel, QStringLiteral("Text1"), cell - 1, P(41, 12, 60, 16),
                             QStringLiteral("0.0000V"));
    value->setBackColor(kBlack);
    value->setForeColor(kWhite);
    value->setLocked(true);
    Text1[i] = value;

    Check6[i] = addCheck(panel, QStringLiteral("Check6"), cell - 1, P(41, 29, 79, 15),
                         QStringLiteral("READ Only"));

    // The Mask and DCC boxes belong to the arrays of the registers that hold
    // their bits: DCC of cells 1..8 in CFGR1, of 9..12 in CFGR2 bits 0..3;
    // Mask of cells 1..4 in CFGR2 bits 4..7, of 5..12 in CFGR3.
    const bool dccInCfgr1 = cell <= 8;
    const int dccBit = dccInCfgr1 ? cell - 1 : cell - 9;
    CheckBox* dcc = addCheck(panel, dccInCfgr1 ? QStringLiteral("Check1") : QStringLiteral("Check2"),
                             dccBit, P(85, 44, 40, 15), QStringLiteral("DCC"));
    (dccInCfgr1 ? Check1 : Check2)[static_cast<std::size_t>(dccBit)] = dcc;

    const bool maskInCfgr2 = cell <= 4;
    const int maskBit = maskInCfgr2 ? cell + 3 : cell - 5;
    CheckBox* mask = addCheck(panel, maskInCfgr2 ? QStringLiteral("Check2") : QStringLiteral("Check3"),
                              maskBit, P(41, 44, 42, 15), QStringLiteral("Mask"));
    (maskInCfgr2 ? Check2 : Check3)[static_cast<std::size_t>(maskBit)] = mask;
}

void Form::buildGrid()
{
    // The marker above the current board's column (board 1 at start).
    Image1 = add<Picture>(m_canvas, QStringLiteral("Image1"), -1, W(472, 162, 40, 12), kTextFont);
    Image1->setPicture(QPixmap(QStringLiteral(":/form/marker.png")));

    // " BOARDS   " is 60 pixels wide, so the numbers stand over the columns.
    Label12 = addLabel(m_canvas, QStringLiteral("Label12"), -1, W(429, 174, 300, 12),
                       QStringLiteral(" BOARDS   1      2      3      4      5      6      7      8      9     10"),
                       kButtonFont);

    for (int b = 0; b < 10; ++b) {
        const int column = kGridColumnLeft + kGridColumn * b;
        Shape12[static_cast<std::size_t>(b)] =
            addShape(m_canvas, QStringLiteral("Shape12"), b, W(column + 5, kOvalRowTop + 1, 14, 10),
                     Shape::Kind::Oval, kWhite);
        for (int c = 12; c >= 1; --c) {
            const int index = 12 * b + c - 1;
            Shape1[static_cast<std::size_t>(index)] = addShape(
                m_canvas, QStringLiteral("Shape1"), index,
                W(column + 6, kCellRowTop + kGridRow * (12 - c) + 1, 11, 11), Shape::Kind::Rectangle, kWhite);
        }
    }

    Label9[0] = addLabel(m_canvas, QStringLiteral("Label9"), 0, W(430, kCellRowTop, 48, 12 * kGridRow),
                         QStringLiteral("CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  "
                                        "CELL 4  CELL 3  CELL 2  CELL 1"),
                         kButtonFont);
    Label9[0]->setAlignment(Label::Alignment::Right);
    Label9[0]->setFixedLinePitch(kGridRow);

    // One column right of the last visible board column: left 504 + 24*L,
    // with all ten columns shown at start.
    Label9[1] = addLabel(m_canvas, QStringLiteral("Label9"), 1,
                         W(504 + kGridColumn * 9, kOvalRowTop, 30, 13 * kGridRow),
                         QStringLiteral("PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    "
                                        "C 3    C 2    C 1"),
                         kButtonFont);
    Label9[1]->setFixedLinePitch(kGridRow);
}

void Form::buildBoardSelection()
{
    Label7 = addLabel(m_canvas, QStringLiteral("Label7"), -1, W(430, 100, 98, 26),
                      QStringLiteral("SELECT BOARDS ON STACK"), kButtonFont);
    Label7->setAlignment(Label::Alignment::Right);

    Combo1 = add<ComboBox>(m_canvas, QStringLiteral("Combo1"), -1, W(530, 100, 52, 26),
                           FontSpec{"Arial", 12, true});
    for (int n = 1; n <= 10; ++n)
        Combo1->addItem(QString::number(n));
    Combo1->setListIndex(0);
    Combo1->setToolTip(QStringLiteral("SELECT TOTAL NUMBER OF DAISY-CHAINED BOARDS ON STACK. "));
}

} // namespace qm::ui
