// The control library: colour numbers, panel units, caption wrapping and the
// difference between the operator's clicks and changes made by code.
#include "ui/controls/Controls.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace qm::ui;

namespace {

void send(QWidget& widget, QEvent&& event) { QApplication::sendEvent(&widget, &event); }

// Records the first argument of every emission of a signal.
template <typename Sender, typename Signal>
void record(Sender& sender, Signal signal, std::vector<int>& into)
{
    QObject::connect(&sender, signal, [&into](auto first, auto...) { into.push_back(static_cast<int>(first)); });
}

} // namespace

TEST(ColourNumbers, PlainNumbersAreBlueGreenRedAndSystemColoursComeFromTheTheme)
{
    const std::pair<int, QColor> cases[] = {
        {255, QColor(255, 0, 0)}, {65280, QColor(0, 255, 0)}, {16711680, QColor(0, 0, 255)},
        {33023, QColor(255, 128, 0)}, {0x7F0000FF, QColor(255, 0, 0)}, // only the low 24 bits count
    };
    for (const auto& [number, colour] : cases) EXPECT_EQ(toQColor(number), colour) << number;
    EXPECT_EQ(colourNumber(255, 128, 0), 33023);
    EXPECT_LE(toQColor(kSysWindowTextColour).lightness(), 100) << "value boxes show light text on it";
    EXPECT_EQ(toQColor(kSysWindowColour), QApplication::palette().color(QPalette::Active, QPalette::Base));
    EXPECT_TRUE(isSystemColour(kSysWindowColour) && !isSystemColour(16777215));
}

TEST(PanelUnits, ControlsInAPanelMeasureFifteenPerPixelAndLinesKeepTheirEnds)
{
    QWidget window;
    Frame panel(&window, QStringLiteral("Frame11"));
    panel.setBounds({10, 20, 120, 200});
    EXPECT_EQ(panel.geometry(), QRect(10, 20, 120, 200));
    CommandButton inside(&panel, QStringLiteral("Command7"), 1);
    inside.setBounds({75, 2362, 1260, 400});
    EXPECT_EQ(inside.unitsPerPixel(), 15);
    EXPECT_EQ(inside.geometry(), QRect(5, 157, 84, 27)); // edges round separately: 2362 -> 157, 2762 -> 184
    inside.setTop(2330);
    inside.setHeight(500);
    EXPECT_EQ(inside.bounds(), (Bounds{75, 2330, 1260, 500})); // as set, not from the rounded pixels
    EXPECT_EQ(inside.geometry(), QRect(5, 155, 84, 34));
    // Two controls that touch in units touch in pixels.
    Shape a(&panel, QStringLiteral("Shape4"), 0), b(&panel, QStringLiteral("Shape2"), 0);
    a.setBounds({75, 360, 495, 248});
    b.setBounds({75, 608, 495, 247});
    EXPECT_EQ(a.geometry().bottom() + 1, b.geometry().top());
    EXPECT_EQ(b.geometry().bottom() + 1, 57); // 855 units
    Line line(&panel, QStringLiteral("Line10"), 0);
    line.setEnds(45, 900, 1860, 900);
    EXPECT_TRUE(line.geometry().contains(QPoint(3, 60)) && line.geometry().contains(QPoint(123, 60)));
    line.setBorderWidth(5);
    EXPECT_GE(line.geometry().height(), 5);
    // Shapes let the mouse through.
    EXPECT_TRUE(line.testAttribute(Qt::WA_TransparentForMouseEvents) && a.testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(CaptionWrapping, BreaksOnlyAtBlanksWithHangingBlanks)
{
    const QFontMetricsF metrics(makeFont(QStringLiteral("Arial"), 8.25, false));
    // "|default" stays one word although a line may break after "|" elsewhere.
    const QString first = QStringLiteral("|   Comparator Off   |   Yes   |");
    EXPECT_EQ(wrapWords(metrics, first + QStringLiteral(" |default x |"), metrics.horizontalAdvance(first) + 4).lines,
              (QStringList{first, QStringLiteral("|default x |")}));
    // Blanks at a break hang: they take no room and the next word still breaks.
    const qreal enter = metrics.horizontalAdvance(QStringLiteral("Enter VUV"));
    const WrappedText hanging = wrapWords(metrics, "Enter VUV" + QString(40, QLatin1Char(' ')) + "-0.744V", enter);
    EXPECT_EQ(hanging.lines, (QStringList{QStringLiteral("Enter VUV"), QStringLiteral("-0.744V")}));
    EXPECT_LE(hanging.widest, enter);
    // A line break always breaks; leading blanks of the text are kept.
    EXPECT_EQ(wrapWords(metrics, QStringLiteral("Set VUV\r\n  x"), 500).lines,
              (QStringList{QStringLiteral("Set VUV"), QStringLiteral("  x")}));
    // A word wider than the box is reported, not split.
    EXPECT_FALSE(wrappedTextFits(metrics, QStringLiteral("STARTOPENWIRE"), QSizeF(40, 100)));
    QWidget window;
    auto fits = [](Control& c, Bounds b) { c.setBounds(b); return c.captionFits(); };
    Label label(&window, QStringLiteral("Label7"));
    label.setCaption(QStringLiteral("SELECT BOARDS ON STACK"));
    EXPECT_TRUE(fits(label, {0, 0, 200, 14}));
    EXPECT_FALSE(fits(label, {0, 0, 100, 14})) << "two lines, in the height of one";
    EXPECT_TRUE(fits(label, {0, 0, 100, 28}));
    CommandButton button(&window, QStringLiteral("Command1"), 3);
    button.setCaption(QStringLiteral("STARTOPENWIRE"));
    EXPECT_FALSE(fits(button, {0, 0, 60, 40}));
    TextBox box(&window, QStringLiteral("Text1"), 0);
    box.setText(QStringLiteral(" -0.7680V  "));
    EXPECT_FALSE(fits(box, {0, 0, 30, 16}));
    EXPECT_TRUE(fits(box, {0, 0, 70, 16}));
}

// Code sets values quietly; the operator's clicks, and code acting as one,
// are reported with the control's index.
TEST(OperatorClicks, ReportedApartFromChangesMadeByCode)
{
    QWidget window;
    CheckBox box(&window, QStringLiteral("Check6"), 2);
    box.setBounds({0, 0, 100, 16});
    std::vector<int> clicks, changes;
    record(box, &CheckBox::operatorClicked, clicks);
    record(box, &CheckBox::valueChanged, changes);
    box.setValue(1);
    EXPECT_TRUE(clicks.empty() && changes.size() == 1u);
    box.setValueAsClick(1); // no change, no click
    box.setValueAsClick(0);
    EXPECT_EQ(clicks, std::vector<int>{2});
    // The whole control, its caption too, takes the operator's click.
    window.show();
    const QPointF at(80, 8);
    send(box, QMouseEvent(QEvent::MouseButtonPress, at, box.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {}));
    send(box, QMouseEvent(QEvent::MouseButtonRelease, at, box.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {}));
    EXPECT_EQ(clicks, (std::vector<int>{2, 2}));
    EXPECT_EQ(box.value(), 1);
    // One option selected per parent; clicking the selected one still reports.
    Frame panel(&window, QStringLiteral("Frame9"));
    OptionButton a(&window, QStringLiteral("OptionSTADC"), 0), b(&window, QStringLiteral("OptionSTADC"), 1);
    OptionButton inPanel(&panel, QStringLiteral("Option2"), 0);
    std::vector<int> clicksA, clicksB;
    record(a, &OptionButton::operatorClicked, clicksA);
    record(b, &OptionButton::operatorClicked, clicksB);
    a.setValue(true);
    inPanel.setValue(true);
    b.click();
    b.click();
    EXPECT_TRUE(b.value() && !a.value());
    EXPECT_TRUE(inPanel.value()) << "a panel is a group of its own";
    EXPECT_EQ(clicksB, (std::vector<int>{1, 1}));
    b.setValue(false); // code may clear them all
    EXPECT_FALSE(a.value() || b.value());
    a.setValueAsClick(true);
    a.setValueAsClick(true);
    EXPECT_EQ(clicksA, std::vector<int>{0});
    EXPECT_EQ(clicksB.size(), 2u);
    ComboBox combo(&window, QStringLiteral("Combo1"));
    for (int n = 1; n <= 10; ++n) combo.addItem(QString::number(n));
    std::vector<int> picks;
    record(combo, &ComboBox::operatorClicked, picks);
    combo.setListIndex(9);
    EXPECT_EQ(combo.caption(), QStringLiteral("10"));
    combo.setListIndex(42);
    EXPECT_TRUE(combo.listIndex() == -1 && picks.empty());
    combo.setListIndexAsClick(0);
    EXPECT_EQ(picks, std::vector<int>{-1});
}

TEST(TextBoxes, KeyFilterSeesCharacterKeysAndFocusSignalsIgnoreWindowActivation)
{
    QWidget window;
    TextBox box(&window, QStringLiteral("Text2"), 1);
    std::vector<int> seen;
    box.setKeyFilter([&](int index, int code) {
        EXPECT_EQ(index, 1);
        seen.push_back(code);
        return code != 'x';
    });
    for (QChar c : QStringLiteral("3x6")) send(box, QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(c)));
    send(box, QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")));
    send(box, QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier)); // moves the caret, never filtered
    EXPECT_EQ(box.text(), QStringLiteral("3"));
    EXPECT_EQ(seen, (std::vector<int>{'3', 'x', '6', 8}));
    std::vector<int> entered, left;
    record(box, &TextBox::focusEntered, entered);
    record(box, &TextBox::focusLeft, left);
    const std::pair<QEvent::Type, Qt::FocusReason> focus[] = {{QEvent::FocusIn, Qt::MouseFocusReason},
        {QEvent::FocusOut, Qt::ActiveWindowFocusReason}, {QEvent::FocusIn, Qt::ActiveWindowFocusReason},
        {QEvent::FocusOut, Qt::TabFocusReason}};
    for (auto [type, reason] : focus) send(box, QFocusEvent(type, reason));
    EXPECT_EQ(entered, std::vector<int>{1});
    EXPECT_EQ(left, std::vector<int>{1});
}
