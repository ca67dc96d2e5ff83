#pragma once
// The "Item" page of the Items category.

#include "CDataDefItem.h"
#include "CDataPageDraw.h"

namespace tessaly {

// "Item": the picture of an item, its size ("%d,%d") and two buttons without action.
class CDataPageItemDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageItemDraw();
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* pEntry) override;
    QString SizeText() override;
};

}  // namespace tessaly
