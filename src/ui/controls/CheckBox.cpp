#include "ui/controls/CheckBox.h"

#include "ui/controls/Colour.h"
#include "ui/controls/Indicator.h"

namespace qm::ui {

CheckBox::CheckBox(QWidget* parent, const QString& name, int index)
    : QCheckBox(parent), Control(*this, name, index)
{
    setFocusPolicy(Qt::StrongFocus);
    applyColours();
    connect(this, &QAbstractButton::clicked, this, [this] { emit operatorClicked(this->index()); });
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { emit valueChanged(this->index(), on ? 1 : 0); });
}

void CheckBox::setCaption(const QString& caption)
{
    setText(caption);
    update();
}

bool CheckBox::captionFits() const
{
    return indicator::captionFits(*this, text());
}

void CheckBox::setValue(int value)
{
    setChecked(value != 0);
}

void CheckBox::setValueAsClick(int value)
{
    const bool on = value != 0;
    if (on == isChecked())
        return;
    setChecked(on);
    emit operatorClicked(index());
}

void CheckBox::paintEvent(QPaintEvent*)
{
    indicator::paint(*this, QStyle::PE_IndicatorCheckBox, text(), toQColor(backColor()),
                     toQColor(foreColor()));
}

bool CheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

} // namespace qm::ui
