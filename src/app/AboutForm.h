#pragma once

#include <QColor>
#include <QString>
#include <array>

// The About box as data: its texts, the place of every control in twips and
// the order the Tab key visits them.
namespace AboutForm
{

enum class Kind { Picture, Label, Button };

struct Control {
    const char *name;
    Kind kind;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
};

struct Line {
    const char *name;
    QRgb colour;
    int widthPixels;
    int x1;
    int y1;
    int x2;
    int y2;
};

constexpr int clientWidth = 5655;
constexpr int clientHeight = 3630;
constexpr int logoPixels = 94;

// Listed in drawing order, the white highlight under the grey line.
inline constexpr std::array<Line, 2> lines{{
    {"Line1(0)", 0xFFFFFFFF, 2, 240, 2445, 5450, 2445},
    {"Line1(1)", 0xFF808080, 1, 225, 2430, 5450, 2430},
}};

inline constexpr std::array<Control, 7> controls{{
    {"picLogo", Kind::Picture, 0, 0, 1455, 1425, 6},
    {"lblTitle", Kind::Label, 1560, 240, 3885, 480, 4},
    {"lblVersion", Kind::Label, 1560, 780, 3885, 225, 3},
    {"lblDescription", Kind::Label, 1560, 1125, 3885, 1170, 5},
    {"lblDisclaimer", Kind::Label, 255, 2625, 3870, 825, 2},
    {"cmdOK", Kind::Button, 4245, 2625, 1260, 345, 0},
    {"cmdSysInfo", Kind::Button, 4260, 3075, 1245, 345, 1},
}};

inline const QString caption = QStringLiteral("About Quillmark_Wizard");
inline const QString okText = QStringLiteral("OK");
inline const QString sysInfoText = QStringLiteral("&System Info...");

inline const QString description = QStringLiteral(
    "Keeps a steward's case file of employees and their grievances, finds an employee by "
    "file number, and prints both sides of the First Step complaint form.");

inline const QString disclaimer = QStringLiteral(
    "Warning: the case file holds members' personal details. Keep it private, and check "
    "every printed form before it is filed.");

} // namespace AboutForm
