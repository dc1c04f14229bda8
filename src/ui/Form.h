#pragma once
// The main window's controls: every panel, control and control array, named
// and indexed as the window names them (Command1[7], Text1[i], Shape12[b]),
// with their captions, tool tips, colours, fonts and initial states. The Form
// holds no behaviour: the handlers connect to the controls' signals.
//
// Arrays are indexed as the window indexes them; unused indices are null
// (Command1[11..13]). Controls placed on the window measure in pixels,
// controls inside a panel in the panel's units (fifteen per pixel).
#include "ui/controls/Controls.h"

#include <QMainWindow>

#include <array>
#include <vector>

class QAction;
class QMenu;
class QTimer;

namespace qm::ui {

class Form : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kDesignWidthTwips = 13500;  // 900 pixels
    static constexpr int kDesignHeightTwips = 8970;  // 598 pixels below the menu bar

    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Window size in twips; the height is the area below the menu bar.
    void setWindowWidthTwips(int twips);
    void setWindowHeightTwips(int twips);
    int windowWidthTwips() const { return m_widthTwips; }
    int windowHeightTwips() const { return m_heightTwips; }

    // The Mask and DCC boxes of cell n (1..12): the same objects as the
    // configuration-register boxes that hold their bits. Null outside 1..12.
    CheckBox* maskBox(int cell) const;
    CheckBox* dccBox(int cell) const;

    // The window as it is drawn now, menu bar included.
    QImage screenshot();

    // Every control of the window, and one by its display name ("Text1(3)").
    const std::vector<Control*>& controls() const { return m_controls; }
    Control* control(const QString& displayName) const;

    // The area below the menu bar that holds the window-level controls.
    QWidget* canvas() const { return m_canvas; }

    // ---- Panels --------------------------------------------------------
    std::array<Frame*, 12> Frame1{};  // "CELL1".."CELL12"
    Frame* Frame2 = nullptr;          // "SET VOLTAGE LIMITS"
    Frame* Frame3 = nullptr;          // "SET I/O MODE"
    Frame* Frame4 = nullptr;          // "CONFIGURATION REGISTERS"
    Frame* Frame5 = nullptr;          // "TEMPS"
    Frame* Frame6 = nullptr;          // "FLAG REG"
    Frame* Frame7 = nullptr;          // "PACKET ERROR CODE "
    Frame* Frame8 = nullptr;          // "LEGEND"
    Frame* Frame9 = nullptr;          // "SELF TEST START A/D"
    Frame* Frame11 = nullptr;         // "DIAGNOSTIC"
    Frame* Frame12 = nullptr;         // "READ"

    // ---- Command buttons -------------------------------------------------
    std::array<CommandButton*, 2> Command0{};   // CDC decrement (0), increment (1)
    std::array<CommandButton*, 15> Command1{};  // command column; 11..13 unused
    std::array<CommandButton*, 4> Command2{};   // threshold arrows (hidden)
    std::array<CommandButton*, 2> Command3{};   // hold-discharge starts
    std::array<CommandButton*, 10> Command4{};  // board focus buttons
    std::array<CommandButton*, 7> Command5{};   // self-test panel
    std::array<CommandButton*, 2> Command7{};   // diagnostic panel
    std::array<CommandButton*, 3> Command8{};   // four-cell reads

    // ---- Check boxes -----------------------------------------------------
    std::array<CheckBox*, 8> Check0{};   // CFGR0 bits
    std::array<CheckBox*, 8> Check1{};   // CFGR1: DCC of cells 1..8
    std::array<CheckBox*, 8> Check2{};   // CFGR2: DCC of cells 9..12, Mask of cells 1..4
    std::array<CheckBox*, 8> Check3{};   // CFGR3: Mask of cells 5..12
    std::array<CheckBox*, 12> Check6{};  // "READ Only" of cell index+1
    std::array<CheckBox*, 3> Check7{};   // temperature channels ITMP, ETMP1, ETMP2

    // ---- Option buttons --------------------------------------------------
    std::array<OptionButton*, 2> Option1{};      // custom (0) / global (1) thresholds
    std::array<OptionButton*, 3> Option2{};      // self-test pattern
    std::array<OptionButton*, 2> Option3{};      // custom (0) / global (1) CFGR0
    std::array<OptionButton*, 4> OptionSTADC{};  // continuous-cycle start command

    // ---- Text boxes ------------------------------------------------------
    std::array<TextBox*, 12> Text1{};  // cell voltages
    std::array<TextBox*, 2> Text2{};   // VUV (0), VOV (1) entry
    MultiLineTextBox* Text3 = nullptr; // duty-cycle table row
    std::array<TextBox*, 6> Text4{};   // pending CFGR0..CFGR5
    std::array<TextBox*, 6> Text5{};   // read-back CFGR0..CFGR5
    std::array<TextBox*, 3> Text6{};   // temperatures
    std::array<TextBox*, 3> Text7{};   // FLGR0..FLGR2
    TextBox* Text8 = nullptr;          // transfer panel value line
    std::array<TextBox*, 5> Text14{};  // diagnostic fields
    TextBox* Text15 = nullptr;         // CDC number

    // ---- Labels ----------------------------------------------------------
    Label* Label1 = nullptr;                 // "B O A R D # 1 "
    std::array<Label*, 3> Label2{};          // flag register headings
    std::array<Label*, 2> Label3{};          // threshold ranges
    Label* Label4 = nullptr;                 // duty-cycle table heading
    std::array<Label*, 2> Label5{};          // configuration row headings
    std::array<Label*, 3> Label6{};          // temperature names (hidden)
    Label* Label7 = nullptr;                 // "SELECT BOARDS ON STACK"
    std::array<Label*, 3> Label8{};          // transfer panel headings and command
    std::array<Label*, 2> Label9{};          // grid row labels, left (0) and right (1)
    std::array<Label*, 8> Label10{};         // legend marks
    std::array<Label*, 8> Label11{};         // legend texts
    Label* Label12 = nullptr;                // grid column heading
    std::array<Label*, 2> Label13{};         // threshold option captions
    Label* Label20 = nullptr;                // "DCC PERMITTED"
    Label* Label21 = nullptr;                // current board number
    std::array<Label*, 3> Label23{};         // diagnostic headings
    Label* Label24 = nullptr;                // "4CELLS   ONLY"
    Label* Label25 = nullptr;                // transfer direction
    Label* Label_IDstring = nullptr;         // controller identification
    Label* Label_version = nullptr;
    std::array<Label*, 2> Label_KA{};        // " WDT SERVICE" (0), message label (1)

    // ---- Shapes and lines --------------------------------------------------
    std::array<Shape*, 120> Shape1{};   // grid square of board b, cell c: 12*b + c - 1
    std::array<Shape*, 12> Shape2{};    // battery level bar of cell panel index
    Shape* Shape3 = nullptr;            // continuous-cycle lamp
    std::array<Shape*, 12> Shape4{};    // battery body
    std::array<Shape*, 12> Shape5{};    // battery terminal cap
    std::array<Shape*, 3> Shape6{};     // thermometer bulb
    std::array<Shape*, 3> Shape7{};     // thermometer lower stem
    std::array<Shape*, 3> Shape8{};     // thermometer upper stem
    std::array<Shape*, 8> Shape9{};     // legend swatch: level bar
    std::array<Shape*, 8> Shape10{};    // legend swatch: body
    std::array<Shape*, 8> Shape11{};    // legend swatch: cap
    std::array<Shape*, 10> Shape12{};   // per-board ovals above the grid
    Shape* Shape13 = nullptr;           // "DCC PERMITTED" lamp
    Shape* Shape14 = nullptr;           // tab behind "WRITE CONFIG"
    Shape* Shape15 = nullptr;           // board tab behind the board buttons
    std::array<Shape*, 10> Shape16{};   // progress tabs
    Shape* Shape_KA = nullptr;          // keep-alive tab behind "POLL ADC"
    Line* Line1 = nullptr;              // rule across the bottom
    std::array<Line*, 12> Line7{};      // cell panel: above the cap
    std::array<Line*, 12> Line9{};      // cell panel: below the body
    std::array<Line*, 13> Line10{};     // cell panel rails; 12 is the top of the stack

    // ---- Other -------------------------------------------------------------
    ComboBox* Combo1 = nullptr;  // board count "1".."10"
    Picture* Picture1 = nullptr;
    Picture* Image1 = nullptr;   // marker above the current board's column
    QTimer* Timer1 = nullptr;    // 100 ms, stopped until start-up enables it

    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuDatalog = nullptr;
    QAction* mnuCreateNewSetup = nullptr;
    QAction* mnuUsePreviousSetup = nullptr;
    QAction* mnuViewLastDatalog = nullptr;

private:
    struct FontSpec {
        const char* name;
        double points;
        bool bold;
    };
    static constexpr FontSpec kWindowFont{"Arial", 9.75, true};
    static constexpr FontSpec kPanelFont{"MS Sans Serif", 8.25, true};
    static constexpr FontSpec kTextFont{"Arial", 8.25, false};
    static constexpr FontSpec kButtonFont{"Arial", 8.25, true};

    // Creates a control, gives it its geometry and font, and records it.
    template <typename T>
    T* add(QWidget* parent, const QString& name, int index, const Bounds& bounds,
           const FontSpec& font);
    Frame* addFrame(const QString& name, int index, const Bounds& bounds, const QString& caption,
                    const FontSpec& font = kPanelFont);
    CommandButton* addButton(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                             const QString& caption, const QString& tip = {},
                             const FontSpec& font = kButtonFont);
    CheckBox* addCheck(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                       const QString& caption, const FontSpec& font = kTextFont);
    OptionButton* addOption(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                            const QString& caption, const FontSpec& font = kTextFont);
    TextBox* addText(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                     const QString& text, const FontSpec& font = kTextFont);
    Label* addLabel(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                    const QString& caption, const FontSpec& font = kTextFont);
    Shape* addShape(QWidget* parent, const QString& name, int index, const Bounds& bounds,
                    Shape::Kind kind, int fill, int border = kBlack, int borderWidth = 1);
    Line* addLine(QWidget* parent, const QString& name, int index, int x1, int y1, int x2, int y2);

    void buildMenus();
    void buildBoardColumn();
    void buildCellPanels();
    void buildCellPanel(int cell, int left, int top);
    void buildRegisterPanel();
    void buildFlagPanel();
    void buildTransferPanel();
    void buildLegend();
    void buildSelfTestPanel();
    void buildBoardSelection();
    void buildGrid();
    void buildIoModePanel();
    void buildTemperaturePanel();
    void buildVoltageLimitsPanel();
    void buildReadPanel();
    void buildDiagnosticPanel();
    void buildCommandColumn();
    void buildKeepAlive();
    void buildIdentification();
    void applyWindowSize();

    QWidget* m_canvas = nullptr;
    std::vector<Control*> m_controls;
    int m_widthTwips = kDesignWidthTwips;
    int m_heightTwips = kDesignHeightTwips;
};

} // namespace qm::ui
