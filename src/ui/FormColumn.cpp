// The right-hand column: the picture, the command column with its progress
// tabs and the keep-alive tab, the hold-discharge starts, the continuous
// cycle and standby buttons; and the identification along the bottom.
#include "ui/Form.h"
#include "ui/FormPixels.h"

#include <QPixmap>

namespace qm::ui {

using layout::W;

namespace {

constexpr int kColumnLeft = 796;
constexpr int kColumnWidth = 97;
constexpr int kButtonHeight = 22;
constexpr int kOptionLeft = 778;
constexpr int kTabMargin = 5; // progress tabs are ten pixels taller than their buttons

struct ColumnButton {
    int index;
    int top;
    int height;
    const char* caption;
    const char* tip;
};

// Top to bottom; "WRITE CONFIG" stands at top 168 with height 20.
constexpr ColumnButton kColumn[] = {
    {0, 66, kButtonHeight, "POLL ADC", "0x40 PLADC"},
    {1, 98, kButtonHeight, "POLL  INT", "0x50 PLINT"},
    {8, 130, kButtonHeight, "READ  FLAG", "0x0C RDFLG"},
    {5, 168, 20, "WRITE CONFIG", "0x01 WRCFG"},
    {6, 200, kButtonHeight, "READ CONFIG", "0x02 RDCFG"},
    {4, 232, kButtonHeight, "START TEMP", "0x30 STTMPAD"},
    {9, 264, kButtonHeight, "READ TEMP", "0x0E RDTMP"},
    {3, 296, kButtonHeight, "STARTOPENWIRE", "0x20 STOWAD"},
    {2, 328, kButtonHeight, "STARTCELLVOLT", "0x10 STCVAD"},
    {7, 360, kButtonHeight, "READCELL VOLT", "0x04 RDCV"},
};

int topOf(int index)
{
    for (const ColumnButton& b : kColumn) {
        if (b.index == index)
            return b.top;
    }
    return 0;
}

Bounds tabBehind(int top, int height)
{
    return W(kColumnLeft, top - kTabMargin, kColumnWidth, height + 2 * kTabMargin);
}

} // namespace

void Form::buildCommandColumn()
{
    Picture1 = add<Picture>(m_canvas, QStringLiteral("Picture1"), -1, W(kColumnLeft, 0, kColumnWidth, 42),
                            kTextFont);
    Picture1->setPicture(QPixmap(QStringLiteral(":/form/picture1.jpg")));
    Picture1->setBordered(true);
    Picture1->setStretch(true);

    // Tabs behind the buttons. The keep-alive tab and the tabs of "READ  FLAG"
    // and "WRITE CONFIG" are hidden at start; those of "READ CONFIG",
    // "READCELL VOLT" and "READ TEMP" are shown.
    Shape_KA = addShape(m_canvas, QStringLiteral("Shape_KA"), -1, tabBehind(topOf(0), kButtonHeight),
                        Shape::Kind::Rectangle, kPaleOrange, kPaleOrange, 0);
    Shape_KA->setVisible(false);
    struct Tab {
        int shape;
        int button;
    };
    for (const Tab& t : {Tab{0, 6}, Tab{1, 7}, Tab{2, 9}, Tab{9, 8}}) {
        Shape16[static_cast<std::size_t>(t.shape)] =
            addShape(m_canvas, QStringLiteral("Shape16"), t.shape, tabBehind(topOf(t.button), kButtonHeight),
                     Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    }
    Shape16[9]->setVisible(false);
    Shape14 = addShape(m_canvas, QStringLiteral("Shape14"), -1, tabBehind(topOf(5), 20),
                       Shape::Kind::Rectangle, kLightYellow, kLightYellow, 0);
    Shape14->setVisible(false);

    // The column's captions are single words up to "STARTOPENWIRE", which
    // needs the 7.5-point face to stand clear of the bevel in 97 pixels.
    const FontSpec columnFont{"Arial", 7.5, true};
    for (const ColumnButton& b : kColumn) {
        Command1[static_cast<std::size_t>(b.index)] =
            addButton(m_canvas, QStringLiteral("Command1"), b.index, W(kColumnLeft, b.top, kColumnWidth, b.height),
                      QString::fromLatin1(b.caption), QString::fromLatin1(b.tip), columnFont);
    }

    // The continuous cycle starts with the command chosen beside its button.
    OptionSTADC[0] = addOption(m_canvas, QStringLiteral("OptionSTADC"), 0, W(kOptionLeft, topOf(2) + 3, 16, 16), QString());
    OptionSTADC[1] = addOption(m_canvas, QStringLiteral("OptionSTADC"), 1, W(kOptionLeft, topOf(3) + 3, 16, 16), QString());

    // Hold-discharge starts under their lamp.
    Shape13 = addShape(m_canvas, QStringLiteral("Shape13"), -1, W(kOptionLeft + 1, 392, 14, 14),
                       Shape::Kind::Circle, kWhite);
    Label20 = addLabel(m_canvas, QStringLiteral("Label20"), -1, W(kColumnLeft, 392, kColumnWidth, 14),
                       QStringLiteral("DCC PERMITTED"), kButtonFont);
    Label20->setAlignment(Label::Alignment::Center);
    Command3[0] = addButton(m_canvas, QStringLiteral("Command3"), 0, W(kColumnLeft, 408, kColumnWidth, 28),
                            QStringLiteral("STARTCELL hold DCC"), QStringLiteral("0x60 STCVDC"));
    Command3[1] = addButton(m_canvas, QStringLiteral("Command3"), 1, W(kColumnLeft, 440, kColumnWidth, 28),
                            QStringLiteral("STARTOPEN hold DCC"), QStringLiteral("0x70 STOWDC"));
    OptionSTADC[2] = addOption(m_canvas, QStringLiteral("OptionSTADC"), 2, W(kOptionLeft, 414, 16, 16), QString());
    OptionSTADC[3] = addOption(m_canvas, QStringLiteral("OptionSTADC"), 3, W(kOptionLeft, 446, 16, 16), QString());
    OptionSTADC[0]->setValue(true);

    Shape3 = addShape(m_canvas, QStringLiteral("Shape3"), -1, W(kOptionLeft - 1, 487, 18, 18),
                      Shape::Kind::Circle, kRed, kBlack, 3);
    Command1[10] = addButton(m_canvas, QStringLiteral("Command1"), 10, W(kColumnLeft, 476, kColumnWidth, 40),
                             QStringLiteral("START CONTINUOUS READ CELLS"),
                             QStringLiteral("CONTINUOUS  READ 1) STCVAD 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG"));
    Command1[14] = addButton(m_canvas, QStringLiteral("Command1"), 14, W(kColumnLeft, 520, kColumnWidth, 28),
                             QStringLiteral("LOW CURRENT STBY"),
                             QStringLiteral("XU250B'S SPI LINES ARE FORCED HIGH TO SHOW QM7410-1'S LOW CURRENT STANDBY."));
}

void Form::buildKeepAlive()
{
    Label_KA[0] = addLabel(m_canvas, QStringLiteral("Label_KA"), 0, W(kColumnLeft, 46, kColumnWidth, 13),
                           QStringLiteral(" WDT SERVICE"), kButtonFont);
    Label_KA[0]->setAlignment(Label::Alignment::Center);
    Label_KA[0]->setVisible(false);

    // The message label; start-up places it at left 430, top 344.
    Label_KA[1] = addLabel(m_canvas, QStringLiteral("Label_KA"), 1, W(430, 344, 346, 30),
                           QStringLiteral(" POLL ADC BEING SENT.") + QString(61, QLatin1Char(' '))
                               + QStringLiteral(" PREVENTS WATCHDOG TIMEOUT."),
                           FontSpec{"Arial", 9, true});
    Label_KA[1]->setBackColor(kMintGreen);
    Label_KA[1]->setBordered(true);
    Label_KA[1]->setVisible(false);
}

void Form::buildIdentification()
{
    Label_IDstring = addLabel(m_canvas, QStringLiteral("Label_IDstring"), -1, W(4, 577, 120, 15),
                              QStringLiteral("QM741X-X"), kWindowFont);
    Label_version = addLabel(m_canvas, QStringLiteral("Label_version"), -1, W(700, 578, 193, 14),
                             QStringLiteral("QM7410-1-3_GUI_V09_20110512"), kButtonFont);
    Label_version->setAlignment(Label::Alignment::Right);
    Line1 = addLine(m_canvas, QStringLiteral("Line1"), -1, 0, 595, 900, 595);
    Line1->setBorderWidth(5);
}

} // namespace qm::ui
