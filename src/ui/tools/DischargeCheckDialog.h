#pragma once
// The discharge check dialog: the operator chooses boards, cells and the
// settling time, starts or cancels the check, and sees its progress and the
// result as a boards x cells table, each cell coloured PASS (green), FAIL
// (red) or UNSURE (yellow) with its drop in millivolts. Everything it shows
// comes from the session's view; it only paints and passes the choices on.
// The dialog is window-modal: while it is open the main window takes no
// action that could write the configuration or start a conversion.
#include <QDialog>

#include <array>

#include "acquisition/DischargeCheck.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace qm::acquisition {
class Session;
}

namespace qm::ui {

class DischargeCheckDialog : public QDialog {
    Q_OBJECT
public:
    // Without a session the dialog only paints what it is given (screenshots).
    explicit DischargeCheckDialog(acquisition::Session* session, QWidget* parent = nullptr);

    // Paints the choices the stack allows (boards 1..boardCount) and the
    // check's progress or last result.
    void showState(const acquisition::DischargeCheckView& view, int boardCount);
    // Paints the session's view (the display's hook calls it on each change).
    void refresh();
    // The operator's choices.
    acquisition::DischargeCheckPlan plan() const;

    QCheckBox* boardBox(int board) const { return boards_.at(static_cast<std::size_t>(board)); }
    QCheckBox* cellBox(int cell) const { return cells_.at(static_cast<std::size_t>(cell - 1)); }
    QSpinBox* settleBox() const { return settle_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusLabel() const { return status_; }
    QTableWidget* resultTable() const { return table_; }

public slots:
    // Escape and the window's close button cancel a running check first.
    void reject() override;

private:
    void start();
    void cancel();
    void choicesChanged();
    void paintTable(const acquisition::DischargeCheckView& view);

    acquisition::Session* session_;
    std::array<QCheckBox*, 10> boards_{};
    std::array<QCheckBox*, 12> cells_{};
    QSpinBox* settle_;
    QPushButton* start_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* phase_;
    QLabel* status_;
    QTableWidget* table_;
    QLabel* note_;
    bool running_ = false;
};

} // namespace qm::ui
