#pragma once
// Unicode fonts ("unifont.mul", "unifont1.mul" ...): one entry per font file, listed with its
// name, glyph count and size, drawn as a sample line, shown on the "Unicode Font" page.

#include "CDataDef.h"
#include "TextFiles.h"
#include "UniFont.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

struct UniFontFile {
    std::string name;  // as spelled on disk
    CUniFont font;
    std::vector<std::uint16_t> codes;  // the code units with a glyph
    std::string error;                 // why the file could not be read, or empty
    std::uint32_t broken = 0;          // glyphs the table names that the file does not hold
};

// The Unicode font files of the client directory in the order of their numbers: "unifont.mul"
// (font 0), then "unifontN.mul" by N ("unifont10.mul" after "unifont9.mul"), the name found in
// any case. Other names of that beginning and end (a backup "unifont1.bak.mul") are no font.
std::vector<ClientTextFile> GetUniFontFiles();
// A font file read whole, once per file and again when it changes on disk; null for an entry
// number without a file.
std::shared_ptr<const UniFontFile> GetUniFont(std::uint32_t nIndex);
// The same for a file found by GetUniFontFiles.
std::shared_ptr<const UniFontFile> GetUniFont(const ClientTextFile& file);

// The colour glyphs are drawn in (white, as the client draws text before hueing it).
inline constexpr std::uint16_t kUniFontColour = 0x7FFF;

class CDataDefUniFont : public CDataDef {
public:
    explicit CDataDefUniFont(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    // "%s\t%zu\t%zu": file name, glyphs and file size in bytes.
    std::string GetListText() override;
    // The sample line (UniFontSample).
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData(EntryClip& clip) override { return CopyImage(clip); }
    bool WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) override { return false; }
    std::int32_t GetDataType() override { return kCategoryUniFonts; }
    bool IsValid() override { return m_pFont != nullptr; }
    bool ReadIndex() override;
    // Damaged for a font with broken glyphs (a cut file), failed for one that would not read.
    ReadStatus GetReadStatus() override;
    void AddPages(std::vector<EntryPage>& pages) override { pages.push_back(EntryPage::UniFont); }
    // The fonts that are damaged or would not read, for the list's note (empty when none).
    static std::string FilesNote(CClientFiles& files);
    ExportKind GetExportKind() override { return ExportKind::Picture; }

    const UniFontFile* GetFont() const { return m_pFont.get(); }

private:
    std::shared_ptr<const UniFontFile> m_pFont;
};

}  // namespace tessaly
