#include "ui/controls/OptionButton.h"

#include "ui/controls/Colour.h"
#include "ui/controls/Indicator.h"

namespace qm::ui {

OptionButton::OptionButton(QWidget* parent, const QString& name, int index)
    : QRadioButton(parent), Control(*this, name, index)
{
    setAutoExclusive(false);
    setFocusPolicy(Qt::StrongFocus);
    applyColours();
    connect(this, &QAbstractButton::clicked, this, [this] { emit operatorClicked(this->index()); });
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            clearSiblings();
        emit valueChanged(this->index(), on);
    });
}

void OptionButton::setCaption(const QString& caption)
{
    setText(caption);
    update();
}

bool OptionButton::captionFits() const
{
    return indicator::captionFits(*this, text());
}

void OptionButton::setValue(bool selected)
{
    setChecked(selected);
}

void OptionButton::setValueAsClick(bool selected)
{
    if (selected == isChecked())
        return;
    setChecked(selected);
    emit operatorClicked(index());
}

void OptionButton::nextCheckState()
{
    // A click selects; it never clears the selected option.
    setChecked(true);
}

void OptionButton::clearSiblings()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const auto siblings = parent->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly);
    for (OptionButton* other : siblings) {
        if (other != this && other->isChecked())
            other->setChecked(false);
    }
}

void OptionButton::paintEvent(QPaintEvent*)
{
    indicator::paint(*this, QStyle::PE_IndicatorRadioButton, text(), toQColor(backColor()),
                     toQColor(foreColor()));
}

bool OptionButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

} // namespace qm::ui
