#include "CommandTable.h"

#include "DataTypeDef.h"
#include "ResourceIds.h"

#include <algorithm>
#include <vector>

namespace tessaly {

namespace {

using namespace ids;

// The resource ids of the categories are their table ids.
static_assert(ID_DATA_VERDATA == kCategoryVerData && ID_DATA_ANIMS == kCategoryAnims &&
              ID_DATA_TEXTURES == kCategoryTextures && ID_DATA_TERRAIN == kCategoryTerrain &&
              ID_DATA_ITEMS == kCategoryItems && ID_DATA_SOUNDS == kCategorySounds &&
              ID_DATA_LIGHTS == kCategoryLights && ID_DATA_GUMPS == kCategoryGumps &&
              ID_DATA_SKILLS == kCategorySkills && ID_DATA_MULTIS == kCategoryMultis &&
              ID_DATA_HUES == kCategoryHues && ID_DATA_FONTS == kCategoryFonts &&
              ID_DATA_MAP == kCategoryMap && ID_DATA_STATICS == kCategoryStatics &&
              ID_DATA_TILEDATA == kCategoryTileData);

constexpr MenuItemDef kSeparator{0, nullptr};
constexpr MenuItemDef kRecentFiles{ID_FILE_MRU_FILE1, "Recent File", true};

// Resource 128: the menu shown while no document is open.
constexpr MenuItemDef kMainFile[] = {
    {ID_FILE_NEW, "&New"},
    {ID_FILE_OPEN, "&Open..."},
    kSeparator,
    {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    kSeparator,
    kRecentFiles,
    kSeparator,
    {ID_APP_EXIT, "E&xit"},
};
constexpr MenuItemDef kMainView[] = {
    {ID_VIEW_STATUS_BAR, "&Status Bar"},
};
constexpr MenuItemDef kHelp[] = {
    {ID_APP_ABOUT, "&About Tessaly..."},
};
constexpr MenuDef kMainMenu[] = {
    {"&File", kMainFile},
    {"&View", kMainView},
    {"&Help", kHelp},
};

// Resource 129: the full menu of the document.
constexpr MenuItemDef kDocFile[] = {
    {ID_FILE_NEW, "&New VerData"},
    {ID_FILE_OPEN, "&Open VerData..."},
    {ID_FILE_CLOSE, "&Close"},
    {ID_FILE_SAVE, "&Save", true},
    {ID_FILE_SAVE_FAST, "Save Fast", true},
    {ID_FILE_SAVE_AS, "Save &As...", true},
    {ID_MERGE_CLIENT_FILES, "Merge into Client Files...", true},
    kSeparator,
    {ID_OPEN_BASE_MULS, "Open Base Muls..."},
    {ID_OPEN_BASE_SCRIPTS, "Open Base Scripts..."},
    kSeparator,
    {ID_OPEN_PATCH, "Open Patch File..."},
    {ID_CLOSE_PATCH, "Close Patch File", true},
    {ID_MERGE_PATCH, "Merge in Patch File...", true},
    {ID_SAVE_PATCH, "Save Patch", true},
    {ID_SAVE_PATCH_AS, "Save Patch As...", true},
    kSeparator,
    {ID_FILE_PRINT, "&Print..."},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    kSeparator,
    kRecentFiles,
    kSeparator,
    {ID_APP_EXIT, "E&xit"},
};
constexpr MenuItemDef kDocEdit[] = {
    {ID_EDIT_UNDO, "&Undo"},
    kSeparator,
    {ID_EDIT_CUT, "Cu&t"},
    {ID_EDIT_COPY, "&Copy"},
    {ID_EDIT_PASTE, "&Paste Over"},
    {ID_EDIT_DELETE, "Delete"},
    kSeparator,
    {ID_EXPORT, "&Export..."},
    {ID_EDIT_PROPERTIES, "Properties"},
    {ID_EDIT_GOTO, "&Go to..."},
};
// The Data menu: every category the table lists there, in its menu position; the command id is
// the category id.
std::span<const MenuItemDef> DataMenu() {
    static const std::vector<MenuItemDef> items = [] {
        std::vector<const DataTypeDef*> listed;
        for (const DataTypeDef& def : GetTypeDefs()) {
            if (def.m_bDataMenu) {
                listed.push_back(&def);
            }
        }
        std::sort(listed.begin(), listed.end(), [](const DataTypeDef* a, const DataTypeDef* b) {
            return a->m_nMenuPosition < b->m_nMenuPosition;
        });
        std::vector<MenuItemDef> result;
        for (const DataTypeDef* def : listed) {
            result.push_back({def->m_nId, def->m_pszDisplayName});
        }
        return result;
    }();
    return items;
}
constexpr MenuItemDef kDocView[] = {
    {ID_VIEW_STATUS_BAR, "&Status Bar"},
    kSeparator,
    {ID_VIEW_MULFILES, "Mul Files"},
    {ID_VIEW_VERDATA, "VerData"},
    {ID_VIEW_CHANGES, "Changes"},
    kSeparator,
    {ID_VIEW_UNUSED, "Unused Slots"},
    kSeparator,
    {ID_VIEW_TEXTLIST, "Text List"},
    {ID_VIEW_THUMBNAIL, "Thumb Nail"},
    kSeparator,
    {ID_VIEW_CHECKERBOARD, "Checkerboard Background"},
};
constexpr MenuItemDef kDocTools[] = {
    {ID_MERGE_VERDATA, "Merge VerData..."},
    {ID_WRITE_RADAR_COLORS, "Write Radar Colors"},
};
constexpr MenuItemDef kDocWindow[] = {
    {ID_WINDOW_NEW, "&New Window"},
    {ID_WINDOW_CASCADE, "&Cascade"},
    {ID_WINDOW_TILE_HORZ, "&Tile"},
    {ID_WINDOW_ARRANGE, "&Arrange Icons"},
};
const MenuDef kDocMenu[] = {
    {"&File", kDocFile},  {"&Edit", kDocEdit},     {"&Data", DataMenu()}, {"&View", kDocView},
    {"Tools", kDocTools}, {"&Window", kDocWindow}, {"&Help", kHelp},
};

// The keys of each command, stated once: the menus show the first after the item's text.
// "Properties" takes Alt with either Enter key (the keypad's and the main one, Return).
constexpr CommandKeyDef kCommandKeys[] = {
    {ID_FILE_NEW, "Ctrl+N"},
    {ID_FILE_OPEN, "Ctrl+O"},
    {ID_FILE_SAVE, "Ctrl+S"},
    {ID_FILE_PRINT, "Ctrl+P"},
    {ID_EDIT_UNDO, "Ctrl+Z", "Alt+Backspace"},
    {ID_EDIT_CUT, "Ctrl+X", "Shift+Del"},
    {ID_EDIT_COPY, "Ctrl+C", "Ctrl+Ins"},
    {ID_EDIT_PASTE, "Ctrl+V", "Shift+Ins"},
    {ID_EDIT_DELETE, "Del"},
    {ID_EDIT_PROPERTIES, "Alt+Enter", "Alt+Return"},
    {ID_EDIT_GOTO, "Ctrl+G"},
    {ID_NEXT_PANE, "F6"},
    {ID_PREV_PANE, "Shift+F6"},
};

struct PromptDef {
    int nId;
    const char* pszPrompt;
};

constexpr PromptDef kPrompts[] = {
    // The program's own prompts.
    {ID_FILE_NEW, "Create a new verdata.mul file\nNew"},
    {ID_FILE_OPEN, "Open an existing verdata.mul file\nOpen"},
    {ID_FILE_CLOSE, "Close the active verdata.mul file\nClose"},
    {ID_FILE_SAVE, "Save the active verdata\nSave"},
    {ID_FILE_SAVE_AS, "Save the active verdata to a new directory\nSave As"},
    {ID_MERGE_CLIENT_FILES,
     "Write new copies of the client files with the active verdata's records merged into "
     "them\nMerge into Client Files"},
    {ID_OPEN_PATCH, "Open an existing file containing patch data\nOpen Patch File"},
    {ID_SAVE_PATCH_AS, "Save current patch file under a different name\nSave Patch As"},
    {ID_SAVE_PATCH, "Save current patch file\nSave Patch"},
    {ID_CLOSE_PATCH, "Close current patch file\nClose Patch File"},
    {ID_VIEW_UNUSED, "View the data entries the are not unsed"},
    {ID_EDIT_GOTO, "Select the entry with a given number\nGo To"},
    {ID_EXPORT, "Save the selected entry as a picture or wave file\nExport"},
    // The standard prompts of the standard commands.
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
    {ID_FILE_MRU_FILE1, "Open this document"},
    {ID_FILE_MRU_FILE1 + 1, "Open this document"},
    {ID_FILE_MRU_FILE1 + 2, "Open this document"},
    {ID_FILE_MRU_FILE1 + 3, "Open this document"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
    {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
    {ID_WINDOW_NEW, "Open another window for the active document\nNew Window"},
    {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows"},
    {ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window\nArrange Icons"},
    {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {ID_VIEW_CHECKERBOARD,
     "Show transparent pixels on a light checkerboard instead of the background\nCheckerboard"},
};

}  // namespace

std::span<const MenuDef> GetMenuBar(int nResource) {
    if (nResource == IDR_MAINFRAME) {
        return kMainMenu;
    }
    if (nResource == IDR_BRINDLTYPE) {
        return kDocMenu;
    }
    return {};
}

std::span<const CommandKeyDef> GetCommandKeys() {
    return kCommandKeys;
}

std::vector<const char*> GetAcceleratorKeys(int nId) {
    std::vector<const char*> keys;
    for (const CommandKeyDef& def : kCommandKeys) {
        if (def.nId == nId) {
            keys.push_back(def.pszKey);
            if (def.pszOtherKey != nullptr) {
                keys.push_back(def.pszOtherKey);
            }
        }
    }
    return keys;
}

std::string GetMenuItemText(const MenuItemDef& item) {
    std::string text = item.pszText != nullptr ? item.pszText : "";
    for (const CommandKeyDef& def : kCommandKeys) {
        if (def.nId == item.nId) {
            text += '\t';
            text += def.pszKey;
            break;
        }
    }
    return text;
}

const char* GetCommandPrompt(int nId) {
    for (const PromptDef& prompt : kPrompts) {
        if (prompt.nId == nId) {
            return prompt.pszPrompt;
        }
    }
    return nullptr;
}

}  // namespace tessaly
