#pragma once
// The "Gump" page of the Gumps category.

#include "CDataDefGump.h"
#include "CDataPageDraw.h"

namespace tessaly {

// "Gump": the picture of a gump and its size ("%d, %d", width first).
class CDataPageGumpDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageGumpDraw();
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* pEntry) override;
    QString SizeText() override;
};

}  // namespace tessaly
