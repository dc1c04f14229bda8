// qm7410-screenshots: makes the pictures of docs/ by driving the real window
// over the in-process simulated stack, with a manual clock, as an operator
// would: clicks, typed thresholds, timer ticks, the Datalog menu. Each scene
// checks that the window shows what the documentation says before it saves
// its picture; a scene that does not is reported and the program ends with
// status 1.
//
//   qm7410-screenshots [--only NAME] [FOLDER]    (FOLDER: docs by default)
//
// The window's settings go to a scratch folder, never to the user's.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <CLI/CLI.hpp>

#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "protocol/Colours.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"
#include "ui/MainWindow.h"
#include "ui/datalog/DatalogMenu.h"
#include "ui/tools/DischargeCheckDialog.h"
#include "ui/trend/TrendWindow.h"

namespace {

using namespace qm;

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// Where the pictures go and whether every scene showed what it should.
struct Output {
    QDir folder;
    int failures = 0;
    void check(bool ok, const std::string& scene, const std::string& what)
    {
        if (ok) return;
        ++failures;
        std::cerr << "qm7410-screenshots: " << scene << ": " << what << "\n";
    }
    void save(const QImage& image, const QString& name)
    {
        const QString path = folder.filePath(name);
        if (image.isNull() || !image.save(path, "PNG")) {
            ++failures;
            std::cerr << "qm7410-screenshots: could not write " << path.toStdString() << "\n";
            return;
        }
        std::cout << "wrote " << path.toStdString() << "\n";
    }
};

// The real main window over a simulated stack whose clock moves only with
// the ticks; the session's clocks follow it.
class Driver {
public:
    Driver(const std::string& scenario, Output& out, std::string scene)
        : out_(out), scene_(std::move(scene)), clock_(std::make_shared<sim::ManualClock>()),
          device_(*sim::ParseScenario(scenario).scenario, clock_), window_(device_)
    {
        window_.display().messageHook = [this](const std::string& m) { check(false, "unexpected message: " + m); };
        window_.display().closeHook = [this](acquisition::CloseReason) { check(false, "the window closed"); };
        window_.session().setClocks(
            [this] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(kEpochMs + clock_->nowMs())); },
            [this] { return protocol::HealthClock::time_point(std::chrono::milliseconds(clock_->nowMs())); });
        window_.datalog().setNow([this] {
            return QDateTime::fromMSecsSinceEpoch(kEpochMs + clock_->nowMs(), Qt::UTC);
        });
        window_.datalog().setSource("qm7410-gui 0.1.0", "simulated: " + scenario);
        check(window_.start(), "the window did not start");
        form().Timer1->stop(); // the ticks are driven here
    }

    ui::Form& form() { return window_.form(); }
    ui::MainWindow& window() { return window_; }
    const acquisition::AppState& state() { return window_.session().state(); }
    sim::Chip& chip(int board) { return device_.chain().chip(board); }
    std::int64_t nowMs() const { return clock_->nowMs(); }

    void check(bool ok, const std::string& what) { out_.check(ok, scene_, what); }
    void save(const QString& name) { out_.save(form().screenshot(), name); }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            clock_->advance(100);
            QMetaObject::invokeMethod(form().Timer1, "timeout"); // as the timer does
        }
    }
    void click(ui::CommandButton* button) { button->click(); }
    void toggle(ui::CheckBox* box) { box->setValueAsClick(1 - box->value()); }
    void chooseBoards(int count) { form().Combo1->setListIndexAsClick(count - 1); }
    // Types into a threshold box key by key and leaves it with Enter.
    void typeThreshold(int box, const QString& text)
    {
        ui::TextBox* t = form().Text2[U(box)];
        emit t->focusEntered(box);
        for (QChar c : text + QLatin1Char('\r')) {
            QKeyEvent press(QEvent::KeyPress, c == QLatin1Char('\r') ? int(Qt::Key_Return) : 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(t, &press);
        }
    }
    // VOV 4.2 V, VUV 3.0 V, CDC 2, written: the chips measure.
    void writeMeasureMode()
    {
        typeThreshold(1, QStringLiteral("4.2"));
        typeThreshold(0, QStringLiteral("3.0"));
        click(form().Command0[1]);
        click(form().Command0[1]);
        click(form().Command1[5]);
    }
    bool everyOval(int boards, int colourNumber)
    {
        for (int b = 0; b < boards; ++b)
            if (form().Shape12[U(b)]->fillColor() != colourNumber) return false;
        return true;
    }

private:
    static constexpr std::int64_t kEpochMs = 1'796'653'800'000; // 2026-12-07 14:30:00 UTC
    Output& out_;
    std::string scene_;
    std::shared_ptr<sim::ManualClock> clock_;
    sim::SimulatedDevice device_;
    ui::MainWindow window_;
};

std::string Text(const ui::Control* c) { return c->caption().toStdString(); }

// ---- Scenes -------------------------------------------------------------------

void FormAsDesigned(Output& out)
{
    ui::Form form;
    form.show();
    out.save(form.screenshot(), QStringLiteral("form.png"));
}

// The walk of docs/first-measurement.md on the stack "--simulate" opens,
// with cell 7 of board 1 answering self tests wrongly.
void Walk(Output& out)
{
    Driver d("selftest-fault=0:7", out, "walk");
    auto& f = d.form();
    d.tick();
    d.check(Text(f.Label_IDstring) == "QM7410-1", "identification");
    d.save(QStringLiteral("walk-1-start.png"));

    d.chooseBoards(4);
    d.writeMeasureMode();
    d.click(f.Command0[1]); // CDC 3
    d.click(f.Command1[5]);
    d.check(f.Shape16[0]->isVisibleTo(&f), "READ CONFIG is due");
    d.click(f.Command1[6]);
    d.tick(3);
    d.check(d.everyOval(4, colour::kGreen), "four green ovals");
    d.check(d.state().acq.keepAliveActive == 1, "the keep-alive runs");
    d.save(QStringLiteral("walk-2-configured.png"));

    for (int i : {4, 9, 2, 7}) d.click(f.Command1[U(i)]);
    d.tick();
    d.check(f.Shape16[9]->isVisibleTo(&f), "READ  FLAG is due");
    for (int c = 1; c <= 12; ++c) d.check(d.state().status.Code(0, c) == 8, "soft in range");
    d.save(QStringLiteral("walk-3-cell-read.png"));
    d.click(f.Command1[8]);

    d.click(f.Command1[10]);
    d.tick(9);
    d.check(Text(f.Command1[10]) == "STOP  CONTINUOUS READ CELLS", "the cycle runs");
    d.check(d.everyOval(4, colour::kGreen), "green ovals in the cycle");
    d.save(QStringLiteral("walk-4-continuous.png"));
    d.click(f.Command1[10]);

    for (int i : {0, 3, 2, 4}) d.click(f.Command5[U(i)]);
    for (int c = 1; c <= 12; ++c)
        d.check(f.Text1[U(c - 1)]->backColor() == (c == 7 ? colour::kRed : colour::kWhite), "self-test colours");
    d.tick();
    d.save(QStringLiteral("walk-5-self-test.png"));

    d.click(f.Command7[0]);
    d.click(f.Command7[1]);
    d.tick();
    d.check(Text(f.Text14[3]) == " PASS", "multiplexer check passes");
    d.save(QStringLiteral("walk-6-diagnostics.png"));
}

// Three boards in mixed states: board 1 with an undervoltage, an overvoltage,
// a discharging, a masked and a masked discharging cell; board 2 with an
// undervoltage cell; board 3 in thermal shutdown.
void MixedStates(Output& out)
{
    Driver d("boards=3,thsd=2", out, "mixed-states");
    auto& f = d.form();
    d.chooseBoards(3);
    d.chip(0).setCellVolts(3, 2.8);
    d.chip(0).setCellVolts(8, 4.45);
    d.chip(1).setCellVolts(2, 2.7);
    d.toggle(f.dccBox(5));
    d.toggle(f.maskBox(10));
    d.toggle(f.maskBox(12));
    d.toggle(f.dccBox(12));
    d.writeMeasureMode();
    d.click(f.Command1[10]);
    d.tick(3);
    const auto code = [&](int b, int c) { return d.state().status.Code(b, c); };
    d.check(code(0, 3) == 3 && code(0, 8) == 4 && code(0, 5) == 2 && code(0, 10) == 5 && code(0, 12) == 6 &&
                code(0, 1) == 1 && code(2, 1) == 7,
            "status codes");
    d.save(QStringLiteral("mixed-states.png"));
}

void ConfigurationEditing(Output& out)
{
    Driver d("boards=3", out, "configuration");
    auto& f = d.form();
    d.chooseBoards(3);
    d.save(QStringLiteral("configuration-standby.png")); // standby notice and zero markers
    d.writeMeasureMode();
    // Pending edits after the write, then a read-back that marks them.
    d.click(f.Command4[1]);
    f.Option1[0]->setValueAsClick(true);
    d.toggle(f.dccBox(3));
    d.toggle(f.maskBox(7));
    d.typeThreshold(1, QStringLiteral("4.1"));
    d.click(f.Command1[6]);
    d.check(f.Text5[1]->backColor() == colour::kRed, "a differing read-back is marked");
    d.check(Text(f.Command1[5]) == "WRITECONFIG", "the write is due");
    d.save(QStringLiteral("configuration-editing.png"));
}

// Ten boards after a stretch of the cycle with faults, board 3 in detail.
void SoakTenBoards(Output& out)
{
    Driver d("boards=10,seed=5,pec-errors=2:0.08,pec-errors=7:0.05,thsd=4,openwire=8:5", out, "soak");
    auto& f = d.form();
    d.chooseBoards(10);
    // Board 2 discharges cells 2 and 9; board 7 masks cell 1 and masks and discharges cell 3.
    d.click(f.Command4[1]);
    d.toggle(f.dccBox(2));
    d.toggle(f.dccBox(9));
    d.click(f.Command4[6]);
    d.toggle(f.maskBox(1));
    d.toggle(f.maskBox(3));
    d.toggle(f.dccBox(3));
    d.click(f.Command4[0]);
    d.writeMeasureMode();
    d.click(f.Command1[10]);
    d.chip(0).setCellVolts(4, 2.8);
    d.chip(5).setCellVolts(7, 4.4);
    d.click(f.Command4[2]);
    // Stop after a flag read in which board 3's PEC failed, so its oval is red.
    const auto flagsFailed = [&] {
        const auto& set = d.state().images.set(protocol::ReadKind::Flags);
        return set.pec[2] != set.computed[2];
    };
    int tick = 0;
    while (tick < 3000 && !(d.state().acq.cycleStep == 0 && tick > 30 && flagsFailed())) {
        d.tick();
        ++tick;
    }
    d.check(tick < 3000, "board 3's flag read failed once");
    d.check(f.Shape12[2]->fillColor() == colour::kRed, "board 3's oval is red");
    d.check(f.Shape1[12 * 4]->fillColor() == colour::kOrange, "board 5 in thermal shutdown");
    d.save(QStringLiteral("soak-ten-boards.png"));
}

// The window with a dialog drawn over its middle, as the screen shows them.
QImage WithDialog(const QImage& window, QWidget& dialog)
{
    const QImage picture = dialog.grab().toImage();
    QImage out = window.convertToFormat(QImage::Format_RGB32);
    QPainter p(&out);
    constexpr int kTitle = 24;
    const QRect frame((out.width() - picture.width()) / 2 - 1, (out.height() - picture.height() - kTitle) / 2 - 1,
                      picture.width() + 2, picture.height() + kTitle + 2);
    p.fillRect(frame, QColor(0x40, 0x40, 0x48));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 10, QFont::Bold));
    p.drawText(frame.adjusted(10, 0, 0, -picture.height() - 1), Qt::AlignVCenter | Qt::AlignLeft, dialog.windowTitle());
    p.drawImage(frame.left() + 1, frame.top() + 1 + kTitle, picture);
    return out;
}

// A datalog of four boards over a few minutes: the setup dialog, then the
// trend view on the record while it is still being written.
void Datalog(Output& out, const QString& folder)
{
    Driver d("boards=4,seed=11,pec-errors=3:0.03", out, "datalog");
    auto& f = d.form();
    d.chooseBoards(4);
    d.writeMeasureMode();
    f.mnuCreateNewSetup->trigger();
    ui::DatalogSetupDialog* dialog = d.window().datalog().setupDialog();
    d.check(dialog != nullptr, "the setup dialog opens");
    if (!dialog) return;
    d.check(dialog->boardBoxes().size() == 4, "a box per board");
    out.save(WithDialog(f.screenshot(), *dialog), QStringLiteral("datalog-setup.png"));

    // The file the dialog proposes, in a folder of the tool's own.
    dialog->fileEdit()->setText(QDir(folder).filePath(QFileInfo(dialog->choice().file).fileName()));
    dialog->okButton()->click();
    d.check(d.state().view.recording.active, "recording");
    d.check(f.findChild<ui::Label*>(QStringLiteral("Label_DL"))->isVisibleTo(&f), "the marker shows");

    // Ten minutes of a stack under load: every cell sags slowly, board 2's
    // cell 6 falls behind, board 4 runs warmer and higher.
    for (int pass = 0; pass < 2000; ++pass) {
        const double minutes = static_cast<double>(d.nowMs()) / 60000.0;
        for (int b = 0; b < 4; ++b)
            for (int c = 1; c <= 12; ++c) {
                double v = 3.95 - 0.035 * minutes + 0.004 * std::sin(0.7 * c + b) + (b == 3 ? 0.012 : 0.0);
                if (b == 1 && c == 6) v -= 0.0015 * minutes * minutes;
                d.chip(b).setCellVolts(c, v);
            }
        d.tick(3);
    }
    const std::uint64_t passes = d.state().view.recording.passes;
    d.check(passes > 1900, "the passes were written");
    d.check(Text(f.findChild<ui::Label*>(QStringLiteral("Label_DL"))) ==
                "DATALOG ON   " + std::to_string(passes) + " PASSES",
            "the marker counts the passes");
    d.save(QStringLiteral("datalog-recording.png"));

    f.mnuViewLastDatalog->trigger();
    ui::TrendWindow* trend = d.window().datalog().trendWindow();
    d.check(trend != nullptr && trend->following(), "the trend view follows the record");
    if (!trend) return;
    trend->resize(1280, 820);
    QApplication::processEvents();
    trend->chooseCell(1, 5); // board 2, cell 6
    trend->imbalanceMap()->setFocus();
    QApplication::processEvents();
    out.save(trend->grab().toImage(), QStringLiteral("trend-view.png"));
}

// The dialog showing a given progress or result on a stack of boardCount
// boards, rendered offscreen.
QImage RenderDischargeCheckDialog(const acquisition::DischargeCheckView& view, int boardCount)
{
    ui::DischargeCheckDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    dialog.show();
    dialog.showState(view, boardCount);
    dialog.layout()->activate();
    dialog.resize(dialog.sizeHint());
    return dialog.grab().toImage();
}

// A discharge check of six boards, run to its end over the ticks and shown in
// its dialog: board 2's cell 4 has no resistor, board 4's cell 7 discharges
// through cell 8's sense line, one read in twelve from board 6 fails its PEC,
// and cell 4 of board 3 is masked.
void DischargeCheck(Output& out)
{
    Driver d("boards=6,seed=5,dcc-open=1:4,dcc-swap=3:7,pec-errors=5:0.08", out, "discharge");
    auto& f = d.form();
    d.chooseBoards(6);
    d.click(f.Command4[2]);
    d.toggle(f.maskBox(4));
    d.click(f.Command4[0]);
    d.writeMeasureMode();
    auto& session = d.window().session();
    d.check(session.StartDischargeCheck({}), "the check starts: " + session.view().dischargeCheck.refusal);
    for (int i = 0; i < 200 && session.dischargeCheckRunning(); ++i) d.tick();
    const auto& view = session.view().dischargeCheck;
    d.check(!view.running && view.result.count(acquisition::CellVerdict::Fail) == 2,
            "the check ends with the two broken paths failed");
    out.save(RenderDischargeCheckDialog(view, 6), QStringLiteral("discharge-check.png"));
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App cli{"Makes the pictures of docs/ from the window over the simulated stack."};
    std::string folder = "docs";
    std::string only;
    cli.add_option("folder", folder, "where the PNG files go (default: docs)");
    cli.add_option("--only", only, "one scene: form, walk, mixed-states, configuration, soak, datalog, discharge");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = cli.exit(e);
        return rc == 0 ? 0 : 2;
    }

    // The setup dialog proposes a file in the documents folder: the pictures
    // show an ordinary account's, not the one that made them.
    qputenv("HOME", "/home/operator");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::cerr << "qm7410-screenshots: no scratch folder: " << scratch.errorString().toStdString() << "\n";
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());

    // The record of the datalog scene goes to a folder of a fixed name, so
    // that the trend view's picture is the same from run to run.
    QDir records(QDir::temp().filePath(QStringLiteral("qm7410-screenshots")));
    records.removeRecursively();
    QDir().mkpath(records.path());

    Output out{QDir(QString::fromStdString(folder))};
    if (!out.folder.exists() && !QDir().mkpath(out.folder.path())) {
        std::cerr << "qm7410-screenshots: cannot create " << folder << "\n";
        return 1;
    }
    const std::map<std::string, std::function<void()>> scenes{
        {"form", [&] { FormAsDesigned(out); }},
        {"walk", [&] { Walk(out); }},
        {"mixed-states", [&] { MixedStates(out); }},
        {"configuration", [&] { ConfigurationEditing(out); }},
        {"soak", [&] { SoakTenBoards(out); }},
        {"datalog", [&] { Datalog(out, records.path()); }},
        {"discharge", [&] { DischargeCheck(out); }},
    };
    if (!only.empty() && !scenes.count(only)) {
        std::cerr << "qm7410-screenshots: no scene '" << only << "'\n";
        return 2;
    }
    for (const auto& [name, run] : scenes)
        if (only.empty() || only == name) run();
    records.removeRecursively();
    return out.failures == 0 ? 0 : 1;
}
