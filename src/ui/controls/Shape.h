#pragma once
// Shapes and lines: painted indicators that take no input (the mouse passes
// through them to whatever lies behind or in front).
//
// A square or circle is the largest one centred in the shape's bounds; the
// outline is drawn inside the bounds.
#include "ui/controls/Control.h"

#include <QWidget>

namespace qm::ui {

class Shape : public QWidget, public Control {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Square, Oval, Circle, RoundedRectangle, RoundedSquare };
    enum class FillStyle { Solid, Transparent };

    Shape(QWidget* parent, const QString& name, int index = -1, Kind kind = Kind::Rectangle);

    QString caption() const override { return {}; }
    void setCaption(const QString&) override {}

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    int fillColor() const { return m_fillColour; }
    void setFillColor(int colourNumber);
    FillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(FillStyle style);
    // Outline colour and width in pixels; width 0 draws no outline.
    int borderColor() const { return m_borderColour; }
    void setBorderColor(int colourNumber);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int pixels);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    int m_fillColour;
    FillStyle m_fillStyle = FillStyle::Solid;
    int m_borderColour;
    int m_borderWidth = 1;
};

// A straight line between two points given in the parent's units.
class Line : public QWidget, public Control {
    Q_OBJECT
public:
    Line(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return {}; }
    void setCaption(const QString&) override {}

    int x1() const { return m_x1; }
    int y1() const { return m_y1; }
    int x2() const { return m_x2; }
    int y2() const { return m_y2; }
    void setEnds(int x1, int y1, int x2, int y2);
    // Moves the ends into the given box: (left, top) to (left + width, top + height).
    void setBounds(const Bounds& bounds) override;

    int borderColor() const { return m_borderColour; }
    void setBorderColor(int colourNumber);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int pixels);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();
    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    int m_borderColour;
    int m_borderWidth = 1;
};

} // namespace qm::ui
