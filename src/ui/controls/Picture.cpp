#include "ui/controls/Picture.h"

#include "ui/controls/Colour.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm::ui {

Picture::Picture(QWidget* parent, const QString& name, int index)
    : QWidget(parent), Control(*this, name, index)
{
    applyColours();
}

void Picture::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void Picture::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void Picture::setBordered(bool bordered)
{
    m_bordered = bordered;
    update();
}

void Picture::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void Picture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = m_bordered ? rect().adjusted(2, 2, -2, -2) : rect();
    if (!m_transparent)
        painter.fillRect(rect(), toQColor(backColor()));
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (m_stretch) {
            painter.drawPixmap(inner, m_picture);
        } else {
            const QPoint at(inner.left() + (inner.width() - m_picture.width()) / 2,
                            inner.top() + (inner.height() - m_picture.height()) / 2);
            painter.drawPixmap(at, m_picture);
        }
    }
    if (m_bordered) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.drawLine(0, 0, 0, height() - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(width() - 1, 1, width() - 1, height() - 1);
        painter.drawLine(1, height() - 1, width() - 1, height() - 1);
    }
}

void Picture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit operatorClicked(index());
    QWidget::mouseReleaseEvent(event);
}

} // namespace qm::ui
