// The Hues and Fonts categories: list texts, the ramp the "Hue" page shows and blends, colour
// points, the name, group mode, and hues saved into a ".pat" patch and shown from it again.

#include "CDataDefFont.h"
#include "CDataDefHue.h"
#include "CDataPageDraw.h"
#include "FontPages.h"
#include "HuePages.h"
#include "ListFixture.h"
#include "ResourceIds.h"
#include "Text.h"
#include "UniFontPages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <cmath>

namespace tessaly {
namespace {

using test::TempDir;

constexpr std::uint32_t kPureRed = 0xF80000;

// Hue n as "hues.mul" holds it (group header, then 88-byte entries).
HueEntry BaseHue(std::uint32_t n) {
    const std::vector<std::uint8_t> file = test::SampleClientDir().Read("hues.mul");
    ByteReader in(file, (n >> 3) * 708 + 4 + (n & 7) * 88);
    HueEntry e;
    EXPECT_TRUE(e.Read(in));
    return e;
}

std::vector<std::uint8_t> Bytes(const HueEntry& e) {
    ByteWriter out;
    e.Write(out);
    return out.take();
}

// A ramp from dark to light grey with some colour.
HueEntry Ramp() {
    HueEntry e;
    for (int i = 0; i < 32; ++i) {
        const auto v = static_cast<std::uint16_t>(i);
        e.m_Colours[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>((v << 10) | ((31 - v) << 5) | (v / 2));
    }
    return e;
}

class HuePageTest : public test::SampleSheetTest {
protected:
    // Opens an entry's sheet on its "Hue" page.
    cDataPageHue* ShowPage(CDataDef* entry) {
        auto* page = test::ShowSheetPage<cDataPageHue>(*entry);
        if (page != nullptr) {
            page->GetBar()->repaint();
        }
        return page;
    }
    cDataPageHue* Show(std::uint32_t hue) {
        return ShowPage(Keep(std::make_unique<CDataDefHue>(hue)));
    }
    // A click on cell c of the bar, in page coordinates.
    static QPoint Cell(cDataPageHue* page, int c) {
        const QRect area = page->GetBar()->contentsRect();
        const int w = area.width() / 32;
        return page->GetBar()->mapTo(page, area.topLeft() + QPoint(c * w + w / 2, 2));
    }
    HueEntry Saved(std::uint32_t n) const {
        const auto data = m_Patch.FindPatchRecord(kPatchTypeHues, n);
        EXPECT_TRUE(data.has_value());
        HueEntry e;
        if (data) {
            EXPECT_EQ(data->size(), 88u);
            ByteReader in(*data);
            e.Read(in);
        }
        return e;
    }
};

TEST(HueColoursTest, ConversionsKeepEveryFiveBitValueAndPointsBlendTowardsTheRampsEnds) {
    for (std::uint32_t w = 0; w < 0x8000; ++w) {
        ASSERT_EQ(RgbToHueWord(HueWordToRgb(static_cast<std::uint16_t>(w))), w);
    }
    EXPECT_EQ(HueWordToRgb(0x8000 | 0x001F), 0x0000F8u);  // bit 15 ignored
    EXPECT_EQ(RgbToHueWord(0xFF0F07), 0x7C20);            // divisions truncate

    // Without points.
    HueEntry white = Ramp();
    white.m_Colours[31] = 0x7FFF;  // + 0x0421 carries across every field
    HueColours points;
    points.fill(kHueNoPoint);
    const HueColours unchanged = HueDisplayColours(white, points);
    EXPECT_EQ(points[0], kHueNoPoint);  // nothing set, nothing filled in
    const HueEntry saved = MakeEditedHue(unchanged, "Ramp");
    EXPECT_EQ(saved.m_Colours, white.m_Colours);
    EXPECT_EQ(saved.m_wTableStart, white.m_Colours[0]);
    EXPECT_EQ(saved.m_wTableEnd, 0x8420);
    EXPECT_EQ(saved.GetName(), "Ramp");
    EXPECT_EQ(MakeEditedHue(unchanged, std::string(25, 'x')).GetName(), std::string(19, 'x'));

    // A point at 15 and one at 0, kept as given; 31 is filled in from the ramp.
    points[0] = 0x102030;
    points[15] = kPureRed;
    const HueColours shown = HueDisplayColours(white, points);
    EXPECT_EQ(std::tuple(shown[0], shown[15], points[31]),
              std::tuple(0x102030u, kPureRed, HueWordToRgb(white.m_Colours[31])));
    // Per channel from L to i: L + (j - L) * (i - L's channel difference) / (i - L), rounded.
    auto blend = [](std::uint32_t a, std::uint32_t b, int j, int span) {
        std::uint32_t out = 0;
        for (int shift : {16, 8, 0}) {
            const double from = (a >> shift) & 0xFF, to = (b >> shift) & 0xFF;
            out |= static_cast<std::uint32_t>(std::lround(from + j * (to - from) / span)) << shift;
        }
        return out;
    };
    EXPECT_EQ(shown[7], blend(0x102030, kPureRed, 7, 15));
    EXPECT_EQ(shown[23], blend(kPureRed, points[31], 8, 16));
}

TEST_F(HuePageTest, ListTextsHueNumbersAndPatchHuesOfAnotherLengthIgnored) {
    // Group 1 is replaced by a "verdata.mul" record: its names carry " patched".
    CDataDefHue first(0), thirteenth(13), past(0x10000 + 2);
    const HueEntry base0 = BaseHue(0);
    EXPECT_EQ(first.GetListText(),
              Format("0%x -> 0%x\tRed 1", base0.m_wTableStart, base0.m_wTableEnd));
    EXPECT_EQ(thirteenth.GetListText().substr(thirteenth.GetListText().find('\t')),
              "\tRed 14 patched");
    EXPECT_EQ(past.GetIndex(), 2u);
    // Past the end of "hues.mul": an empty hue.
    CDataDefHue beyond(0xFFF0);
    EXPECT_EQ(beyond.GetListText(), "00 -> 00\t");

    cDataPageHue* page = Show(0);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->IsGroupMode());
    EXPECT_EQ(page->m_pIndex->text() + " " + page->m_pName->text(), "0001 Red 1");
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(page->GetDisplayedColours()[i], HueWordToRgb(base0.m_Colours[i]));
    }
    EXPECT_TRUE(page->m_pDamage->isHidden());
    // A hue past the file's end says it cannot be given.
    page = Show(0xFFF0);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->m_pDamage->isHidden());
    EXPECT_EQ(page->m_pDamage->text(),
              "Damaged: \"hues.mul\" is missing or cannot give hue fff1; its colours show as "
              "black.");

    // A patch hue of another length is ignored, though its start would read as a hue.
    HueEntry edited = Ramp();
    edited.SetName("from the patch");
    std::vector<std::uint8_t> longer = Bytes(edited);
    longer.resize(152);
    m_Patch.InsertPatchRecord(longer, kPatchTypeHues, 3);
    m_Patch.InsertPatchRecord(Bytes(edited), kPatchTypeHues, 6);
    EXPECT_EQ(Show(3)->m_pName->text().toStdString(), BaseHue(3).GetName());
    page = Show(6);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pName->text(), "from the patch");
    EXPECT_EQ(RgbToHueWord(page->GetDisplayedColours()[9]), edited.m_Colours[9]);
    // Drawing the entry's list row reads the file's hue again; the page keeps the patch's.
    page->GetDataDef()->GetColumnText(-1);
    EXPECT_EQ(RgbToHueWord(page->GetDisplayedColours()[9]), edited.m_Colours[9]);
    // Without a patch object there is nowhere to save.
    DataAppState().m_pPatch = nullptr;
    EXPECT_EQ(page->SaveData(), -1);
}

TEST_F(HuePageTest, PointsAreChosenClearedAndPainted) {
    cDataPageHue* page = Show(0);
    ASSERT_NE(page, nullptr);
    const HueEntry base = BaseHue(0);

    // Cancelled chooser: nothing changes.
    EXPECT_TRUE(page->OnLButtonDown(Cell(page, 15)));
    ASSERT_EQ(m_Ui.m_ColorStarts.size(), 1u);
    EXPECT_EQ(m_Ui.m_ColorStarts[0], HueWordToRgb(base.m_Colours[15]));
    EXPECT_FALSE(page->IsModified());

    // A real click, answered with pure red; the chooser opens at the point the next time.
    m_Ui.m_Colors.push_back(kPureRed);
    QTest::mouseClick(page->GetBar(), Qt::LeftButton, {},
                      page->GetBar()->mapFrom(page, Cell(page, 15)));
    EXPECT_EQ(page->m_Points[15], kPureRed);
    EXPECT_TRUE(page->IsModified() && page->GetSheet()->IsSheetModified());
    page->OnLButtonDown(Cell(page, 15));
    EXPECT_EQ(m_Ui.m_ColorStarts.back(), kPureRed);

    // Painting fills 0 and 31 from the ramp; the bar shows the displayed colours cell by cell.
    page->GetBar()->repaint();
    EXPECT_EQ(std::pair(page->m_Points[0], page->m_Points[31]),
              std::pair(HueWordToRgb(base.m_Colours[0]), HueWordToRgb(base.m_Colours[31])));
    const QImage bar = page->GetBar()->grab().toImage();
    const QRect area = page->GetBar()->contentsRect();
    const HueColours shown = page->GetDisplayedColours();
    const int w = area.width() / 32;
    const qreal dpr = bar.devicePixelRatio();
    for (int c : {0, 7, 15, 22, 31}) {
        const QPoint at = (area.topLeft() + QPoint(c * w + w / 2, area.height() / 2)) * dpr;
        EXPECT_EQ(bar.pixel(at) & 0xFFFFFFu, shown[static_cast<std::size_t>(c)]) << c;
    }
    // The bar is sized to whole cells: its last column belongs to cell 31.
    EXPECT_EQ(area.width() % 32, 0);
    EXPECT_EQ(bar.pixel(QPoint(area.right(), area.top()) * dpr) & 0xFFFFFFu, shown[31]);

    // Right click clears the point; 0 and 31 stay set, so the blend now runs between them.
    QTest::mouseClick(page->GetBar(), Qt::RightButton, {},
                      page->GetBar()->mapFrom(page, Cell(page, 15)));
    EXPECT_EQ(page->m_Points[15], kHueNoPoint);
    page->OnRButtonDown(Cell(page, 31));
    page->GetBar()->repaint();
    EXPECT_EQ(page->m_Points[31], HueWordToRgb(base.m_Colours[31]));  // set again from the ramp
    // Off the bar: not handled.
    EXPECT_FALSE(page->OnLButtonDown(page->m_pIndex->geometry().center()));
    EXPECT_FALSE(page->OnRButtonDown(QPoint(-5, -5)));
    EXPECT_EQ(m_Ui.m_ColorStarts.size(), 3u);
}

TEST_F(HuePageTest, AnEditedHueGoesToThePatchAndComesBackFromIt) {
    cDataPageHue* page = Show(13);
    ASSERT_NE(page, nullptr);
    m_Ui.m_Colors.push_back(kPureRed);
    page->OnLButtonDown(Cell(page, 15));
    page->m_pName->setFocus();
    page->m_pName->selectAll();
    // A character the file cannot keep is refused; one of Latin-1 is kept as its byte.
    for (const QChar c : QStringLiteral("\u03a9\u00e9") + QString(25, QLatin1Char('n'))) {
        QTest::sendKeyEvent(QTest::Click, page->m_pName, Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    }
    const QString typed = QStringLiteral("\u00e9") + QString(19, QLatin1Char('n'));
    EXPECT_EQ(page->m_pName->text(), typed);
    const HueColours shown = page->GetDisplayedColours();
    page->GetSheet()->OnCommand(ids::ID_SHEET_OK);  // apply
    EXPECT_FALSE(page->IsModified());
    ASSERT_EQ(m_Patch.Count(), 1u);
    const HueEntry saved = Saved(13);
    EXPECT_EQ(saved.GetName(), "\xe9" + std::string(18, 'n'));
    EXPECT_EQ(saved.m_Colours[15], 0x7C00);
    // The table's start and end words come from MakeEditedHue (HueColoursTest guards them).
    EXPECT_EQ(saved.m_Colours[7], RgbToHueWord(shown[7]));

    // Shown again, the page reads the edit back from the patch.
    DataAppState().DestroyAllSheets();
    cDataPageHue* again = Show(13);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->m_pName->text(), typed.left(19));
    EXPECT_EQ(RgbToHueWord(again->GetDisplayedColours()[15]), 0x7C00);
    // The list still reads the client's hue; hue 12 beside it is untouched.
    EXPECT_NE(CDataDefHue(13).GetListText().find("Red 14 patched"), std::string::npos);
    EXPECT_EQ(Show(12)->m_pName->text(), "Red 13 patched");
}

TEST_F(HuePageTest, AGroupRecordShowsItsEightRampsByScrolling) {
    const CUOVersionBlock* group = nullptr;
    for (std::int32_t i = 0; i < TheVerDataTable().GetCount(); ++i) {
        if (TheVerDataTable().ElementAt(i).m_dwFileId == kSlotHues) {
            group = &TheVerDataTable().ElementAt(i);
        }
    }
    ASSERT_NE(group, nullptr);
    cDataPageHue* page = ShowPage(Keep(std::make_unique<CDataVerData>(*group)));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->IsGroupMode());
    EXPECT_EQ(page->m_pScroll->maximum(), 7);
    EXPECT_EQ(page->m_pRange->text(), "09 to 010");
    EXPECT_EQ(page->m_pIndex->text() + " " + page->m_pName->text(), "0009 Red 9 patched");

    page->m_pScroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(page->m_nScrollPos, 4);
    EXPECT_EQ(page->m_pIndex->text() + " " + page->m_pName->text(), "000d Red 13 patched");
    page->OnVScroll(99);  // clamped
    EXPECT_EQ(page->m_pScroll->value(), 7);
    EXPECT_EQ(page->m_pIndex->text(), "0010");
    page->m_pScroll->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(page->GetHueNumber(), 8u);

    // Edits of a ramp are stored in the patch when scrolling leaves it, not thrown away.
    m_Ui.m_Colors.push_back(kPureRed);
    page->OnLButtonDown(Cell(page, 3));
    page->m_pScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page->GetHueNumber(), 9u);
    EXPECT_FALSE(page->GetSheet()->IsSheetModified() || page->IsModified());
    EXPECT_EQ(page->m_Points[3], kHueNoPoint);
    EXPECT_EQ(Saved(8).m_Colours[3], 0x7C00);
    EXPECT_EQ(m_Patch.Count(), 1u);
    // Scrolling back shows the stored ramp.
    page->m_pScroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(RgbToHueWord(page->GetDisplayedColours()[3]), 0x7C00);
}

using HueFontListTest = test::SampleListTest;

// Fonts list as "Font"; the page draws the entry's own font: each character at the position it
// gives for its code and the sample line from its first character, as the decoder reads them.
TEST_F(HueFontListTest, FontsAndHueGroupsListAndTheFontPagesDrawTheirCharacters) {
    ASSERT_EQ(Show(kCategoryFonts)->GetModel()->rowCount(), 10);
    EXPECT_EQ(Cell(3, 2), "Font");

    CDataDefFont font(3);
    auto* page = test::ShowSheetPage<CDataPageFont>(font, QStringLiteral("Font"));
    ASSERT_NE(page, nullptr);
    page->GetPicture()->repaint();
    const SurfaceBuffer& shown = page->GetBuffer();
    ASSERT_NE(shown.GetData(), nullptr);

    // The sample client's fonts differ from one another, so font 3 is told from font 0.
    const MulFont* own = font.GetFont();
    ASSERT_NE(own, nullptr);
    const auto expectCharacter = [&](std::uint32_t code, QPoint at) {
        const FontCharacter& c = *own->Find(code);
        int wrong = 0, opaque = 0;
        for (int y = 0; y < c.m_nHeight; ++y) {
            for (int x = 0; x < c.m_nWidth; ++x) {
                const std::uint16_t p = LoadLE16(c.m_Pixels.data() + 2 * (y * c.m_nWidth + x));
                opaque += p != 0;
                // Transparent pixels show the black background.
                wrong += shown.GetPixel(at.x() + x, at.y() + y) != p;
            }
        }
        EXPECT_GT(opaque, 0) << code;
        EXPECT_EQ(wrong, 0) << code;
    };
    for (std::uint32_t code : {0x21u, 0x41u, 0x7Au, 0xFFu}) {
        expectCharacter(code, page->GetCharacterPosition(code));
    }
    expectCharacter('T', page->GetSamplePosition());
    EntryClip clip;
    EXPECT_TRUE(font.CopyData(clip));
    EXPECT_TRUE(page->GetDamageText()->isHidden());

    // A font the file ends before says so on its page.
    CDataDefFont missing(40);
    auto* notice = test::ShowSheetPage<CDataPageFont>(missing);
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->GetDamageText()->isHidden());
    EXPECT_EQ(notice->GetDamageText()->text(),
              "Damaged: \"fonts.mul\" is missing or ends before font 40.");

    // A "verdata.mul" hue record replaces a group of eight: the sample's record for group 1 marks
    // hues 8 to 15, and not hue 1.
    Show(kCategoryHues);
    for (std::uint32_t hue = 0; hue < 24; ++hue) {
        EXPECT_EQ(Cell(RowOfIndex(hue), 1), hue >= 8 && hue < 16 ? "*" : " ") << hue;
    }

    // The "Unicode Font" page offers the character buttons only for a character the font draws.
    auto* uni = test::ShowSheetPage<CDataPageUniFont>(*Entry(kCategoryUniFonts, 0),
                                                      QStringLiteral("Unicode Font"));
    ASSERT_NE(uni, nullptr);
    SurfaceBuffer picture;
    // Nothing selected, a letter, a control character (no glyph).
    for (const auto& [code, offered] :
         {std::pair(-1, false), std::pair(0x41, true), std::pair(0x01, false)}) {
        if (code >= 0) {
            uni->m_pMap->Select(code);
        }
        EXPECT_EQ(uni->m_pCopyCharacter->isEnabled(), offered) << code;
        EXPECT_EQ(uni->m_pExportCharacter->isEnabled(), offered) << code;
        EXPECT_EQ(uni->DrawCharacter(picture), offered) << code;
    }
}

}  // namespace
}  // namespace tessaly
