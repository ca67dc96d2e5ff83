#include "Patch.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace tessaly {

PatchFileDialog PatchFileDialog::For(Kind kind) {
    PatchFileDialog d;
    d.nKind = kind;
    switch (kind) {
        case Open:
            d.bMustExist = true;
            d.bHideReadOnly = true;
            break;
        case Merge:
            d.bConfirmOverwrite = true;
            break;
        case SaveAs:
            d.bSave = true;
            d.bConfirmOverwrite = true;
            break;
    }
    return d;
}

CPatch::CPatch(CPatchFileIO* io) : m_pIO(io ? io : &m_DefaultIO) {}

CPatch::Position CPatch::Locate(std::uint8_t nType, std::uint32_t nIndex) const {
    const std::uint8_t type = nType & kPatchTypeMask;
    Position pos;
    pos.nOffset = m_PatchData.size();
    // The records are in ascending order (files are put in order as they are read); the walk
    // stops at the first record that is not ordered before the pair.
    ForEachPatchRecord(m_PatchData, m_nPatchCount, [&](const PatchRecordView& r) {
        const std::uint8_t recordType = r.header.nType & kPatchTypeMask;
        if (recordType < type || (recordType == type && r.header.nIndex < nIndex)) {
            return true;
        }
        pos.nOffset = r.nOffset;
        pos.bFound = recordType == type && r.header.nIndex == nIndex;
        pos.nLength = pos.bFound ? r.header.nLength : 0;
        return false;
    });
    return pos;
}

bool CPatch::FindPatchRecord(std::uint8_t* pOut, std::uint8_t nType, std::uint32_t& nLength,
                             std::uint32_t nIndex) const {
    Position pos = Locate(nType, nIndex);
    nLength = pos.nLength;
    if (pos.bFound && pOut && nLength != 0) {
        std::memcpy(pOut, m_PatchData.data() + pos.nOffset + PatchRecordHeader::kSize, nLength);
    }
    return pos.bFound;
}

std::optional<std::vector<std::uint8_t>> CPatch::FindPatchRecord(std::uint8_t nType,
                                                                 std::uint32_t nIndex) const {
    Position pos = Locate(nType, nIndex);
    if (!pos.bFound) {
        return std::nullopt;
    }
    auto first =
        m_PatchData.begin() + static_cast<std::ptrdiff_t>(pos.nOffset + PatchRecordHeader::kSize);
    return std::vector<std::uint8_t>(first, first + pos.nLength);
}

void CPatch::InsertPatchRecord(std::vector<std::uint8_t> data, std::uint8_t nType,
                               std::uint32_t nIndex) {
    if (data.size() > UINT32_MAX) {
        throw std::length_error("InsertPatchRecord: data too long");
    }
    Position pos = Locate(nType, nIndex);
    const std::size_t replaced = pos.bFound ? PatchRecordHeader::kSize + pos.nLength : 0;
    ByteSpan old(m_PatchData);
    ByteWriter writer;
    writer.bytes(old.first(pos.nOffset));
    PatchRecordHeader{nType, nIndex, static_cast<std::uint32_t>(data.size())}.Write(writer);
    writer.bytes(data);
    writer.bytes(old.subspan(pos.nOffset + replaced));
    m_PatchData = writer.take();
    if (!pos.bFound) {
        ++m_nPatchCount;
    }
    m_bPatchModified = true;
}

void CPatch::Clear() {
    m_PatchData.clear();
    m_PatchData.shrink_to_fit();
    m_nPatchCount = 0;
    m_sPatchPath.clear();
    m_bPathRefused = false;
    m_bPatchModified = false;
}

bool CPatch::OfferToSave(CPatchUi& ui) {
    return !m_bPatchModified || !ui.AskYesNo(kPatchSaveQuestion) || SavePatch(ui);
}

bool CPatch::ClosePatch(CPatchUi& ui) {
    if (!OfferToSave(ui)) {
        return false;
    }
    Clear();
    return true;
}

std::optional<PatchFileContents> CPatch::ReadChosen(CPatchUi& ui, const std::string& path) {
    auto bytes = m_pIO->ReadFile(path);
    if (!bytes) {
        ui.ShowMessage(kPatchUnableToOpen);
        return std::nullopt;
    }
    // Later saves go to the chosen file; one that is refused is only offered in the save dialog.
    m_sPatchPath = path;
    PatchFileContents contents = ReadPatchFile(*bytes);
    m_bPathRefused = !contents.IsValid();
    if (m_bPathRefused) {
        ui.ShowMessage(kPatchInvalidFormat);
        return std::nullopt;
    }
    return contents;
}

void CPatch::OpenPatch(CPatchUi& ui) {
    if (!ClosePatch(ui)) {
        return;
    }
    if (auto path = ui.ChooseFile(PatchFileDialog::For(PatchFileDialog::Open))) {
        LoadChosen(ui, *path);
    }
}

void CPatch::OpenPatchFile(CPatchUi& ui, const std::string& path) {
    if (ClosePatch(ui)) {
        LoadChosen(ui, path);
    }
}

void CPatch::LoadChosen(CPatchUi& ui, const std::string& path) {
    auto contents = ReadChosen(ui, path);
    if (!contents) {
        return;
    }
    m_PatchData = std::move(contents->records);
    m_nPatchCount = contents->nCount;
    m_bPatchModified = false;
}

void CPatch::MergePatch(CPatchUi& ui) {
    auto path = ui.ChooseFile(PatchFileDialog::For(PatchFileDialog::Merge));
    if (!path) {
        return;
    }
    auto contents = ReadChosen(ui, *path);
    if (!contents) {
        return;
    }
    // Both hold one record a pair in ascending order: one pass makes the whole, a merged record
    // in place of the patch's of its pair (inserting them one by one took time quadratic in
    // the records).
    auto views = [](ByteSpan records, std::uint32_t count) {
        std::vector<PatchRecordView> all;
        ForEachPatchRecord(records, count, [&](const PatchRecordView& r) {
            all.push_back(r);
            return true;
        });
        return all;
    };
    const std::vector<PatchRecordView> mine = views(m_PatchData, m_nPatchCount);
    const std::vector<PatchRecordView> theirs = views(contents->records, contents->nCount);
    const ByteSpan mineBytes(m_PatchData);
    const ByteSpan theirBytes(contents->records);
    ByteWriter out;
    std::uint32_t count = 0;
    auto a = mine.begin();
    auto b = theirs.begin();
    while (a != mine.end() || b != theirs.end()) {
        if (b == theirs.end() || (a != mine.end() && a->Key() < b->Key())) {
            out.bytes(mineBytes.subspan(a->nOffset, a->Size()));
            ++a;
        } else {
            if (a != mine.end() && a->Key() == b->Key()) {
                ++a;
            }
            out.bytes(theirBytes.subspan(b->nOffset, b->Size()));
            ++b;
        }
        ++count;
    }
    m_PatchData = out.take();
    m_nPatchCount = count;
    m_bPatchModified = m_bPatchModified || !theirs.empty();
}

bool CPatch::SavePatch(CPatchUi& ui) {
    if (!m_bPatchModified) {
        return true;
    }
    // The path kept from a refused file (a damaged patch, a client data file) is never
    // written over unasked: the save dialog asks for the file.
    if (!m_sPatchPath.empty() && (!ui.MaySaveOver(m_sPatchPath) || m_bPathRefused)) {
        m_sPatchPath.clear();
    }
    if (m_sPatchPath.empty()) {
        if (auto path = ui.ChooseFile(PatchFileDialog::For(PatchFileDialog::SaveAs))) {
            m_sPatchPath = *path;
            m_bPathRefused = false;
        }
    }
    if (!m_pIO->ReplaceFile(m_sPatchPath, WritePatchFile(m_nPatchCount, m_PatchData))) {
        ui.ShowMessage(kPatchUnableToOpenForOutput);
        return false;
    }
    m_bPatchModified = false;
    return true;
}

bool CPatch::SavePatchAs(CPatchUi& ui) {
    auto path = ui.ChooseFile(PatchFileDialog::For(PatchFileDialog::SaveAs));
    if (!path) {
        return false;
    }
    m_sPatchPath = *path;
    m_bPathRefused = false;
    return SavePatch(ui);
}

}  // namespace tessaly
