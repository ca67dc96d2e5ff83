#include "CDataDefAnim.h"

#include "EventLog.h"
#include "Hues.h"
#include "SurfaceDevice.h"
#include "Text.h"

#include <iterator>

namespace tessaly {

namespace {

constexpr int kFootRow = 22;  // the frame's foot point sits 22 rows below its anchor

}  // namespace

// ---- the entry ----

namespace {

std::string SourceText(const CAnimSources& sources, const BodySource& source) {
    return Format("%s %u%s", sources.SourceName(source).c_str(), source.slot,
                  source.present ? "" : " absent");
}

}  // namespace

std::string CDataDefAnim::GetListText() {
    const BodyInfo* info = m_pSources ? m_pSources->Body(GetIndex()) : nullptr;
    if (m_pSources == nullptr || info == nullptr) {
        return std::string(IsValid() ? "anim.mul" : "unused") + "\t\t\t\t";
    }
    std::string source;
    for (const BodySource& s : info->sources) {
        source += (source.empty() ? "" : ", ") + SourceText(*m_pSources, s);
    }
    if (source.empty()) {
        // A body "Body.def" alone names has no frames of its own.
        source = CDataDefIndex::IsValid() ? "anim.mul" : info->redirect.empty() ? "unused" : "none";
    }
    std::string cls;
    if (const BodySource* shown = GetSource()) {
        // Where the class is not the slot number's, the list says what decided it.
        static constexpr const char* kBasis[] = {"", " (mobtypes.txt)", " (by its records)"};
        cls = AnimClassName(shown->cls);
        if (shown->cls != ClassOfNumber(shown->slot)) {
            cls += kBasis[static_cast<int>(shown->basis)];
        }
    }
    std::string redirect;
    for (std::uint32_t target : info->redirect) {
        redirect += (redirect.empty() ? "" : ", ") + std::to_string(target);
    }
    if (!info->redirect.empty() && info->redirectHue != 0) {
        redirect += Format(" hue %u", info->redirectHue);
    }
    std::string free;
    for (std::uint32_t s = 0; s < kFirstProviderSource; ++s) {
        if (m_pSources->IsSlotFree(s, GetIndex())) {
            const std::string name = CAnimSources::DataName(s);
            free += (free.empty() ? "" : " ") + name.substr(0, name.find('.'));
        }
    }
    return Format("%s\t%s\t%s\t%s\t%s", source.c_str(), cls.c_str(),
                  cls.empty() ? "" : std::to_string(GetActionCount()).c_str(), redirect.c_str(),
                  free.c_str());
}

const BodySource* CDataDefAnim::GetSource() const {
    const BodyInfo* info = m_pSources ? m_pSources->Body(GetIndex()) : nullptr;
    return info != nullptr && !info->sources.empty() ? &info->sources.front() : nullptr;
}

AnimClass CDataDefAnim::GetClass() const {
    const BodySource* source = GetSource();
    return source != nullptr ? source->cls : ClassOfNumber(GetIndex());
}

bool CDataDefAnim::IsValid() {
    const BodySource* source = GetSource();
    return CDataDefIndex::IsValid() || (source != nullptr && source->present);
}

ReadStatus CDataDefAnim::LoadFrames(std::int32_t action, std::int32_t direction) {
    const ReadStatus status = LoadBlockLogged(GetFrames(action, direction));
    if (status == ReadStatus::Damaged) {
        MarkDataDamaged();
    }
    return status;
}

ReadStatus CDataDefAnim::GetReadStatus() {
    if (DataFoundDamaged()) {
        return ReadStatus::Damaged;
    }
    const BodySource* source = GetSource();
    if (source == nullptr || source->source == 0) {
        // The body's other records: one that lies outside anim.mul damages the body, used or
        // not (the first record alone decides whether it is used).
        const ReadStatus base = CDataDefIndex::GetReadStatus();
        if (base != ReadStatus::Ok && base != ReadStatus::Absent) {
            return base;
        }
        return AnyRecordDamaged() ? ReadStatus::Damaged : base;
    }
    if (!source->present) {
        return ReadStatus::Absent;
    }
    if (source->dataMissing) {
        return ReadStatus::Failed;
    }
    return source->damaged ? ReadStatus::Damaged : ReadStatus::Ok;
}

bool CDataDefAnim::AnyRecordDamaged() {
    if (!m_bAnyRecordDamaged) {
        m_bAnyRecordDamaged = false;
        for (std::int32_t action = 0;
             action < static_cast<std::int32_t>(GetActionCount()) && !*m_bAnyRecordDamaged;
             ++action) {
            // Direction 3 is the action's first stored direction.
            const std::uint32_t first = GetAnimIndex(GetIndex(), action, 3);
            for (std::uint32_t stored = 0; stored < 5; ++stored) {
                IndexRecord record;
                if (Files().ReadIndexStatus(kSlotAnimIdx, kSlotAnim, first + stored, record) ==
                    ReadStatus::Damaged) {
                    m_bAnyRecordDamaged = true;
                    break;
                }
            }
        }
    }
    return *m_bAnyRecordDamaged;
}

bool CDataDefAnim::WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) {
    return false;
}

bool CDataDefAnim::ReadIndex() {
    m_pSources = ClientAnimSources(Files(), false);
    m_bAnyRecordDamaged.reset();
    const BodySource* source = GetSource();
    if (source == nullptr || source->source == 0) {
        // anim.mul's record keeps its part in patch links and the damage marks.
        return ReadBaseIndex(kSlotAnimIdx, GetAnimIndex(GetIndex(), 0, 3)) || source != nullptr;
    }
    m_pSources->Record(source->source, source->firstRecord, m_Index);
    return true;
}

void CDataDefAnim::AddPages(std::vector<EntryPage>& pages) {
    pages.push_back(EntryPage::AnimDraw);
    pages.push_back(EntryPage::Script);
}

CTileAnimType& CDataDefAnim::GetFrames(std::int32_t action, std::int32_t direction) {
    // A frame set's slot is its record's distance from the body's first record: action x 5
    // plus the stored direction, with actions outside the body's range counted as action 0.
    if (action < 0 || action >= static_cast<std::int32_t>(GetActionCount())) {
        action = 0;
    }
    const std::uint32_t stored = StoredAnimDirection(direction);
    const std::size_t slot = static_cast<std::size_t>(action) * 5 + stored;
    std::unique_ptr<CTileAnimType>& frames = m_FrameSets.at(slot);
    if (frames) {
        return *frames;
    }
    const BodySource* source = GetSource();
    if (source == nullptr || source->source == 0) {
        frames =
            std::make_unique<CTileAnimType>(GetAnimIndex(GetIndex(), action, direction), Files());
    } else {
        // Another file's block, read through the sources the entry was made with.
        frames = std::make_unique<CTileAnimType>(
            static_cast<std::uint32_t>(source->firstRecord + slot),
            [sources = m_pSources, shown = *source, action,
             stored](std::vector<std::uint8_t>& block) {
                return sources->ReadBlock(shown, static_cast<std::uint32_t>(action), stored, block);
            });
    }
    return *frames;
}

namespace {

// The frame's top-left corner relative to the anchor: mirrored frames run from the centre to
// the right.
QPoint FrameOrigin(const AnimFrame& header, std::int32_t direction) {
    const std::int32_t width = header.m_nWidth;
    const std::int32_t height = header.m_nHeight;
    return QPoint(direction < 3 ? header.m_nCentreX - width : -header.m_nCentreX,
                  -(height + header.m_nCentreY) + kFootRow);
}

// A cleared buffer of width x height; false when it gets no memory.
bool ClearedBuffer(SurfaceBuffer& buffer, std::uint32_t width, std::uint32_t height) {
    if (!buffer.CreateBuffer(width, height, 4)) {
        if (buffer.GetData() == nullptr) {
            return false;
        }
        buffer.ClearBuffer();
    }
    return true;
}

}  // namespace

bool DrawAnimFrame(CTileAnimType& frames, std::uint32_t frame, std::int32_t direction,
                   SurfaceBuffer& buffer, QPoint* pOrigin, std::uint16_t hue, bool partial) {
    const std::optional<AnimFrame> header = frames.GetFrame(frame);
    // A frame gets the pixel cap of every other picture: its size comes from the file.
    if (!header || header->m_nWidth == 0 || header->m_nHeight == 0 ||
        std::uint64_t{header->m_nWidth} * header->m_nHeight > kMaxPicturePixels) {
        buffer.Release();
        return false;
    }
    const QPoint origin = FrameOrigin(*header, direction);
    if (!ClearedBuffer(buffer, header->m_nWidth, header->m_nHeight)) {
        return false;
    }
    {
        CSurfaceDC dc(buffer);
        // The frame sets the hue number itself; UseHue gives it the colours.
        frames.Draw(dc, -origin.x(), -origin.y(), UseHue(dc, hue, partial), frame, direction);
    }
    if (pOrigin != nullptr) {
        *pOrigin = origin;
    }
    return true;
}

bool DrawAnimSheet(CTileAnimType& frames, std::int32_t direction, SurfaceBuffer& buffer,
                   std::uint16_t hue, bool partial) {
    buffer.Release();
    const std::uint32_t count = frames.GetFrameCount();
    // The box around the anchor that holds every frame.
    QRect box;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::optional<AnimFrame> header = frames.GetFrame(i);
        if (header && header->m_nWidth != 0 && header->m_nHeight != 0) {
            box |=
                QRect(FrameOrigin(*header, direction), QSize(header->m_nWidth, header->m_nHeight));
        }
    }
    const std::uint64_t cell = static_cast<std::uint64_t>(box.width());
    if (box.isEmpty() ||
        cell * count * static_cast<std::uint64_t>(box.height()) > kMaxPicturePixels ||
        !ClearedBuffer(buffer, static_cast<std::uint32_t>(cell * count),
                       static_cast<std::uint32_t>(box.height()))) {
        buffer.Release();
        return false;
    }
    CSurfaceDC dc(buffer);
    const std::uint16_t hueNumber = UseHue(dc, hue, partial);
    for (std::uint32_t i = 0; i < count; ++i) {
        // Cell i alone takes the frame's pixels, as the frame's own picture holds them.
        dc.m_rClip.Set(static_cast<std::int32_t>(i * cell), 0,
                       static_cast<std::int32_t>((i + 1) * cell), box.height());
        dc.Publish();
        // The anchor of cell i.
        frames.Draw(dc, static_cast<std::int32_t>(i * cell) - box.left(), -box.top(), hueNumber, i,
                    direction);
    }
    return true;
}

bool CDataDefAnim::GetImage(SurfaceBuffer& buffer) {
    const ExportOptions first;
    if (LoadFrames(first.nAction, first.nDirection) != ReadStatus::Ok) {
        buffer.Release();
        return false;
    }
    return DrawAnimFrame(GetFrames(first.nAction, first.nDirection), 0, first.nDirection, buffer);
}

std::vector<PlacedFrame> PlaceAnimFrames(CTileAnimType& frames, std::int32_t direction,
                                         std::uint16_t hue, FrameBudget& budget, bool partial) {
    // Sized once: the buffers own their pixels, and a copy would only alias them.
    std::vector<PlacedFrame> placed(frames.GetFrameCount());
    for (std::uint32_t i = 0; i < placed.size(); ++i) {
        // Its size from its header, before anything is drawn; one too large alone is refused
        // by DrawAnimFrame, drawing nothing.
        const std::optional<AnimFrame> header = frames.GetFrame(i);
        if (header && IsShowableSize(header->m_nWidth, header->m_nHeight) &&
            !budget.Take(std::uint64_t{header->m_nWidth} * header->m_nHeight)) {
            continue;
        }
        QPoint origin;
        if (DrawAnimFrame(frames, i, direction, placed[i].picture, &origin, hue, partial)) {
            placed[i].left = origin.x();
            placed[i].top = origin.y();
        }
    }
    return placed;
}

std::vector<std::uint8_t> EncodePlacedGif(const std::vector<PlacedFrame>& frames,
                                          std::uint32_t delayMs) {
    const FrameBox box = BoundingBox(frames);
    if (box.IsEmpty() ||
        std::uint64_t{box.width} * box.height * frames.size() > kMaxPicturePixels) {
        return {};
    }
    std::vector<SurfaceBuffer> canvases(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!ClearedBuffer(canvases[i], box.width, box.height)) {
            return {};
        }
        PlaceFrame(frames[i], box, canvases[i], 0, 0);
    }
    return EncodeGif(canvases, delayMs);
}

namespace {

// Keeps in (width, height) the larger in area of it and (w, h).
void KeepLarger(std::uint32_t w, std::uint32_t h, std::uint32_t& width, std::uint32_t& height) {
    if (std::uint64_t{w} * h > std::uint64_t{width} * height) {
        width = w;
        height = h;
    }
}

// Why a picture of some frames cannot be made: the largest frame's size, which on a damaged
// file is the frame that went wrong.
std::string TooLargeNote(std::uint32_t width, std::uint32_t height) {
    return Format(
        "its frames do not fit in one picture (at most 8192 x 8192 pixels; the "
        "largest frame is %u x %u)",
        width, height);
}
// The largest frame of a set by its header (width, height), (0, 0) for none.
std::pair<std::uint32_t, std::uint32_t> LargestFrame(CTileAnimType& frames) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (std::uint32_t i = 0; i < frames.GetFrameCount(); ++i) {
        if (const std::optional<AnimFrame> header = frames.GetFrame(i)) {
            KeepLarger(header->m_nWidth, header->m_nHeight, width, height);
        }
    }
    return {width, height};
}
std::string TooLargeNote(CTileAnimType& frames) {
    const auto [width, height] = LargestFrame(frames);
    return TooLargeNote(width, height);
}
std::string TooLargeNote(const std::vector<PlacedFrame>& frames) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (const PlacedFrame& frame : frames) {
        KeepLarger(frame.picture.GetWidth(), frame.picture.GetHeight(), width, height);
    }
    return TooLargeNote(width, height);
}

// The frames of a set that have a size but were not drawn (larger than a picture may be), and
// the largest of them.
struct Oversized {
    std::uint32_t count = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    void Add(CTileAnimType& frames, const std::vector<PlacedFrame>& placed) {
        for (std::uint32_t i = 0; i < placed.size(); ++i) {
            const std::optional<AnimFrame> header = frames.GetFrame(i);
            if (placed[i].picture.GetData() != nullptr || !header || header->m_nWidth == 0 ||
                header->m_nHeight == 0 || IsShowableSize(header->m_nWidth, header->m_nHeight)) {
                continue;
            }
            ++count;
            KeepLarger(header->m_nWidth, header->m_nHeight, width, height);
        }
    }
    std::string Note() const {
        return Format(
            "%u frame(s) larger than a picture may be (8192 x 8192 pixels; the largest "
            "is %u x %u)",
            count, width, height);
    }
};

}  // namespace

bool CDataDefAnim::ExportAllActions(const ExportOptions& options, CExportData& out) {
    // Directions 0-2 are drawn as the mirrors of 6-4.
    static constexpr std::int32_t kMirrorOf[8] = {6, 5, 4, -1, -1, -1, -1, -1};
    bool any = false;
    for (std::int32_t action = 0; action < static_cast<std::int32_t>(GetActionCount()); ++action) {
        const std::string actionSuffix = Format("-a%02d", action);
        std::vector<SheetRow> rows(8);
        bool hasFrames = false;
        Oversized oversized;
        // The action's eight directions together take no more than one picture holds.
        FrameBudget budget{kMaxPicturePixels};
        std::string largest;
        try {
            for (std::int32_t d = 0; d < 8; ++d) {
                CTileAnimType& frames = GetFrames(action, d);
                rows[d].direction = d;
                rows[d].mirrorOf = kMirrorOf[d];
                rows[d].frames = PlaceAnimFrames(frames, d, options.nHue, budget, options.bPartial);
                hasFrames = hasFrames || !BoundingBox(rows[d].frames).IsEmpty();
                oversized.Add(frames, rows[d].frames);
                if (budget.skipped != 0 && largest.empty()) {
                    largest = TooLargeNote(frames);
                }
            }
        } catch (...) {
            // A damaged action leaves the others to be written.
            out.AddNote(Format("action %d left out: its frames cannot be read (", action) +
                        CaughtExceptionText(true) + ")");
            continue;
        }
        if (budget.skipped != 0) {
            out.AddNote(Format("action %d left out: ", action) + largest);
            continue;
        }
        if (oversized.count != 0) {
            out.AddNote(Format(hasFrames ? "action %d: " : "action %d left out: ", action) +
                        oversized.Note() + (hasFrames ? " left out" : ""));
        }
        if (!hasFrames) {
            continue;
        }
        if (options.bFrames || options.bGif) {
            for (const SheetRow& row : rows) {
                const std::string suffix = actionSuffix + Format("-d%d", row.direction);
                if (options.bGif) {
                    std::vector<std::uint8_t> gif = EncodePlacedGif(row.frames, kAnimFramePeriodMs);
                    if (!gif.empty()) {
                        out.AddFile(nullptr, std::move(gif), suffix, ".gif");
                        any = true;
                    } else if (!BoundingBox(row.frames).IsEmpty()) {
                        out.AddNote(
                            Format("action %d direction %d left out: ", action, row.direction) +
                            TooLargeNote(row.frames));
                    }
                    continue;
                }
                for (std::size_t i = 0; i < row.frames.size(); ++i) {
                    const SurfaceBuffer& picture = row.frames[i].picture;
                    if (picture.GetData() != nullptr) {
                        any = out.AddPicture(picture, suffix + Format("-%02zu", i)) || any;
                    }
                }
            }
            continue;
        }
        SpriteSheet sheet;
        if (!ComposeSpriteSheet(rows, kMaxPicturePixels, sheet)) {
            std::vector<PlacedFrame> all;
            for (SheetRow& row : rows) {
                std::move(row.frames.begin(), row.frames.end(), std::back_inserter(all));
            }
            out.AddNote(Format("action %d left out: ", action) + TooLargeNote(all));
            continue;
        }
        const std::string image = out.PartFileName(ExportFileName(*this), actionSuffix, ".png");
        std::string json =
            SpriteSheetJson(rows, sheet, image, GetIndex(), action, kAnimFramePeriodMs);
        out.AddFile(&sheet.pixels, {}, actionSuffix, ".png");
        out.AddFile(nullptr, std::vector<std::uint8_t>(json.begin(), json.end()), actionSuffix,
                    ".json");
        any = true;
    }
    return any;
}

bool CDataDefAnim::ExportData(const ExportOptions& options, CExportData& out) {
    if (options.bAllActions) {
        return ExportAllActions(options, out);
    }
    if (const ReadStatus status = LoadFrames(options.nAction, options.nDirection);
        status != ReadStatus::Ok) {
        // A body whose frames are in other actions only is not one without data.
        for (std::int32_t action = 0;
             status == ReadStatus::Absent && action < static_cast<std::int32_t>(GetActionCount());
             ++action) {
            if (action != options.nAction &&
                LoadFrames(action, options.nDirection) == ReadStatus::Ok &&
                GetFrames(action, options.nDirection).GetFrameCount() != 0) {
                out.AddNote(
                    Format("it has no frames in action %d (direction %d); its first "
                           "action with frames is %d",
                           options.nAction, options.nDirection, action));
                break;
            }
        }
        return false;
    }
    CTileAnimType& frames = GetFrames(options.nAction, options.nDirection);
    SurfaceBuffer buffer;
    if (!options.bFrames && !options.bGif) {
        if (DrawAnimSheet(frames, options.nDirection, buffer, options.nHue, options.bPartial)) {
            return out.AddPicture(buffer);
        }
        // Frames with a size that make no sheet: too large together, or one alone.
        if (const auto [width, height] = LargestFrame(frames); width != 0 && height != 0) {
            out.AddNote(TooLargeNote(width, height));
        }
        return false;
    }
    // The frames together take no more than one picture holds, told from their headers before
    // any is drawn, written one by one or as a GIF.
    FrameBudget told{kMaxPicturePixels};
    for (std::uint32_t i = 0; i < frames.GetFrameCount(); ++i) {
        const std::optional<AnimFrame> header = frames.GetFrame(i);
        if (header && IsShowableSize(header->m_nWidth, header->m_nHeight) &&
            !told.Take(std::uint64_t{header->m_nWidth} * header->m_nHeight)) {
            out.AddNote(TooLargeNote(frames));
            return false;
        }
    }
    // A frame too large alone is left out and said; the others keep their numbers.
    std::vector<PlacedFrame> placed;
    Oversized oversized;
    if (options.bGif) {
        FrameBudget budget{kMaxPicturePixels};
        placed =
            PlaceAnimFrames(frames, options.nDirection, options.nHue, budget, options.bPartial);
        oversized.Add(frames, placed);
        std::vector<std::uint8_t> gif = EncodePlacedGif(placed, kAnimFramePeriodMs);
        if (gif.empty()) {
            if (oversized.count != 0) {
                out.AddNote(oversized.Note());
            } else if (!BoundingBox(placed).IsEmpty()) {
                out.AddNote(TooLargeNote(placed));
            }
            return false;
        }
        out.AddFile(nullptr, std::move(gif), std::string(), ".gif");
    } else {
        placed.resize(frames.GetFrameCount());
        for (std::uint32_t i = 0; i < frames.GetFrameCount(); ++i) {
            // A frame without pixels has no picture.
            if (DrawAnimFrame(frames, i, options.nDirection, buffer, nullptr, options.nHue,
                              options.bPartial)) {
                out.AddPicture(buffer, Format("-%02u", i));
            }
        }
        oversized.Add(frames, placed);
    }
    // Every frame too large alone leaves the body out, saying why, as the GIF does.
    if (oversized.count != 0) {
        out.AddNote(out.IsEmpty() ? oversized.Note() : oversized.Note() + " left out");
    }
    return !out.IsEmpty();
}

}  // namespace tessaly
