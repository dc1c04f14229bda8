#pragma once
// File > "Save configuration…" and "Load configuration…", above "Exit": the
// stack's configuration as a configuration file (docs/configuration-file.md).
// Saving writes what "WRITE CONFIG" would send now; loading fills the pending
// configuration as typing into the editors would, with the changed look, and
// writes nothing until "WRITE CONFIG". A file that cannot be used is refused
// with a message naming the field and the line; nothing changes then.
#include <QObject>
#include <QString>

class QAction;

namespace qm::acquisition {
class Session;
}

namespace qm::ui {

class Form;
class FormDisplay;

class ConfigFileMenu : public QObject {
    Q_OBJECT
public:
    ConfigFileMenu(Form& form, FormDisplay& display, acquisition::Session& session);

    // What the actions do once the file dialog has named the file. False,
    // after a message saying why, when the file could not be written or used.
    bool saveTo(const QString& path);
    bool loadFrom(const QString& path);

private:
    void chooseAndSave();
    void chooseAndLoad();

    Form& form_;
    FormDisplay& display_;
    acquisition::Session& session_;
    QAction* save_;
    QAction* load_;
};

} // namespace qm::ui
