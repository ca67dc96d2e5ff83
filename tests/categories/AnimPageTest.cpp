// The Animations category: the entry's records and frame sets, and the "Anim" page stepping,
// playing, flipping, drawing at the anchor and copying, for each body class.

#include "AnimContainer.h"
#include "AnimPages.h"
#include "CDataDefAnim.h"
#include "ListFixture.h"
#include "SampleClient.h"
#include "SurfaceDevice.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <fstream>

namespace tessaly {
namespace {

class AnimPageTest : public test::SampleSheetTest {
protected:
    CDataPageAnimDraw* Show(CDataDefAnim& body) {
        body.ReadIndex();
        return test::ShowSheetPage<CDataPageAnimDraw>(body);
    }
    // The frame the decoder draws for that record and direction, and its top-left corner
    // relative to the anchor as the page places it.
    static SurfaceBuffer Decoded(std::uint32_t body, int action, int direction, int frame,
                                 QPoint& origin) {
        CTileAnimType frames(GetAnimIndex(body, action, direction));
        return Decoded(frames, direction, frame, origin);
    }
    static SurfaceBuffer Decoded(CTileAnimType& frames, int direction, int frame, QPoint& origin) {
        const std::optional<AnimFrame> h = frames.GetFrame(static_cast<std::uint32_t>(frame));
        SurfaceBuffer buffer;
        if (!h) {
            return buffer;
        }
        const bool mirrored = direction < 3;
        origin = QPoint(mirrored ? h->m_nCentreX - h->m_nWidth : -h->m_nCentreX,
                        22 - h->m_nHeight - h->m_nCentreY);
        buffer.CreateBuffer(h->m_nWidth, h->m_nHeight);
        CSurfaceDC dc(buffer);
        frames.Draw(dc, -origin.x(), -origin.y(), 0, static_cast<std::uint32_t>(frame), direction);
        return buffer;
    }
    static void Repaint(CDataPageAnimDraw* page) { page->GetDrawingArea()->repaint(); }
};

TEST(AnimEntry, RecordsAndFrameSetsFollowTheRecordIndex) {
    test::UseSampleClient();
    CDataDefAnim monster(1);
    ASSERT_TRUE(monster.ReadIndex());
    EXPECT_EQ(monster.GetListText(), "anim.mul 1\thigh\t22\t\tanim2 anim3 anim4 anim5");
    CDataDefAnim none(2);  // no body 2 in the sample: its slot is free in every file
    none.ReadIndex();
    EXPECT_FALSE(none.IsValid());
    EXPECT_EQ(none.GetListText(), "unused\t\t\t\tanim anim2 anim3 anim4 anim5");

    // One cached set per action and stored direction: 5 and 1 share one, an action past
    // the body's class is action 0.
    CTileAnimType& walk = monster.GetFrames(0, 3);
    EXPECT_EQ(&monster.GetFrames(0, 3), &walk);
    EXPECT_NE(&monster.GetFrames(1, 3), &walk);
    EXPECT_EQ(&monster.GetFrames(30, 3), &walk);
    EXPECT_EQ(&monster.GetFrames(0, 5), &monster.GetFrames(0, 1));
    EXPECT_EQ(CDataDefAnim(199).GetFrames(21, 7).GetEntry(), 21999u);
    EXPECT_EQ(CDataDefAnim(400).GetFrames(34, 7).GetEntry(), 35000u + 174u);
}

TEST_F(AnimPageTest, EachBodyClassStepsFlipsPlaysAndDrawsAtTheAnchor) {
    struct Body {
        std::uint32_t body;
        int actions;
        const char* first;
        int frames;
    };
    for (const Body& b : {Body{1, 22, "ANIM_MON_WALK", 6}, Body{201, 13, "ANIM_ANI_WALK", 5},
                          Body{400, 35, "ANIM_WALK_UNARM", 8}}) {
        SCOPED_TRACE(b.body);
        CDataDefAnim body(b.body);
        CDataPageAnimDraw* page = Show(body);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->m_pAction->count(), b.actions);
        EXPECT_EQ(page->m_pAction->itemText(0), b.first);
        EXPECT_EQ(page->m_pFrameText->text(), QStringLiteral("0/%1").arg(b.frames));

        // Frame 2 of action 1 in "Left-SW" (direction 5), then flipped (direction 1, mirrored).
        page->m_pAction->setCurrentIndex(1);
        page->m_pDir->setCurrentIndex(2);
        page->m_pFrames->setValue(2);
        EXPECT_EQ(page->m_pFrameText->text(), QStringLiteral("2/%1").arg(b.frames));
        EXPECT_EQ(page->PageDirection(), 5);
        const QPoint anchor(page->GetDrawingArea()->width() / 2,
                            page->GetDrawingArea()->height() / 2);
        QPoint origin;
        const SurfaceBuffer plain = Decoded(b.body, 1, 5, 2, origin);
        Repaint(page);
        test::ExpectSamePixels(page->GetBuffer(), plain);
        EXPECT_EQ(page->GetFramePosition(), anchor + origin);
        EXPECT_EQ(page->m_pSizeText->text(),
                  QStringLiteral("%1,%2").arg(plain.GetWidth()).arg(plain.GetHeight()));

        page->m_pFlip->setChecked(true);
        EXPECT_EQ(page->PageDirection(), 1);
        const SurfaceBuffer mirrored = Decoded(b.body, 1, 1, 2, origin);
        Repaint(page);
        test::ExpectSamePixels(page->GetBuffer(), mirrored);
        EXPECT_EQ(page->GetFramePosition(), anchor + origin);
        // Copy puts the frame on show on the clipboard.
        QGuiApplication::clipboard()->clear();
        page->m_pCopy->click();
        EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                  SurfaceImage(mirrored).convertToFormat(QImage::Format_RGB32));

        // Playing steps on the timer (stepped here directly) and wraps after the last frame.
        page->m_pFrames->setValue(b.frames - 1);
        page->m_pPlay->setChecked(true);
        ASSERT_TRUE(page->IsPlaying());
        page->OnTimer();
        EXPECT_EQ(std::pair(page->m_nFrame, page->m_pFrames->value()), std::pair(0, 0));
        page->m_pPlay->setChecked(false);
        EXPECT_FALSE(page->IsPlaying());
        page->OnTimer();
        EXPECT_EQ(page->m_pFrameText->text(), QStringLiteral("1/%1").arg(b.frames));
    }
}

// An action without frames shows nothing, says so and clears the frame texts.
TEST_F(AnimPageTest, AnActionWithoutFramesShowsNothing) {
    CDataDefAnim body(1);
    CDataPageAnimDraw* page = Show(body);
    ASSERT_NE(page, nullptr);
    page->m_pFrames->setValue(2);
    ASSERT_EQ(page->m_pFrameText->text(), "2/6");
    // The sample draws a few actions of each body: the last one has no frames.
    const int empty = page->m_pAction->count() - 1;
    ASSERT_EQ(CTileAnimType(GetAnimIndex(1, empty, 3)).GetFrameCount(), 0u);
    page->m_pAction->setCurrentIndex(empty);
    EXPECT_EQ(QStringList({page->m_pFrameText->text(), page->m_pSizeText->text(),
                           page->m_pCentreText->text()}),
              QStringList({"0/0", "", ""}));
    EXPECT_EQ(page->NoFrameText(), "This action has no frames");
    Repaint(page);
    EXPECT_EQ(page->GetDrawingArea()->grab().toImage().pixelColor(1, 1), QColor(Qt::black));
    EXPECT_FALSE(page->m_pCopy->isEnabled());  // nothing to copy
    // Back on an action with frames, the note goes.
    page->m_pAction->setCurrentIndex(0);
    EXPECT_EQ(page->NoFrameText(), "");
}

// A body of a further file is drawn on its page from that file's own records, read here straight
// from the files: body 1102's block starts at record 35000 of "anim2.idx"/"anim2.mul".
TEST_F(AnimPageTest, ABodyOfAFurtherFileIsDrawnFromItsOwnFilesRecords) {
    const std::vector<std::uint8_t> index = test::SampleClientDir().Read("anim2.idx");
    const std::vector<std::uint8_t> data = test::SampleClientDir().Read("anim2.mul");
    // Frame 3 of action 1 in direction 5, stored as direction 2.
    constexpr std::uint32_t kRecord = 35000 + 5 + 2;
    ByteReader in(ByteSpan(index), std::size_t{kRecord} * IndexRecord::kSize);
    IndexRecord r;
    ASSERT_TRUE(r.Read(in) && r.HasData() && FitsIn(r.m_dwOffset, r.GetLength(), data.size()));
    const std::vector<std::uint8_t> block(data.begin() + r.m_dwOffset,
                                          data.begin() + r.m_dwOffset + r.GetLength());
    CTileAnimType frames(kRecord, [&block](std::vector<std::uint8_t>& out) {
        out = block;
        return ReadStatus::Ok;
    });
    CDataDefAnim body(1102);
    CDataPageAnimDraw* page = Show(body);
    ASSERT_NE(page, nullptr);
    page->m_pAction->setCurrentIndex(1);
    page->m_pDir->setCurrentIndex(2);
    page->m_pFrames->setValue(3);
    Repaint(page);
    QPoint origin;
    test::ExpectSamePixels(page->GetBuffer(), Decoded(frames, 5, 3, origin));
}

class AnimListTest : public test::SampleListTest {};

TEST_F(AnimListTest, ListsTheBodiesOfEveryFileAndMarksTheOneAPatchRecordReplaces) {
    // With the unused slots: bodies without frames of their own (an absent slot, a redirect
    // alone) list there.
    m_Host.m_bShowUnused = true;
    Show(kCategoryAnims);
    // Body, source and slot, class (what decided it where it is not the slot number's),
    // actions, redirect.
    struct Row {
        std::uint32_t body;
        const char* source;
        const char* cls;
        const char* actions;
        const char* redirect;
    };
    for (const Row& r : {Row{400, "anim.mul 400", "people", "35", ""},
                         Row{1102, "anim2.mul 400", "people", "35", "400"},
                         Row{1103, "none", "", "", "1401, 1 hue 33"},
                         Row{1200, "anim3.mul 300", "high (by its records)", "22", ""},
                         Row{1300, "anim4.mul 475", "low (by its records)", "13", ""},
                         Row{1301, "anim4.mul 900 absent", "people", "35", ""}}) {
        SCOPED_TRACE(r.body);
        const int row = RowOfIndex(r.body);
        ASSERT_GE(row, 0);
        EXPECT_EQ(QStringList({Cell(row, 2), Cell(row, 3), Cell(row, 4), Cell(row, 5)}),
                  QStringList({r.source, r.cls, r.actions, r.redirect}));
    }
    // Slot 400: anim.mul's body 400 and anim2's body 1102 use it; of the other files only
    // anim4's records reach that far.
    EXPECT_EQ(Cell(RowOfIndex(400), 6), "anim4");

    // A patch record of anim.mul is one action and direction of a body: the list marks that
    // body, of each class, and its sheet's target is that body, not the entry numbered like it.
    for (const auto& [body, action, direction] :
         {std::tuple{1u, 21, 4}, std::tuple{201u, 12, 0}, std::tuple{400u, 34, 3}}) {
        SCOPED_TRACE(body);
        const std::uint32_t record = GetAnimIndex(body, action, direction);
        m_Host.m_Records.Add(new CDataVerData(CUOVersionBlock{kSlotAnim, record, 0, 0, 0, 0}));
        Show(kCategoryAnims);
        const int row = RowOfIndex(body);
        ASSERT_GE(row, 0);
        EXPECT_EQ(Cell(row, 1), "*");
        const int numbered = RowOfIndex(record);
        EXPECT_TRUE(numbered < 0 || Cell(numbered, 1) == " ");
        CDataDef* target = m_Host.m_Records[m_Host.m_Records.GetSize() - 1]->GetTarget();
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(std::pair(target->GetDataType(), target->GetIndex()),
                  (std::pair<std::int32_t, std::uint32_t>(kCategoryAnims, body)));
    }
}

// A body of anim2.mul with a record past the end of its .mul, and a container body whose table
// entry puts an action past the end of its container, list as damaged before any frame is read;
// the other bodies of the same files do not.
TEST_F(AnimListTest, BodiesOfFurtherFilesAndContainersListAsDamaged) {
    // Bytes of a file changed in place.
    const auto patch = [](const std::filesystem::path& path, std::uint64_t at,
                          const std::vector<std::uint8_t>& bytes) {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>(at));
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    test::TempDir dir;
    mk::WriteModernClient(dir.Path());
    // Body 1102's block starts at anim2.idx's record 35000.
    patch(dir.Path() / "anim2.idx", 35000 * IndexRecord::kSize, {0x00, 0xFF, 0xFF, 0x7F});
    const std::filesystem::path uop = dir.Path() / "AnimationFrame1.uop";
    const std::vector<std::uint8_t> bytes = test::TempDir::ReadFile(uop.string());
    // Where the table entry of a body's action 0 lies.
    const auto entryOf = [&](std::uint32_t body) {
        return test::UopTableEntryAt(bytes, HashUopName(AnimContainerEntryName(body, 0)));
    };
    const std::uint64_t entryAt = entryOf(1500);
    ASSERT_NE(entryAt, 0u);
    patch(uop, entryAt, {0x00, 0x00, 0x00, 0x00, 0x01});  // 4 GiB into the file
    // Body 1501's action 0 read as stored: its table entry holds together, its bytes (still
    // compressed) are no frames.
    const std::uint64_t stored = entryOf(1501);
    ASSERT_NE(stored, 0u);
    const std::uint32_t compressed = LoadLE32(bytes.data() + stored + 12);
    patch(uop, stored + 16, ByteWriter().u32(compressed).take());
    patch(uop, stored + 32, {0, 0});
    test::UseClient(dir.Path());

    Show(kCategoryAnims);
    for (const auto& [body, damaged] : {std::pair{1100u, false}, std::pair{1102u, true},
                                        std::pair{1500u, true}, std::pair{1502u, false}}) {
        SCOPED_TRACE(body);
        const int row = RowOfIndex(body);
        ASSERT_GE(row, 0);
        EXPECT_EQ(Cell(row, 1) == "!", damaged);
    }
    // Its frames, once read, make it damaged: not a body without frames.
    CDataDef* body = m_pList->GetModel()->GetEntry(RowOfIndex(1501));
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetReadStatus(), ReadStatus::Ok);
    SurfaceBuffer picture;
    EXPECT_FALSE(body->GetImage(picture));
    EXPECT_EQ(body->GetReadStatus(), ReadStatus::Damaged);
    EXPECT_STREQ(body->GetColumnText(-1), "!");
    auto* page = test::ShowSheetPage<CDataPageAnimDraw>(*body);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->NoFrameText(), "The frames of this action are damaged");
    EXPECT_FALSE(page->m_pCopy->isEnabled());
    CExportData data;
    EXPECT_FALSE(body->ExportData(ExportOptions{}, data));
    test::UseSampleClient();
}

}  // namespace
}  // namespace tessaly
