#pragma once
// The VerData category: one entry object per record of a patch file, standing for the entry
// that the record replaces (its target, made on demand), and the page that shows the record.

#include "CDataDef.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// Where a record's data lies: the document that read it. Before a record's bytes are read,
// its source points file slot 22 and the patch table at its own patch file, so that no
// document reads another document's patch bytes.
class CVerDataSource {
public:
    virtual ~CVerDataSource() = default;
    virtual void ActivatePatch() = 0;
};

class CDataVerData : public CDataDef {
public:
    // A record read from a patch file: the record is copied. pSource may be null.
    explicit CDataVerData(const CUOVersionBlock& record, CVerDataSource* pSource = nullptr);
    // A change made in memory: no record; the target (owned) is the changed entry.
    CDataVerData(std::uint32_t nKey, CDataDef* pTarget);
    // A change made in memory that holds its data: the record it is saved as (file id, block,
    // extra words; offset and length are set when it is written) and the data, none for a
    // deletion. The target is made on demand and shows the data.
    CDataVerData(const CUOVersionBlock& change, std::vector<std::uint8_t> bytes);
    ~CDataVerData() override;

    std::string GetListText() override;
    bool CopyData(EntryClip& clip) override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryVerData; }
    std::int32_t GetTargetType() override;
    bool IsValid() override { return true; }
    bool ReadIndex() override { return false; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // The target entry exports, as it copies.
    CDataDef* GetExportEntry() override { return GetTarget(); }

    // Makes the target entry when it does not exist yet; false without a record or a target.
    bool MakeTarget();
    // The target, made on demand; null when it cannot be made.
    CDataDef* GetTarget();
    // The target as it stands, without making it.
    CDataDef* PeekTarget() const { return m_pTarget.get(); }
    bool HasRecord() const { return m_Record.has_value(); }
    // The record read from the patch file, or null for a change made in memory.
    const CUOVersionBlock* GetRecord() const { return m_Record ? &*m_Record : nullptr; }
    // Points slot 22 and the patch table at this record's patch file.
    void ActivatePatch() const;
    // The change made in memory that holds its data, or null.
    const CUOVersionBlock* GetChange() const { return m_Change ? &*m_Change : nullptr; }
    const std::vector<std::uint8_t>& GetChangeBytes() const { return m_ChangeBytes; }
    // The index record that describes the data of such a change: offset 0, the data's length
    // (0 for a deletion), the extra words.
    IndexRecord GetChangeIndex() const;
    // The record of the file or the change: what the entry replaces (file id and block).
    const CUOVersionBlock* GetReplaced() const;

private:
    // Writes the record's bytes as the opened patch file holds them, the record unchanged but
    // for its offset: Ok; Damaged when the file does not hold them whole, Failed when it cannot
    // be read (nothing written either way).
    ReadStatus CopySourceRecord(CQFile& file, CUOVersionBlock& record) const;

    std::unique_ptr<CDataDef> m_pTarget;
    std::optional<CUOVersionBlock> m_Record;
    std::optional<CUOVersionBlock> m_Change;
    std::vector<std::uint8_t> m_ChangeBytes;
    CVerDataSource* m_pSource = nullptr;  // not owned
};

// The name of a patch file id: the slot's file name, "?Unk0%x" for an id without one, with a
// "?" in front for ids 17 to 29.
std::string FileIdName(std::uint32_t nFileId);

// What the size text of a file id says: "Variable Amount", "Not Valid" or "Max Blocks %d".
std::string VerDataSizeText(std::uint32_t nFileId);

}  // namespace tessaly
