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
    // A damaged record's length is no count of its components.
    if (GetReadStatus() == ReadStatus::Damaged) {
        return "?";
    }
    return Format("%d",
                  static_cast<int>(GetEffectiveIndex().GetLength() / GetMultiRecordSize(Files())));
}

ReadStatus CDataDefMulti::GetReadStatus() {
    const ReadStatus status = CDataDefIndex::GetReadStatus();
    if (status == ReadStatus::Ok &&
        HoldsTooManyComponents(GetEffectiveIndex().GetLength(), GetMultiRecordSize(Files()))) {
        return ReadStatus::Damaged;
    }
    return status;
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

namespace {

// Components read with the wrong record size take their fields from the neighbours' bytes:
// flags past 16 bits or offsets no structure reaches. How many of the record's do.
std::size_t CountImplausible(ByteSpan bytes, std::size_t recordSize) {
    constexpr int kReach = 1024;
    const std::vector<MultiComponent> components = ParseMultiComponents(bytes, recordSize);
    return static_cast<std::size_t>(
        std::count_if(components.begin(), components.end(), [](const MultiComponent& c) {
            return c.m_dwFlags > 0xFFFF || std::abs(c.m_nX) > kReach || std::abs(c.m_nY) > kReach ||
                   std::abs(c.m_nZ) > kReach;
        }));
}

}  // namespace

std::size_t PatchMultiRecordSize(ByteSpan bytes, CClientFiles& files) {
    const std::size_t client = GetMultiRecordSize(files);
    const std::size_t other =
        client == MultiComponent::kSize ? MultiComponent::kWideSize : MultiComponent::kSize;
    if (bytes.size() % other != 0) {
        return client;
    }
    if (bytes.size() % client != 0) {
        return other;
    }
    // Both sizes divide it (a multiple of 48 bytes): the size whose components hold together.
    return CountImplausible(bytes, other) < CountImplausible(bytes, client) ? other : client;
}

std::optional<std::vector<MultiComponent>> PatchMultiComponents(ByteSpan bytes,
                                                                CClientFiles& files) {
    const std::size_t size = PatchMultiRecordSize(bytes, files);
    if (HoldsTooManyComponents(bytes.size(), size)) {
        return std::nullopt;
    }
    return ParseMultiComponents(bytes, size);
}

std::vector<MultiComponent> LoadMultiComponents(CMulMultiType& block, const CPatch* pPatch,
                                                MultiSource* pSource) {
    MultiSource unused = MultiSource::Files;
    MultiSource& source = pSource != nullptr ? *pSource : unused;
    source = MultiSource::Files;
    if (pPatch != nullptr) {
        if (auto record = pPatch->FindPatchRecord(kPatchTypeMulti, block.GetEntry())) {
            std::optional<std::vector<MultiComponent>> components =
                PatchMultiComponents(*record, block.Files());
            source = components ? MultiSource::Patch : MultiSource::DamagedPatch;
            if (!components) {
                g_pEventLog->LogRepeatable("reading a multi of the \".pat\" patch",
                                           Format("tessaly: multi %u of the \".pat\" patch: Multi: "
                                                  "Too many components\n",
                                                  block.GetEntry()));
                return {};
            }
            return std::move(*components);
        }
    }
    // A damaged multi is said by its read status, a failed read logged.
    if (LoadBlockLogged(block) != ReadStatus::Ok) {
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
            const std::optional<std::vector<MultiComponent>> components =
                PatchMultiComponents(r.data);
            if (!components) {
                overlay.damagedMultis.push_back(r.header.nIndex);
                overlay.multis.erase(r.header.nIndex);  // an earlier record of it is replaced
                return true;
            }
            overlay.multis[r.header.nIndex] = WriteMultiComponents(*components, client);
        } else {
            ++overlay.nOtherRecords;
        }
        return true;
    });
    return overlay;
}

bool CDataDefMulti::DrawWhole(SurfaceBuffer& buffer, std::string* why) {
    return DrawMultiPicture(LoadMultiComponents(m_Block, DataModelState().m_pPatch), buffer,
                            Files(), why);
}

bool CDataDefMulti::GetImage(SurfaceBuffer& buffer) {
    return DrawWhole(buffer, nullptr);
}

bool CDataDefMulti::ExportData(const ExportOptions& /*options*/, CExportData& out) {
    SurfaceBuffer buffer;
    std::string why;
    if (!DrawWhole(buffer, &why)) {
        if (!why.empty()) {
            out.AddNote(why);
        }
        return false;
    }
    return out.AddPicture(buffer);
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
