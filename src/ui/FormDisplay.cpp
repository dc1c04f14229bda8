#include "ui/FormDisplay.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "presentation/DisplayContent.h"
#include "presentation/StatusTable.h"
#include "protocol/Colours.h"
#include "ui/FormPixels.h"
#include "ui/Tables.h"

namespace qm::ui {

using namespace acquisition;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

void PaintBox(TextBox* box, const ValueBox& v)
{
    box->setCaption(Q(v.text));
    box->setBackColor(v.back);
    box->setForeColor(v.fore);
}

void ApplyLook(Control* c, const config::FieldLook& look)
{
    c->setForeColor(look.fore);
    c->setBackColor(look.back);
}

constexpr int kButtonTop = layout::kBoardButtonTop;
constexpr int kButtonSlot = layout::kBoardSlot;
constexpr int kButtonHeight = layout::kBoardButtonHeight;

} // namespace

FormDisplay::FormDisplay(Form& form) : form_(form)
{
    // The ovals carry each board's link health as their tool tip: the mouse
    // has to reach them for it to show.
    for (Shape* oval : form_.Shape12) oval->setAttribute(Qt::WA_TransparentForMouseEvents, false);
}

void FormDisplay::paint(const AppState& s, std::uint32_t areas)
{
    if (areas & kAreaIdentification) form_.Label_IDstring->setCaption(Q(s.acq.identification));
    if (areas & kAreaBoards) paintBoards(s);
    if (areas & kAreaCells) paintCells(s);
    if (areas & kAreaTemperatures) paintTemperatures(s);
    if (areas & kAreaFlags)
        for (std::size_t k = 0; k < 3; ++k) form_.Text7[k]->setCaption(Q(s.view.flags[k]));
    if (areas & kAreaStatus) paintStatus(s);
    if (areas & kAreaLegend) paintLegend(s);
    if (areas & kAreaTransfer) paintTransfer(s);
    if (areas & kAreaKeepAlive) paintKeepAlive(s);
    if (areas & kAreaTabs) paintTabs(s);
    if (areas & kAreaDiagnostics) paintDiagnostics(s);
    if (areas & kAreaConfig) paintConfig(s);
    if (areas & kAreaThresholds) paintThresholds(s);
    if (areas & kAreaCommands) paintCommands(s);
    if (areas & kAreaRecording) paintRecording(s);
    if ((areas & kAreaDischargeCheck) && dischargeCheckHook) dischargeCheckHook();
}

void FormDisplay::paintCells(const AppState& s)
{
    for (int c = 1; c <= 12; ++c) {
        const std::size_t i = U(c - 1);
        const CellPanelView& panel = s.view.cells[i];
        PaintBox(form_.Text1[i], panel.value);
        const bool on = panel.inSelection;
        const int lineColour = on ? colour::kSysWindowText : colour::kGrey;
        const Shape::FillStyle fill = on ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent;
        form_.Frame1[i]->setForeColor(lineColour);
        form_.Check6[i]->setForeColor(lineColour);
        form_.Check6[i]->setEnabled(on);
        form_.Check6[i]->setValue(s.view.selectedCell == c ? 1 : 0);
        for (Line* l : {form_.Line7[i], form_.Line9[i], form_.Line10[i]}) l->setBorderColor(lineColour);
        for (Shape* shape : {form_.Shape2[i], form_.Shape4[i], form_.Shape5[i]}) {
            shape->setBorderColor(lineColour);
            shape->setFillStyle(fill);
            if (s.view.loaded) shape->setBorderWidth(2);
        }
        form_.maskBox(c)->setForeColor(lineColour);
        form_.dccBox(c)->setForeColor(lineColour);
    }
}

void FormDisplay::paintTemperatures(const AppState& s)
{
    for (std::size_t r = 0; r < 3; ++r) {
        const TemperatureRowView& row = s.view.temperatures[r];
        PaintBox(form_.Text6[r], row.value);
        const int lineColour = row.inSelection ? colour::kSysWindowText : colour::kGrey;
        form_.Check7[r]->setForeColor(lineColour);
        form_.Check7[r]->setEnabled(row.inSelection);
        form_.Check7[r]->setValue(s.view.selectedTemperatureRow == static_cast<int>(r) ? 1 : 0);
        const std::array<Shape*, 3> thermometer{form_.Shape6[r], form_.Shape7[r], form_.Shape8[r]};
        for (std::size_t k = 0; k < 3; ++k) {
            thermometer[k]->setBorderColor(lineColour);
            thermometer[k]->setFillStyle(row.inSelection ? Shape::FillStyle::Solid : Shape::FillStyle::Transparent);
            thermometer[k]->setFillColor(row.graphic[k]);
        }
    }
}

void FormDisplay::paintStatus(const AppState& s)
{
    for (std::size_t i = 0; i < form_.Shape1.size(); ++i) {
        form_.Shape1[i]->setFillColor(s.view.squareColour[i]);
        form_.Shape1[i]->setFillStyle(s.view.squareHollow[i] ? Shape::FillStyle::Transparent : Shape::FillStyle::Solid);
    }
    for (std::size_t i = 0; i < 12; ++i) {
        const CellPanelView& panel = s.view.cells[i];
        Shape* bar = form_.Shape2[i];
        bar->setTop(panel.barTop);
        bar->setHeight(panel.barHeight);
        bar->setFillColor(panel.barColour);
        form_.Shape4[i]->setFillColor(panel.bodyFill);
    }
}

void FormDisplay::paintLegend(const AppState& s)
{
    for (int row : presentation::kSwitchedLegendRows) {
        const presentation::LegendRow& r = presentation::LegendRowFor(row, s.view.legend);
        form_.Shape9[U(row)]->setFillColor(r.colour);
        form_.Label10[U(row)]->setForeColor(r.colour);
        form_.Label10[U(row)]->setCaption(Q(r.mark));
        form_.Label11[U(row)]->setCaption(Q(r.text));
    }
}

void FormDisplay::paintTransfer(const AppState& s)
{
    const protocol::TransferPanel& p = s.panel;
    form_.Label25->setCaption(Q(p.direction));
    form_.Label8[2]->setCaption(Q(p.headerTop));
    form_.Label8[0]->setCaption(Q(p.headerBottom));
    form_.Label8[1]->setCaption(Q(p.caption));
    form_.Text8->setCaption(Q(p.value));
    form_.Text8->setBackColor(p.valueBack);
    for (std::size_t b = 0; b < form_.Shape12.size(); ++b) {
        form_.Shape12[b]->setFillColor(p.ovalFill[b]);
        // Setting a tool tip costs an event even when it does not change.
        const QString tip = Q(s.view.ovalTips[b]);
        if (form_.Shape12[b]->toolTip() != tip) form_.Shape12[b]->setToolTip(tip);
    }
}

void FormDisplay::paintTabs(const AppState& s)
{
    using presentation::Tab;
    static constexpr struct {
        Tab tab;
        int command1; // index of the read button in the command column, or -1
    } kTabs[] = {{Tab::CellRead, 7},     {Tab::TemperatureRead, 9},     {Tab::ConfigRead, 6},
                 {Tab::CellHexRead, -1}, {Tab::TemperatureHexRead, -1}, {Tab::DiagnosticRead, -1},
                 {Tab::FlagRead, 8}};
    for (const auto& t : kTabs) {
        const presentation::TabLook look = presentation::LookOf(t.tab, s.tabs.armedLook(t.tab));
        form_.Shape16[U(look.shapeIndex)]->setVisible(look.shapeVisible);
        Control* button = t.command1 >= 0 ? static_cast<Control*>(form_.Command1[U(t.command1)])
                          : t.tab == Tab::DiagnosticRead ? form_.Command7[1]
                                                         : nullptr;
        if (!button) continue;
        if (look.left) button->setLeft(*look.left);
        if (look.width) button->setWidth(*look.width);
        if (look.top) button->setTop(*look.top);
        if (look.height) button->setHeight(*look.height);
        if (look.caption) button->setCaption(Q(*look.caption));
    }
}

void FormDisplay::paintKeepAlive(const AppState& s)
{
    const KeepAliveIndication& ind = s.acq.indication;
    Label* message = form_.Label_KA[1];
    message->setCaption(Q(ind.messageCaption));
    message->setBackColor(ind.messageBack);
    if (ind.messageFontSize > 0) message->setFontSize(ind.messageFontSize);
    message->setVisible(ind.messageVisible);
    form_.Label_KA[0]->setVisible(ind.wdtServiceVisible);
    form_.Shape_KA->setVisible(ind.wdtServiceVisible);
    form_.Command1[0]->setLeft(ind.pollButtonLeft);
    form_.Command1[0]->setWidth(ind.pollButtonWidth);
}

void FormDisplay::paintDiagnostics(const AppState& s)
{
    for (std::size_t i = 0; i < form_.Text14.size(); ++i) PaintBox(form_.Text14[i], s.view.diagnostics.fields[i]);
}

void FormDisplay::paintConfig(const AppState& s)
{
    const ConfigView& c = s.view.config;
    for (std::size_t k = 0; k < 6; ++k) {
        form_.Text4[k]->setCaption(Q(c.registerTexts[k]));
        ApplyLook(form_.Text4[k], c.registerLook);
        form_.Text5[k]->setCaption(Q(c.readBackTexts[k]));
        form_.Text5[k]->setBackColor(c.readBackBack[k]);
    }
    ApplyLook(form_.Text3, c.cdcLook);
    ApplyLook(form_.Text15, c.cdcLook);
    ApplyLook(form_.Text2[0], c.vuvLook);
    ApplyLook(form_.Text2[1], c.vovLook);
    CommandButton* write = form_.Command1[5];
    write->setCaption(Q(c.writeButton.caption));
    write->setBounds(Bounds{c.writeButton.left, c.writeButton.top, c.writeButton.width, c.writeButton.height});
    form_.Shape14->setVisible(c.writeButton.frameVisible);
    const std::array<std::array<CheckBox*, 8>*, 4> arrays{&form_.Check0, &form_.Check1, &form_.Check2, &form_.Check3};
    for (std::size_t a = 0; a < 4; ++a)
        for (std::size_t k = 0; k < 8; ++k) (*arrays[a])[k]->setValue(c.editors[a][k] ? 1 : 0);
    form_.Text3->setCaption(Q(c.cdcTable));
    form_.Text15->setCaption(Q(c.cdcNumber));
    form_.Shape16[6]->setVisible(c.cdcFrame);
    for (std::size_t k = 0; k < 2; ++k) {
        form_.Option3[k]->setValue(s.config.cfgr0Option == static_cast<int>(k));
        form_.Option1[k]->setValue(s.config.thresholdOption == static_cast<int>(k));
    }
}

void FormDisplay::paintThresholds(const AppState& s)
{
    const ConfigView& c = s.view.config;
    form_.Text2[0]->setCaption(Q(c.thresholdTexts[0]));
    form_.Text2[1]->setCaption(Q(c.thresholdTexts[1]));
    form_.Shape16[7]->setVisible(c.zeroMarkers[0]);
    form_.Shape16[8]->setVisible(c.zeroMarkers[1]);
}

void FormDisplay::paintCommands(const AppState& s)
{
    const CommandView& c = s.view.commands;
    form_.Command1[10]->setCaption(Q(c.cycleCaption));
    form_.Command1[10]->setToolTip(Q(c.cycleToolTip));
    form_.Shape3->setFillColor(c.cycleLamp);
    form_.Shape13->setFillColor(c.dccLamp);
    for (int i : {2, 3, 7, 4, 9, 8}) form_.Command1[U(i)]->setEnabled(c.singleCommandsEnabled);
    form_.Command1[6]->setEnabled(c.readConfigEnabled);
    for (auto* b : form_.Command3) b->setEnabled(c.singleCommandsEnabled);
    for (auto* b : form_.Command8) b->setEnabled(c.singleCommandsEnabled);
    for (auto* o : form_.Option2) o->setEnabled(c.singleCommandsEnabled);
    for (auto* b : form_.Command5) b->setEnabled(c.singleCommandsEnabled);
    for (std::size_t k = 0; k < form_.OptionSTADC.size(); ++k)
        form_.OptionSTADC[k]->setValue(c.continuousStart == static_cast<int>(k));
    for (std::size_t k = 0; k < form_.Option2.size(); ++k) form_.Option2[k]->setValue(c.selfTestOption == static_cast<int>(k));
    for (std::size_t i : {0u, 1u, 2u, 5u, 6u}) form_.Command5[i]->setToolTip(Q(c.selfTestTips[i]));
    form_.setWindowWidthTwips(c.windowWidthTwips);
    form_.setWindowHeightTwips(c.windowHeightTwips);
    if (s.view.loaded && !placed_) {
        // Start-up puts the window in the screen's corner and the message
        // label in its place, once.
        placed_ = true;
        form_.move(0, 0);
        form_.Label_KA[1]->setLeft(430);
        form_.Label_KA[1]->setTop(344);
    }
    if (c.timerRunning && !form_.Timer1->isActive()) form_.Timer1->start();
    if (!c.timerRunning && form_.Timer1->isActive()) form_.Timer1->stop();
}

void FormDisplay::paintBoards(const AppState& s)
{
    const int L = s.chain.lastBoardIndex;
    const int current = s.chain.currentBoard;
    const bool ten = s.view.tenCellLayout;
    form_.Combo1->setListIndex(L);

    // Columns of the boards on the stack.
    QString header = QStringLiteral("BOARDS    1");
    for (int n = 2; n <= L + 1; ++n)
        header += (n < 10 ? QStringLiteral("      ") : QStringLiteral("     ")) + QString::number(n);
    form_.Label12->setCaption(header);
    form_.Label9[1]->setLeft(504 + 24 * L);
    for (int b = 0; b < protocol::kMaxBoards; ++b) {
        const bool shown = b <= L;
        const bool focused = b == current;
        CommandButton* button = form_.Command4[U(b)];
        button->setVisible(shown);
        button->setTop(focused ? 537 - kButtonSlot * b : kButtonTop - kButtonSlot * b);
        button->setHeight(focused ? 30 : kButtonHeight);
        const int outline = focused ? colour::kBlack : colour::kLightGrey;
        const int width = focused ? 2 : 1;
        for (int c = 1; c <= 12; ++c) {
            Shape* square = form_.Shape1[U(12 * b + c - 1)];
            square->setVisible(shown && !(ten && c >= 11));
            square->setBorderColor(outline);
            square->setBorderWidth(width);
        }
        form_.Shape12[U(b)]->setVisible(shown);
        form_.Shape12[U(b)]->setBorderColor(outline);
        form_.Shape12[U(b)]->setBorderWidth(width);
    }
    // The board tab spans exactly the visible buttons.
    form_.Shape15->setTop(kButtonTop - kButtonSlot * L);
    form_.Shape15->setHeight(kButtonHeight + kButtonSlot * L);

    // Captions of the current board.
    const int n = current + 1;
    form_.Label13[0]->setCaption(QStringLiteral("CUSTOM  BOARD # ") + QString::number(n));
    form_.Option3[0]->setCaption(n < 10 ? QStringLiteral("CUSTOM BRD# ") + QString::number(n)
                                        : QStringLiteral("CUSTOM BRD#10"));
    form_.Label21->setCaption(n < 10 ? QStringLiteral(" ") + QString::number(n) : QStringLiteral("10"));
    form_.Image1->setLeft(472 + 24 * current);

    // The 12/10-cell layout: cells 11 and 12 go, with the wire from the top of
    // the stack into cell 12.
    for (int c = 11; c <= 12; ++c) {
        const std::size_t i = U(c - 1);
        for (QWidget* w : std::initializer_list<QWidget*>{form_.Text1[i], form_.Check6[i], form_.maskBox(c),
                                                          form_.dccBox(c), form_.Shape2[i], form_.Shape4[i],
                                                          form_.Shape5[i], form_.Line7[i], form_.Line9[i],
                                                          form_.Line10[i]})
            w->setVisible(!ten);
        form_.Frame1[i]->setCaption(Q(presentation::PanelCaption(c, ten)));
    }
    form_.Line10[12]->setVisible(!ten);
    form_.Command8[2]->setCaption(Q(presentation::GroupReadButtonCaption(ten)));
}

void FormDisplay::paintRecording(const AppState& s)
{
    if (recordingHook) recordingHook(s.view.recording);
}

void FormDisplay::moveFocus(FocusTarget target)
{
    Control* c = nullptr;
    switch (target.array) {
    case FocusTarget::Array::Command1:
        if (target.index >= 0 && U(target.index) < form_.Command1.size()) c = form_.Command1[U(target.index)];
        if (c && !c->widget().isVisible()) return;
        break;
    case FocusTarget::Array::Command5:
        if (target.index >= 0 && U(target.index) < form_.Command5.size()) c = form_.Command5[U(target.index)];
        break;
    case FocusTarget::Array::Command7:
        if (target.index >= 0 && U(target.index) < form_.Command7.size()) c = form_.Command7[U(target.index)];
        break;
    }
    if (c) c->widget().setFocus();
}

void FormDisplay::showMessage(const std::string& text)
{
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox::information(&form_, form_.windowTitle(), Q(text), QMessageBox::Ok);
}

void FormDisplay::close(CloseReason reason)
{
    if (closeHook) {
        closeHook(reason);
        return;
    }
    // A message box still waiting for OK goes with the window.
    if (QWidget* box = QApplication::activeModalWidget(); box && box != &form_) box->close();
    form_.Timer1->stop();
    form_.close();
}

} // namespace qm::ui
