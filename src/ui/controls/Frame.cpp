#include "ui/controls/Frame.h"

#include "ui/controls/Colour.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace qm::ui {

namespace {
constexpr int kCaptionIndent = 6;
constexpr int kCaptionPadding = 2;
} // namespace

Frame::Frame(QWidget* parent, const QString& name, int index)
    : QWidget(parent), Control(*this, name, index)
{
    setAutoFillBackground(true);
    applyColours();
}

void Frame::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

bool Frame::captionFits() const
{
    const QFontMetricsF metrics(font());
    const qreal room = width() - 2 * (kCaptionIndent + kCaptionPadding);
    return metrics.horizontalAdvance(m_caption.trimmed()) <= room;
}

void Frame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    const int captionHeight = static_cast<int>(std::ceil(metrics.height()));
    const int edgeY = captionHeight / 2;

    // Etched edge: a dark line with a light line just inside it.
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QRect edge(0, edgeY, width() - 2, height() - edgeY - 2);
    painter.setPen(dark);
    painter.drawRect(edge);
    painter.setPen(light);
    painter.drawRect(edge.translated(1, 1));

    const QString text = m_caption;
    if (text.isEmpty())
        return;
    const int textWidth = static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
    const QRect captionRect(kCaptionIndent, 0, textWidth + 2 * kCaptionPadding, captionHeight);
    painter.fillRect(captionRect, toQColor(backColor()));
    painter.setPen(toQColor(foreColor()));
    painter.drawText(captionRect.adjusted(kCaptionPadding, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace qm::ui
