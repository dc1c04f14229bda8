// The control library: colour numbers, panel units, caption wrapping and the
// difference between the operator's clicks and changes made by code.
#include "ui/controls/Controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qm::ui;

namespace {

void press(QWidget& widget, int key, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &event);
}

void type(QWidget& widget, const QString& text)
{
    for (QChar c : text)
        press(widget, 0, QString(c));
}

// Records the first argument of every emission of a signal.
template <typename Sender, typename Signal>
std::vector<int> record(Sender& sender, Signal signal, std::vector<int>& into)
{
    QObject::connect(&sender, signal, [&into](auto first, auto...) { into.push_back(static_cast<int>(first)); });
    return {};
}

} // namespace

TEST(ColourNumbers, PlainNumbersAreBlueGreenRed)
{
    struct Case {
        int number;
        QColor colour;
    };
    const Case cases[] = {
        {255, QColor(255, 0, 0)},           {65280, QColor(0, 255, 0)},
        {16711680, QColor(0, 0, 255)},      {16777215, QColor(255, 255, 255)},
        {12632256, QColor(192, 192, 192)},  {8454143, QColor(255, 255, 128)},
        {33023, QColor(255, 128, 0)},       {16744576, QColor(128, 128, 255)},
        {0x7F0000FF, QColor(255, 0, 0)}, // only the low 24 bits count
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toQColor(c.number), c.colour) << c.number;
    }
    EXPECT_EQ(colourNumber(255, 128, 0), 33023);
}

TEST(ColourNumbers, SystemColoursComeFromTheTheme)
{
    const QColor text = toQColor(kSysWindowTextColour);
    EXPECT_EQ(kSysWindowTextColour, -2147483640);
    EXPECT_LE(text.lightness(), 100) << "value boxes show light text on the window-text colour";
    EXPECT_EQ(kSysWindowColour, -2147483643);
    EXPECT_EQ(toQColor(kSysWindowColour), QApplication::palette().color(QPalette::Active, QPalette::Base));
    EXPECT_TRUE(isSystemColour(kSysWindowColour));
    EXPECT_FALSE(isSystemColour(16777215));
}

TEST(PanelUnits, ControlsInAPanelMeasureFifteenPerPixel)
{
    QWidget window;
    Frame panel(&window, QStringLiteral("Frame11"));
    panel.setBounds({10, 20, 120, 200});
    EXPECT_EQ(panel.unitsPerPixel(), 1);
    EXPECT_EQ(panel.geometry(), QRect(10, 20, 120, 200));

    CommandButton inside(&panel, QStringLiteral("Command7"), 1);
    inside.setBounds({75, 2362, 1260, 400});
    EXPECT_EQ(inside.unitsPerPixel(), 15);
    EXPECT_EQ(inside.x(), 5);
    // Edges round separately: 2362 -> 157, 2762 -> 184.
    EXPECT_EQ(inside.geometry(), QRect(5, 157, 84, 27));
    // What was set reads back exactly, not from the rounded pixels.
    EXPECT_EQ(inside.bounds(), (Bounds{75, 2362, 1260, 400}));
    inside.setTop(2330);
    inside.setHeight(500);
    EXPECT_EQ(inside.bounds(), (Bounds{75, 2330, 1260, 500}));
    EXPECT_EQ(inside.geometry(), QRect(5, 155, 84, 34));

    // Two controls that touch in units touch in pixels.
    Shape a(&panel, QStringLiteral("Shape4"), 0);
    Shape b(&panel, QStringLiteral("Shape2"), 0);
    a.setBounds({75, 360, 495, 248});
    b.setBounds({75, 608, 495, 247});
    EXPECT_EQ(a.geometry().bottom() + 1, b.geometry().top());
    EXPECT_EQ(b.geometry().bottom() + 1, 57); // 855 units
}

TEST(PanelUnits, LinesKeepTheirEndsAndCoverTheirStroke)
{
    QWidget window;
    Frame panel(&window, QStringLiteral("Frame1"), 0);
    panel.setBounds({0, 0, 128, 62});
    Line line(&panel, QStringLiteral("Line10"), 0);
    line.setEnds(45, 900, 1860, 900);
    EXPECT_EQ(line.x1(), 45);
    EXPECT_EQ(line.x2(), 1860);
    EXPECT_EQ(line.y1(), 900);
    EXPECT_TRUE(line.geometry().contains(QPoint(3, 60)));
    EXPECT_TRUE(line.geometry().contains(QPoint(123, 60)));
    line.setBorderWidth(5);
    EXPECT_GE(line.geometry().height(), 5);
}

TEST(CaptionWrapping, BreaksOnlyAtBlanksWithHangingBlanks)
{
    QFont font = makeFont(QStringLiteral("Arial"), 8.25, false);
    const QFontMetricsF metrics(font);
    // "|default" stays one word although a line may break after "|" elsewhere.
    const QString first = QStringLiteral("|   Comparator Off   |   Yes   |");
    const WrappedText narrow =
        wrapWords(metrics, first + QStringLiteral(" |default x |"), metrics.horizontalAdvance(first) + 4);
    ASSERT_EQ(narrow.lines.size(), 2);
    EXPECT_EQ(narrow.lines[0], first);
    EXPECT_EQ(narrow.lines[1], QStringLiteral("|default x |"));

    // Blanks at a break hang: a line of words plus many blanks still breaks
    // before the next word and the blanks take no room.
    const QString spaced = QStringLiteral("Enter VUV") + QString(40, QLatin1Char(' ')) + QStringLiteral("-0.744V");
    const WrappedText hanging = wrapWords(metrics, spaced, metrics.horizontalAdvance(QStringLiteral("Enter VUV")));
    ASSERT_EQ(hanging.lines.size(), 2);
    EXPECT_EQ(hanging.lines[1], QStringLiteral("-0.744V"));
    EXPECT_LE(hanging.widest, metrics.horizontalAdvance(QStringLiteral("Enter VUV")));

    // A line break always breaks; leading blanks of the text are kept.
    const WrappedText hard = wrapWords(metrics, QStringLiteral("Set VUV\r\n  x"), 500);
    ASSERT_EQ(hard.lines.size(), 2);
    EXPECT_EQ(hard.lines[1], QStringLiteral("  x"));

    // A word wider than the box is reported, not split.
    EXPECT_FALSE(wrappedTextFits(metrics, QStringLiteral("STARTOPENWIRE"), QSizeF(40, 100)));
    EXPECT_TRUE(wrappedTextFits(metrics, QString(), QSizeF(0, 0)));
}

TEST(CaptionWrapping, ControlsReportCaptionsThatDoNotFit)
{
    QWidget window;
    Label label(&window, QStringLiteral("Label7"));
    label.setCaption(QStringLiteral("SELECT BOARDS ON STACK"));
    label.setBounds({0, 0, 200, 14});
    EXPECT_TRUE(label.captionFits());
    label.setWidth(100); // two lines now, in the height of one
    EXPECT_FALSE(label.captionFits());
    label.setHeight(28);
    EXPECT_TRUE(label.captionFits());

    CommandButton button(&window, QStringLiteral("Command1"), 3);
    button.setCaption(QStringLiteral("STARTOPENWIRE"));
    button.setBounds({0, 0, 60, 40});
    EXPECT_FALSE(button.captionFits());
    button.setWidth(120);
    EXPECT_TRUE(button.captionFits());

    TextBox box(&window, QStringLiteral("Text1"), 0);
    box.setText(QStringLiteral(" -0.7680V  "));
    box.setBounds({0, 0, 30, 16});
    EXPECT_FALSE(box.captionFits());
    box.setWidth(70);
    EXPECT_TRUE(box.captionFits());
}

TEST(CheckBoxes, CodeChangesAreQuietUnlessAskedToActAsAClick)
{
    QWidget window;
    CheckBox box(&window, QStringLiteral("Check0"), 2);
    box.setBounds({0, 0, 100, 16});
    std::vector<int> clicks, changes;
    record(box, &CheckBox::operatorClicked, clicks);
    record(box, &CheckBox::valueChanged, changes);

    box.setValue(1);
    EXPECT_EQ(box.value(), 1);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(changes.size(), 1u);

    box.setValueAsClick(1); // no change, no click
    EXPECT_TRUE(clicks.empty());
    box.setValueAsClick(0);
    EXPECT_EQ(clicks, std::vector<int>{2});
    EXPECT_EQ(box.value(), 0);

    box.click(); // the operator
    EXPECT_EQ(box.value(), 1);
    EXPECT_EQ(clicks, (std::vector<int>{2, 2}));
}

TEST(CheckBoxes, TheWholeControlTakesTheOperatorsClick)
{
    QWidget window;
    CheckBox box(&window, QStringLiteral("Check6"), 4);
    box.setCaption(QStringLiteral("READ Only"));
    box.setBounds({0, 0, 100, 16});
    window.show();
    std::vector<int> clicks;
    record(box, &CheckBox::operatorClicked, clicks);
    const QPointF onCaption(80, 8);
    QMouseEvent down(QEvent::MouseButtonPress, onCaption, box.mapToGlobal(onCaption), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, onCaption, box.mapToGlobal(onCaption), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &down);
    QApplication::sendEvent(&box, &up);
    EXPECT_EQ(clicks, std::vector<int>{4});
    EXPECT_EQ(box.value(), 1);
}

TEST(OptionButtons, OneSelectedPerParentAndCodeMayClearAll)
{
    QWidget window;
    Frame panel(&window, QStringLiteral("Frame9"));
    OptionButton a(&window, QStringLiteral("OptionSTADC"), 0);
    OptionButton b(&window, QStringLiteral("OptionSTADC"), 1);
    OptionButton inPanel(&panel, QStringLiteral("Option2"), 0);
    std::vector<int> clicksB, clicksA;
    record(b, &OptionButton::operatorClicked, clicksB);

    a.setValue(true);
    inPanel.setValue(true);
    b.click();
    EXPECT_TRUE(b.value());
    EXPECT_FALSE(a.value());
    EXPECT_TRUE(inPanel.value()) << "a panel is a group of its own";
    EXPECT_EQ(clicksB.size(), 1u);

    b.click(); // clicking the selected option keeps it selected and still reports
    EXPECT_TRUE(b.value());
    EXPECT_EQ(clicksB.size(), 2u);

    b.setValue(false);
    EXPECT_FALSE(a.value());
    EXPECT_FALSE(b.value());
    EXPECT_EQ(clicksB.size(), 2u);

    record(a, &OptionButton::operatorClicked, clicksA);
    a.setValueAsClick(true);
    a.setValueAsClick(true);
    EXPECT_EQ(clicksA, std::vector<int>{0});
    EXPECT_FALSE(b.value());
}

TEST(TextBoxes, KeyFilterSeesCharacterKeysAndMayDiscardThem)
{
    QWidget window;
    TextBox box(&window, QStringLiteral("Text2"), 0);
    std::vector<int> seen;
    box.setKeyFilter([&](int index, int code) {
        EXPECT_EQ(index, 0);
        seen.push_back(code);
        return code == 8 || code == 13 || (code >= '0' && code <= '9') || code == '.';
    });
    type(box, QStringLiteral("3x.6"));
    EXPECT_EQ(box.text(), QStringLiteral("3.6"));
    press(box, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(box.text(), QStringLiteral("3."));
    press(box, Qt::Key_Return, QStringLiteral("\r"));
    press(box, Qt::Key_Left); // moves the caret, never reaches the filter
    EXPECT_EQ(seen, (std::vector<int>{'3', 'x', '.', '6', 8, 13}));
    EXPECT_EQ(box.selStart(), 1);
    box.setSelStart(99);
    EXPECT_EQ(box.selStart(), 2);
    box.setSelStart(-4);
    EXPECT_EQ(box.selStart(), 0);
}

TEST(TextBoxes, FocusSignalsIgnoreWindowActivation)
{
    QWidget window;
    TextBox box(&window, QStringLiteral("Text2"), 1);
    std::vector<int> entered, left;
    record(box, &TextBox::focusEntered, entered);
    record(box, &TextBox::focusLeft, left);

    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QFocusEvent reactivated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&box, &in);
    QApplication::sendEvent(&box, &deactivated);
    QApplication::sendEvent(&box, &reactivated);
    QApplication::sendEvent(&box, &out);
    EXPECT_EQ(entered, std::vector<int>{1});
    EXPECT_EQ(left, std::vector<int>{1});
}

TEST(TextBoxes, TextIsKeptExactlyAsSet)
{
    QWidget window;
    TextBox single(&window, QStringLiteral("Text2"), 0);
    single.setText(QStringLiteral("Set VUV\r\n  "));
    EXPECT_EQ(single.text(), QStringLiteral("Set VUV\r\n  "));

    MultiLineTextBox multi(&window, QStringLiteral("Text3"));
    multi.setBounds({0, 0, 200, 40});
    multi.setText(QStringLiteral("first line\r\nsecond"));
    EXPECT_EQ(multi.text(), QStringLiteral("first line\r\nsecond"));
    EXPECT_EQ(multi.toPlainText(), QStringLiteral("first line\nsecond"));
    EXPECT_TRUE(multi.locked());
}

TEST(ComboBoxes, ListPositionSetByCodeIsQuiet)
{
    QWidget window;
    ComboBox combo(&window, QStringLiteral("Combo1"));
    for (int n = 1; n <= 10; ++n)
        combo.addItem(QString::number(n));
    std::vector<int> clicks;
    record(combo, &ComboBox::operatorClicked, clicks);
    combo.setListIndex(9);
    EXPECT_EQ(combo.caption(), QStringLiteral("10"));
    EXPECT_TRUE(clicks.empty());
    combo.setListIndex(42);
    EXPECT_EQ(combo.listIndex(), -1);
    combo.setListIndexAsClick(0);
    EXPECT_EQ(combo.listIndex(), 0);
    EXPECT_EQ(clicks, std::vector<int>{-1});
}

TEST(Shapes, LetTheMouseThrough)
{
    QWidget window;
    Shape tab(&window, QStringLiteral("Shape16"), 0);
    Line line(&window, QStringLiteral("Line1"));
    EXPECT_TRUE(tab.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(line.testAttribute(Qt::WA_TransparentForMouseEvents));
    tab.setBorderWidth(-3);
    EXPECT_EQ(tab.borderWidth(), 0);
}
