// The Datalog menu of the real window: its states through a setup, a record and a record whose file
// went, the setup dialog by keys, the marker, the trend view, what is kept across runs.
#include <QMenu>
#include <QSettings>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "datalog/RecordReader.h"
#include "datalog/RecordSupport.h"
#include "datalog/TrendModel.h"
#include "ui/trend/TrendWindow.h"
#include "ui/WindowRig.h"

using namespace qm;
using namespace qm::test;

namespace {

// The window's settings in a scratch place, as a fresh account has them, set before the window reads them.
struct ScratchSettings {
    explicit ScratchSettings(const TempDir& d)
    { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(d.path.string())); }
};

// Three boards measuring on fixed clocks.
struct DatalogRig : ScratchSettings, WindowRig {
    explicit DatalogRig(const TempDir& settings) : ScratchSettings(settings), WindowRig("boards=3")
    {
        const auto ms = [this] { return std::chrono::milliseconds(clock->nowMs()); };
        const auto epoch = std::chrono::system_clock::time_point(std::chrono::milliseconds(1'796'000'000'000));
        session().setClocks([=] { return epoch + ms(); }, [=] { return protocol::HealthClock::time_point(ms()); });
        menu().setNow([] { return QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)); });
        EXPECT_TRUE(start());
        session().OnBoardCountChosen(2);
        session().OnCdcArrow(1);
        session().OnCommandButton(5);
    }
    ui::DatalogMenu& menu() { return window.datalog(); }
    const acquisition::RecordingStatus& recording() { return session().view().recording; }
    ui::Label* marker() { return form().findChild<ui::Label*>("Label_DL"); }
    // Enabled menu items, in menu order, "-" for a hidden one.
    std::string menuStates()
    {
        std::string out;
        for (QAction* a : form().mnuDatalog->actions()) out += !a->isVisible() ? "-" : a->isEnabled() ? "E" : "d";
        return out;
    }
    ui::DatalogSetupDialog* openDialog()
    {
        form().mnuCreateNewSetup->trigger();
        ui::DatalogSetupDialog* dialog = menu().setupDialog();
        if (dialog) QApplication::setActiveWindow(dialog);
        return dialog;
    }
};

void Retype(const QString& text)
{
    Key(Qt::Key_A, nullptr, {}, Qt::ControlModifier); // over what the box holds
    Type(text);
}

} // namespace

TEST(DatalogMenu, SetupByKeysMarkerStopTrendViewAndWhatIsKeptAcrossRuns)
{
    TempDir settings, out;
    auto owned = std::make_unique<DatalogRig>(settings);
    DatalogRig& rig = *owned;
    auto& f = rig.form();
    // Create New Setup, Use Previous Setup, Stop Datalog, View Last Datalog.
    EXPECT_EQ(rig.menuStates(), "Ed-d");
    // The dialog: a timestamped file in the documents, every board ticked.
    ui::DatalogSetupDialog* dialog = rig.openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->choice().file, ui::DatalogMenu::DefaultFolder() + "/qm7410-20270102-030405.csv");
    ASSERT_EQ(dialog->boardBoxes().size(), 3u);
    EXPECT_TRUE(dialog->choice().boards == (std::vector{1, 2, 3}) && dialog->choice().intervalSeconds == 0);
    // Keys only: a file name, Tab on to the interval, at most one pass
    // every 2 s, board 2 unticked, Enter; the file's header shows the choice.
    const std::filesystem::path first = out / "first.csv";
    const auto press = [](int key) { Key(key); return QApplication::focusWidget(); };
    EXPECT_EQ(QApplication::focusWidget(), dialog->fileEdit());
    Retype(QString::fromStdString(first.string()));
    EXPECT_EQ(press(Qt::Key_Tab), dialog->browseButton());
    EXPECT_EQ(press(Qt::Key_Tab), dialog->everyPassButton());
    press(Qt::Key_Down);
    EXPECT_TRUE(dialog->everySecondsButton()->isChecked());
    EXPECT_EQ(press(Qt::Key_Tab), dialog->secondsBox());
    Retype("2");
    press(Qt::Key_Tab);
    EXPECT_EQ(press(Qt::Key_Tab), dialog->boardBoxes()[1]);
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    ASSERT_TRUE(rig.recording().active) << (rig.messages.empty() ? "" : rig.messages[0]);
    EXPECT_TRUE(rig.recording().file == first && rig.menu().setupDialog() == nullptr);
    // Recording: the setups give way to Stop Datalog; the marker shows the passes.
    EXPECT_TRUE(rig.menuStates() == "ddEd" && rig.marker()->isVisibleTo(&f)) << rig.menuStates();
    rig.tick(3 * 8 + 1);
    const auto passes = rig.recording().passes;
    EXPECT_GT(passes, 1u);
    EXPECT_EQ(Text(rig.marker()), "DATALOG ON   " + std::to_string(passes) + " PASSES");
    EXPECT_EQ(rig.menuStates(), "ddEE");
    // The trend view opens on the file and follows it.
    f.mnuViewLastDatalog->trigger();
    ui::TrendWindow* trend = rig.menu().trendWindow();
    ASSERT_TRUE(trend && trend->model());
    EXPECT_TRUE(trend->isVisible() && trend->following() && trend->model()->boards().size() == 2u)
        << trend->statusText().toStdString();
    rig.menu().stopAction()->trigger();
    EXPECT_TRUE(!rig.recording().active && !rig.marker()->isVisibleTo(&f));
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
    rig.menu().stopAction()->trigger(); // (a file that goes away: the session's recording tests)
    // A refusal keeps the dialog and its choices; Esc leaves it.
    dialog = rig.openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->choice().intervalSeconds == 2 && dialog->choice().boards == (std::vector{1, 3})); // as saved
    Retype("/nonexistent-folder/x.csv");
    Key(Qt::Key_Return);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].rfind("The datalog could not start: ", 0), 0u) << rig.messages[0];
    ASSERT_EQ(rig.menu().setupDialog(), dialog);
    EXPECT_TRUE(dialog->isVisible() && dialog->fileEdit()->text() == "/nonexistent-folder/x.csv");
    Key(Qt::Key_Escape);
    EXPECT_TRUE(!rig.recording().active && rig.menu().setupDialog() == nullptr);
    // The window closes while recording: the file gets its end line, and the
    // next run offers the setup and the last file until the file goes.
    f.mnuUsePreviousSetup->trigger();
    rig.tick(6); // a whole pass: the last datalog is this one
    const std::filesystem::path last = rig.recording().file;
    owned.reset();
    datalog::RecordReader reader2(last);
    reader2.readMore();
    EXPECT_EQ(reader2.parser().endReason(), "the program ended");
    DatalogRig next(settings);
    EXPECT_EQ(next.menuStates(), "EE-E");
    next.form().mnuViewLastDatalog->trigger();
    ASSERT_NE(next.menu().trendWindow(), nullptr);
    EXPECT_EQ(next.menu().trendWindow()->model()->boards().size(), 2u);
    std::filesystem::remove(last);
    emit next.form().mnuDatalog->aboutToShow();
    EXPECT_EQ(next.menuStates(), "EE-d");
}
