#pragma once
// The trend view: a window of its own that opens a stack record and follows
// it while it is still being written. It shows per board the minimum, mean
// and maximum cell voltage and the spread over time, an imbalance map of
// boards x cells at the moment chosen with the slider (choosing a map cell
// shows that cell's own trace), and each board's link health at that moment.
// Everything it shows is computed by datalog::TrendModel; the window paints.
#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QSlider;
class QTableWidget;
class QTimer;

namespace qm::datalog {
class TrendModel;
}

namespace qm::ui {

class TrendChart;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrendWindow(QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Opens a record and shows it at its latest moment; a record that is
    // still being written is followed from then on. False, with the reason
    // on the status line, when nothing of it can be read.
    bool openFile(const QString& path);
    // Reads what the file gained since the last read (the follow timer calls it).
    void pollFile();
    // The moment shown on the map and the health table: a row of the record.
    void chooseMoment(int moment);
    // The map cell whose trace is shown: board index into the record's boards, cell 0..11.
    void chooseCell(int boardIndex, int cell);

    const datalog::TrendModel* model() const { return model_.get(); }
    QSlider* momentSlider() const { return slider_; }
    QTableWidget* imbalanceMap() const { return map_; }
    QTableWidget* healthTable() const { return health_; }
    QComboBox* boardChooser() const { return boardChooser_; }
    TrendChart* voltageChart() const { return voltage_; }
    TrendChart* spreadChart() const { return spread_; }
    TrendChart* traceChart() const { return trace_; }
    QString statusText() const;
    bool following() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseFile();
    void buildBoards();
    // The slider's range for the record's moments, at the last one when
    // toLast, without showing a moment.
    void setMomentRange(bool toLast);
    void refreshCharts();
    void refreshTrace();
    void showMoment();
    void showStatus();

    std::unique_ptr<datalog::TrendModel> model_;
    QPushButton* open_;
    QLabel* file_;
    QLabel* status_;
    QComboBox* boardChooser_;
    TrendChart* voltage_;
    TrendChart* spread_;
    TrendChart* trace_;
    QSlider* slider_;
    QLabel* moment_;
    QTableWidget* map_;
    QTableWidget* health_;
    QTimer* follow_;
    QTimer* chartRefresh_; // coalesces the charts' width changes into one redraw
    // Per board of the record: its min, mean, max and spread lines.
    struct BoardLines {
        QLineSeries* min;
        QLineSeries* mean;
        QLineSeries* max;
        QLineSeries* spread;
    };
    std::vector<BoardLines> lines_;
    QLineSeries* traceLine_ = nullptr;
    int traceBoard_ = -1;
    int traceCell_ = -1;
};

} // namespace qm::ui
