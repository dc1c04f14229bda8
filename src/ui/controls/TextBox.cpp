#include "ui/controls/TextBox.h"

#include "ui/controls/Colour.h"
#include "ui/controls/TextLayout.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QTextDocument>

namespace qm::ui {

namespace {

bool countsAsFocusChange(const QFocusEvent& event)
{
    // Switching to another window or opening a popup does not move the input
    // focus within the window.
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

} // namespace

TextBox::TextBox(QWidget* parent, const QString& name, int index)
    : QLineEdit(parent), Control(*this, name, index)
{
    setBackColor(kWhite);
    setForeColor(kSysWindowTextColour);
    setFrame(true);
    setTextMargins(0, 0, 0, 0);
}

bool TextBox::captionFits() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    // QLineEdit keeps two pixels clear on each side of the text.
    const qreal room = contents.width() - 4;
    // The box shows control characters (a line break) as blanks; blanks at
    // the end need no room to be read.
    QString shown = displayText();
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    while (shown.endsWith(QLatin1Char(' ')))
        shown.chop(1);
    const QFontMetricsF metrics(font());
    return metrics.horizontalAdvance(shown) <= room && lineHeight(metrics) <= contents.height();
}

// A locked box only shows a value, and the window rewrites dozens of them on
// every timer tick; it is painted directly (fill, sunken edge, text) instead
// of through the style's editor, at a fraction of the cost. Every pixel is
// painted, so nothing behind the box needs painting first.
void TextBox::paintEvent(QPaintEvent* event)
{
    if (!isReadOnly()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, toQColor(backColor()));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Midlight));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(toQColor(foreColor()));
    painter.setFont(font());
    QString shown = displayText();
    for (QChar& c : shown)
        if (c.unicode() < 0x20) c = QLatin1Char(' ');
    const Qt::Alignment h = alignment() & Qt::AlignHorizontal_Mask;
    painter.drawText(r.adjusted(3, 0, -3, 0), static_cast<int>(h) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void TextBox::setSelStart(int position)
{
    setCursorPosition(std::clamp(position, 0, static_cast<int>(text().size())));
}

int TextBox::keyCodeOf(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    default:
        break;
    }
    const QString typed = event.text();
    if (typed.isEmpty())
        return -1;
    const int code = typed.at(0).unicode();
    return code == 127 ? -1 : code;
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const int code = keyCodeOf(*event);
    if (code >= 0 && m_keyFilter && !m_keyFilter(index(), code)) {
        event->accept(); // discarded: the box never sees it
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (countsAsFocusChange(*event))
        emit focusEntered(index());
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (countsAsFocusChange(*event))
        emit focusLeft(index());
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent, const QString& name, int index)
    : QPlainTextEdit(parent), Control(*this, name, index)
{
    setBackColor(kWhite);
    setForeColor(kSysWindowTextColour);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
    setLocked(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_rewrapping && !isReadOnly())
            m_text = toPlainText();
    });
}

void MultiLineTextBox::setText(const QString& text)
{
    if (text == m_text) return;
    m_text = text;
    rewrap();
}

void MultiLineTextBox::setLocked(bool locked)
{
    setReadOnly(locked);
    // A locked box wraps its text at blanks only, like every caption; an
    // editable one leaves wrapping to the editor.
    setLineWrapMode(locked ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    rewrap();
}

void MultiLineTextBox::rewrap()
{
    m_rewrapping = true;
    if (isReadOnly()) {
        const WrappedText wrapped = wrapWords(QFontMetricsF(font()), m_text, textRoom().width());
        setPlainText(wrapped.lines.join(QLatin1Char('\n')));
    } else {
        QString plain = m_text;
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        setPlainText(plain);
    }
    m_rewrapping = false;
}

QSizeF MultiLineTextBox::textRoom() const
{
    // From the box's own size: the viewport is laid out only once shown.
    const qreal margin = document()->documentMargin();
    const QRect inside = contentsRect();
    return QSizeF(inside.width() - 2 * margin, inside.height() - 2 * margin);
}

bool MultiLineTextBox::captionFits() const
{
    return wrappedTextFits(QFontMetricsF(font()), m_text, textRoom());
}

void MultiLineTextBox::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && isReadOnly())
        rewrap();
}

void MultiLineTextBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    if (isReadOnly())
        rewrap();
}

} // namespace qm::ui
