#include "CDataDefMulti.h"

#include "DataModel.h"

#include "EventLog.h"
#include "Patch.h"
#include "PatchFormat.h"
#include "SurfaceDevice.h"
#include "Text.h"
#include "TileData.h"
#include "UopFile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tessaly {

// ---- the entry ----

std::string CDataDefMulti::SourceNote(CClientFiles& files) {
    if (!HasMultiCollection(files)) {
        return {};
    }
    return Format(
        "This client keeps its multis in '%s', which Tessaly does not read: the list "
        "shows only those of 'multi.mul'.",
        kMultiCollectionFile);
}

std::string CDataDefMulti::GetListText() {
    if (const char* absent = AbsentText()) {
        return absent;
    }
    return Format("%d",
                  static_cast<int>(GetEffectiveIndex().GetLength() / GetMultiRecordSize(Files())));
}

bool CDataDefMulti::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefMulti::ReadIndex() {
    return ReadBaseIndex(kSlotMultiIdx, GetIndex());
}

void CDataDefMulti::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::MultiDraw);
    pages.push_back(EntryPage::Script);
}

std::size_t PatchMultiRecordSize(std::size_t length, CClientFiles& files) {
    const std::size_t client = GetMultiRecordSize(files);
    const std::size_t other =
        client == MultiComponent::kSize ? MultiComponent::kWideSize : MultiComponent::kSize;
    return length % client != 0 && length % other == 0 ? other : client;
}

std::vector<MultiComponent> LoadMultiComponents(CMulMultiType& block, const CPatch* pPatch) {
    if (pPatch != nullptr) {
        if (auto record = pPatch->FindPatchRecord(kPatchTypeMulti, block.GetEntry())) {
            return ParseMultiComponents(*record,
                                        PatchMultiRecordSize(record->size(), block.Files()));
        }
    }
    try {
        if (!block.EnsureLoaded()) {
            return {};
        }
    } catch (...) {
        LogCaughtException("loading a multi");
        return {};
    }
    return block.GetComponents();
}

PatchOverlay MakePatchOverlay(ByteSpan records, std::uint32_t count) {
    PatchOverlay overlay;
    const std::size_t client = GetMultiRecordSize(TheClientFiles());
    ForEachPatchRecord(records, count, [&](const PatchRecordView& r) {
        const std::uint8_t type = r.header.nType & kPatchTypeMask;
        if (type == kPatchTypeHues) {
            overlay.hues[r.header.nIndex].assign(r.data.begin(), r.data.end());
        } else if (type == kPatchTypeMulti) {
            overlay.multis[r.header.nIndex] = WriteMultiComponents(
                ParseMultiComponents(r.data, PatchMultiRecordSize(r.data.size())), client);
        } else {
            ++overlay.nOtherRecords;
        }
        return true;
    });
    return overlay;
}

bool CDataDefMulti::GetImage(SurfaceBuffer& buffer) {
    return DrawMultiPicture(LoadMultiComponents(m_Block, DataModelState().m_pPatch), buffer,
                            Files());
}

bool CDataDefMulti::ExportData(const ExportOptions& /*options*/, CExportData& out) {
    SurfaceBuffer buffer;
    return GetImage(buffer) && out.AddPicture(buffer);
}

std::string MultiComponentLine(const MultiComponent& c, std::size_t recordSize,
                               CClientFiles& files) {
    std::string numbers = Format("0%04x \t(%d,%d,%d) \t%d", c.m_wItem, c.m_nX, c.m_nY, c.m_nZ,
                                 static_cast<int>(c.m_dwFlags));
    if (recordSize == MultiComponent::kWideSize) {
        numbers += Format(" \t%u", c.m_dwExtra);
    }
    try {
        CTileItemInfo info;
        info.ReadInfo(c.m_wItem, files);
        return numbers + " \t(" + info.GetName() + ")";
    } catch (...) {
        LogCaughtException("reading a multi component's name");
        return numbers;
    }
}

}  // namespace tessaly
