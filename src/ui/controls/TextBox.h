#pragma once
// Text boxes: a single-line box (TextBox) and a multi-line box
// (MultiLineTextBox). Both keep their text exactly as set; a box can be
// locked (read-only) so that the operator cannot type into it.
//
// The single-line box offers what an entry box needs: signals when the input
// focus enters and leaves it (not when the whole window is deactivated), a
// key filter that sees every character key before the box does and may
// discard it, and the insertion point.
#include "ui/controls/Control.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

namespace qm::ui {

class TextBox : public QLineEdit, public Control {
    Q_OBJECT
public:
    // Receives the character code of a key (8 Backspace, 13 Enter, 27 Escape,
    // otherwise the character typed) and returns false to discard the key.
    using KeyFilter = std::function<bool(int index, int keyCode)>;

    TextBox(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return text(); }
    // Unchanged text is not set again: that would relayout the box and move
    // its insertion point for nothing.
    void setCaption(const QString& caption) override
    {
        if (caption != text()) setText(caption);
    }
    bool captionFits() const override;

    bool locked() const { return isReadOnly(); }
    // A locked box paints every pixel itself (see paintEvent).
    void setLocked(bool locked)
    {
        setReadOnly(locked);
        setAttribute(Qt::WA_OpaquePaintEvent, locked);
    }

    void setKeyFilter(KeyFilter filter) { m_keyFilter = std::move(filter); }

    // Insertion point: characters before the caret.
    int selStart() const { return cursorPosition(); }
    void setSelStart(int position);

    // Character code a key press delivers to the key filter, or -1 for keys
    // that type nothing (arrows, Delete, function keys).
    static int keyCodeOf(const QKeyEvent& event);

signals:
    void focusEntered(int index);
    void focusLeft(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    KeyFilter m_keyFilter;
};

class MultiLineTextBox : public QPlainTextEdit, public Control {
    Q_OBJECT
public:
    MultiLineTextBox(QWidget* parent, const QString& name, int index = -1);

    QString text() const { return m_text; }
    void setText(const QString& text);
    QString caption() const override { return m_text; }
    void setCaption(const QString& caption) override { setText(caption); }
    bool captionFits() const override;

    bool locked() const { return isReadOnly(); }
    void setLocked(bool locked);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSizeF textRoom() const;
    void rewrap();
    QString m_text;
    bool m_rewrapping = false;
};

} // namespace qm::ui
