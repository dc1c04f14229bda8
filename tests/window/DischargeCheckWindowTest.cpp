// The Tools menu and the discharge check dialog of the real window: the menu
// after "Datalog", the choices reaching the session by keyboard, the progress
// and the result table painted from the session's view, Escape cancelling.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include "sim/SimulatedDevice.h"
#include "ui/MainWindow.h"
#include "ui/tools/DischargeCheckDialog.h"
#include "ui/tools/ToolsMenu.h"

using namespace qm;
using acquisition::CheckOutcome;

namespace {

void Key(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

struct Rig {
    Rig() : clock(std::make_shared<sim::ManualClock>()), device(*sim::ParseScenario("boards=3,dcc-open=1:4").scenario, clock), window(device)
    {
        window.display().closeHook = [](acquisition::CloseReason) {};
        window.start();
        window.form().Timer1->stop();
        auto& s = window.session();
        s.OnBoardCountChosen(2);
        s.OnCdcArrow(1);
        s.OnCommandButton(5);
    }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            clock->advance(100);
            QMetaObject::invokeMethod(window.form().Timer1, "timeout");
        }
    }
    const acquisition::DischargeCheckView& view() { return window.session().view().dischargeCheck; }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    ui::MainWindow window;
};

} // namespace

TEST(DischargeCheckWindow, MenuDialogProgressAndResultTable)
{
    Rig rig;
    ui::Form& form = rig.window.form();
    auto* tools = form.findChild<ui::ToolsMenu*>();
    ASSERT_NE(tools, nullptr);
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.indexOf(tools->menu()->menuAction()), menus.indexOf(form.mnuDatalog->menuAction()) + 1);
    EXPECT_EQ(tools->menu()->title(), "Tools");
    EXPECT_EQ(tools->dischargeCheckAction()->text(), QString::fromUtf8("Discharge Check\u2026"));

    tools->dischargeCheckAction()->trigger();
    ui::DischargeCheckDialog* dialog = tools->dischargeCheckDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(dialog->boardBox(2)->isVisibleTo(dialog));
    EXPECT_FALSE(dialog->boardBox(3)->isVisibleTo(dialog));
    dialog->boardBox(2)->click(); // board 3 left out
    dialog->cellBox(12)->click();
    dialog->settleBox()->setValue(100);

    dialog->startButton()->setFocus();
    Key(dialog->startButton(), Qt::Key_Return);
    ASSERT_TRUE(rig.view().running);
    EXPECT_EQ(rig.view().result.boards.size(), 2u);
    EXPECT_FALSE(dialog->startButton()->isEnabled());
    EXPECT_FALSE(dialog->cellBox(1)->isEnabled());
    EXPECT_TRUE(dialog->cancelButton()->isEnabled());
    rig.tick(2); // the baseline, cell 1 discharging
    QTableWidget* table = dialog->resultTable();
    EXPECT_EQ(table->item(0, 0)->text(), "now");
    EXPECT_EQ(table->item(0, 0)->background().color(), ui::toQColor(colour::kLightBlue));
    EXPECT_EQ(dialog->progressBar()->value(), 2);
    for (int i = 0; i < 60 && rig.view().running; ++i) rig.tick();

    ASSERT_EQ(rig.view().result.outcome, CheckOutcome::Completed);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Board 2");
    EXPECT_TRUE(table->item(1, 3)->text().startsWith("FAIL\n")) << table->item(1, 3)->text().toStdString();
    EXPECT_EQ(table->item(1, 3)->background().color(), ui::toQColor(colour::kRed));
    EXPECT_TRUE(table->item(0, 4)->text().startsWith("PASS\n"));
    EXPECT_TRUE(table->item(0, 4)->text().endsWith(" mV"));
    EXPECT_EQ(table->item(0, 4)->background().color(), ui::toQColor(colour::kGreen));
    EXPECT_EQ(table->item(0, 11)->text(), "-");
    EXPECT_EQ(table->item(1, 13)->text(), "restored");
    EXPECT_TRUE(dialog->startButton()->isEnabled());

    // Escape during a check cancels it and closes the dialog.
    Key(dialog->startButton(), Qt::Key_Return);
    rig.tick(3);
    Key(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.view().result.outcome, CheckOutcome::Cancelled);

    // A refused start is shown in the dialog.
    rig.window.session().OnCommandButton(10);
    tools->dischargeCheckAction()->trigger();
    dialog->startButton()->click();
    EXPECT_FALSE(dialog->statusLabel()->isHidden());
    EXPECT_TRUE(dialog->statusLabel()->text().contains("continuous read cycle"));

    const QImage shot = ui::RenderDischargeCheckDialog(rig.view(), 3);
    EXPECT_GT(shot.width(), 800);
    EXPECT_GT(shot.height(), 300);
}
