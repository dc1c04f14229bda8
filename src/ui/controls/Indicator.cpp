#include "ui/controls/Indicator.h"

#include "ui/controls/Colour.h"
#include "ui/controls/TextLayout.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleOptionButton>

namespace qm::ui::indicator {

QRect indicatorRect(const QRect& r)
{
    return QRect(r.left(), r.top() + (r.height() - kSize) / 2, kSize, kSize);
}

QRect captionRect(const QRect& r)
{
    const int x = r.left() + kSize + kSpacing;
    return QRect(x, r.top(), r.right() - x + 1, r.height());
}

bool captionFits(const QAbstractButton& button, const QString& caption)
{
    if (caption.isEmpty())
        return true;
    const QRect box = captionRect(button.rect());
    return wrappedTextFits(QFontMetricsF(button.font()), caption, QSizeF(box.size()));
}

void paint(QAbstractButton& button, QStyle::PrimitiveElement element, const QString& caption,
           const QColor& background, const QColor& text)
{
    QPainter painter(&button);
    painter.fillRect(button.rect(), background);

    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = indicatorRect(button.rect());
    // The indicator keeps the theme's box colours whatever the control's
    // background.
    const QPalette theme = QGuiApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        option.palette.setColor(group, QPalette::Base, theme.color(group, QPalette::Base));
        option.palette.setColor(group, QPalette::Text, theme.color(group, QPalette::Text));
        option.palette.setColor(group, QPalette::Window, theme.color(group, QPalette::Window));
    }
    option.state |= button.isChecked() ? QStyle::State_On : QStyle::State_Off;
    if (button.isDown())
        option.state |= QStyle::State_Sunken;
    button.style()->drawPrimitive(element, &option, &painter, &button);

    if (!caption.isEmpty()) {
        // A disabled caption is drawn in the window's grey: the theme's own
        // disabled text colour all but vanishes on the grey panels.
        const QColor pen = button.isEnabled() ? text : toQColor(kGrey);
        painter.setPen(pen);
        drawWrappedText(painter, captionRect(button.rect()), caption,
                        Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (button.hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(&button);
        focus.rect = caption.isEmpty() ? indicatorRect(button.rect()).adjusted(-1, -1, 1, 1)
                                       : captionRect(button.rect()).adjusted(-1, 0, 0, 0);
        button.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, &button);
    }
}

} // namespace qm::ui::indicator
