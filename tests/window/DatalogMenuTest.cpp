// The Datalog menu of the real window over the simulated stack: its states
// before and after a setup and a record, the setup dialog driven by keys, the
// marker, the trend view, and what is kept across runs. What the session
// records is tested in tests/acquisition.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "datalog/RecordReader.h"
#include "datalog/RecordSupport.h"
#include "datalog/TrendModel.h"
#include "sim/SimulatedDevice.h"
#include "ui/MainWindow.h"
#include "ui/trend/TrendWindow.h"

using namespace qm;

namespace {

struct Rig {
    explicit Rig(const std::string& scenario = "boards=3")
        : clock(std::make_shared<sim::ManualClock>()), device(*sim::ParseScenario(scenario).scenario, clock), window(device)
    {
        window.display().messageHook = [this](const std::string& m) { messages.push_back(m); };
        window.display().closeHook = [](acquisition::CloseReason) {};
        window.session().setClocks(
            [this] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(1'796'000'000'000 + clock->nowMs())); },
            [this] { return protocol::HealthClock::time_point(std::chrono::milliseconds(clock->nowMs())); });
        window.datalog().setNow([] { return QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)); });
        EXPECT_TRUE(window.start());
        form().Timer1->stop(); // ticks are driven by the test
        // Three boards, measuring: the record's header names the configuration written.
        window.session().OnBoardCountChosen(2);
        window.session().OnCdcArrow(1);
        window.session().OnCommandButton(5);
    }
    ui::Form& form() { return window.form(); }
    ui::DatalogMenu& menu() { return window.datalog(); }
    const acquisition::RecordingStatus& recording() { return window.session().view().recording; }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            clock->advance(100);
            QMetaObject::invokeMethod(form().Timer1, "timeout");
        }
    }
    // Enabled menu items, in menu order, "-" for a hidden one.
    std::string menuStates()
    {
        std::string out;
        for (QAction* a : form().mnuDatalog->actions())
            out += !a->isVisible() ? "-" : a->isEnabled() ? "E" : "d";
        return out;
    }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    ui::MainWindow window;
    std::vector<std::string> messages;
};

// Sends a key press and release to the focused widget.
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(focus, &release);
}

void Type(const QString& text)
{
    Key(Qt::Key_A, Qt::ControlModifier); // over what the box holds
    for (QChar c : text) Key(0, Qt::NoModifier, QString(c));
}

ui::DatalogSetupDialog* OpenDialog(Rig& rig)
{
    rig.form().mnuCreateNewSetup->trigger();
    ui::DatalogSetupDialog* dialog = rig.menu().setupDialog();
    if (dialog) QApplication::setActiveWindow(dialog);
    return dialog;
}

// A scratch place for the window's settings, as a fresh account has.
struct ScratchSettings {
    test::TempDir dir;
    ScratchSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.path.string()));
    }
};

} // namespace

TEST(DatalogMenu, SetupByKeysMarkerStopAndTrendView)
{
    ScratchSettings settings;
    test::TempDir out;
    Rig rig;
    auto& f = rig.form();
    // Create New Setup, Use Previous Setup, Stop Datalog, View Last Datalog.
    EXPECT_EQ(rig.menuStates(), "Ed-d");

    // The dialog: a timestamped file in the documents, every board ticked.
    ui::DatalogSetupDialog* dialog = OpenDialog(rig);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->choice().file, ui::DatalogMenu::DefaultFolder() + "/qm7410-20270102-030405.csv");
    ASSERT_EQ(dialog->boardBoxes().size(), 3u);
    EXPECT_EQ(dialog->choice().boards, (std::vector{1, 2, 3}));
    EXPECT_EQ(dialog->choice().intervalSeconds, 0);

    // Keys only: a file name, Tab on to the interval, at most one pass
    // every 2 s, board 2 unticked, Enter; the file's header shows the choice.
    const std::filesystem::path first = out / "first.csv";
    EXPECT_EQ(QApplication::focusWidget(), dialog->fileEdit());
    Type(QString::fromStdString(first.string()));
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->browseButton());
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->everyPassButton());
    Key(Qt::Key_Down);
    EXPECT_TRUE(dialog->everySecondsButton()->isChecked());
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->secondsBox());
    Type("2");
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->boardBoxes()[1]);
    Key(Qt::Key_Space);
    Key(Qt::Key_Return);
    EXPECT_TRUE(rig.messages.empty());
    ASSERT_TRUE(rig.recording().active);
    EXPECT_EQ(rig.recording().file, first);
    EXPECT_EQ(rig.window.session().state().acq.continuousActive, 1);
    EXPECT_EQ(rig.menu().setupDialog(), nullptr);
    // Recording: the setups give way to Stop Datalog; the marker shows the passes.
    EXPECT_EQ(rig.menuStates(), "ddEd");
    EXPECT_TRUE(f.findChild<ui::Label*>("Label_DL")->isVisibleTo(&f));
    rig.tick(3 * 8 + 1);
    const auto passes = rig.recording().passes;
    EXPECT_GT(passes, 1u);
    EXPECT_EQ(f.findChild<ui::Label*>("Label_DL")->caption().toStdString(),
              "DATALOG ON   " + std::to_string(passes) + " PASSES");
    EXPECT_EQ(rig.menuStates(), "ddEE");

    // The trend view opens on the file and follows it.
    f.mnuViewLastDatalog->trigger();
    ui::TrendWindow* trend = rig.menu().trendWindow();
    ASSERT_NE(trend, nullptr);
    EXPECT_TRUE(trend->isVisible());
    EXPECT_TRUE(trend->following()) << trend->statusText().toStdString();
    ASSERT_NE(trend->model(), nullptr);
    EXPECT_EQ(trend->model()->boards().size(), 2u);

    rig.menu().stopAction()->trigger();
    EXPECT_FALSE(rig.recording().active);
    EXPECT_FALSE(f.findChild<ui::Label*>("Label_DL")->isVisibleTo(&f));
    EXPECT_EQ(rig.menuStates(), "EE-E");
    datalog::RecordReader reader(first);
    reader.readMore();
    EXPECT_EQ(reader.parser().header().intervalSeconds, 2);
    ASSERT_EQ(reader.parser().boards().size(), 2u);
    EXPECT_EQ(reader.parser().boards()[1].board, 3);
    trend->pollFile();
    EXPECT_FALSE(trend->following());

    // Use Previous Setup: the same setup into a new file in the same folder,
    // a new one each time even within the same second.
    f.mnuUsePreviousSetup->trigger();
    EXPECT_EQ(rig.recording().file, out / "qm7410-20270102-030405.csv");
    rig.menu().stopAction()->trigger();
    f.mnuUsePreviousSetup->trigger();
    EXPECT_EQ(rig.recording().file, out / "qm7410-20270102-030405-2.csv");
    rig.tick(6); // the pass in progress, then one whole pass
    EXPECT_EQ(rig.menu().lastFile().toStdString(), (out / "qm7410-20270102-030405-2.csv").string());
    rig.menu().stopAction()->trigger();

    // A refusal keeps the dialog and its choices; Esc leaves it.
    dialog = OpenDialog(rig);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->choice().intervalSeconds, 2); // the saved setup comes back
    EXPECT_EQ(dialog->choice().boards, (std::vector{1, 3}));
    Type("/nonexistent-folder/x.csv");
    Key(Qt::Key_Return);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].rfind("The datalog could not start: ", 0), 0u) << rig.messages[0];
    ASSERT_EQ(rig.menu().setupDialog(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->fileEdit()->text(), "/nonexistent-folder/x.csv");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(rig.recording().active);
    EXPECT_EQ(rig.menu().setupDialog(), nullptr);
}

TEST(DatalogMenu, SetupAndLastFileKeptAcrossRuns)
{
    ScratchSettings settings;
    test::TempDir out;
    {
        Rig rig;
        EXPECT_EQ(rig.menuStates(), "Ed-d");
        ui::DatalogSetupDialog* dialog = OpenDialog(rig);
        ASSERT_NE(dialog, nullptr);
        Type(QString::fromStdString((out / "kept.csv").string()));
        Key(Qt::Key_Return);
        rig.tick(4);
        EXPECT_EQ(rig.recording().passes, 1u);
    } // the window closes while recording: the file gets its end line
    datalog::RecordReader reader(out / "kept.csv");
    reader.readMore();
    EXPECT_EQ(reader.parser().endReason(), "the program ended");

    Rig next;
    EXPECT_EQ(next.menuStates(), "EE-E");
    next.form().mnuViewLastDatalog->trigger();
    ASSERT_NE(next.menu().trendWindow(), nullptr);
    EXPECT_EQ(next.menu().trendWindow()->model()->boards().size(), 3u);
    // The file goes: the menu sees it when it opens next.
    std::filesystem::remove(out / "kept.csv");
    emit next.form().mnuDatalog->aboutToShow();
    EXPECT_EQ(next.menuStates(), "EE-d");
}

// The datalog's failure reaches the operator as the window's message box.
TEST(DatalogMenu, AFailedWriteShowsAMessageBox)
{
    ScratchSettings settings;
    test::TempDir out;
    Rig rig;
    rig.window.display().messageHook = nullptr;
    rig.menu().setSource("qm7410-test", "simulated");
    ui::DatalogSetupDialog* dialog = OpenDialog(rig);
    ASSERT_NE(dialog, nullptr);
    Type(QString::fromStdString((out / "gone.csv").string()));
    Key(Qt::Key_Return);
    rig.tick(3);
    std::filesystem::remove(out / "gone.csv");
    QString shown;
    QTimer::singleShot(200, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->close();
        }
    });
    rig.tick(3);
    EXPECT_TRUE(shown.startsWith("The datalog stopped")) << shown.toStdString();
    EXPECT_FALSE(rig.recording().active);
    EXPECT_EQ(rig.menuStates(), "EE-E");
}

// Each board's oval shows its link health as tool tip, where the mouse reaches it.
TEST(WindowOvals, EachBoardsLinkHealthAsToolTip)
{
    ScratchSettings settings;
    Rig rig("boards=3,pec-errors=2:1");
    auto& f = rig.form();
    f.Command1[6]->click();
    for (std::size_t b = 0; b < 3; ++b) {
        ui::Shape* oval = f.Shape12[b];
        EXPECT_EQ(oval->toolTip().toStdString(), rig.window.session().view().ovalTips[b]);
        EXPECT_EQ(f.canvas()->childAt(oval->geometry().center()), oval);
    }
    EXPECT_TRUE(f.Shape12[2]->toolTip().startsWith("Board 3: 2 PEC failures"));
}
