#include "MapPages.h"

#include "CDataAppState.h"
#include "CDataDefStatics.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "MapBlock.h"
#include "Text.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace tessaly {

CDataPageMap::CDataPageMap() : CDataPage(152, QStringLiteral("Map")) {
    m_pList = new QListWidget(this);
    ids::SetControlId(m_pList, ids::IDC_MAP_CELLS);
    // Cells stay in row order, the order of the block.
    m_pList->setSortingEnabled(false);
    m_pCoords = new QLabel(this);
    ids::SetControlId(m_pCoords, ids::IDC_MAP_COORDS);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("8x8 block of terrain heights"), this));
    layout->addWidget(m_pList, 1);
    auto* coords = new QHBoxLayout;
    coords->addWidget(new QLabel(QStringLiteral("Map Block Coords"), this));
    coords->addWidget(m_pCoords, 1);
    layout->addLayout(coords);
}

int CDataPageMap::LoadData() {
    auto* entry = dynamic_cast<CDataDefMap*>(GetDataDef());
    if (entry == nullptr) {
        return 1;
    }
    m_sCoords = QString::fromStdString(MapBlockCoords(entry->GetIndex(), entry->GetFacet()));
    m_pList->clear();
    CMapBlock block;
    try {
        entry->ReadBlock(block);
    } catch (...) {
        LogCaughtException("loading a map block");
        DataAppState().Ui().ShowWarning("This map block could not be read.");
    }
    if (block.IsLoaded()) {
        for (std::uint32_t y = 0; y < 8; ++y) {
            for (std::uint32_t x = 0; x < 8; ++x) {
                const CMapCell& cell = block.GetCell(x, y);
                m_pList->addItem(QString::fromStdString(
                    Format("(%d,%d)\t%d\t%04xh", static_cast<int>(x), static_cast<int>(y),
                           cell.m_cZ, static_cast<unsigned>(cell.m_wTile))));
            }
        }
    }
    return CDataPage::LoadData();
}

void CDataPageMap::MembersToControls() {
    m_pCoords->setText(m_sCoords);
}

}  // namespace tessaly
