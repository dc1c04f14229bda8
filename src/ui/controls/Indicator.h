#pragma once
// Painting shared by check boxes and option buttons: the indicator at the
// left, the caption wrapped beside it, the whole control clickable.
#include <QRect>
#include <QString>
#include <QStyle>

class QAbstractButton;

namespace qm::ui::indicator {

inline constexpr int kSize = 12;    // indicator square, pixels
inline constexpr int kSpacing = 3;  // between indicator and caption

QRect indicatorRect(const QRect& widgetRect);
QRect captionRect(const QRect& widgetRect);
bool captionFits(const QAbstractButton& button, const QString& caption);
void paint(QAbstractButton& button, QStyle::PrimitiveElement indicator, const QString& caption,
           const QColor& background, const QColor& text);

} // namespace qm::ui::indicator
