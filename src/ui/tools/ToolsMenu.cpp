#include "ui/tools/ToolsMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/Form.h"
#include "ui/FormDisplay.h"
#include "ui/tools/DischargeCheckDialog.h"

namespace qm::ui {

ToolsMenu::ToolsMenu(Form& form, FormDisplay& display, acquisition::Session& session)
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

    // The display reports each change of the check's progress or result.
    display.dischargeCheckHook = [this] {
        if (dialog_ && dialog_->isVisible()) dialog_->refresh();
    };
}

void ToolsMenu::openDischargeCheck()
{
    if (!dialog_) dialog_ = new DischargeCheckDialog(&session_, &form_);
    dialog_->refresh();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

} // namespace qm::ui
