#include "ui/controls/ComboBox.h"

#include "ui/controls/Colour.h"

#include <QStyleOptionComboBox>

namespace qm::ui {

ComboBox::ComboBox(QWidget* parent, const QString& name, int index)
    : QComboBox(parent), Control(*this, name, index)
{
    setEditable(false);
    setBackColor(kWhite);
    setForeColor(kSysWindowTextColour);
    connect(this, &QComboBox::activated, this, [this] { emit operatorClicked(this->index()); });
}

void ComboBox::setCaption(const QString& caption)
{
    const int position = findText(caption);
    setCurrentIndex(position);
}

void ComboBox::setListIndex(int position)
{
    setCurrentIndex(position >= 0 && position < count() ? position : -1);
}

void ComboBox::setListIndexAsClick(int position)
{
    setListIndex(position);
    emit operatorClicked(index());
}

void ComboBox::applyColours()
{
    Control::applyColours();
    QPalette pal = palette();
    const QColor back = toQColor(backColor());
    const QColor fore = toQColor(foreColor());
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Button, back);
        pal.setColor(group, QPalette::ButtonText, fore);
    }
    setPalette(pal);
}

bool ComboBox::captionFits() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QFontMetricsF metrics(font());
    for (int i = 0; i < count(); ++i) {
        if (metrics.horizontalAdvance(itemText(i)) > field.width())
            return false;
    }
    return metrics.height() <= field.height() + 2;
}

} // namespace qm::ui
