#include "ui/controls/CommandButton.h"

#include "ui/controls/Colour.h"
#include "ui/controls/TextLayout.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace qm::ui {

CommandButton::CommandButton(QWidget* parent, const QString& name, int index)
    : QPushButton(parent), Control(*this, name, index)
{
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    setBackColor(kSysButtonFaceColour);
    setForeColor(kSysButtonTextColour);
    connect(this, &QAbstractButton::clicked, this, [this] { emit operatorClicked(this->index()); });
}

void CommandButton::setCaption(const QString& caption)
{
    setText(caption);
    update();
}

void CommandButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

QSize CommandButton::sizeHint() const
{
    return size();
}

void CommandButton::applyColours()
{
    QPalette pal = palette();
    const QColor face = toQColor(backColor());
    const QColor text = toQColor(foreColor());
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Button, face);
        pal.setColor(group, QPalette::ButtonText, text);
    }
    pal.setColor(QPalette::Disabled, QPalette::Button, face);
    setPalette(pal);
    update();
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && mods == Qt::NoModifier) {
        // A held key does not press the button again and again.
        if (!event->isAutoRepeat() && isEnabled()) click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QRect CommandButton::captionRect() const
{
    // Two pixels for the bevel on each side, one above and below.
    return rect().adjusted(2, 1, -2, -1);
}

bool CommandButton::captionFits() const
{
    if (text().isEmpty())
        return true;
    const QRect box = captionRect();
    return wrappedTextFits(QFontMetricsF(font()), text(), QSizeF(box.size()));
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    if (!m_picture.isNull()) {
        const QPixmap& pix = m_picture;
        const QPoint at((width() - pix.width()) / 2, (height() - pix.height()) / 2);
        if (isEnabled()) {
            painter.drawPixmap(at, pix);
        } else {
            painter.setOpacity(0.4);
            painter.drawPixmap(at, pix);
            painter.setOpacity(1.0);
        }
    }

    if (!text().isEmpty()) {
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
        painter.setPen(palette().color(group, QPalette::ButtonText));
        drawWrappedText(painter, captionRect(), text(), Qt::AlignHCenter | Qt::AlignVCenter);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace qm::ui
