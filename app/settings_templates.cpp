#include "app/settings_templates.h"

namespace {

using enum ControlKind;

constexpr TemplateControl kAnimationSettingsControls[] = {
    {AcceptButton, "OK", 131, 143, 50, 14},
    {RejectButton, "Cancel", 196, 143, 50, 14},
    {Group, "Speed", 7, 7, 239, 48},
    {Static, "Show one frame per \n\nRead file data by step", 13, 20, 74, 30},
    {Edit, "", 89, 19, 23, 14, "frameDelayMs"},
    {Edit, "", 89, 34, 23, 14, "step"},
    {Static, "msec (about - machine dependent)", 118, 20, 124, 13},
    {Static, "large value when elliptic orbit variation is presented", 118, 34, 124, 17},
    {Static, "Points per orbit to be drawn\n\nStart from data position", 7, 64, 90, 31},
    {Edit, "", 105, 63, 27, 13, "pointsPerOrbit"},
    {Edit, "", 105, 78, 27, 13, "startRow"},
    {CheckBox, "Draw axes", 170, 64, 75, 13, "drawAxes"},
    {CheckBox, "Draw Planets", 170, 78, 75, 13, "drawPlanets"},
    {CheckBox, "Draw orbits", 170, 94, 59, 13, "drawOrbits"},
    {Static, "Sun size", 192, 113, 44, 12},
    {Edit, "", 170, 111, 15, 12, "sunSize"},
    {Group, "Data", 7, 107, 88, 47},
    {Edit, "", 13, 118, 34, 12, "lineCount", kReadOnly | kRightAligned},
    {Edit, "", 13, 134, 34, 12, "bodyCount", kReadOnly | kRightAligned},
    {Static, "Data lines\n\nbodies", 51, 119, 39, 28},
};

constexpr TemplateControl kSetPositionControls[] = {
    {AcceptButton, "OK", 32, 58, 50, 14},
    {RejectButton, "Cancel", 107, 58, 50, 14},
    {Static, "Data line No :", 7, 7, 46, 11},
    {Edit, "", 57, 7, 38, 12, "position"},
    {Static, "max ", 115, 7, 16, 12},
    {Edit, "", 132, 7, 38, 12, "lineCount", kReadOnly},
    {CheckBox, "show orbits", 7, 30, 51, 11, "drawOrbits"},
    {CheckBox, "show planets", 64, 31, 55, 11, "drawPlanets"},
};

constexpr TemplateControl kGraphicBoxControls[] = {
    {AcceptButton, "OK", 160, 78, 50, 14},
    {RejectButton, "Cancel", 160, 95, 50, 14},
    {Static, "Xmin = \n\nYmin = \n\nXmax = \n\nYmax = ", 7, 7, 27, 67},
    {Edit, "", 38, 7, 97, 13, "xmin"},
    {Edit, "", 38, 22, 97, 13, "ymin"},
    {Edit, "", 38, 37, 97, 13, "xmax"},
    {Edit, "", 38, 52, 97, 13, "ymax"},
    {Group, "Square Box", 7, 77, 128, 30},
    {CheckBox, "in use", 13, 89, 35, 12, "inUse"},
    {Static, "size", 56, 91, 18, 12},
    {Edit, "", 77, 90, 38, 13, "size"},
};

constexpr TemplateControl kGoToTimeControls[] = {
    {Static, "Go to the first row at or after the time", 7, 7, 150, 10},
    {Static, "t =", 7, 22, 14, 12},
    {Edit, "", 24, 21, 80, 13, "time"},
    {AcceptButton, "OK", 52, 42, 50, 14},
    {RejectButton, "Cancel", 107, 42, 50, 14},
};

constexpr TemplateControl kSetSpeedControls[] = {
    {Static, "", 7, 7, 170, 18, "prompt"},     {Edit, "", 7, 28, 80, 13, "speed"},
    {Static, "", 92, 29, 85, 12, "unit"},      {AcceptButton, "OK", 72, 48, 50, 14},
    {RejectButton, "Cancel", 127, 48, 50, 14},
};

}  // namespace

const DialogTemplate kAnimationSettingsTemplate{"Animation Settings", 264, 164, kAnimationSettingsControls};
const DialogTemplate kSetPositionTemplate{"Set position", 186, 79, kSetPositionControls};
const DialogTemplate kGraphicBoxTemplate{"Graphic Box ", 240, 122, kGraphicBoxControls};
const DialogTemplate kGoToTimeTemplate{"Go to time", 164, 63, kGoToTimeControls};
const DialogTemplate kSetSpeedTemplate{"Set speed", 184, 69, kSetSpeedControls};
