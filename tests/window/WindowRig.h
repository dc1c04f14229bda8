#pragma once
// The real window over a recording simulated stack with a manual clock: tests
// act as the operator (clicks, ticks, typing) and assert the controls and the
// frames sent.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QAction>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/RecordingDevice.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"
#include "ui/Form.h"
#include "ui/MainWindow.h"

namespace qm::test {

class WindowRig {
public:
    explicit WindowRig(const std::string& scenarioText = "boards=4")
        : clock(std::make_shared<sim::ManualClock>()),
          device(*sim::ParseScenario(scenarioText).scenario, clock),
          rec(device),
          window(rec)
    {
        realShowMessage = monitor().showMessage;
        monitor().showMessage = [this](const std::string& text) { messages.push_back(text); };
        monitor().closeWindow = [this](ui::CloseReason reason) { closed.push_back(reason); };
    }

    ui::Form& form() { return window.form(); }
    ui::Monitor& monitor() { return window.monitor(); }
    ui::AppState& state() { return window.monitor().state(); }
    sim::Chip& chip(int board) { return device.chain().chip(board); }

    bool start()
    {
        const bool ok = window.start();
        form().Timer1->stop(); // ticks are driven by the test
        return ok;
    }

    // One 100 ms timer tick.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            clock->advance(100);
            monitor().OnTimerTick();
        }
    }

    // Operator clicks, through the controls' own signals.
    void click(ui::CommandButton* button) { button->click(); }
    void toggle(ui::CheckBox* box) { box->click(); }
    void choose(ui::OptionButton* option) { option->click(); }
    void chooseBoards(int count)
    {
        form().Combo1->setListIndexAsClick(count - 1);
    }

    // Types text into a threshold box as the operator would, then leaves it
    // with Enter (focus to "WRITE CONFIG").
    void typeThreshold(int box, const std::string& text, bool enter = true)
    {
        auto* t = form().Text2[static_cast<std::size_t>(box)];
        monitor().OnThresholdFocusIn(box);
        for (char c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
            QApplication::sendEvent(t, &press);
        }
        if (enter) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QApplication::sendEvent(t, &press);
        }
    }

    // Writes a measuring configuration to every board in use, as the operator
    // would: VOV 4.2 V, VUV 3.0 V, CDC 2, then "WRITE CONFIG". The simulated
    // chips convert only once their CDC is above 0.
    void writeMeasureMode()
    {
        typeThreshold(1, "4.2");
        typeThreshold(0, "3.0");
        click(form().Command0[1]);
        click(form().Command0[1]);
        click(form().Command1[5]);
    }

    // Saves the window as a PNG into $QM_SCREENSHOT_DIR; does nothing when the
    // variable is not set (screenshots are made on request, for docs/).
    void saveScreenshot(const char* name)
    {
        const QByteArray dir = qgetenv("QM_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        const QImage shot = form().screenshot();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)), "PNG"));
    }

    std::vector<std::string> writesSinceMark() const
    {
        return {rec.writes().begin() + static_cast<std::ptrdiff_t>(mark_), rec.writes().end()};
    }
    void markWrites() { mark_ = rec.writes().size(); }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    link::RecordingDevice rec;
    ui::MainWindow window;
    std::vector<std::string> messages;
    // The window's own message box, for the tests that go through it.
    std::function<void(const std::string&)> realShowMessage;
    std::vector<ui::CloseReason> closed;

private:
    std::size_t mark_ = 0;
};

inline std::string Text(const ui::Control* c) { return c->caption().toStdString(); }

} // namespace qm::test
