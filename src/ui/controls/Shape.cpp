#include "ui/controls/Shape.h"

#include "ui/controls/Colour.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qm::ui {

Shape::Shape(QWidget* parent, const QString& name, int index, Kind kind)
    : QWidget(parent), Control(*this, name, index), m_kind(kind), m_fillColour(kWhite),
      m_borderColour(kBlack)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void Shape::setKind(Kind kind)
{
    m_kind = kind;
    update();
}

void Shape::setFillColor(int colourNumber)
{
    if (m_fillColour == colourNumber) return;
    m_fillColour = colourNumber;
    update();
}

void Shape::setFillStyle(FillStyle style)
{
    if (m_fillStyle == style) return;
    m_fillStyle = style;
    update();
}

void Shape::setBorderColor(int colourNumber)
{
    if (m_borderColour == colourNumber) return;
    m_borderColour = colourNumber;
    update();
}

void Shape::setBorderWidth(int pixels)
{
    m_borderWidth = std::clamp(pixels, 0, 64);
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool round = m_kind == Kind::Oval || m_kind == Kind::Circle;
    if (round || m_kind == Kind::RoundedRectangle || m_kind == Kind::RoundedSquare)
        painter.setRenderHint(QPainter::Antialiasing);

    QRectF box(rect());
    if (m_kind == Kind::Square || m_kind == Kind::Circle || m_kind == Kind::RoundedSquare) {
        const qreal side = std::min(box.width(), box.height());
        box = QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    }
    const qreal inset = m_borderWidth / 2.0;
    box.adjust(inset, inset, -inset, -inset);

    if (m_borderWidth > 0) {
        QPen pen(toQColor(m_borderColour), m_borderWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(m_fillStyle == FillStyle::Solid ? QBrush(toQColor(m_fillColour)) : QBrush());

    switch (m_kind) {
    case Kind::Rectangle:
    case Kind::Square:
        painter.drawRect(box);
        break;
    case Kind::Oval:
    case Kind::Circle:
        painter.drawEllipse(box);
        break;
    case Kind::RoundedRectangle:
    case Kind::RoundedSquare: {
        const qreal radius = std::min(box.width(), box.height()) / 4;
        painter.drawRoundedRect(box, radius, radius);
        break;
    }
    }
}

Line::Line(QWidget* parent, const QString& name, int index)
    : QWidget(parent), Control(*this, name, index), m_borderColour(kSysWindowTextColour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void Line::setEnds(int x1, int y1, int x2, int y2)
{
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    place();
}

void Line::setBounds(const Bounds& b)
{
    setEnds(b.left, b.top, b.left + b.width, b.top + b.height);
}

void Line::setBorderColor(int colourNumber)
{
    if (m_borderColour == colourNumber) return;
    m_borderColour = colourNumber;
    update();
}

void Line::setBorderWidth(int pixels)
{
    m_borderWidth = std::clamp(pixels, 1, 64);
    place();
}

void Line::place()
{
    // The widget is the line's bounding box, widened by the pen so that the
    // whole stroke is painted.
    // Flat ends: a horizontal line needs room above and below only, a
    // vertical one at its sides only.
    const int upp = unitsPerPixel();
    const int pad = (m_borderWidth * upp + 1) / 2;
    const int padX = m_x1 == m_x2 || m_y1 != m_y2 ? pad : 0;
    const int padY = m_y1 == m_y2 || m_x1 != m_x2 ? pad : 0;
    Control::setBounds(Bounds{std::min(m_x1, m_x2) - padX, std::min(m_y1, m_y2) - padY,
                              std::abs(m_x2 - m_x1) + 2 * padX, std::abs(m_y2 - m_y1) + 2 * padY});
    update();
}

void Line::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal upp = unitsPerPixel();
    const QPointF origin(bounds().left / upp, bounds().top / upp);
    const QPointF a = QPointF(m_x1 / upp, m_y1 / upp) - origin;
    const QPointF b = QPointF(m_x2 / upp, m_y2 / upp) - origin;
    QPen pen(toQColor(m_borderColour), m_borderWidth);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    if (a.x() != b.x() && a.y() != b.y())
        painter.setRenderHint(QPainter::Antialiasing);
    painter.drawLine(a, b);
}

} // namespace qm::ui
