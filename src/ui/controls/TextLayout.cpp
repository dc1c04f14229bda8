#include "ui/controls/TextLayout.h"

#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qm::ui {

QString fontFamilyFor(const QString& designName)
{
    const QString name = designName.trimmed();
    if (name.isEmpty() || name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return name;
}

int pixelSizeForPoints(double points)
{
    if (!(points > 0.0)) // also catches NaN
        points = 8.25;
    return std::max(1, static_cast<int>(std::lround(std::min(points, 200.0) * 96.0 / 72.0)));
}

QFont makeFont(const QString& designName, double points, bool bold)
{
    QFont font(fontFamilyFor(designName));
    font.setPixelSize(pixelSizeForPoints(points));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

namespace {

QString withoutTrailingBlanks(const QString& line)
{
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
        --end;
    return line.left(end);
}

void wrapParagraph(const QFontMetricsF& metrics, const QString& text, qreal width,
                   WrappedText& out)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    do {
        // The line always takes its first word, leading blanks included.
        qsizetype end = start;
        while (end < n && text.at(end) == QLatin1Char(' '))
            ++end;
        while (end < n && text.at(end) != QLatin1Char(' '))
            ++end;
        // Then as many further words as fit.
        while (end < n) {
            qsizetype next = end;
            while (next < n && text.at(next) == QLatin1Char(' '))
                ++next;
            if (next == n) { // only blanks left: they hang on this line
                end = n;
                break;
            }
            while (next < n && text.at(next) != QLatin1Char(' '))
                ++next;
            if (metrics.horizontalAdvance(text.mid(start, next - start)) > width)
                break;
            end = next;
        }
        const QString line = withoutTrailingBlanks(text.mid(start, end - start));
        out.widest = std::max(out.widest, metrics.horizontalAdvance(line));
        out.lines.append(line);
        // The blanks at the break hang on the line just ended.
        start = end;
        while (start < n && text.at(start) == QLatin1Char(' '))
            ++start;
    } while (start < n);
}

} // namespace

WrappedText wrapWords(const QFontMetricsF& metrics, const QString& text, qreal width)
{
    WrappedText out;
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs)
        wrapParagraph(metrics, paragraph, width, out);
    return out;
}

int lineHeight(const QFontMetricsF& metrics)
{
    return static_cast<int>(std::lround(metrics.height()));
}

int linePitch(const QFontMetricsF& metrics, int fixedPitch)
{
    // Lines follow each other without extra leading, as the window's
    // captions always have.
    return fixedPitch > 0 ? fixedPitch : lineHeight(metrics);
}

bool wrappedTextFits(const QFontMetricsF& metrics, const QString& text, QSizeF box,
                     int fixedPitch)
{
    if (text.isEmpty())
        return true;
    const WrappedText wrapped = wrapWords(metrics, text, box.width());
    const qreal pitch = linePitch(metrics, fixedPitch);
    // The last line needs only the font's height, not a full pitch.
    const qreal height = pitch * (wrapped.lines.size() - 1) + lineHeight(metrics);
    return wrapped.widest <= box.width() + 0.01 && height <= box.height() + 0.01;
}

namespace {
// Wrapping measures every word, and the same captions are painted again and
// again (the window repaints on every timer tick), so lines are kept per text,
// width and font. Only the window's thread paints; the cache is bounded.
const WrappedText& cachedWrap(const QFont& font, const QString& text, int width)
{
    static QHash<QString, WrappedText> cache;
    const QString key = font.key() + QLatin1Char('\x1f') + QString::number(width) + QLatin1Char('\x1f') + text;
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    if (cache.size() > 4096) cache.clear();
    return *cache.insert(key, wrapWords(QFontMetricsF(font), text, width));
}
} // namespace

void drawWrappedText(QPainter& painter, const QRect& rect, const QString& text, int alignment,
                     int fixedPitch)
{
    const QFontMetricsF metrics(painter.font());
    const WrappedText& wrapped = cachedWrap(painter.font(), text, rect.width());
    const int pitch = linePitch(metrics, fixedPitch);
    const int height = lineHeight(metrics);
    const int total = pitch * static_cast<int>(wrapped.lines.size() - 1) + height;
    int y = rect.top();
    if (alignment & Qt::AlignVCenter)
        y += (rect.height() - total) / 2;
    const int horizontal = alignment & Qt::AlignHorizontal_Mask;
    for (const QString& line : wrapped.lines) {
        painter.drawText(QRect(rect.left(), y, rect.width(), height),
                         horizontal | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, line);
        y += pitch;
    }
}

} // namespace qm::ui
