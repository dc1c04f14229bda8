// The window over the session: each family of controls reaches the session and the Form shows the
// session's view. What the session decides is tested in tests/acquisition; here only the wiring,
// the painting, the keyboard and the message box of the real window.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "support/Invariants.h"
#include "ui/WindowRig.h"

using namespace qm;
using namespace qm::test;

namespace {

// The Form shows what the session's view says, control by control.
void CheckFormMirrorsView(ui::Form& f, const acquisition::AppState& s, test::Report& r)
{
    const acquisition::View& v = s.view;
    auto box = [&](const ui::Control* c, const acquisition::ValueBox& b, const char* what, int i) {
        r.Expect(Text(c) == b.text && c->backColor() == b.back && c->foreColor() == b.fore, what, -1, i);
    };
    for (int i = 0; i < 12; ++i) {
        const auto& cell = v.cells[U(i)];
        box(f.Text1[U(i)], cell.value, "cell box", i);
        r.Expect(f.Check6[U(i)]->isEnabled() == cell.inSelection, "cell selection box enabled", -1, i);
        r.Expect(f.Check6[U(i)]->value() == (v.selectedCell == i + 1 ? 1 : 0), "cell selection box ticked", -1, i);
        r.Expect(f.Shape2[U(i)]->fillColor() == cell.barColour && f.Shape2[U(i)]->top() == cell.barTop &&
                     f.Shape4[U(i)]->fillColor() == cell.bodyFill, "battery bar and body", -1, i);
    }
    for (int b = 0; b < 10; ++b)
        for (int c = 1; c <= 12; ++c) {
            const auto* sq = f.Shape1[U(12 * b + c - 1)];
            const bool shown = b <= s.chain.lastBoardIndex && !(v.tenCellLayout && c >= 11);
            r.Expect(sq->fillColor() == v.squareColour[U(12 * b + c - 1)], "square colour", b, c);
            r.Expect(sq->isVisibleTo(&f) == shown, "square shown on the stack", b, c);
            r.Expect((sq->fillStyle() == ui::Shape::FillStyle::Transparent) == v.squareHollow[U(12 * b + c - 1)],
                     "square hollow outside the selection", b, c);
        }
    for (int row = 0; row < 3; ++row) {
        box(f.Text6[U(row)], v.temperatures[U(row)].value, "temperature box", row);
        r.Expect(f.Shape6[U(row)]->fillColor() == v.temperatures[U(row)].graphic[0], "thermometer", -1, row);
        r.Expect(Text(f.Text7[U(row)]) == v.flags[U(row)], "flag box", -1, row);
    }
    for (int b = 0; b < 10; ++b) {
        r.Expect(f.Shape12[U(b)]->fillColor() == s.panel.ovalFill[U(b)], "oval", b);
        r.Expect(f.Shape12[U(b)]->toolTip().toStdString() == v.ovalTips[U(b)], "oval tool tip (link health)", b);
        r.Expect(f.Command4[U(b)]->isVisibleTo(&f) == (b <= s.chain.lastBoardIndex), "board button shown", b);
    }
    r.Expect(Text(f.Text8) == s.panel.value && f.Text8->backColor() == s.panel.valueBack &&
                 Text(f.Label8[1]) == s.panel.caption, "transfer panel");
    for (int i = 0; i < 5; ++i) box(f.Text14[U(i)], v.diagnostics.fields[U(i)], "diagnostic field", i);
    for (int k = 0; k < 6; ++k) {
        r.Expect(Text(f.Text4[U(k)]) == v.config.registerTexts[U(k)], "pending register", -1, k);
        r.Expect(Text(f.Text5[U(k)]) == v.config.readBackTexts[U(k)] && f.Text5[U(k)]->backColor() == v.config.readBackBack[U(k)],
                 "read-back register and mark", -1, k);
    }
    const std::array<std::array<ui::CheckBox*, 8>*, 4> editors{&f.Check0, &f.Check1, &f.Check2, &f.Check3};
    for (std::size_t a = 0; a < 4; ++a)
        for (std::size_t k = 0; k < 8; ++k)
            r.Expect((*editors[a])[k]->value() == (v.config.editors[a][k] ? 1 : 0), "register box", int(a), int(k));
    for (int k = 0; k < 2; ++k) r.Expect(Text(f.Text2[U(k)]) == v.config.thresholdTexts[U(k)], "threshold box", -1, k);
    r.Expect(Text(f.Text15) == v.config.cdcNumber && Text(f.Text3) == v.config.cdcTable, "duty cycle");
    r.Expect(Text(f.Command1[5]) == v.config.writeButton.caption, "write button");
    r.Expect(Text(f.Command1[10]) == v.commands.cycleCaption && f.Shape3->fillColor() == v.commands.cycleLamp &&
                 f.Shape13->fillColor() == v.commands.dccLamp, "cycle button and lamps");
    r.Expect(f.Command1[7]->isEnabled() == v.commands.singleCommandsEnabled &&
                 f.Command5[0]->isEnabled() == v.commands.singleCommandsEnabled,
             "single commands enabled");
    r.Expect(f.windowWidthTwips() == v.commands.windowWidthTwips, "window width");
    const auto& ka = s.acq.indication;
    r.Expect(Text(f.Label_KA[1]) == ka.messageCaption && f.Label_KA[1]->isVisibleTo(&f) == ka.messageVisible &&
                 f.Label_KA[0]->isVisibleTo(&f) == ka.wdtServiceVisible, "keep-alive message and watchdog mark");
    r.Expect(Text(f.Label_IDstring) == s.acq.identification, "identification");
    r.Expect(Text(f.Label21) == (s.chain.currentBoard < 9 ? " " : "") + std::to_string(s.chain.currentBoard + 1) &&
                 f.Combo1->listIndex() == s.chain.lastBoardIndex, "current board number and board count list");
}

} // namespace

TEST(Window, ControlsReachTheSessionAndTheFormMirrorsItsView)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    struct Action {
        const char* what;
        std::function<void()> act;
        std::function<bool()> reached;
    };
    const auto& s = rig.state();
    const std::vector<Action> actions{
        {"start-up", [] {}, [] { return true; }},
        {"board count", [&] { f.Combo1->setListIndexAsClick(2); }, [&] { return s.chain.lastBoardIndex == 2; }},
        {"threshold typed", [&] { emit f.Text2[1]->focusEntered(1); Type("4.2\r", f.Text2[1]); },
         [&] { return s.config.boards[0].vovCode == 207; }},
        {"duty-cycle arrow", [&] { f.Command0[1]->click(); }, [&] { return s.config.boards[0].cdc == 1; }},
        {"CFGR0 box", [&] { f.Check0[4]->setValueAsClick(1); }, [&] { return s.images.pending[0][0] == "F1"; }},
        {"discharge box", [&] { f.dccBox(6)->setValueAsClick(1); }, [&] { return s.images.pending[0][1] == "20"; }},
        {"custom option", [&] { f.Option1[0]->setValueAsClick(true); }, [&] { return s.config.thresholdOption == 0; }},
        {"write", [&] { f.Command1[5]->click(); }, [&] { return rig.device.chain().chip(0).cdc() == 1; }},
        {"cell selection", [&] { f.Check6[2]->setValueAsClick(1); }, [&] { return s.view.selectedCell == 3; }},
        {"start and read", [&] { f.Command1[2]->click(); f.Command1[7]->click(); },
         [&] { return s.images.cellValid[0] == 1; }},
        {"temperature selection", [&] { f.Check7[1]->setValueAsClick(1); },
         [&] { return s.view.selectedTemperatureRow == 1; }},
        {"self-test option and start", [&] { f.Option2[1]->setValueAsClick(true); f.Command5[0]->click(); },
         [&] { return s.acq.cellSelfTestPending == -1; }},
        {"diagnostics", [&] { f.Command7[0]->click(); f.Command7[1]->click(); }, [&] { return s.diagnosticsShown; }},
        {"group read", [&] { f.Command8[1]->click(); }, [&] { return s.images.cellsBReply.size() == 512; }},
        {"hold discharge", [&] { f.Command3[0]->click(); }, [&] { return s.view.commands.dccLamp == 16744576; }},
        {"board focus", [&] { f.Command4[2]->click(); }, [&] { return s.chain.currentBoard == 2; }},
        {"start option", [&] { f.OptionSTADC[1]->setValueAsClick(true); },
         [&] { return s.view.commands.continuousStart == 1; }},
        {"cycle", [&] { f.Command1[10]->click(); rig.tick(3); }, [&] { return s.acq.continuousActive == 1; }},
        {"ten cells", [&] { f.Check0[3]->setValueAsClick(1); }, [&] { return s.view.tenCellLayout; }},
    };
    for (const Action& a : actions) {
        a.act();
        EXPECT_TRUE(a.reached()) << a.what;
        Report report;
        CheckFormMirrorsView(f, s, report);
        EXPECT_TRUE(report.Ok()) << "after " << a.what << ":\n" << report.Text();
    }
    const std::size_t identified = rig.count("IZ");
    rig.tick(); // Timer1 reaches the session's tick
    EXPECT_EQ(rig.count("IZ"), identified + 1);
    // The board columns and the focus animation follow the chain selection:
    // row label, marker, board tab, focused button and its squares.
    EXPECT_EQ(std::tuple(Text(f.Label12), Text(f.Option3[0]), Text(f.Command8[2])),
              std::tuple("BOARDS    1      2      3", "CUSTOM BRD# 3", "READ CELL   9 -10"));
    EXPECT_EQ(std::tuple(f.Label9[1]->left(), f.Image1->left(), f.Shape15->top(), f.Command4[2]->bounds().height,
                         f.Shape1[24]->borderWidth(), f.Text1[11]->isVisibleTo(&f)),
              std::tuple(504 + 48, 472 + 48, 532 - 80, 30, 2, false));
    for (int b = 0; b < 3; ++b) // the mouse reaches an oval for its tool tip
        EXPECT_EQ(f.canvas()->childAt(f.Shape12[U(b)]->geometry().center()), f.Shape12[U(b)]) << b;
    EXPECT_TRUE(rig.messages.empty());
    f.mnuExit->trigger();
    EXPECT_EQ(rig.closed, (std::vector{acquisition::CloseReason::Exit}));
}

TEST(Window, OperatorSoakKeepsTheFormInStepWithTheSession)
{
    WindowRig rig("boards=6,seed=2,pec-errors=1:0.2,thsd=3");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    std::mt19937 rng(4);
    auto pick = [&](std::size_t n) { return static_cast<int>(rng() % n); };
    auto add = [](auto& to, const auto&... arrays) { (to.insert(to.end(), arrays.begin(), arrays.end()), ...); };
    std::vector<ui::CommandButton*> buttons{f.Command1.begin() + 2, f.Command1.begin() + 11};
    add(buttons, f.Command0, f.Command3, f.Command4, f.Command5, f.Command7, f.Command8);
    std::vector<ui::CheckBox*> boxes{f.Check0.begin() + 3, f.Check0.end()};
    add(boxes, f.Check1, f.Check2, f.Check3, f.Check6);
    for (int a = 0; a < 600; ++a) {
        const int roll = pick(10);
        if (roll < 3) {
            rig.tick();
        } else if (roll < 7) {
            auto* b = buttons[U(pick(buttons.size()))];
            if (b->isEnabled() && b->isVisibleTo(&f)) b->click();
        } else if (roll < 9) {
            auto* c = boxes[U(pick(boxes.size()))];
            if (c->isEnabled() && c->isVisibleTo(&f)) c->setValueAsClick(1 - c->value());
        } else {
            f.Combo1->setListIndexAsClick(pick(6));
        }
        Report report;
        CheckFormMirrorsView(f, rig.state(), report);
        ASSERT_TRUE(report.Ok()) << "action " << a << ":\n" << report.Text();
    }
}

// Typing into a threshold box, Enter handing on to WRITE CONFIG, and Enter or
// keypad Enter on a focused command button pressing it as a click does.
TEST(Window, KeysTypedIntoAThresholdBoxAndEnterOnTheFocusedButton)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    f.show();
    QApplication::setActiveWindow(&f);
    ui::TextBox* vov = f.Text2[1];
    vov->setFocus(Qt::MouseFocusReason); // clicking into the box empties it
    EXPECT_EQ(Text(vov), "");
    Type("4a-.2.");
    EXPECT_TRUE(Text(vov) == "4.2" && vov->backColor() == colour::kLightGrey) << Text(vov);
    vov->selectAll(); // a digit typed over a selection replaces it
    Type("5\r");
    EXPECT_TRUE(Text(vov) == "4.992V " && rig.messages.empty()) << Text(vov); // checked on leaving, stored, shown
    ASSERT_TRUE(f.Command1[5]->hasFocus());
    // Leaving a box by clicking elsewhere checks it too.
    f.Text2[0]->setFocus(Qt::MouseFocusReason);
    Type("6");
    f.Command1[6]->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Only Enter Values Between -0.744V and 5.376V."});
    EXPECT_EQ(Text(f.Text2[0]), "-0.744V ");
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        f.Command1[5]->setFocus();
        const std::size_t before = rig.rec.writes().size();
        Key(key, nullptr, {}, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(rig.configWrites(before).size(), 1u) << key;
        EXPECT_TRUE(f.Command1[6]->hasFocus()) << key; // WRITE CONFIG hands on to READ CONFIG
    }
    // A held key does not write again and again.
    f.Command1[5]->setFocus();
    const std::size_t before = rig.rec.writes().size();
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(f.Command1[5], &held);
    EXPECT_EQ(rig.rec.writes().size(), before);
    f.hide();
}

// The real message box runs its own event loop; Timer1 keeps ticking in it, so
// the keep-alive goes on servicing the watchdog while the operator reads it,
// and the window is repainted.
TEST(Window, TicksGoOnWhileTheRealMessageBoxWaits)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.session().EnterThreshold(1, "4.2");
    rig.session().EnterThreshold(0, "3.0");
    rig.session().OnCdcArrow(1);
    rig.session().OnCommandButton(5);
    ASSERT_EQ(rig.state().acq.keepAliveActive, 1);
    rig.window.display().messageHook = nullptr;
    rig.form().Timer1->start();
    bool boxSeen = false;
    QTimer::singleShot(1200, [&] { if ((boxSeen = QApplication::activeModalWidget())) QApplication::activeModalWidget()->close(); });
    const std::size_t polls = rig.count("MSxS40S07X");
    emit rig.form().Text2[0]->focusEntered(0);
    Type("9\r", rig.form().Text2[0]); // out of range: the box waits ~1.2 s
    rig.form().Timer1->stop();
    EXPECT_TRUE(boxSeen);
    EXPECT_GE(rig.count("MSxS40S07X") - polls, 3u);
    EXPECT_EQ(Text(rig.form().Text2[0]), "3.000V "); // the stored value again
    Report painted; // and the window was repainted meanwhile
    CheckFormMirrorsView(rig.form(), rig.state(), painted);
    EXPECT_TRUE(rig.state().acq.indication.messageVisible && painted.Ok()) << painted.Text();
}
