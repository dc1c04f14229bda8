#pragma once
// The datalog setup: which file to record into, how often, and which boards.
// A small dialog that works from the keyboard alone: Tab walks file, Browse…,
// the interval and the boards in that order, Enter is OK and Esc Cancel.
// OK hands the choice to the caller, and the dialog closes only when the
// caller took it; a refused choice stays on screen for the operator to mend.
#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace qm::ui {

// What the operator chose in the dialog.
struct DatalogChoice {
    QString file;
    int intervalSeconds = 0; // 0: every pass of the continuous cycle
    std::vector<int> boards; // board numbers 1..10
    friend bool operator==(const DatalogChoice&, const DatalogChoice&) = default;
};

class DatalogSetupDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxIntervalSeconds = 24 * 3600;

    // boardCount: boards on the stack (1..10), one box each. Boards of the
    // initial choice beyond the stack are dropped; when none is left, every
    // board is ticked.
    DatalogSetupDialog(int boardCount, const DatalogChoice& initial, QWidget* parent = nullptr);

    DatalogChoice choice() const;
    // Called by OK with the choice; the dialog closes when it returns true.
    std::function<bool(const DatalogChoice&)> onAccept;

    QLineEdit* fileEdit() const { return file_; }
    QPushButton* browseButton() const { return browse_; }
    QRadioButton* everyPassButton() const { return everyPass_; }
    QRadioButton* everySecondsButton() const { return everySeconds_; }
    QSpinBox* secondsBox() const { return seconds_; }
    const std::vector<QCheckBox*>& boardBoxes() const { return boards_; }
    QPushButton* okButton() const;

public slots:
    void accept() override;

private:
    void browse();
    void refreshOk();

    QString folder_; // where a file name without a folder goes
    QLineEdit* file_;
    QPushButton* browse_;
    QRadioButton* everyPass_;
    QRadioButton* everySeconds_;
    QSpinBox* seconds_;
    std::vector<QCheckBox*> boards_;
    QLabel* hint_;
    QDialogButtonBox* buttons_;
};

} // namespace qm::ui
