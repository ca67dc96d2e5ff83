#pragma once
// Animation bodies: one entry per body number (0 to 2,047) with the source its frames come from
// ("anim.mul", or "anim2.mul" ... "anim6.mul" through "Bodyconv.def", or a further source of
// CAnimSources), the frame sets it has shown, and the "Anim" page that steps through and plays
// a body's frames.

#include "AnimExport.h"
#include "AnimSources.h"
#include "AnimType.h"
#include "CDataDef.h"
#include "Surface.h"

#include <QPoint>

#include <array>
#include <memory>
#include <optional>

namespace tessaly {
class CHueField;
}

namespace tessaly {

class CDataDefAnim : public CDataDefIndex {
public:
    // Frame sets a body can have: 35 actions x 5 stored directions.
    static constexpr std::size_t kFrameSets = 175;

    explicit CDataDefAnim(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefIndex(nIndex, files) {}

    // Source (file and slot, every source of the body), class, actions, "Body.def" redirect and
    // the files in which the slot of the entry's number is free.
    std::string GetListText() override;
    // True when a source holds the body's frames or a patch record links it. Bodies that only
    // name an absent slot, or that only "Body.def" redirects, list with the unused slots (they
    // have nothing to export).
    bool IsValid() override;
    ReadStatus GetReadStatus() override;
    // The body's first frame: frame 0 of the action and direction export draws by default.
    bool GetImage(SurfaceBuffer& buffer) override;
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryAnims; }
    // The body's sources; for an anim.mul body the record of action 0, direction 3 (its first).
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override;
    // Exports the frames of one action and direction: one sprite sheet, one PNG per frame
    // (suffix "-NN", the frame number) or an animated GIF. With bAllActions, every action that
    // has frames: a sprite sheet per action (suffix "-aNN"; one row per direction 0-7) with its
    // JSON description beside it, one PNG per frame ("-aNN-dD-NN") or a GIF per action and
    // direction ("-aNN-dD").
    ExportKind GetExportKind() override { return ExportKind::Animation; }
    bool ExportData(const ExportOptions& options, CExportData& out) override;

    // The frame set of an action and a direction (0-7), made on first use and kept.
    CTileAnimType& GetFrames(std::int32_t action, std::int32_t direction);
    // Loads the frame set of an action and a direction: Ok, Absent, Damaged or Failed (logged).
    // A damaged one makes the body's read status Damaged from then on.
    ReadStatus LoadFrames(std::int32_t action, std::int32_t direction);
    // The shown source's class and action count (by the body number without a source).
    AnimClass GetClass() const;
    std::uint32_t GetActionCount() const { return ActionCount(GetClass()); }
    // The source the frames come from; null without one (anim.mul by the body number then).
    const BodySource* GetSource() const;

private:
    bool ExportAllActions(const ExportOptions& options, CExportData& out);
    // Whether a record of the body's actions (in anim.mul) lies outside the file.
    bool AnyRecordDamaged();

    std::array<std::unique_ptr<CTileAnimType>, kFrameSets> m_FrameSets;
    std::shared_ptr<const CAnimSources> m_pSources;
    // AnyRecordDamaged's answer, found once per ReadIndex: the list asks on every paint.
    std::optional<bool> m_bAnyRecordDamaged;
};

// Draws frame `frame` of a frame set for direction d into buffer, sized to the frame, in the
// client's hue number `hue` (0 = none; UseHue; with `partial` only grey pixels take it), and
// gives the offset of the frame's top-left corner from the body's anchor point. False when the
// frame does not exist.
bool DrawAnimFrame(CTileAnimType& frames, std::uint32_t frame, std::int32_t direction,
                   SurfaceBuffer& buffer, QPoint* pOrigin = nullptr, std::uint16_t hue = 0,
                   bool partial = false);

// Draws every frame of a frame set for direction d side by side into buffer: equal cells, the
// size of the box that holds every frame around the common anchor point, so that the anchor
// lies at the same place in each cell and the frames line up as the page plays them. False
// when the set has no frame with pixels or the sheet would be too large. Each frame stays
// inside its cell. `hue` and `partial` as for DrawAnimFrame.
bool DrawAnimSheet(CTileAnimType& frames, std::int32_t direction, SurfaceBuffer& buffer,
                   std::uint16_t hue = 0, bool partial = false);

// Every frame of a frame set for direction d drawn (DrawAnimFrame) with its place around the
// anchor; frames without pixels, and those past the budget, stay empty. `hue` and `partial`
// as for DrawAnimFrame.
std::vector<PlacedFrame> PlaceAnimFrames(CTileAnimType& frames, std::int32_t direction,
                                         std::uint16_t hue, FrameBudget& budget,
                                         bool partial = false);

// An animated GIF of placed frames: each drawn on a canvas the size of the box that holds them
// all, the anchor at the same place. Empty when no frame has pixels or the canvas is too large.
std::vector<std::uint8_t> EncodePlacedGif(const std::vector<PlacedFrame>& frames,
                                          std::uint32_t delayMs);

}  // namespace tessaly
