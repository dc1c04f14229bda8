#pragma once
// Fonts and caption wrapping shared by the controls.
//
// Captions wrap the way the window's captions always have: only at blanks,
// the blanks at a break hang at the end of the line (they take no room), a
// line break in the text ("\r\n" or "\n") always breaks, and a word wider
// than the control is not split (it overflows, which captionFits reports).
#include <QFont>
#include <QFontMetricsF>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace qm::ui {

// Family used for a font name of the window design: Arial and MS Sans Serif
// become the metric-compatible "Liberation Sans".
QString fontFamilyFor(const QString& designName);

// Pixel size of a point size on the 96 dots-per-inch grid the window was laid
// out on (8.25 pt is 11 px, 9.75 pt 13 px), so the layout does not depend on
// the screen's resolution.
int pixelSizeForPoints(double points);

QFont makeFont(const QString& designName, double points, bool bold);

struct WrappedText {
    QStringList lines; // each line without its hanging blanks
    qreal widest = 0;  // widest line, in pixels
};

WrappedText wrapWords(const QFontMetricsF& metrics, const QString& text, qreal width);

// Height of one line of text, and the pitch of wrapped lines (the line
// height unless a fixed pitch is given).
int lineHeight(const QFontMetricsF& metrics);
int linePitch(const QFontMetricsF& metrics, int fixedPitch = 0);

// True when the wrapped text fits a box of the given size.
bool wrappedTextFits(const QFontMetricsF& metrics, const QString& text, QSizeF box,
                     int fixedPitch = 0);

// Paints wrapped text into rect; horizontal alignment from flags
// (Qt::AlignLeft, AlignHCenter, AlignRight), vertically at the top unless
// Qt::AlignVCenter is given.
void drawWrappedText(QPainter& painter, const QRect& rect, const QString& text, int alignment,
                     int fixedPitch = 0);

} // namespace qm::ui
