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

namespace tessaly {

CDataDef* CreateDataDef(std::int32_t nCategory, std::uint32_t nIndex) {
    switch (nCategory) {
        case 31201:
            return new CDataDefAnim(nIndex);
        case 31202:
            return new CDataDefTexture(nIndex);
        case 31203:
            return new CDataDefTerrain(nIndex);
        case 31204:
            return new CDataDefItem(nIndex);
        case 31205:
            return new CDataDefSound(nIndex);
        case 31206:
            return new CDataDefLight(nIndex);
        case 31207:
            return new CDataDefGump(nIndex);
        case 31208:
            return new CDataDefSkill(nIndex);
        case 31209:
            return new CDataDefMulti(nIndex);
        case 31210:
            return new CDataDefHue(nIndex);
        case 31211:
            return new CDataDefFont(nIndex);
        case 31212:
            return new CDataDefMap(nIndex);
        case 31213:
            return new CDataDefStatics(nIndex);
        case 31214:
            return new CDataDefTileData(nIndex);
        default:
            return new CDataDefJunk(nIndex);
    }
}

}  // namespace tessaly
