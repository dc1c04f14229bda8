#pragma once
// A drop-down list. Its list position is -1 when nothing is selected.
// Choosing an entry emits operatorClicked; setListIndex changes the position
// quietly and setListIndexAsClick behaves like the operator's choice.
#include "ui/controls/Control.h"

#include <QComboBox>

namespace qm::ui {

class ComboBox : public QComboBox, public Control {
    Q_OBJECT
public:
    ComboBox(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return currentText(); }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

    int listIndex() const { return currentIndex(); }
    void setListIndex(int position);
    void setListIndexAsClick(int position);
    int listCount() const { return count(); }

signals:
    void operatorClicked(int index);

protected:
    void applyColours() override;
};

} // namespace qm::ui
