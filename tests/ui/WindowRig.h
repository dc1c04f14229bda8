#pragma once
// The real window over a simulated stack with a manual clock and a recording of every frame; messages
// and closes are collected, and after start() the test drives the ticks.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

#include "link/RecordingDevice.h"
#include "sim/SimulatedDevice.h"
#include "ui/MainWindow.h"

namespace qm::test {

inline std::size_t U(int i) { return static_cast<std::size_t>(i); }
inline std::string Text(const ui::Control* c) { return c->caption().toStdString(); }
inline bool IsConfigWrite(const std::string& frame) { return frame.rfind("MSxT01SC7", 0) == 0; }

// A key press and release sent to a widget, the focused one when none is given.
inline void Key(int key, QWidget* to = nullptr, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* target = to ? to : QApplication::focusWidget();
    if (!target) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, text), release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// Characters typed one by one, '\r' as Enter.
inline void Type(const QString& text, QWidget* to = nullptr)
{
    for (QChar c : text) Key(c == '\r' ? int(Qt::Key_Return) : 0, to, QString(c));
}

struct WindowRig {
    explicit WindowRig(const std::string& scenario = "boards=4")
        : clock(std::make_shared<sim::ManualClock>()), device(*sim::ParseScenario(scenario).scenario, clock),
          rec(device), window(rec)
    {
        window.display().messageHook = [this](const std::string& m) { messages.push_back(m); };
        window.display().closeHook = [this](acquisition::CloseReason r) { closed.push_back(r); };
    }
    bool start() { const bool ok = window.start(); form().Timer1->stop(); return ok; }
    ui::Form& form() { return window.form(); }
    acquisition::Session& session() { return window.session(); }
    const acquisition::AppState& state() { return window.session().state(); }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            clock->advance(100);
            QMetaObject::invokeMethod(form().Timer1, "timeout"); // as the timer itself does
        }
    }
    std::size_t count(const std::string& frame) const
    {
        return static_cast<std::size_t>(std::count(rec.writes().begin(), rec.writes().end(), frame));
    }
    // The configuration writes among the frames sent from index `from` on.
    std::vector<std::string> configWrites(std::size_t from = 0) const
    {
        std::vector<std::string> out;
        std::copy_if(rec.writes().begin() + static_cast<std::ptrdiff_t>(from), rec.writes().end(),
                     std::back_inserter(out), IsConfigWrite);
        return out;
    }
    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    link::RecordingDevice rec;
    ui::MainWindow window;
    std::vector<std::string> messages;
    std::vector<acquisition::CloseReason> closed;
};

} // namespace qm::test
