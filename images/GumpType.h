#pragma once
// Gumps (interface pictures) of "gumpart.mul".
//
// The index record's first extra word is the height, the second the width. The block starts
// with a row table of height 32-bit entries: row r's data starts at byte 4 x entry r. Row data
// is pairs (colour word, run length word); colour 0 is a transparent gap. A row ends once the
// run lengths add up to at least the width.

#include "MulBlock.h"
#include "Surface.h"

namespace tessaly {

class CTileGumpType : public CMulImageType {
public:
    explicit CTileGumpType(std::uint32_t entry, CClientFiles& files = TheClientFiles())
        : CMulImageType(entry, files) {}

    bool Load() override;
    std::uint32_t GetWidth() const { return m_nWidth; }
    std::uint32_t GetHeight() const { return m_nHeight; }
    bool Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y, std::uint16_t hue = 0);

    // Decodes a gump block of the given size. Rows whose table entry or pairs do not lie wholly
    // inside the block are left out; the rows that fit are drawn.
    static bool DrawData(CSurfaceDCData& surface, ByteSpan data, std::uint32_t width,
                         std::uint32_t height, std::int32_t x, std::int32_t y,
                         std::uint16_t hue = 0);

protected:
    // Width from the second extra word, height from the first.
    void TakeRecord(const IndexRecord& record) override;

private:
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
};

}  // namespace tessaly
