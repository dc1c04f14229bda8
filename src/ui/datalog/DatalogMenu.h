#pragma once
// The window's Datalog menu, brought to life: "Create New Setup" opens the
// setup dialog, "Use Previous Setup" records again with the saved setup into
// a new file, "Stop Datalog" (shown while recording) ends the recording, and
// "View Last Datalog" opens the trend view on the last file recorded into,
// following it while it grows. It also places the datalog marker on the Form
// and paints it.
//
// The session decides whether it records and how many passes it wrote; the
// menu follows the recording status each time the display paints it. What
// only the window knows, the saved setup and the last file of an earlier run,
// it keeps in QSettings (see DatalogSettings.h).
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>

#include <functional>
#include <string>

#include "acquisition/Session.h"
#include "ui/datalog/DatalogSetupDialog.h"

class QAction;

namespace qm::ui {

class Form;
class FormDisplay;
class Label;
class Shape;
class TrendWindow;

class DatalogMenu : public QObject {
    Q_OBJECT
public:
    DatalogMenu(Form& form, FormDisplay& display, acquisition::Session& session);
    // A recording still running ends with the program.
    ~DatalogMenu() override;

    // What a record's header names as the program and the device it came from.
    void setSource(std::string program, std::string device);
    // The clock that names new files (the local time by default).
    void setNow(std::function<QDateTime()> now) { now_ = std::move(now); }

    // The menu's actions, as choosing them does.
    void createNewSetup();
    void usePreviousSetup();
    void stopDatalog();
    void viewLastDatalog();

    QAction* stopAction() const { return stop_; }
    // The setup dialog while it is open, or null.
    DatalogSetupDialog* setupDialog() const { return dialog_ && dialog_->isVisible() ? dialog_.data() : nullptr; }
    // The trend view, once View Last Datalog opened it.
    TrendWindow* trendWindow() const { return trend_; }
    // The last file a recording wrote a pass into; empty when none.
    const QString& lastFile() const { return lastFile_; }

    // The folder a first setup proposes: the user's documents.
    static QString DefaultFolder();

private:
    void paint(const acquisition::RecordingStatus& status);
    void refresh();
    bool start(const DatalogChoice& choice);
    int boardCount() const;

    Form& form_;
    FormDisplay& display_;
    acquisition::Session& session_;
    QSettings settings_;
    QAction* stop_;
    Shape* lamp_;    // the datalog marker, owned by the Form
    Label* caption_;
    QPointer<DatalogSetupDialog> dialog_;
    TrendWindow* trend_ = nullptr; // a window of its own, owned by the Form
    QString trendFile_;
    QString lastFile_;
    bool hasSetup_ = false;
    std::function<QDateTime()> now_ = [] { return QDateTime::currentDateTime(); };
    std::string program_ = "qm7410-gui";
    std::string device_;
};

} // namespace qm::ui
