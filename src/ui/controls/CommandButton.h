#pragma once
// A command button. Its caption wraps at blanks and is centred; a button may
// show a picture (the small arrow buttons) instead of a caption.
#include "ui/controls/Control.h"

#include <QPixmap>
#include <QPushButton>

namespace qm::ui {

class CommandButton : public QPushButton, public Control {
    Q_OBJECT
public:
    CommandButton(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return text(); }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);

    QSize sizeHint() const override;

signals:
    // The operator pressed the button (mouse or keyboard), or code called
    // click().
    void operatorClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Enter and Return press the focused button exactly as a click does (the
    // focus chains hand the operator from one command to the next); no button
    // is a dialog default that could fire from elsewhere.
    void keyPressEvent(QKeyEvent* event) override;
    void applyColours() override;

private:
    QRect captionRect() const;
    QPixmap m_picture;
};

} // namespace qm::ui
