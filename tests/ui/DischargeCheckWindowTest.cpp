// The Tools menu and the discharge check dialog of the real window: choices reaching the session
// by keyboard, progress and result table painted from the session's view, Escape cancelling.
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "ui/tools/DischargeCheckDialog.h"
#include "ui/tools/ToolsMenu.h"
#include "ui/WindowRig.h"

using namespace qm;
using namespace qm::test;
using acquisition::CheckOutcome;

TEST(DischargeCheckWindow, MenuDialogProgressAndResultTable)
{
    WindowRig rig("boards=3,dcc-open=1:4");
    ASSERT_TRUE(rig.start());
    rig.session().OnBoardCountChosen(2);
    rig.session().OnCdcArrow(1);
    rig.session().OnCommandButton(5);
    const auto& view = rig.state().view.dischargeCheck;
    ui::Form& form = rig.form();
    auto* tools = form.findChild<ui::ToolsMenu*>();
    ASSERT_NE(tools, nullptr);
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.indexOf(tools->menu()->menuAction()), menus.indexOf(form.mnuDatalog->menuAction()) + 1);
    EXPECT_EQ(tools->menu()->title() + " > " + tools->dischargeCheckAction()->text(), "Tools > Discharge Check\u2026");
    tools->dischargeCheckAction()->trigger();
    ui::DischargeCheckDialog* dialog = tools->dischargeCheckDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(dialog->boardBox(2)->isVisibleTo(dialog) && !dialog->boardBox(3)->isVisibleTo(dialog));
    dialog->boardBox(2)->click(); // board 3 left out
    dialog->cellBox(12)->click();
    dialog->settleBox()->setValue(100);
    dialog->startButton()->setFocus();
    Key(Qt::Key_Return, dialog->startButton());
    ASSERT_TRUE(view.running && view.result.boards.size() == 2u);
    EXPECT_TRUE(!dialog->startButton()->isEnabled() && !dialog->cellBox(1)->isEnabled() &&
                dialog->cancelButton()->isEnabled());
    rig.tick(2); // the baseline, cell 1 discharging
    QTableWidget* table = dialog->resultTable();
    EXPECT_EQ(std::tuple(table->item(0, 0)->text(), table->item(0, 0)->background().color(), dialog->progressBar()->value()),
              std::tuple(QString("now"), ui::toQColor(colour::kLightBlue), 2));
    for (int i = 0; i < 60 && view.running; ++i) rig.tick();
    ASSERT_TRUE(view.result.outcome == CheckOutcome::Completed && table->rowCount() == 2);
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Board 2");
    EXPECT_TRUE(table->item(1, 3)->text().startsWith("FAIL\n")) << table->item(1, 3)->text().toStdString();
    EXPECT_TRUE(table->item(0, 4)->text().startsWith("PASS\n") && table->item(0, 4)->text().endsWith(" mV"));
    EXPECT_EQ(std::pair(table->item(1, 3)->background().color(), table->item(0, 4)->background().color()),
              std::pair(ui::toQColor(colour::kRed), ui::toQColor(colour::kGreen)));
    EXPECT_EQ(std::pair(table->item(0, 11)->text(), table->item(1, 13)->text()), std::pair(QString("-"), QString("restored")));
    EXPECT_TRUE(dialog->startButton()->isEnabled());
    // Escape during a check cancels it and closes the dialog.
    Key(Qt::Key_Return, dialog->startButton());
    rig.tick(3);
    Key(Qt::Key_Escape, dialog);
    EXPECT_TRUE(!dialog->isVisible() && view.result.outcome == CheckOutcome::Cancelled);
    // A refused start is shown in the dialog.
    rig.session().OnCommandButton(10);
    tools->dischargeCheckAction()->trigger();
    dialog->startButton()->click();
    EXPECT_TRUE(!dialog->statusLabel()->isHidden() && dialog->statusLabel()->text().contains("continuous read cycle"));
}
