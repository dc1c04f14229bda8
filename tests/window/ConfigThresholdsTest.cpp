// The VUV and VOV boxes as the operator types into them: the entry check when
// a box is left, the messages of a refused entry, the key filter, the zero
// markers and the storing for one board or every board.
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/ByteText.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::ui::TextBox;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

const std::string kVuvRange = "Only Enter Values Between -0.744V and 5.376V.";
const std::string kVovRange = "Only Enter Values Between  -0.768V and 5.352V.";
const std::string kOrder = "VUV must be less than VOV";

int VuvCode(WindowRig& rig, int board = 0) { return rig.state().config.boards[U(board)].vuvCode; }
int VovCode(WindowRig& rig, int board = 0) { return rig.state().config.boards[U(board)].vovCode; }
bool Shown(WindowRig& rig, QWidget* w) { return w->isVisibleTo(&rig.form()); }

struct Entry {
    const char* vov;      // typed first into the VOV box, or nullptr
    int box;              // then typed into this box
    const char* typed;
    const char* message;  // the one message of a refused entry, or nullptr
    int vuvCode;          // the codes afterwards
    int vovCode;
    const char* vuvText;  // the boxes afterwards
    const char* vovText;
};

} // namespace

TEST(ThresholdEntry, EveryCaseThroughTheBoxes)
{
    const Entry cases[] = {
        {"4.2", 0, "3.6", nullptr, 181, 207, "3.600V ", "4.200V "},
        {"4.2", 0, "-0.744", nullptr, 0, 207, "-0.744V ", "4.200V "},
        {"4.2", 0, "5.376", kOrder.c_str(), 0, 207, "-0.744V ", "4.200V "},
        {"4.2", 0, "5.4", kVuvRange.c_str(), 0, 207, "-0.744V ", "4.200V "},
        {"4.2", 0, "-0.8", kVuvRange.c_str(), 0, 207, "-0.744V ", "4.200V "},
        // Both codes at their start value: VUV cannot be entered first.
        {nullptr, 0, "1", kOrder.c_str(), 0, 0, "-0.744V ", "-0.768V "},
        {nullptr, 1, "5.352", nullptr, 0, 255, "-0.744V ", "5.352V "},
        {nullptr, 1, "-0.768", nullptr, 0, 0, "-0.744V ", "-0.768V "},
        {nullptr, 1, "5.4", kVovRange.c_str(), 0, 0, "-0.744V ", "-0.768V "},
        // Equal volts pass (VUV one code below VOV); 0.1 V more does not.
        {"2.000", 0, "2.000", nullptr, 114, 115, "1.992V ", "1.992V "},
        {"2.0", 0, "2.1", kOrder.c_str(), 0, 115, "-0.744V ", "1.992V "},
        // An empty box reads as 0 V.
        {"4.2", 0, "", nullptr, 31, 207, "0.000V ", "4.200V "},
    };
    for (const Entry& e : cases) {
        SCOPED_TRACE(::testing::Message() << "VOV " << (e.vov ? e.vov : "-") << ", box " << e.box << " \"" << e.typed
                                          << "\"");
        WindowRig rig("boards=1");
        ASSERT_TRUE(rig.start());
        if (e.vov) rig.typeThreshold(1, e.vov);
        ASSERT_TRUE(rig.messages.empty());
        rig.typeThreshold(e.box, e.typed);
        if (e.message) {
            EXPECT_EQ(rig.messages, std::vector<std::string>{e.message});
        } else {
            EXPECT_TRUE(rig.messages.empty());
        }
        EXPECT_EQ(VuvCode(rig), e.vuvCode);
        EXPECT_EQ(VovCode(rig), e.vovCode);
        auto& f = rig.form();
        EXPECT_EQ(Text(f.Text2[0]), e.vuvText);
        EXPECT_EQ(Text(f.Text2[1]), e.vovText);
        EXPECT_EQ(Text(f.Text4[4]), "   " + protocol::ByteText(static_cast<std::uint8_t>(e.vuvCode)) + "   ");
        EXPECT_EQ(Text(f.Text4[5]), "   " + protocol::ByteText(static_cast<std::uint8_t>(e.vovCode)) + "   ");
        EXPECT_EQ(Shown(rig, f.Shape16[7]), e.vuvCode == 0);
        EXPECT_EQ(Shown(rig, f.Shape16[8]), e.vovCode == 0);
    }
}

TEST(ThresholdKeys, FilterWhatCannotFormANumberAndMarkTheBox)
{
    struct Keys {
        const char* typed;
        const char* shown;
    };
    const Keys cases[] = {
        {"-1.5", "-1.5"},   {"1-5", "15"},      {"--2", "-2"},  {"1.2.3", "1.23"},
        {"4a,2x", "42"},    {"..5", ".5"},      {" 3 ", "3"},   {"+7e1", "71"},
    };
    for (const Keys& k : cases) {
        SCOPED_TRACE(k.typed);
        WindowRig rig("boards=1");
        ASSERT_TRUE(rig.start());
        auto* box = rig.form().Text2[1];
        rig.typeThreshold(1, k.typed, false);
        EXPECT_EQ(Text(box), k.shown);
        EXPECT_EQ(box->backColor(), colour::kLightGrey);
        EXPECT_EQ(box->foreColor(), colour::kDarkCyan);
        EXPECT_TRUE(rig.messages.empty()); // nothing is checked before the box is left
        EXPECT_EQ(VovCode(rig), 0);
    }

    // Backspace is accepted; a "-" typed at the start of a text that has none
    // is accepted too.
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto* box = rig.form().Text2[1];
    rig.typeThreshold(1, "42", false);
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QApplication::sendEvent(box, &backspace);
    EXPECT_EQ(Text(box), "4");
    box->setSelStart(0);
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-"));
    QApplication::sendEvent(box, &minus);
    EXPECT_EQ(Text(box), "-4");

    // A digit typed over a selection replaces it.
    box->selectAll();
    QKeyEvent seven(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QApplication::sendEvent(box, &seven);
    EXPECT_EQ(Text(box), "7");
}

TEST(ThresholdEntry, GlobalOptionStoresForEveryBoardInUseCustomForTheCurrentOnly)
{
    WindowRig rig("boards=4");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    auto& f = rig.form();
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(VuvCode(rig, b), 156) << b;
        EXPECT_EQ(VovCode(rig, b), 207) << b;
    }
    EXPECT_EQ(VuvCode(rig, 3), 0);
    EXPECT_EQ(VovCode(rig, 3), 0);

    rig.choose(f.Option1[0]);
    rig.click(f.Command4[2]);
    EXPECT_EQ(Text(f.Text2[0]), "3.000V ");
    rig.typeThreshold(0, "2.5");
    EXPECT_EQ(VuvCode(rig, 2), 135);
    EXPECT_EQ(VuvCode(rig, 0), 156);
    EXPECT_EQ(VuvCode(rig, 1), 156);
    EXPECT_EQ(rig.state().images.pending[2][4], "87");
}

TEST(ThresholdEntry, FocusAndEnterOfTheShownWindowRunTheCheckOnce)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    f.show();
    QApplication::setActiveWindow(&f);
    auto type = [&](TextBox* box, const QString& keys) {
        box->setFocus(Qt::MouseFocusReason); // clicking into the box empties it
        EXPECT_EQ(Text(box), "");
        for (QChar c : keys) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(box, &enter);
        EXPECT_TRUE(f.Command1[5]->hasFocus());
    };

    type(f.Text2[0], QStringLiteral("2"));
    EXPECT_EQ(rig.messages, std::vector<std::string>{kOrder});
    EXPECT_EQ(Text(f.Text2[0]), "-0.744V ");

    rig.messages.clear();
    type(f.Text2[1], QStringLiteral("4.2"));
    type(f.Text2[0], QStringLiteral("2"));
    EXPECT_TRUE(rig.messages.empty());
    EXPECT_EQ(VuvCode(rig), 114);
    EXPECT_EQ(VovCode(rig), 207);

    // Leaving a box by clicking elsewhere checks it too.
    f.Text2[1]->setFocus(Qt::MouseFocusReason);
    f.Command1[6]->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(rig.messages, std::vector<std::string>{kOrder}); // empty VOV box: 0 V is below VUV
    EXPECT_EQ(Text(f.Text2[1]), "4.200V ");
    f.hide();
}

// The real message box runs its own event loop; Timer1 keeps ticking in it, so
// the keep-alive goes on servicing the watchdog while the operator reads it.
TEST(ThresholdEntry, TicksGoOnWhileTheMessageBoxWaits)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode(); // CDC 2 written: the keep-alive runs
    ASSERT_EQ(rig.state().acq.keepAliveActive, 1);
    rig.monitor().showMessage = rig.realShowMessage;
    rig.form().Timer1->start();
    bool boxSeen = false;
    QTimer::singleShot(1200, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxSeen = box != nullptr;
        if (box) box->close();
    });
    rig.markWrites();
    rig.typeThreshold(0, "9"); // out of range: the box waits ~1.2 s
    rig.form().Timer1->stop();
    EXPECT_TRUE(boxSeen);
    const auto writes = rig.writesSinceMark();
    EXPECT_GE(std::count(writes.begin(), writes.end(), std::string("MSxS40S07X")), 3);
    EXPECT_GE(std::count(writes.begin(), writes.end(), std::string("IZ")), 6);
    EXPECT_EQ(Text(rig.form().Text2[0]), "3.000V "); // the stored value again
}

// Enter on a focused command button presses it as a click does.
TEST(Keyboard, EnterPressesTheFocusedCommandButton)
{
    WindowRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    auto& f = rig.form();
    f.show();
    QApplication::setActiveWindow(&f);
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        f.Command1[5]->setFocus();
        ASSERT_TRUE(f.Command1[5]->hasFocus());
        rig.markWrites();
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QApplication::sendEvent(f.Command1[5], &press);
        const auto writes = rig.writesSinceMark();
        EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                                [](const std::string& w) { return w.rfind("MSxT01SC7", 0) == 0; }),
                  1);
        EXPECT_TRUE(f.Command1[6]->hasFocus()); // WRITE CONFIG hands on to READ CONFIG
    }
    // A held key does not write again and again.
    f.Command1[5]->setFocus();
    rig.markWrites();
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(f.Command1[5], &held);
    EXPECT_TRUE(rig.writesSinceMark().empty());
    f.hide();
}
