#include "CDataListThumbs.h"

namespace tessaly {

CDataListThumbs::CDataListThumbs(std::int32_t nCategory) : CDataList(nCategory) {
    setFrameShape(QFrame::StyledPanel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

}  // namespace tessaly
