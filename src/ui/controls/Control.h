#pragma once
// The common part of every control of the window: its name and index in its
// control array, its geometry in the parent's units, its colours as colour
// numbers, its font, and its caption.
//
// A control placed on the window measures in pixels; a control inside a
// panel (Frame) measures in the panel's units, fifteen per pixel. The values
// set are kept as given and converted to pixels once, so reading a property
// back returns exactly what was set.
#include <QString>

class QWidget;

namespace qm::ui {

inline constexpr int kPanelUnitsPerPixel = 15;

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

class Control {
public:
    // name is the control's window name ("Command1"); index its element in
    // the control array, or -1 for a control that is not in an array.
    Control(QWidget& self, QString name, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const QString& name() const { return m_name; }
    int index() const { return m_index; }
    QString displayName() const; // "Command1(7)" or "Text8"

    QWidget& widget() { return m_self; }
    const QWidget& widget() const { return m_self; }

    // Geometry in the parent's units.
    Bounds bounds() const { return m_bounds; }
    virtual void setBounds(const Bounds& bounds);
    int left() const { return m_bounds.left; }
    int top() const { return m_bounds.top; }
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    int unitsPerPixel() const;

    // Colours as colour numbers.
    int backColor() const { return m_backColour; }
    void setBackColor(int colourNumber);
    int foreColor() const { return m_foreColour; }
    void setForeColor(int colourNumber);

    // Font: design name, size in points, weight.
    double fontSize() const { return m_fontPoints; }
    void setFontSize(double points);
    bool fontBold() const { return m_fontBold; }
    void setFontBold(bool bold);
    QString fontName() const { return m_fontName; }
    void setFontSpec(const QString& designName, double points, bool bold);

    // The control's own visible flag (true even while its window is not
    // shown yet); set it with QWidget::setVisible.
    bool visible() const;

    // Caption of buttons, boxes, labels and panels; the text of text boxes.
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    // True when the caption is readable in full at the control's size.
    virtual bool captionFits() const { return true; }

protected:
    virtual void applyColours();
    // Pixel rectangle of the bounds within the parent.
    void applyGeometry();

private:
    void applyFont();

    QWidget& m_self;
    QString m_name;
    int m_index;
    Bounds m_bounds;
    int m_backColour;
    int m_foreColour;
    bool m_coloursApplied = false; // the palette carries the two colours
    bool m_geometryApplied = false;
    bool m_fontApplied = false;
    QString m_fontName = QStringLiteral("Arial");
    double m_fontPoints = 8.25;
    bool m_fontBold = false;
};

// Pixel rectangle of a rectangle given in a parent's units; edges are rounded
// separately so that controls that touch in units touch in pixels.
struct PixelRect {
    int x, y, width, height;
};
PixelRect toPixels(const Bounds& bounds, int unitsPerPixel);

} // namespace qm::ui
