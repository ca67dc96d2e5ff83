#pragma once
// Multis ("multi.idx"/"multi.mul"): structures made of item pictures, and the composition that
// places their items on screen. The "Image" page and its "Tile Item" dialog are in
// window/MultiPages.h.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "ClientMerge.h"
#include "MultiComposition.h"
#include "MultiType.h"
#include "QRect.h"
#include "Surface.h"

#include <climits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class CPatch;

class CDataDefMulti : public CDataDefIndex {
public:
    explicit CDataDefMulti(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefIndex(nIndex, files), m_Block(nIndex, files) {}

    std::string GetListText() override;
    // The structure drawn whole (DrawMultiPicture), as export writes it: the grid's picture.
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMultis; }
    // Exports the structure drawn whole (DrawMultiPicture), with the components of the
    // application's ".pat" patch when it holds them, as the page shows it.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;
    bool ReadIndex() override;
    // Also Damaged, without reading, for a record holding more components than any multi.
    ReadStatus GetReadStatus() override;
    void AddPages(std::vector<EntryPage>& pages) override;

    CMulMultiType& GetBlock() { return m_Block; }

    // The list's note: a client that keeps its multis in "MultiCollection.uop" has multis
    // this list does not show (it reads "multi.mul" only); empty for any other client.
    static std::string SourceNote(CClientFiles& files);

private:
    // The structure drawn whole; why as DrawMultiPicture gives it.
    bool DrawWhole(SurfaceBuffer& buffer, std::string* why);

    CMulMultiType m_Block;
};

// The components of multi `index`: the ".pat" record (type 14) when patch is not null and holds
// one, else the client's "multi.mul" entry.
//
// A ".pat" record holds components of the client's record size (12 or 16 bytes), as the page
// saves them; a record whose length only the other size divides is read with that one, and one
// both divide with the other only when fewer of its components read implausibly so (flags past
// 16 bits, an offset past 1024).
std::size_t PatchMultiRecordSize(ByteSpan bytes, CClientFiles& files = TheClientFiles());
// The components of a ".pat" multi record in that size; nullopt for a record of more than
// kMaxMultiComponents, refused as damaged as a multi of the files is (millions of components
// would take minutes and gigabytes to draw).
std::optional<std::vector<MultiComponent>> PatchMultiComponents(
    ByteSpan bytes, CClientFiles& files = TheClientFiles());
// Where LoadMultiComponents took a multi's components from.
enum class MultiSource {
    Files,         // the client's files (the block)
    Patch,         // a record of the ".pat" patch
    DamagedPatch,  // a ".pat" record refused as damaged: no components
};
// A multi's components: its ".pat" record when pPatch holds one, else the block's. `pSource`
// (may be null) is told which.
std::vector<MultiComponent> LoadMultiComponents(CMulMultiType& block, const CPatch* pPatch,
                                                MultiSource* pSource = nullptr);

// The hues and multis of a ".pat" patch's records as a merge takes them: the hues as they are
// stored, the multis' components in the client's own component size (read as the window reads
// them).
PatchOverlay MakePatchOverlay(ByteSpan records, std::uint32_t count);

// A component's list line: "0%04x \t(%d,%d,%d) \t%d \t(%s)", without the name part when its
// tile data record does not read; a client of 16-byte components has the fourth word (as an
// unsigned decimal) after the flags: "0%04x \t(%d,%d,%d) \t%d \t%u \t(%s)".
// The name is read through files.
std::string MultiComponentLine(const MultiComponent& component,
                               std::size_t recordSize = MultiComponent::kSize,
                               CClientFiles& files = TheClientFiles());

}  // namespace tessaly
