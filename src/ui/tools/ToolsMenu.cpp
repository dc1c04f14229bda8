#include "ui/tools/ToolsMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "ui/Form.h"
#include "ui/tools/DischargeCheckDialog.h"

namespace qm::ui {

ToolsMenu::ToolsMenu(Form& form, acquisition::Session& session)
    : QObject(&form), form_(form), session_(session), menu_(new QMenu(QStringLiteral("Tools"), &form))
{
    setObjectName(QStringLiteral("ToolsMenu"));
    menu_->setObjectName(QStringLiteral("mnuTools"));
    dischargeCheck_ = menu_->addAction(QStringLiteral("Discharge Check\u2026"));
    dischargeCheck_->setObjectName(QStringLiteral("mnuDischargeCheck"));
    connect(dischargeCheck_, &QAction::triggered, this, &ToolsMenu::openDischargeCheck);

    // Right after "Datalog", whatever menus follow it.
    QMenuBar* bar = form.menuBar();
    const QList<QAction*> menus = bar->actions();
    const auto datalog = menus.indexOf(form.mnuDatalog ? form.mnuDatalog->menuAction() : nullptr);
    if (datalog >= 0 && datalog + 1 < menus.size()) bar->insertMenu(menus[datalog + 1], menu_);
    else bar->addMenu(menu_);

    // The session advances the check on each tick (connected before this);
    // the dialog paints what the tick changed.
    connect(form.Timer1, &QTimer::timeout, this, [this] {
        if (dialog_ && dialog_->isVisible()) dialog_->refresh();
    });
}

void ToolsMenu::openDischargeCheck()
{
    if (!dialog_) dialog_ = new DischargeCheckDialog(&session_, &form_);
    dialog_->refresh();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

ToolsMenu* InstallToolsMenu(Form& form, acquisition::Session& session) { return new ToolsMenu(form, session); }

} // namespace qm::ui
