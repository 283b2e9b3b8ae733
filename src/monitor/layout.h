#pragma once
// The main window's elements in twips, bottom to top. Fills are painted by the
// window itself; everything with text or input is a child control.
#include <exception>
#include <string>
#include <vector>

struct Rgb {
    unsigned char r, g, b;
};

enum class Kind {
    Fill,         // a coloured rectangle, optionally with a single border
    Text,         // a label whose text may change at run time
    LabelButton,  // a label that acts on a click
    CheckBox,
    ComboBox,
    PushButton,
    Bar,  // the progress line; its width changes
};

enum class Action { None, End, Setting, Ok, Update, Cancel, Folder, Sound, ChangeSound, AlwaysFront };

struct Element {
    int id;
    const char* name;
    Kind kind;
    int left, top, width, height;
    Rgb back, fore;
    int pointsTimes100;  // font size, 975 = 9.75 pt
    const char* text;
    bool drags;  // pressing it starts moving the window
    bool bordered;
    Action action;
    bool centred;  // text centred instead of left-aligned
};

const std::vector<Element>& MainLayout();

// A name the layout lacks is a programming error. Its own small type: the standard
// library's exceptions with a text would bring a second string implementation into Tovra.
class UnknownElement : public std::exception {
public:
    explicit UnknownElement(const std::string& name) : text_("no element " + name) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};
const Element& ElementNamed(const std::string& name);  // throws UnknownElement

// The topmost element at a point of the window, or null.
const Element* ElementAt(int x, int y);

constexpr int kCompactHeight = 600;    // bottom of lblBase01
constexpr int kUnfoldedHeight = 3960;  // bottom of lblBase02
constexpr int kWindowWidth = 3885;
constexpr int kGraphFullWidth = 3855;
constexpr const char* kFolded = "▼";
constexpr const char* kUnfolded = "▲";

struct Position {
    int left, top;
};

// Where the window starts, in twips: the saved place (centred when both values
// are -1), pulled back when the saved value would put it past the screen's
// right or bottom edge.
Position StartPosition(Position saved, int screenWidth, int screenHeight);

// The window's position after dragging from anchor (twips inside the pressed
// element) to the pointer's new place inside it.
Position DraggedPosition(Position window, Position anchor, Position pointer);
