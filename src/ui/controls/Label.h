#pragma once
// A label: a caption that wraps at blanks within the label's width, on an
// opaque background (or a transparent one), left, centre or right aligned,
// optionally with a fixed line pitch so its lines follow a grid.
#include "ui/controls/Control.h"

#include <QWidget>

namespace qm::ui {

class Label : public QWidget, public Control {
    Q_OBJECT
public:
    enum class Alignment { Left, Center, Right };

    Label(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return m_caption; }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

    Alignment alignment() const { return m_alignment; }
    void setAlignment(Alignment alignment);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    bool bordered() const { return m_bordered; }
    void setBordered(bool bordered);
    int fixedLinePitch() const { return m_pitch; }
    void setFixedLinePitch(int pixels);

signals:
    void operatorClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect textRect() const;
    QString m_caption;
    Alignment m_alignment = Alignment::Left;
    bool m_transparent = false;
    bool m_bordered = false;
    int m_pitch = 0;
};

} // namespace qm::ui
