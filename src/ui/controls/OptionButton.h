#pragma once
// An option button. Option buttons with the same parent (the window or one
// panel) form a group: selecting one clears the others. Code may also clear
// every button of a group.
//
// As with check boxes, the operator's click emits operatorClicked, setValue
// is quiet and setValueAsClick behaves like the operator's click.
#include "ui/controls/Control.h"

#include <QRadioButton>

namespace qm::ui {

class OptionButton : public QRadioButton, public Control {
    Q_OBJECT
public:
    OptionButton(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return text(); }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

    bool value() const { return isChecked(); }
    void setValue(bool selected);
    void setValueAsClick(bool selected);

signals:
    // Every click by the operator, also on the option already selected.
    void operatorClicked(int index);
    void valueChanged(int index, bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void nextCheckState() override;

private:
    void clearSiblings();
};

} // namespace qm::ui
