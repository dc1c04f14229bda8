#include "ui/controls/Label.h"

#include "ui/controls/Colour.h"
#include "ui/controls/TextLayout.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm::ui {

Label::Label(QWidget* parent, const QString& name, int index)
    : QWidget(parent), Control(*this, name, index)
{
    // An opaque label paints every pixel of its rectangle, so whatever lies
    // below it need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    applyColours();
}

void Label::setCaption(const QString& caption)
{
    if (caption == m_caption) return;
    m_caption = caption;
    update();
}

void Label::setAlignment(Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void Label::setTransparent(bool transparent)
{
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

void Label::setBordered(bool bordered)
{
    m_bordered = bordered;
    update();
}

void Label::setFixedLinePitch(int pixels)
{
    m_pitch = pixels;
    update();
}

QRect Label::textRect() const
{
    return m_bordered ? rect().adjusted(2, 1, -2, -1) : rect();
}

bool Label::captionFits() const
{
    const QRect box = textRect();
    return wrappedTextFits(QFontMetricsF(font()), m_caption, QSizeF(box.size()), m_pitch);
}

void Label::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), toQColor(backColor()));
    if (m_bordered) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    const int horizontal = m_alignment == Alignment::Center  ? Qt::AlignHCenter
                           : m_alignment == Alignment::Right ? Qt::AlignRight
                                                             : Qt::AlignLeft;
    painter.setPen(isEnabled() ? toQColor(foreColor())
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    drawWrappedText(painter, textRect(), m_caption, horizontal, m_pitch);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit operatorClicked(index());
    QWidget::mouseReleaseEvent(event);
}

} // namespace qm::ui
