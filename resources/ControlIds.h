#pragma once
// Control ids of the property pages and dialogs. A control carries its id as its object name
// (SetControlId), and tests and the screenshot run find it by the same id (FindControl), so a
// page and its tests name a control through one constant.

#include <QObject>
#include <QString>

namespace tessaly::ids {

// TileData page.
inline constexpr int IDC_TILE_FLAG_FIRST = 1000;  // flag bit n is IDC_TILE_FLAG_FIRST + n
// The upper 32 flag bits of the newer layout: bit n (32 to 63) is IDC_TILE_FLAG_UPPER + n.
inline constexpr int IDC_TILE_FLAG_UPPER = 1100;
inline constexpr int IDC_TILE_NAME = 1032;
inline constexpr int IDC_TILE_FIELD_FIRST = 1034;  // the item fields, in their list order
inline constexpr int IDC_TILE_ARTICLE = 4003;
inline constexpr int IDC_TILE_TITLE = 4015;
inline constexpr int IDC_TILE_SCROLL = 4016;
inline constexpr int IDC_TILE_RADAR = 4100;

// Map and Statics pages.
inline constexpr int IDC_MAP_CELLS = 4017;
inline constexpr int IDC_STATICS_COORDS = 4018;
inline constexpr int IDC_MAP_COORDS = 4019;
inline constexpr int IDC_STATICS_LIST = 4020;
inline constexpr int IDC_STATICS_COUNT = 4036;

// Sound page.
inline constexpr int IDC_SOUND_NAME = 1034;
inline constexpr int IDC_SOUND_DURATION = 4120;
inline constexpr int IDC_SOUND_FORMAT = 4121;
inline constexpr int IDC_SOUND_WAVE = 4122;
inline constexpr int IDC_SOUND_PLAY = 4123;
inline constexpr int IDC_SOUND_STOP = 4124;

// Pictures and their sizes on the drawing pages, the hue bar and the font's character map.
inline constexpr int IDC_GUMP_PICTURE = 4084;
inline constexpr int IDC_HUE_BAR = 4037;
inline constexpr int IDC_FONT_PICTURE = 4085;
inline constexpr int IDC_ITEM_PICTURE = 4086;
inline constexpr int IDC_LIGHT_PICTURE = 4087;
inline constexpr int IDC_TEXTURE_PICTURE = 4088;
inline constexpr int IDC_TERRAIN_PICTURE = 4089;
inline constexpr int IDC_GUMP_SIZE = 4090;
inline constexpr int IDC_ITEM_SIZE = 4101;
inline constexpr int IDC_TERRAIN_SIZE = 4112;
inline constexpr int IDC_TEXTURE_SIZE = 4113;
inline constexpr int IDC_LIGHT_SIZE = 4114;

// Multi page and its "Tile Item" dialog.
inline constexpr int IDC_MULTI_PICTURE = 4050;
inline constexpr int IDC_MULTI_CLIP = 4073;  // "Clip It!"
inline constexpr int IDC_TILE_ITEM_LEFT = 4065;
inline constexpr int IDC_TILE_ITEM_RIGHT = 4066;
inline constexpr int IDC_TILE_ITEM_TOP = 4067;
inline constexpr int IDC_TILE_ITEM_BOTTOM = 4068;
inline constexpr int IDC_TILE_ITEM_ALTITUDE = 4069;
inline constexpr int IDC_TILE_ITEM_ITEMS = 4070;

// Anim page.
inline constexpr int IDC_ANIM_AREA = 4029;
inline constexpr int IDC_ANIM_FRAMES = 4030;
inline constexpr int IDC_ANIM_DIRECTION = 4031;
inline constexpr int IDC_ANIM_PLAY = 4032;
inline constexpr int IDC_ANIM_ACTION = 4033;
inline constexpr int IDC_ANIM_PASTE = 4034;
inline constexpr int IDC_ANIM_DELETE = 4035;
inline constexpr int IDC_ANIM_COPY = 4079;
inline constexpr int IDC_ANIM_FRAME_TEXT = 4081;
inline constexpr int IDC_ANIM_FLIP = 4082;
inline constexpr int IDC_ANIM_SIZE_TEXT = 4091;
inline constexpr int IDC_ANIM_CENTRE_TEXT = 4092;
inline constexpr int IDC_ANIM_SIZE = 4095;
inline constexpr int IDC_ANIM_MIDDLE = 4096;
inline constexpr int IDC_ANIM_ZOOM = 4097;

// Hue page.
inline constexpr int IDC_HUE_NAME = 4038;
inline constexpr int IDC_HUE_SCROLL = 4039;
inline constexpr int IDC_HUE_INDEX = 4040;
inline constexpr int IDC_HUE_RANGE = 4083;

// Multi page: its component list, edits and buttons.
inline constexpr int IDC_MULTI_LIST = 4000;
inline constexpr int IDC_MULTI_REMOVE = 4052;
inline constexpr int IDC_MULTI_VISIBLE = 4053;
inline constexpr int IDC_MULTI_TILE_ID = 4054;
inline constexpr int IDC_MULTI_X = 4055;
inline constexpr int IDC_MULTI_Y = 4056;
inline constexpr int IDC_MULTI_Z = 4057;
inline constexpr int IDC_MULTI_ADD = 4058;
inline constexpr int IDC_MULTI_CHANGE = 4059;
inline constexpr int IDC_MULTI_IMPORT = 4060;
inline constexpr int IDC_MULTI_VSCROLL = 4061;
inline constexpr int IDC_MULTI_HSCROLL = 4062;
inline constexpr int IDC_MULTI_Z_LOW = 4063;
inline constexpr int IDC_MULTI_Z_HIGH = 4064;
inline constexpr int IDC_MULTI_TILE_ITEM = 4065;
inline constexpr int IDC_MULTI_SELECT_ALL = 4066;
inline constexpr int IDC_MULTI_DIRECTION_PAD = 4071;
inline constexpr int IDC_MULTI_UP_DOWN_PAD = 4072;
inline constexpr int IDC_MULTI_OBJECTS = 4074;
inline constexpr int IDC_MULTI_TOP = 4075;
inline constexpr int IDC_MULTI_REGION = 4076;

// The object name of the control with this id.
inline QString ControlName(int id) {
    return QString::number(id);
}

// Gives a control its id; answers the control, so it can name a control as it is made.
template <class Widget>
Widget* SetControlId(Widget* widget, int id) {
    widget->setObjectName(ControlName(id));
    return widget;
}

// The control of type Widget with this id among parent's children, or null.
template <class Widget>
Widget* FindControl(const QObject* parent, int id) {
    return parent->findChild<Widget*>(ControlName(id));
}

}  // namespace tessaly::ids
