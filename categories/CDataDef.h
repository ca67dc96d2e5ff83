#pragma once
// The entry object of every category and its index-backed variant.
//
// An entry knows its category and index, describes itself as one line of tab-separated list
// text, draws itself, says what the clipboard gets of it, writes its data block into a patch
// file, names the property pages that show it and exports itself. The window side
// (categories/window) turns this into pages, menus and the clipboard; nothing here uses widgets.

#include "ClientFiles.h"
#include "DataExport.h"
#include "DataTypeDef.h"
#include "EntryPicture.h"
#include "Surface.h"
#include "VerDataTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class CDataVerData;
class CMulBlockType;
struct Picture;
struct DataTypeDef;

// The property pages there are; an entry names the ones that show it, in order, and the window
// side makes them.
enum class EntryPage : std::uint8_t {
    AnimDraw,
    Cliloc,
    Font,
    GumpDraw,
    Hue,
    ItemDraw,
    LightDraw,
    Map,
    MultiDraw,
    Script,
    Skill,
    Sound,
    Statics,
    TerrainDraw,
    TextureDraw,
    TileData,
    UniFont,
    Unknown,
    VerData,
};

// What "Copy" puts on the clipboard: a picture, a wave file's bytes, or text.
struct EntryClip {
    SurfaceBuffer picture;           // a picture, or none (no pixels)
    std::vector<std::uint8_t> wave;  // RIFF/WAVE bytes, or empty
    std::string text;                // UTF-8 text, or empty
};

class CDataDef {
public:
    // The number of list-text fields an entry can have.
    static constexpr int kMaxColumns = 7;

    // Reads through files: the process-wide file set unless the creator names another.
    explicit CDataDef(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : m_nIndex(nIndex), m_pFiles(&files) {}
    CDataDef(const CDataDef&) = delete;
    CDataDef& operator=(const CDataDef&) = delete;

    // The entry's list text: tab-separated fields for the category's columns.
    virtual std::string GetListText() = 0;
    // Draws the entry's picture into buffer, sizing the buffer to the picture.
    virtual bool GetImage(SurfaceBuffer& buffer);
    // Fills what "Copy" puts on the clipboard; true when the copy is done (an entry may copy
    // nothing and still answer true).
    virtual bool CopyData(EntryClip& /*clip*/) { return false; }
    // Whether "Copy" puts anything of the entry on the clipboard (a picture, a wave, text).
    virtual bool CanCopy() { return true; }
    // What the sheet's title names after the entry number, or empty (the facet of a block).
    virtual std::string GetTitleNote() { return std::string(); }
    // Writes the entry's data block at the file's position and fills the record's file id,
    // block, length and extra words. False abandons the patch save.
    virtual bool WriteVerData(CQFile& file, CUOVersionBlock& record) = 0;
    // The category id of the class.
    virtual std::int32_t GetDataType() = 0;
    // The category id of the entry the object stands for.
    virtual std::int32_t GetTargetType() { return GetDataType(); }
    // The entry has data.
    virtual bool IsValid() = 0;
    // Reads the entry's index record from the base index file.
    virtual bool ReadIndex() = 0;
    // ReadIndex, with a failure that raises logged (naming `operation`) and taken as no record:
    // the entry then has no data.
    bool ReadIndexLogged(const char* operation = "reading an index record");
    // Attaches a patch record.
    virtual void SetVerData(CDataVerData* pVerData) { m_pVerData = pVerData; }
    // Stores the patch link only.
    virtual void LinkVerData(CDataVerData* pVerData) { m_pVerData = pVerData; }
    // Appends the pages that show the entry, in order.
    virtual void AddPages(std::vector<EntryPage>& pages) = 0;
    // The entry's own action and its menu text ("Play" for a sound); null for none. A double
    // click runs it instead of opening the sheet.
    virtual const char* GetActionText() { return nullptr; }
    virtual void RunAction() {}
    // The sheet applied changes to at least one page.
    virtual void OnDataChanged(int /*nFlag*/) {}
    // Tells the model state (DataModelState), whose window side closes the sheets that show it.
    virtual ~CDataDef();

    // What "Export..." writes for the entry; None (the base) disables the command.
    virtual ExportKind GetExportKind() { return ExportKind::None; }
    // The entry's content decoded for export into out; false when it has nothing to export.
    // The base gives GetImage's picture to the kinds that export pictures.
    virtual bool ExportData(const ExportOptions& options, CExportData& out);
    // The change that replaces the entry with a picture (the categories edited from pictures);
    // null, with the reason in message, when the picture does not fit the format.
    virtual std::unique_ptr<CDataVerData> MakePictureChange(const Picture& picture,
                                                            std::string& message);
    // The entry "Export..." writes: the entry itself (a patch record answers its target).
    virtual CDataDef* GetExportEntry() { return this; }
    // The number of fields GetListText holds when its last one is a name read from the client
    // files, which keeps any tabs it holds (real hue names do); 0 when every tab parts fields.
    virtual int GetListFieldLimit() const { return 0; }
    // Whether the entry's data can be read, without reading it (ReadStatus): the base says Ok
    // for a valid entry and Absent for another, Damaged once a load found its data damaged.
    virtual ReadStatus GetReadStatus() {
        if (m_bDataDamaged) {
            return ReadStatus::Damaged;
        }
        return IsValid() ? ReadStatus::Ok : ReadStatus::Absent;
    }
    // GetReadStatus for a caller that cannot take an exception: a read that throws is logged
    // (naming the operation) and answers Failed.
    ReadStatus QueryReadStatus(const char* operation);

    std::uint32_t GetIndex() const { return m_nIndex; }
    // The file set the entry reads.
    CClientFiles& Files() const { return *m_pFiles; }
    CDataVerData* GetVerData() const { return m_pVerData; }
    // With a linked record of a patch file: points slot 22 and the patch table at that file,
    // gives the record's location and answers true (its data is then ready to read).
    bool ActivateLinkedPatch(IndexRecord& record) const;
    // With a linked change made in memory: the record of its data (GetChangeIndex); true.
    bool GetLinkedChange(IndexRecord& record) const;
    // Loads the block with the entry's data: none for a deleted entry, the data of a linked
    // change made in memory, else what the block reads through the file set. False (logged)
    // without data; data its block finds damaged is not logged but makes the entry's read
    // status Damaged (DataFoundDamaged).
    bool LoadEntryBlock(CMulBlockType& block) const;
    // The last load of the entry's data found it damaged inside a record that holds together.
    bool DataFoundDamaged() const { return m_bDataDamaged; }
    // For entries that load blocks of their own: a load found the data damaged.
    void MarkDataDamaged() const { m_bDataDamaged = true; }
    // 0 unpatched, 1 patched by a change made in memory, 2 patched by a record of the file.
    int GetChangeState() const;
    // The entry is deleted by its patch link: a record of a patch file or a change made in
    // memory, either of length 0. Lists, pages and "Export..." show it as deleted.
    virtual bool IsDeleted() const;
    // Makes an entry read outside a list (by an export) follow the patch table's record for
    // it where no record is linked, as its data loads do: deleted when that record has no data,
    // damaged when it lies outside the patch file. A list's entry does not: one a list shows
    // without the patch file's records describes its base record.
    virtual void FollowPatchTable() {}
    // Field `column` of the list text (null past the last field), or for -1 the change mark:
    // "!" for a damaged entry, else " ", "+" or "*" by GetChangeState. The list text is
    // computed once, on the first call.
    const char* GetColumnText(int column);
    // The short name of the category of GetDataType.
    const char* GetTypeName();
    // The row of GetDataType (null for an id without one).
    const DataTypeDef* GetRow();
    // GetImage's picture as the clipboard's (the picture categories' CopyData).
    bool CopyImage(EntryClip& clip) { return GetImage(clip.picture); }
    // The entry exports something and has data: "Export..." is enabled.
    bool CanExport();

private:
    std::uint32_t m_nIndex;
    // A load found the bytes its record holds damaged (beside m_nIndex: no room taken).
    mutable bool m_bDataDamaged = false;
    CDataVerData* m_pVerData = nullptr;  // not owned: the document owns its records
    CClientFiles* m_pFiles;              // not owned
    // The cached list text, null until first needed: byte 0 holds the number of fields, then
    // the fields follow, each ended by a zero (the tabs replaced). One small block instead of a
    // string plus eight pointers, because lists hold hundreds of thousands of entries.
    std::unique_ptr<char[]> m_pListText;
};

class CDataDefIndex : public CDataDef {
public:
    explicit CDataDefIndex(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {
        m_Index.m_dwLength = 0;
    }

    // True with a patch link, else when the index record has data.
    bool IsValid() override;
    // Also deleted by a record of the patch table, after FollowPatchTable.
    bool IsDeleted() const override;
    void FollowPatchTable() override { m_bFollowPatchTable = true; }
    // A change made in memory is Ok; else the file set's DataStatus of GetEffectiveIndex in the
    // data file of the index ReadBaseIndex read.
    ReadStatus GetReadStatus() override;
    // Takes the record's location as the index record (length with bit 31 set), then links.
    void SetVerData(CDataVerData* pVerData) override;

    const IndexRecord& GetIndexRecord() const { return m_Index; }
    // Where the entry's data lies: the location of a linked record of a patch file (a list
    // links records without reading them into the index record); without a link, after
    // FollowPatchTable, that of the patch table's record for the entry; else the index record.
    IndexRecord GetEffectiveIndex() const;
    // The index record the list text describes: that of a linked change made in memory, else
    // where the entry's data lies (GetEffectiveIndex: a saved patch record's, else its own).
    IndexRecord GetShownIndex() const;

protected:
    // The list text of an entry without data to describe: "unused" without data, "delete" when
    // a patch record deletes it; null for an entry with data.
    const char* AbsentText();
    // "%d" with the block length, or "unused" when the entry has no data.
    std::string LengthText();
    // Writes a block's bytes into a patch file being saved and fills its record: file id,
    // block and extra words from layout, the length from the bytes.
    static bool WriteBlock(CQFile& file, CUOVersionBlock& record, const CUOVersionBlock& layout,
                           ByteSpan bytes);
    // ReadIndexRecord of the base index alone (patch id 33) for entry n of the index file.
    bool ReadBaseIndex(std::int32_t nIndexFile, std::uint32_t nEntry);

    IndexRecord m_Index;
    // The index slot ReadBaseIndex read (fits in the padding after m_Index); -1 before.
    std::int8_t m_nIndexSlot = -1;
    bool m_bFollowPatchTable = false;
    std::uint32_t m_nIndexEntry = 0;  // the record ReadBaseIndex read
};

// Reads the first bytes of the record's data (at most nMax; fewer when the record is
// shorter) into out. False when the record has no data or the read fails.
bool ReadDataHead(CClientFiles& files, std::int32_t nDataSlot, const IndexRecord& record,
                  std::uint32_t nMax, std::vector<std::uint8_t>& out);

// Makes a new entry object of a category (owned by the caller); ids without a class of their
// own, kCategoryVerData included, give a CDataDefJunk. The caller then calls ReadIndex or
// SetVerData.
CDataDef* CreateDataDef(std::int32_t nCategory, std::uint32_t nIndex,
                        CClientFiles& files = TheClientFiles());

}  // namespace tessaly
