#include "ui/controls/Control.h"

#include "ui/controls/Colour.h"
#include "ui/controls/Frame.h"
#include "ui/controls/TextLayout.h"

#include <QPalette>
#include <QWidget>

#include <cmath>
#include <utility>

namespace qm::ui {

namespace {

int toPixel(int units, int unitsPerPixel)
{
    return static_cast<int>(std::lround(static_cast<double>(units) / unitsPerPixel));
}

} // namespace

PixelRect toPixels(const Bounds& b, int unitsPerPixel)
{
    const int x0 = toPixel(b.left, unitsPerPixel);
    const int y0 = toPixel(b.top, unitsPerPixel);
    const int x1 = toPixel(b.left + std::max(0, b.width), unitsPerPixel);
    const int y1 = toPixel(b.top + std::max(0, b.height), unitsPerPixel);
    return {x0, y0, x1 - x0, y1 - y0};
}

Control::Control(QWidget& self, QString name, int index)
    : m_self(self), m_name(std::move(name)), m_index(index), m_backColour(kWindowGrey),
      m_foreColour(kSysWindowTextColour)
{
    m_self.setObjectName(displayName());
    applyFont();
}

Control::~Control() = default;

QString Control::displayName() const
{
    if (m_index < 0)
        return m_name;
    return QStringLiteral("%1(%2)").arg(m_name).arg(m_index);
}

int Control::unitsPerPixel() const
{
    return qobject_cast<const Frame*>(m_self.parentWidget()) ? kPanelUnitsPerPixel : 1;
}

// Setters return early when nothing changes: the views repaint every control
// from the state on each timer tick, and a palette, font or geometry change
// costs far more than the comparison.
void Control::setBounds(const Bounds& bounds)
{
    if (bounds == m_bounds && m_geometryApplied) return;
    m_bounds = bounds;
    applyGeometry();
}

void Control::setLeft(int left)
{
    if (m_bounds.left == left && m_geometryApplied) return;
    m_bounds.left = left;
    applyGeometry();
}

void Control::setTop(int top)
{
    if (m_bounds.top == top && m_geometryApplied) return;
    m_bounds.top = top;
    applyGeometry();
}

void Control::setWidth(int width)
{
    if (m_bounds.width == width && m_geometryApplied) return;
    m_bounds.width = width;
    applyGeometry();
}

void Control::setHeight(int height)
{
    if (m_bounds.height == height && m_geometryApplied) return;
    m_bounds.height = height;
    applyGeometry();
}

void Control::applyGeometry()
{
    const PixelRect r = toPixels(m_bounds, unitsPerPixel());
    m_self.setGeometry(r.x, r.y, r.width, r.height);
    m_geometryApplied = true;
}

void Control::setBackColor(int colourNumber)
{
    if (colourNumber == m_backColour && m_coloursApplied) return;
    m_backColour = colourNumber;
    applyColours();
}

void Control::setForeColor(int colourNumber)
{
    if (colourNumber == m_foreColour && m_coloursApplied) return;
    m_foreColour = colourNumber;
    applyColours();
}

void Control::applyColours()
{
    QPalette palette = m_self.palette();
    const QColor back = toQColor(m_backColour);
    const QColor fore = toQColor(m_foreColour);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, back);
        palette.setColor(group, QPalette::WindowText, fore);
        palette.setColor(group, QPalette::Base, back);
        palette.setColor(group, QPalette::Text, fore);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, back);
    palette.setColor(QPalette::Disabled, QPalette::Base, back);
    m_self.setPalette(palette);
    m_self.update();
    m_coloursApplied = true;
}

void Control::setFontSize(double points)
{
    if (points == m_fontPoints && m_fontApplied) return;
    m_fontPoints = points;
    applyFont();
}

void Control::setFontBold(bool bold)
{
    m_fontBold = bold;
    applyFont();
}

void Control::setFontSpec(const QString& designName, double points, bool bold)
{
    m_fontName = designName;
    m_fontPoints = points;
    m_fontBold = bold;
    applyFont();
}

void Control::applyFont()
{
    m_self.setFont(makeFont(m_fontName, m_fontPoints, m_fontBold));
    m_self.update();
    m_fontApplied = true;
}

bool Control::visible() const
{
    return !m_self.isHidden();
}

} // namespace qm::ui
