#pragma once
// The menus, accelerators and status-bar prompts of the program, as data. The application object
// builds its menu bars from these tables; the command ids are those of ResourceIds.h.

#include <span>

namespace tessaly {

// One item of a menu. A separator has id 0 and no text; the recent-file list is the item with
// id ID_FILE_MRU_FILE1 and stands for the four items 57616 to 57619.
struct MenuItemDef {
    int nId;
    const char* pszText;
    // Shown disabled until the command's state handler enables it.
    bool bStartsDisabled = false;
};

struct MenuDef {
    const char* pszTitle;
    std::span<const MenuItemDef> items;
};

// A key that carries out a command. The key is written in Qt's portable form ("Ctrl+N").
struct AcceleratorDef {
    int nId;
    const char* pszKey;
};

// Number of entries of the recent-file list.
inline constexpr int kRecentFileCount = 4;

// The menu bar of a resource: 128 (no document open) or 129 (the document's full menu); empty
// for any other number.
std::span<const MenuDef> GetMenuBar(int nResource);

// Every accelerator of the program, the main menu's and the document menu's alike.
std::span<const AcceleratorDef> GetAccelerators();

// The status-bar prompt of a command: the prompt, then after a line break the tool tip (which may
// be missing). Null for a command without a prompt.
const char* GetCommandPrompt(int nId);

}  // namespace tessaly
