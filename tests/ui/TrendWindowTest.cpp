// The trend view offscreen: it opens a record, follows it while it grows,
// and the map and the slider work from the keyboard.
#include <QTableWidget>

#include <gtest/gtest.h>

#include "datalog/RecordSupport.h"
#include "ui/trend/TrendChart.h"
#include "ui/trend/TrendWindow.h"
#include "ui/WindowRig.h"

using namespace qm;
using namespace qm::test;

namespace {

// Board 2's cell 5 drifts up 1 mV a pass; board 3's cell read of pass 10 failed.
void WritePasses(datalog::CsvWriter& writer, int from, int to)
{
    for (int p = from; p < to; ++p) {
        std::vector<datalog::PassRecord> pass{Record(1, p), Record(2, p), Record(3, p)};
        pass[1].cellVolts[4] = 3.6f + 0.001f * static_cast<float>(p);
        if (p == 10) pass[2].cellsValid = false;
        ASSERT_TRUE(writer.writePass(pass));
    }
}

} // namespace

TEST(TrendWindow, OpensAFollowsItShowsTheTraceOfTheMapCellChosenByKeysAndRefusesANonRecord)
{
    TempDir dir;
    datalog::CsvWriter writer;
    ASSERT_TRUE(writer.open(dir / "stack.csv", Header({1, 2, 3})));
    WritePasses(writer, 0, 40);
    ui::TrendWindow window;
    ASSERT_TRUE(window.openFile(QString::fromStdString((dir / "stack.csv").string())));
    window.show();
    QApplication::processEvents();
    QTableWidget* map = window.imbalanceMap();
    EXPECT_EQ(std::pair(map->rowCount(), map->columnCount()), std::pair(3, 12));
    EXPECT_EQ(map->verticalHeaderItem(1)->text(), "Board 2");
    ASSERT_EQ(std::tuple(window.boardChooser()->count(), window.voltageChart()->lines().size(),
                         window.spreadChart()->lines().size()), std::tuple(4, 9, 3));
    EXPECT_EQ(window.voltageChart()->lines()[1]->count(), 40); // fewer rows than pixels: all of them
    EXPECT_EQ(window.spreadChart()->lines()[2]->count(), 39);  // the failed read leaves a gap
    EXPECT_TRUE(window.following() && window.statusText().startsWith("Following the recording"));
    // The latest moment: board 2's cell 5 is the highest of the stack, and the health table shows the counters.
    EXPECT_EQ(std::pair(window.momentSlider()->value(), window.healthTable()->item(0, 1)->text()), std::pair(39, QString("39")));
    EXPECT_TRUE(map->item(1, 4)->text().startsWith("+"));
    EXPECT_TRUE(window.healthTable()->item(2, 0)->toolTip().startsWith("Board 3: 40 PEC failures (cells 39, flags 1)"));
    // Arrow keys on the map choose board 2, cell 5; its own trace is drawn.
    map->setCurrentCell(0, 0);
    for (int key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}) Key(key, map);
    ASSERT_EQ(window.traceChart()->lines().size(), 1);
    const QLineSeries* trace = window.traceChart()->lines()[0];
    EXPECT_EQ(trace->name(), "Board 2, cell 5");
    ASSERT_EQ(trace->count(), 40);
    EXPECT_NEAR(trace->at(39).y(), 3.639, 1e-5);
    // The slider steps back a pass by key; the map and the health table follow it.
    Key(Qt::Key_Left, window.momentSlider());
    EXPECT_EQ(window.momentSlider()->value(), 38);
    EXPECT_EQ(window.healthTable()->item(0, 1)->text(), "38");
    // The file grows: the new passes are read, and the chosen moment stays.
    WritePasses(writer, 40, 45);
    window.pollFile();
    EXPECT_EQ(std::pair(window.momentSlider()->value(), window.momentSlider()->maximum()), std::pair(38, 44));
    EXPECT_EQ(std::pair(window.voltageChart()->lines()[1]->count(), window.traceChart()->lines()[0]->count()), std::pair(45, 45));
    writer.finish("stopped by the operator");
    window.pollFile();
    EXPECT_FALSE(window.following());
    EXPECT_TRUE(window.statusText().startsWith("Recording ended: stopped by the operator")) << window.statusText().toStdString();
    // A file that is no record is refused naming its line.
    WriteText(dir / "notes.csv", "a,b\n1,2\n");
    ui::TrendWindow other;
    EXPECT_FALSE(other.openFile(QString::fromStdString((dir / "notes.csv").string())));
    EXPECT_TRUE(other.statusText().contains("line 1: not a QM7410 stack record")) << other.statusText().toStdString();
    EXPECT_TRUE(other.imbalanceMap()->rowCount() == 0 && !other.following());
}
