#pragma once
// Multis ("multi.idx"/"multi.mul"): structures made of item pictures, and the composition that
// places their items on screen. The "Image" page and its "Tile Item" dialog are in
// window/MultiPages.h.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "MultiType.h"
#include "QRect.h"
#include "Surface.h"

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class CPatch;

class CDataDefMulti : public CDataDefIndex {
public:
    explicit CDataDefMulti(std::uint32_t nIndex) : CDataDefIndex(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMultis; }
    // Exports the structure drawn whole (DrawMultiPicture), with the components of the
    // application's ".pat" patch when it holds them, as the page shows it.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    CMulMultiType& GetBlock() { return m_Block; }

private:
    CMulMultiType m_Block;
};

// The components of a multi placed for drawing in the client's isometric view. Components are
// grouped by cell (x, y); cells are drawn row by row, left to right, and within a cell by
// z + item height (list order for equal keys). Each placed item's top-left corner is given
// relative to the origin: ((x - y) * 22 - width / 2, (x + y) * 22 - height - z * 4).
class CMultiComposition {
public:
    struct Piece {
        MultiComponent m_Component;
        CTileItemType* m_pItem;  // owned by the composition; its picture loaded
        std::int32_t m_nX;       // top-left corner relative to the origin
        std::int32_t m_nY;
    };

    explicit CMultiComposition(const std::vector<MultiComponent>& components);

    // "MULTIREGION": the rectangle holding the origin and every component's cell, right and
    // bottom one past the largest offsets.
    const CQRect& GetRegion() const { return m_Region; }
    // The pieces in drawing order; components whose picture does not load are left out.
    const std::vector<Piece>& GetPieces() const { return m_Pieces; }
    // The rectangle the pieces cover, relative to the origin (empty without pieces).
    CQRect GetBounds() const;
    // Draws the pieces whose z lies in [low, high] with the origin at (x, y).
    void Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y, std::int32_t low = INT_MIN,
              std::int32_t high = INT_MAX) const;

private:
    // The item's picture block (loaded once per item number), or null when it does not load.
    CTileItemType* GetItem(std::uint16_t item);
    // z + the item's tile data height, or false when the item or its record does not read.
    bool GetKey(const MultiComponent& component, std::int32_t& key);

    CQRect m_Region;
    std::map<std::uint16_t, std::unique_ptr<CTileItemType>> m_Items;
    std::vector<Piece> m_Pieces;
};

// Draws a whole multi into a picture just large enough for every drawn item, on black. False
// (buffer released) when nothing is drawn.
bool DrawMultiPicture(const std::vector<MultiComponent>& components, SurfaceBuffer& buffer);

// The components of multi `index`: the ".pat" record (type 14) when patch is not null and holds
// one, else the client's "multi.mul" entry.
//
// A ".pat" record holds components of the client's record size (12 or 16 bytes), as the page
// saves them; a record whose length only the other size divides is read with that one.
std::size_t PatchMultiRecordSize(std::size_t length);
std::vector<MultiComponent> LoadMultiComponents(CMulMultiType& block, const CPatch* pPatch);

// A component's list line: "0%04x \t(%d,%d,%d) \t%d \t(%s)", without the name part when its
// tile data record does not read.
std::string MultiComponentLine(const MultiComponent& component);

}  // namespace tessaly
