#include "CDataDef.h"
#include "CDataDefAnim.h"
#include "CDataDefFont.h"
#include "CDataDefGump.h"
#include "CDataDefHue.h"
#include "CDataDefItem.h"
#include "CDataDefJunk.h"
#include "CDataDefLight.h"
#include "CDataDefMap.h"
#include "CDataDefMulti.h"
#include "CDataDefSkill.h"
#include "CDataDefSound.h"
#include "CDataDefStatics.h"
#include "CDataDefTerrain.h"
#include "CDataDefTexture.h"
#include "CDataDefTileData.h"
#include "DataTypeDef.h"

namespace tessaly {

CDataDef* CreateDataDef(std::int32_t nCategory, std::uint32_t nIndex) {
    switch (nCategory) {
        case kCategoryAnims:
            return new CDataDefAnim(nIndex);
        case kCategoryTextures:
            return new CDataDefTexture(nIndex);
        case kCategoryTerrain:
            return new CDataDefTerrain(nIndex);
        case kCategoryItems:
            return new CDataDefItem(nIndex);
        case kCategorySounds:
            return new CDataDefSound(nIndex);
        case kCategoryLights:
            return new CDataDefLight(nIndex);
        case kCategoryGumps:
            return new CDataDefGump(nIndex);
        case kCategorySkills:
            return new CDataDefSkill(nIndex);
        case kCategoryMultis:
            return new CDataDefMulti(nIndex);
        case kCategoryHues:
            return new CDataDefHue(nIndex);
        case kCategoryFonts:
            return new CDataDefFont(nIndex);
        case kCategoryMap:
            return new CDataDefMap(nIndex);
        case kCategoryStatics:
            return new CDataDefStatics(nIndex);
        case kCategoryTileData:
            return new CDataDefTileData(nIndex);
        default:
            return new CDataDefJunk(nIndex);
    }
}

}  // namespace tessaly
