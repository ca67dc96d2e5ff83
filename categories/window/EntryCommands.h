#pragma once
// The window side of an entry: its property sheet and pages, its context menu and commands, the
// clipboard and "Export...". The entry (CDataDef) says what; these show it.

class QMenu;
class QWidget;

namespace tessaly {

class CDataDef;
class CDataPage;
class CDataProps;
struct ExportOptions;
enum class EntryPage : unsigned char;

// A new page of a kind (owned by the caller, then by the sheet it joins).
CDataPage* CreatePage(EntryPage page);
// Adds the pages the entry names to a sheet.
void AddEntryPages(CDataDef& entry, CDataProps* pSheet);
// Shows the entry in a property sheet; the sheet, or null when an open sheet already showed it,
// the current sheet kept its pages, or creation failed.
CDataProps* OpenProperties(CDataDef& entry);
// Appends the entry's context-menu commands ("Properties...", "Copy", "Delete", "Paste Over",
// its action); each action carries its command id as data.
void AddEntryMenuItems(CDataDef& entry, QMenu* pMenu);
// Why "Copy" is greyed for an entry that has nothing for the clipboard.
inline constexpr const char* kNothingToCopy =
    "The entry has no picture, sound or text to put on the clipboard";
// Carries out a command on the entry; true when handled. pWindow may be null.
bool RunEntryCommand(CDataDef& entry, QWidget* pWindow, int nId);
// Puts what the entry copies on the clipboard (emptied first); false without a GUI application
// or when the entry copies nothing.
bool CopyEntry(CDataDef& entry);
// Takes into options what the open sheets show of the entry (an animation's action and
// direction).
void GetShownExportOptions(CDataDef& entry, ExportOptions& options);
// "Export...": asks for the file through the dialog route, decodes and writes it; a failure is
// a warning naming what went wrong. False when nothing was written.
bool ExportEntry(CDataDef& entry);

}  // namespace tessaly
