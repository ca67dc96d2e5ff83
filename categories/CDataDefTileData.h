#pragma once
// Tile data groups of 32 records ("tiledata.mul"): the entries of the TileData category.

#include "CDataDef.h"
#include "QArray.h"
#include "TileData.h"

#include <array>
#include <memory>
#include <string>

namespace tessaly {

class CDataDefTileData : public CDataDef {
public:
    explicit CDataDefTileData(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTileData; }
    // A group that "tiledata.mul" holds, or one with a patch link.
    bool IsValid() override;
    bool ReadIndex() override;
    // Reads the group from the patch record's location (unless read), then links it.
    void SetVerData(CDataVerData* pVerData) override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the group once: from a linked record of a patch file or change made in memory, else
    // from "tiledata.mul". A record whose length does not fit the client's layout is not read:
    // the base file's group stands, and GetPatchNote says why. False when it cannot be read.
    bool ReadBlock();
    // Record p (0-31) of the read group, in the layout it was read in; false before the group
    // is read.
    bool GetTerrainRecord(std::uint32_t p, CTileTerrainInfo& info) const;
    bool GetItemRecord(std::uint32_t p, CTileItemInfo& info) const;
    bool IsItemBlock() const { return GetIndex() >= kTerrainGroupCount; }
    // Why the linked patch record was not read; empty when it was, or when there is none.
    const std::string& GetPatchNote() const { return m_sPatchNote; }
    // The layout the group was read in.
    TileDataLayout GetLayout() const { return m_Shape.layout; }
    // The change that stores the read group with record p (0-31) replaced by `record`, bytes of
    // the group's layout: a tile data patch record of the whole group.
    std::unique_ptr<CDataVerData> MakeRecordChange(std::uint32_t p, ByteSpan record) const;

private:
    bool ReadFrom(const IndexRecord& record);
    // Reads the group from the linked change made in memory.
    bool ReadChange();
    // Reads the group from "tiledata.mul".
    bool ReadBase();

    // The group as read: a 4-byte header, then 32 records of the layout's size (the room fits
    // the largest group, of newer items).
    std::array<std::uint8_t, 4 + kTileGroupSize * CTileItemInfo::kNewerSize> m_Block{};
    TileDataShape m_Shape;
    std::string m_sPatchNote;
    bool m_bRead = false;
};

// Group `block` of tile data as a patch document shows it: read from the document's last record
// or change of that group, else from "tiledata.mul". records: the document's records (null:
// none). Null when the group cannot be read.
std::unique_ptr<CDataDefTileData> ReadTileGroup(std::uint32_t block,
                                                const CQObArray<CDataVerData*>* records);

}  // namespace tessaly
