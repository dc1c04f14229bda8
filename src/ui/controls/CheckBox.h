#pragma once
// A check box. Its value is 0 (clear) or 1 (ticked).
//
// The operator's click and a change made by code are kept apart: a click by
// the operator emits operatorClicked; setValue changes the value quietly
// (only valueChanged is emitted); setValueAsClick changes it and, when the
// value really changed, emits operatorClicked as if the operator had clicked.
#include "ui/controls/Control.h"

#include <QCheckBox>

namespace qm::ui {

class CheckBox : public QCheckBox, public Control {
    Q_OBJECT
public:
    CheckBox(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return text(); }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value);
    void setValueAsClick(int value);

signals:
    void operatorClicked(int index);
    void valueChanged(int index, int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

} // namespace qm::ui
