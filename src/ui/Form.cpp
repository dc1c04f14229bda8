#include "ui/Form.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <cmath>

// Resources live in the window library; a static library needs its resource
// initialiser called by name, from the global namespace.
static void initFormResources()
{
    Q_INIT_RESOURCE(form);
}

namespace qm::ui {

namespace {
constexpr int kTwips = Form::kTwipsPerPixel;
} // namespace

Form::Form(QWidget* parent) : QMainWindow(parent)
{
    initFormResources();
    setWindowTitle(QStringLiteral("QM7410-1/-3 DAISY CHAIN MULTICELL MONITOR GUI"));
    setWindowIcon(QIcon(QStringLiteral(":/form/icon.png")));

    m_canvas = new QWidget(this);
    m_canvas->setObjectName(QStringLiteral("Form1"));
    m_canvas->setAutoFillBackground(true);
    QPalette palette = m_canvas->palette();
    palette.setColor(QPalette::Window, toQColor(kWindowGrey));
    m_canvas->setPalette(palette);
    setCentralWidget(m_canvas);

    buildMenus();
    // Window-level controls first from the left edge; within each group the
    // tabs and shapes that sit behind a control are created before it.
    buildBoardColumn();
    buildCellPanels();
    buildRegisterPanel();
    buildLegend();
    buildFlagPanel();
    buildTransferPanel();
    buildSelfTestPanel();
    buildBoardSelection();
    buildGrid();
    buildIoModePanel();
    buildTemperaturePanel();
    buildVoltageLimitsPanel();
    buildReadPanel();
    buildDiagnosticPanel();
    buildCommandColumn();
    buildIdentification();
    buildKeepAlive();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyWindowSize();
}

Form::~Form() = default;

void Form::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QStringLiteral("&Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    mnuDatalog = menuBar()->addMenu(QStringLiteral("Datalog"));
    mnuDatalog->setObjectName(QStringLiteral("mnuDatalog"));
    mnuCreateNewSetup = mnuDatalog->addAction(QStringLiteral("Create New Setup"));
    mnuCreateNewSetup->setObjectName(QStringLiteral("mnuCreateNewSetup"));
    mnuUsePreviousSetup = mnuDatalog->addAction(QStringLiteral("Use Previous Setup"));
    mnuUsePreviousSetup->setObjectName(QStringLiteral("mnuUsePreviousSetup"));
    mnuUsePreviousSetup->setEnabled(false);
    mnuViewLastDatalog = mnuDatalog->addAction(QStringLiteral("View Last Datalog"));
    mnuViewLastDatalog->setObjectName(QStringLiteral("mnuViewLastDatalog"));
    mnuViewLastDatalog->setEnabled(false);
}

template <typename T>
T* Form::add(QWidget* parent, const QString& name, int index, const Bounds& bounds,
             const FontSpec& font)
{
    auto* control = new T(parent, name, index);
    control->setFontSpec(QString::fromLatin1(font.name), font.points, font.bold);
    control->setBounds(bounds);
    m_controls.push_back(control);
    return control;
}

Frame* Form::addFrame(const QString& name, int index, const Bounds& bounds, const QString& caption,
                      const FontSpec& font)
{
    auto* frame = add<Frame>(m_canvas, name, index, bounds, font);
    frame->setCaption(caption);
    return frame;
}

CommandButton* Form::addButton(QWidget* parent, const QString& name, int index,
                               const Bounds& bounds, const QString& caption, const QString& tip,
                               const FontSpec& font)
{
    auto* button = add<CommandButton>(parent, name, index, bounds, font);
    button->setCaption(caption);
    button->setToolTip(tip);
    return button;
}

CheckBox* Form::addCheck(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                         const QString& caption, const FontSpec& font)
{
    auto* box = add<CheckBox>(parent, name, index, bounds, font);
    box->setCaption(caption);
    return box;
}

OptionButton* Form::addOption(QWidget* parent, const QString& name, int index,
                              const Bounds& bounds, const QString& caption, const FontSpec& font)
{
    auto* option = add<OptionButton>(parent, name, index, bounds, font);
    option->setCaption(caption);
    return option;
}

TextBox* Form::addText(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                       const QString& text, const FontSpec& font)
{
    auto* box = add<TextBox>(parent, name, index, bounds, font);
    box->setText(text);
    box->setCursorPosition(0);
    return box;
}

Label* Form::addLabel(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                      const QString& caption, const FontSpec& font)
{
    auto* label = add<Label>(parent, name, index, bounds, font);
    label->setCaption(caption);
    return label;
}

Shape* Form::addShape(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                      Shape::Kind kind, int fill, int border, int borderWidth)
{
    auto* shape = add<Shape>(parent, name, index, bounds, kTextFont);
    shape->setKind(kind);
    shape->setFillColor(fill);
    shape->setBorderColor(border);
    shape->setBorderWidth(borderWidth);
    return shape;
}

Line* Form::addLine(QWidget* parent, const QString& name, int index, int x1, int y1, int x2,
                    int y2)
{
    auto* line = new Line(parent, name, index);
    line->setEnds(x1, y1, x2, y2);
    m_controls.push_back(line);
    return line;
}

CheckBox* Form::maskBox(int cell) const
{
    if (cell >= 1 && cell <= 4)
        return Check2[static_cast<std::size_t>(cell + 3)];
    if (cell >= 5 && cell <= 12)
        return Check3[static_cast<std::size_t>(cell - 5)];
    return nullptr;
}

CheckBox* Form::dccBox(int cell) const
{
    if (cell >= 1 && cell <= 8)
        return Check1[static_cast<std::size_t>(cell - 1)];
    if (cell >= 9 && cell <= 12)
        return Check2[static_cast<std::size_t>(cell - 9)];
    return nullptr;
}

Control* Form::control(const QString& displayName) const
{
    for (Control* c : m_controls) {
        if (c->displayName() == displayName)
            return c;
    }
    return nullptr;
}

void Form::setWindowWidthTwips(int twips)
{
    m_widthTwips = std::clamp(twips, 15, 15 * 8000);
    applyWindowSize();
}

void Form::setWindowHeightTwips(int twips)
{
    m_heightTwips = std::clamp(twips, 15, 15 * 8000);
    applyWindowSize();
}

void Form::applyWindowSize()
{
    const int width = static_cast<int>(std::lround(static_cast<double>(m_widthTwips) / kTwips));
    const int height = static_cast<int>(std::lround(static_cast<double>(m_heightTwips) / kTwips));
    m_canvas->setFixedSize(width, height);
    // The rule at the bottom spans the window at any width.
    if (Line1)
        Line1->setEnds(0, Line1->y1(), width, Line1->y2());
    if (layout())
        layout()->activate();
}

QImage Form::screenshot()
{
    ensurePolished();
    if (layout())
        layout()->activate();
    return grab().toImage();
}

} // namespace qm::ui

namespace qm::ui {
// The builders in the other Form files create these kinds directly.
template MultiLineTextBox* Form::add<MultiLineTextBox>(QWidget*, const QString&, int,
                                                       const Bounds&, const FontSpec&);
template Picture* Form::add<Picture>(QWidget*, const QString&, int, const Bounds&,
                                     const FontSpec&);
template ComboBox* Form::add<ComboBox>(QWidget*, const QString&, int, const Bounds&,
                                       const FontSpec&);
} // namespace qm::ui
