#include "StaticsPages.h"

#include "CDataAppState.h"
#include "CDataDefStatics.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace tessaly {

CDataPageStatics::CDataPageStatics() : CDataPage(153, QStringLiteral("Statics")) {
    m_pCoords = new QLabel(this);
    ids::SetControlId(m_pCoords, ids::IDC_STATICS_COORDS);
    m_pCount = new QLabel(this);
    ids::SetControlId(m_pCount, ids::IDC_STATICS_COUNT);
    m_pList = new QListWidget(this);
    ids::SetControlId(m_pList, ids::IDC_STATICS_LIST);
    m_pList->setSortingEnabled(false);

    auto* layout = new QVBoxLayout(this);
    auto* coords = new QHBoxLayout;
    coords->addWidget(new QLabel(QStringLiteral("Map Block Coords"), this));
    coords->addWidget(m_pCoords, 1);
    layout->addLayout(coords);
    auto* count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("8x8 block of static items"), this));
    count->addWidget(m_pCount, 1);
    layout->addLayout(count);
    layout->addWidget(m_pList, 1);
}

int CDataPageStatics::LoadData() {
    auto* entry = dynamic_cast<CDataDefStatics*>(GetDataDef());
    if (entry == nullptr) {
        return 1;
    }
    m_sCoords = QString::fromStdString(MapBlockCoords(entry->GetIndex(), entry->GetFacet()));
    m_pList->clear();
    bool bFailed = false;
    try {
        entry->LoadStatics();
    } catch (...) {
        LogCaughtException("loading a statics block");
        bFailed = true;
    }
    const CStaticsList& statics = entry->GetStatics();
    m_sCount = QString::fromStdString(Format("%d items", static_cast<int>(statics.GetCount())));
    // A damaged block lists no items: the count says why, in place of a message box.
    const bool damaged =
        entry->QueryReadStatus("asking whether a statics block is damaged") == ReadStatus::Damaged;
    if (damaged) {
        m_sCount += QStringLiteral(" (the block's record is damaged)");
    }
    for (const CStaticItem& item : statics.Items()) {
        std::string line = Format("(%d,%d,%d)\t%04xh", item.m_bX, item.m_bY, item.m_cZ,
                                  static_cast<unsigned>(item.m_wTile));
        // A tile without a readable record still gets its line, without the name.
        if (const std::optional<std::string> name = StaticItemName(item.m_wTile)) {
            line += Format("\t(%s)", name->c_str());
        }
        m_pList->addItem(QString::fromLatin1(line.c_str()));
    }
    if (bFailed && !damaged) {
        DataAppState().Ui().ShowWarning("The statics of this map block could not be read.");
    }
    return CDataPage::LoadData();
}

void CDataPageStatics::MembersToControls() {
    m_pCoords->setText(m_sCoords);
    m_pCount->setText(m_sCount);
}

}  // namespace tessaly
