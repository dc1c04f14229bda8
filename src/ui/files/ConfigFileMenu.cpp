#include "ui/files/ConfigFileMenu.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>

#include <fstream>

#include "acquisition/Session.h"
#include "config/ConfigFile.h"
#include "ui/Form.h"
#include "ui/FormDisplay.h"

namespace qm::ui {

namespace {
const QString kFilter = QStringLiteral("Configuration files (*.json);;All files (*)");
}

ConfigFileMenu::ConfigFileMenu(Form& form, FormDisplay& display, acquisition::Session& session)
    : QObject(&form), form_(form), display_(display), session_(session)
{
    save_ = new QAction(QStringLiteral("&Save configuration\u2026"), this);
    save_->setObjectName(QStringLiteral("mnuSaveConfiguration"));
    load_ = new QAction(QStringLiteral("&Load configuration\u2026"), this);
    load_->setObjectName(QStringLiteral("mnuLoadConfiguration"));
    form.mnuFile->insertAction(form.mnuExit, save_);
    form.mnuFile->insertAction(form.mnuExit, load_);
    form.mnuFile->insertSeparator(form.mnuExit);
    connect(save_, &QAction::triggered, this, &ConfigFileMenu::chooseAndSave);
    connect(load_, &QAction::triggered, this, &ConfigFileMenu::chooseAndLoad);
}

void ConfigFileMenu::chooseAndSave()
{
    const QString path = QFileDialog::getSaveFileName(&form_, save_->text().remove(QLatin1Char('&')),
                                                      QStringLiteral("qm7410-configuration.json"), kFilter);
    if (!path.isEmpty()) saveTo(path);
}

void ConfigFileMenu::chooseAndLoad()
{
    const QString path = QFileDialog::getOpenFileName(&form_, load_->text().remove(QLatin1Char('&')), QString(), kFilter);
    if (!path.isEmpty()) loadFrom(path);
}

bool ConfigFileMenu::saveTo(const QString& path)
{
    const config::ConfigFileWrite written = config::WriteConfigText(session_.CurrentConfiguration());
    if (!written.text) {
        display_.showMessage("The configuration cannot be saved: " + config::DescribeConfigFileError(written.error));
        return false;
    }
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    out << *written.text;
    out.close();
    if (!out) {
        display_.showMessage("The configuration could not be written to " + path.toStdString() + ".");
        return false;
    }
    return true;
}

bool ConfigFileMenu::loadFrom(const QString& path)
{
    const config::ConfigFileRead read = config::ReadConfigFile(path.toStdString());
    if (!read.configuration) {
        display_.showMessage(path.toStdString() + ": " + config::DescribeConfigFileError(read.error));
        return false;
    }
    const std::string refused = session_.LoadConfiguration(*read.configuration);
    if (!refused.empty()) {
        display_.showMessage(path.toStdString() + ": " + refused);
        return false;
    }
    return true;
}

} // namespace qm::ui
