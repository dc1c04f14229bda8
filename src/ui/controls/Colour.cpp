#include "ui/controls/Colour.h"

#include <QGuiApplication>
#include <QPalette>

namespace qm::ui {

namespace {

QColor systemColour(int index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 5: // window background (the background of text boxes and lists)
        return palette.color(QPalette::Active, QPalette::Base);
    case 8: { // window text: any dark colour of the theme, black otherwise
        const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
        return text.lightness() <= 100 ? text : QColor(Qt::black);
    }
    case 4: // menu background
        return palette.color(QPalette::Active, QPalette::Window);
    case 7: // menu text
        return palette.color(QPalette::Active, QPalette::Text);
    case 15: // button face
        return palette.color(QPalette::Active, QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Active, QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::Active, QPalette::ButtonText);
    default:
        return QColor(Qt::black);
    }
}

} // namespace

QColor toQColor(int colourNumber)
{
    if (isSystemColour(colourNumber))
        return systemColour(colourNumber & 0xFF);
    return QColor(colourNumber & 0xFF, (colourNumber >> 8) & 0xFF, (colourNumber >> 16) & 0xFF);
}

} // namespace qm::ui
