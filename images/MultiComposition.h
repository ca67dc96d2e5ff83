#pragma once
// The composition of a multi: its components' item pictures placed as the client's isometric
// view shows them, and the whole multi drawn as one picture.

#include "ArtTypes.h"
#include "MultiType.h"
#include "QRect.h"
#include "Surface.h"

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

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

    // The items' pictures and tile data are read through files.
    explicit CMultiComposition(const std::vector<MultiComponent>& components,
                               CClientFiles& files = TheClientFiles());

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

    CClientFiles* m_pFiles;  // not owned
    CQRect m_Region;
    std::map<std::uint16_t, std::unique_ptr<CTileItemType>> m_Items;
    std::map<std::uint16_t, std::optional<std::int32_t>> m_Heights;  // tile data height per item
    std::vector<Piece> m_Pieces;
};

// Draws a whole multi into a picture just large enough for every drawn item, on black. False
// (buffer released) when nothing is drawn; then why, when given, says so if the picture would
// pass what one picture holds (it stays empty for a multi with nothing to draw).
bool DrawMultiPicture(const std::vector<MultiComponent>& components, SurfaceBuffer& buffer,
                      CClientFiles& files = TheClientFiles(), std::string* why = nullptr);

}  // namespace tessaly
