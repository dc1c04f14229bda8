// Board count and board focus: how many boards every chain command addresses,
// which board the panels show, the board buttons, the board tab, the grid
// columns and the focus animation.
#include "config/OptionState.h"
#include "protocol/Colours.h"
#include "ui/Form.h"
#include "ui/FormPixels.h"
#include "ui/Monitor.h"

namespace qm::ui {

namespace {
std::size_t U(int i) { return static_cast<std::size_t>(i); }
constexpr int kButtonTop = layout::kBoardButtonTop;
constexpr int kButtonSlot = layout::kBoardSlot;
constexpr int kButtonHeight = layout::kBoardButtonHeight;
} // namespace

void Monitor::paintBoardColumns()
{
    const int L = last();
    QString header = QStringLiteral("BOARDS    1");
    for (int n = 2; n <= L + 1; ++n) header += (n < 10 ? QStringLiteral("      ") : QStringLiteral("     ")) + QString::number(n);
    form_.Label12->setCaption(header);
    form_.Label9[1]->setLeft(504 + 24 * L);
    for (int b = 0; b < protocol::kMaxBoards; ++b) {
        const bool shown = b <= L;
        form_.Command4[U(b)]->setVisible(shown);
        for (int c = 1; c <= 12; ++c) form_.Shape1[U(12 * b + c - 1)]->setVisible(shown);
        form_.Shape12[U(b)]->setVisible(shown);
    }
    // The board tab spans exactly the visible buttons.
    form_.Shape15->setTop(kButtonTop - kButtonSlot * L);
    form_.Shape15->setHeight(kButtonHeight + kButtonSlot * L);
}

void Monitor::OnBoardCountChosen()
{
    const int position = form_.Combo1->listIndex();
    if (position >= 0 && position <= 9) s_.chain.lastBoardIndex = position;
    paintBoardColumns();
    ApplyCellCountLayout();
    if (current() > last()) OnBoardFocus(last());
    auto ctx = configContext();
    PaintOptionRefresh(config::PropagateAndApply(ctx, thresholdText(0), thresholdText(1)));
    for (int c = 1; c <= 12; ++c)
        if (form_.Check6[U(c - 1)]->value() == 1) ApplyCellSelection();
    s_.tabs.HoldArmedTabs();
    OnCommandButton(6);
    s_.tabs.ReleaseHeldTabs();
    PaintProgressTabs();
}

void Monitor::setBoardCaptions()
{
    const int n = current() + 1;
    form_.Label13[0]->setCaption(QStringLiteral("CUSTOM  BOARD # ") + QString::number(n));
    form_.Option3[0]->setCaption(n < 10 ? QStringLiteral("CUSTOM BRD# ") + QString::number(n)
                                        : QStringLiteral("CUSTOM BRD#10"));
    form_.Label21->setCaption(n < 10 ? QStringLiteral(" ") + QString::number(n) : QStringLiteral("10"));
    form_.Image1->setLeft(472 + 24 * current());
}

void Monitor::paintFocusAnimation()
{
    for (int i = 0; i < protocol::kMaxBoards; ++i) {
        const bool focused = i == current();
        CommandButton* button = form_.Command4[U(i)];
        button->setTop(focused ? 537 - kButtonSlot * i : kButtonTop - kButtonSlot * i);
        button->setHeight(focused ? 30 : kButtonHeight);
        const int outline = focused ? colour::kBlack : colour::kLightGrey;
        const int width = focused ? 2 : 1;
        for (int c = 1; c <= 12; ++c) {
            Shape* square = form_.Shape1[U(12 * i + c - 1)];
            square->setBorderColor(outline);
            square->setBorderWidth(width);
        }
        form_.Shape12[U(i)]->setBorderColor(outline);
        form_.Shape12[U(i)]->setBorderWidth(width);
    }
}

void Monitor::OnBoardFocus(int index)
{
    // Only boards on the stack can take the focus: the current board never
    // passes the last board index.
    if (index < 0 || index > last()) return;
    s_.chain.currentBoard = index;
    setBoardCaptions();
    paintFocusAnimation();
    s_.tabs.ShowForCurrentBoard(current(), last());
    PaintProgressTabs();

    // Every panel again, from the images of the new current board.
    if (s_.acq.cellHexView == 1) {
        ShowCellCodes(s_.images.writtenTenCellFlag == 1 ? 1 : 0);
        if (s_.acq.cellSelfTestPending == -1) CheckCellSelfTest();
    } else {
        RefreshCellValues(s_.lastCellGroup);
    }
    ApplyCellCountLayout();
    auto ctx = configContext();
    const config::BoardFocusRefresh r = config::RefreshForCurrentBoard(ctx, form_.Check0[3]->value() == 1);
    PaintCdc(r.cdc);
    PaintEditors(r.editors);
    PaintThresholds(r.thresholds);
    ShowFlagTexts();
    if (s_.acq.temperatureHexView == 1) {
        ShowTemperatureCodes();
        if (s_.acq.temperatureSelfTestPending == -1) CheckTemperatureSelfTest();
    } else {
        RefreshTemperatures();
    }
    protocol::RedrawTransferPanel(s_.panel, s_.images, current(), last());
    PaintTransferPanel();
    for (std::size_t k = 0; k < 6; ++k) form_.Text5[k]->setBackColor(r.readBackMarks[k]);
    PaintConfigDisplay(r.config);
    for (std::size_t k = 0; k < 6; ++k) {
        form_.Text5[k]->setCaption(QString::fromStdString(r.readBack.texts[k]));
        if (r.readBack.background) form_.Text5[k]->setBackColor(*r.readBack.background);
    }
    PaintDiagnostics(!s_.diagnosticsShown);
    RefreshStatusDisplay();
}

} // namespace qm::ui
