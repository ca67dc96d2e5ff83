#pragma once
// Data blocks: one entry of a client data file, read through the file set on first use.

#include "Bytes.h"
#include "ClientFiles.h"

#include <cstdint>
#include <vector>

namespace tessaly {

// Root of the data block family.
class CMemDynamic {
public:
    virtual ~CMemDynamic() = default;
};

// One data block of a client file. Created with only its entry number; `Load` (supplied by
// every concrete kind) reads the index record and the bytes the first time they are needed.
class CMulBlockType : public CMemDynamic {
public:
    // Reads through files: the process-wide file set unless the owner names another.
    explicit CMulBlockType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : m_nEntry(entry), m_pFiles(&files) {}
    CMulBlockType(const CMulBlockType&) = delete;
    CMulBlockType& operator=(const CMulBlockType&) = delete;

    // Reads the entry's index record and data. False (nothing loaded) without a valid record.
    virtual bool Load() = 0;

    bool IsLoaded() const { return !m_Data.empty(); }
    // True at once when loaded, otherwise the result of Load.
    bool EnsureLoaded() { return IsLoaded() || Load(); }
    // The first data byte, or null when the block cannot be loaded (or is empty).
    const std::uint8_t* GetData();
    // The loaded bytes (empty when not loaded); does not load.
    ByteSpan GetBytes() const { return ByteSpan(m_Data.data(), m_Data.size()); }
    std::uint32_t GetDataLength() const { return static_cast<std::uint32_t>(m_Data.size()); }
    std::uint32_t GetEntry() const { return m_nEntry; }
    CClientFiles& Files() const { return *m_pFiles; }

    // Replaces the block with `length` zero bytes (no block for 0).
    void AllocData(std::uint32_t length);
    void FreeData();
    // Replaces the block with the bytes the record locates (patch file when the record is a
    // patch record). A stretch that does not fit its file is refused before anything is
    // allocated; a failed read raises CTarnError(2, E_FAIL, "LoadMulData: Read").
    void LoadMulData(std::int32_t dataFileId, const IndexRecord& record);
    // Takes bytes that no file holds yet (an edit not saved) as the loaded block, with the
    // record describing them, as a Load of that record would.
    void SetMemoryData(const IndexRecord& record, std::vector<std::uint8_t> bytes);

protected:
    // Sets the kind's own fields from the entry's index record (gump size, sound length).
    virtual void TakeRecord(const IndexRecord& /*record*/) {}

    // The entry's effective index record through the block's file set.
    bool ReadIndex(std::int32_t indexSlot, std::int32_t dataSlot, std::uint32_t entry,
                   IndexRecord& record) const;

    std::uint32_t m_nEntry;
    std::uint32_t m_nReserved = 0;  // cleared at construction, otherwise unused
    CClientFiles* m_pFiles;         // not owned
    std::vector<std::uint8_t> m_Data;
};

// A data block that decodes to an image.
class CMulImageType : public CMulBlockType {
public:
    using CMulBlockType::CMulBlockType;
};

// Loads a block through the file set: Ok, Absent without data, Damaged when its record lies
// outside its file or its bytes do not hold together (kDamagedEntry), Failed (logged) when it
// cannot be read.
ReadStatus LoadBlockLogged(CMulBlockType& block);

}  // namespace tessaly
