#pragma once
// A picture: an image drawn centred (or stretched) in the control, with an
// optional sunken border.
#include "ui/controls/Control.h"

#include <QPixmap>
#include <QWidget>

namespace qm::ui {

class Picture : public QWidget, public Control {
    Q_OBJECT
public:
    Picture(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return {}; }
    void setCaption(const QString&) override {}

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);
    bool bordered() const { return m_bordered; }
    void setBordered(bool bordered);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent);

signals:
    void operatorClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
    bool m_stretch = false;
    bool m_bordered = false;
    bool m_transparent = true;
};

} // namespace qm::ui
