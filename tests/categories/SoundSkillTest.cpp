// The Sounds and Skills categories: list texts, playing through OpenAL Soft's wave backend,
// copying a sound as wave data, and their pages.

#include "CDataDefSkill.h"
#include "CDataDefSound.h"
#include "CDataPageDraw.h"
#include "ListFixture.h"
#include "MulSound.h"
#include "ResourceIds.h"
#include "SkillPages.h"
#include "SoundPages.h"
#include "TarnSounds.h"
#include "core/CapturedLog.h"
#include "sound/ExpectedWave.h"
#include "sound/WaveBackend.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include <al.h>

namespace tessaly {
namespace {

class SoundSkillTest : public test::SampleListTest {
protected:
    // Every device of the process renders into one wave file (OpenAL reads its configuration
    // once, before the first device opens).
    static void SetUpTestSuite() {
        s_dir = std::make_unique<test::TempDir>();
        test::RenderDevicesToWaveFile(*s_dir);
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void TearDown() override {
        test::SampleListTest::TearDown();
        CloseOutput();
    }

    // "C" and the category's columns of the row of entry `index`, tab-joined; "" when absent.
    QString Row(std::uint32_t index) const {
        const int row = RowOfIndex(index);
        if (row < 0) {
            return QString();
        }
        QStringList cells;
        for (int c = 1; c < m_pList->GetModel()->columnCount(); ++c) {
            cells << m_pList->GetModel()->index(row, c).data().toString();
        }
        return cells.join('\t');
    }

    static void OpenOutput() {
        TheSounds().Init(nullptr, CMapPoint(0, 0, 0, 0));
        ASSERT_TRUE(TheSounds().IsInit());
    }
    // Closes the process-wide output's device, which finishes the rendered file.
    static void CloseOutput() {
        CTarnSounds& output = TheSounds();
        output.StopAll();
        if (output.m_pContext != nullptr) {
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(output.m_pContext);
            output.m_pContext = nullptr;
        }
        if (output.m_pDS != nullptr) {
            alcCloseDevice(output.m_pDS);
            output.m_pDS = nullptr;
        }
    }
    static inline std::unique_ptr<test::TempDir> s_dir;
};

TEST_F(SoundSkillTest, SoundsListWithNameAndDurationAndPlayOnDoubleClickOrFromTheMenu) {
    CDataListCtrl* list = Show(kCategorySounds);
    // To the nearest tenth: 1101 frames are 0.0999 seconds.
    EXPECT_EQ(Row(12), " \tframes_1101.wav\t0.1 sec");  // 4436 bytes
    // The patched sound lists what plays: the patch file's name and length.
    EXPECT_EQ(Row(11), "*\tdoor_open_patched.wav\t0.2 sec");
    EXPECT_EQ(std::pair(RowOfIndex(0), RowOfIndex(6)), std::pair(-1, -1));

    // A double click and "Play" from the context menu play the sound (its rendering is the sound
    // layer's to guard).
    OpenOutput();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_Parent));
    const QPoint at = list->visualRect(list->GetModel()->index(RowOfIndex(1), 2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(DataAppState().m_Sheets.empty());  // played, not opened
    ASSERT_EQ(TheSounds().m_Playing.GetCount(), 1);
    EXPECT_EQ(TheSounds().m_Playing[0]->GetStatus(), CTarnSoundPlay::kStatusPlaying);
    TheSounds().StopAll();

    const QRect row = list->visualRect(list->GetModel()->index(RowOfIndex(4), 0));
    std::unique_ptr<QMenu> menu = list->CreateContextMenu(row.center());
    QAction* play = menu->actions()[4];
    EXPECT_EQ(std::pair(play->text(), play->data().toInt()),
              std::pair(QStringLiteral("Play"), ids::ID_PLAY));
    play->trigger();
    EXPECT_EQ(test::PlayingCount(TheSounds()), 1);

    // Unused slots list without name or duration.
    m_Host.m_bShowUnused = 1;
    m_pList->FillList();
    EXPECT_EQ(Row(0), " \tunused\t");
}

TEST_F(SoundSkillTest, SoundPageShowsTheSoundPlaysOrSaysThereIsNoDeviceAndCopiesTheWave) {
    QStringList told;
    DataAppState().m_SetMessageText = [&](const QString& text) { told << text; };
    CDataDefSound sound(4);
    ASSERT_TRUE(sound.ReadIndex());
    auto* page = test::ShowSheetPage<CDataPageSound>(sound);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pName->text(), "one_second.wav");
    EXPECT_EQ(page->m_pDuration->text(), "1.0 sec (44100 bytes of samples)");
    EXPECT_EQ(page->m_pFormat->text(), "PCM, 16 bits, 2 channels, 11025 Hz");
    EXPECT_TRUE(page->m_pPlay->isEnabled());
    // The waveform: one peak per column of the picture, drawn from the samples.
    ASSERT_EQ(page->GetSamples().size(), 44100u);
    page->m_pWave->grab();
    const int width = page->m_pWave->contentsRect().width();
    ASSERT_GT(width, 0);
    EXPECT_EQ(page->GetPeaks(), SamplePeaks(page->GetSamples(), static_cast<std::size_t>(width)));

    // Without a device "Play" plays nothing and says so, once however often it is tried.
    page->m_pPlay->click();
    page->m_pPlay->click();
    EXPECT_TRUE(RunEntryCommand(sound, nullptr, ids::ID_PLAY));
    EXPECT_EQ(TheSounds().m_Playing.GetCount(), 0);
    EXPECT_EQ(told.count(QString::fromLatin1(kNoSoundDevice)), 1);
    // With one, "Play" plays the sound and "Stop" stops it.
    OpenOutput();
    page->m_pPlay->click();
    EXPECT_EQ(test::PlayingCount(TheSounds()), 1);
    page->m_pStop->click();
    EXPECT_EQ(TheSounds().m_Playing.GetCount(), 0);
    DataAppState().DestroyAllSheets();

    // A sound without samples: its name, no waveform, nothing to play.
    CDataDefSound empty(5);
    ASSERT_TRUE(empty.ReadIndex());
    page = test::ShowSheetPage<CDataPageSound>(empty);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pName->text() + " " + page->m_pDuration->text(),
              "empty.wav 0.0 sec (0 bytes of samples)");
    EXPECT_FALSE(page->m_pPlay->isEnabled());
    EXPECT_EQ(page->GetNoSamplesText(), "No samples");
    DataAppState().DestroyAllSheets();

    // A sound whose patch record lies past the patch file's end says it is damaged.
    CDataVerData past(CUOVersionBlock{kSlotSound, 5, 0x7FFFFF00u, 70, 0, 0});
    empty.LinkVerData(&past);
    page = test::ShowSheetPage<CDataPageSound>(empty);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pDuration->text(), "? (the sound's data is damaged)");
    EXPECT_EQ(page->GetNoSamplesText(), "The entry's data is damaged");
    DataAppState().DestroyAllSheets();
    empty.LinkVerData(nullptr);

    // "Copy" puts the wave on the clipboard.
    QClipboard* clipboard = QGuiApplication::clipboard();
    test::CapturedLog log;
    // One sound through the command (the wave's bytes for odd, even and no samples are the
    // wave writer's to guard).
    clipboard->clear();
    CDataDefSound entry(1);
    ASSERT_TRUE(entry.ReadIndex());
    ASSERT_TRUE(RunEntryCommand(entry, nullptr, ids::ID_EDIT_COPY));
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    const QByteArray wave = data->data(QStringLiteral("audio/wav"));
    EXPECT_EQ(std::vector<std::uint8_t>(wave.begin(), wave.end()), test::ExpectedWave(1));
    EXPECT_EQ(data->data(QStringLiteral("audio/x-wav")), wave);

    // A sound without data puts nothing there.
    clipboard->clear();
    CDataDefSound unused(6);
    EXPECT_FALSE(unused.ReadIndex());
    EXPECT_FALSE(RunEntryCommand(unused, nullptr, ids::ID_EDIT_COPY));
    const QMimeData* after = clipboard->mimeData();
    EXPECT_TRUE(after == nullptr || !after->hasFormat(QStringLiteral("audio/wav")));
    // The patched sound copies the patch file's samples.
    EXPECT_EQ(MakeClipWave(11), test::ExpectedWave(11));
    EXPECT_TRUE(log.m_Lines.empty());
}

TEST_F(SoundSkillTest, SkillsListShowTheirMarksAndAreReadWithinTheirBytes) {
    Show(kCategorySkills);
    EXPECT_EQ(Row(1), " \tO\tAnatomy");
    EXPECT_EQ(Row(24), QString::fromLatin1(" \t \tMa\xEEtrise"));
    // Only a patch record provides skill 6: it lists with its patched name and the mark.
    EXPECT_EQ(Row(6), "*\tO\tBegging (patched)");
    EXPECT_EQ(RowOfIndex(20), -1);  // zero-length record

    // The pages show the base and the patched skill, also from its patch record, in fields that
    // cannot be edited: skills are not written.
    CDataDef* const anatomy = m_pList->GetModel()->GetEntry(RowOfIndex(1));
    const auto record =
        std::find_if(m_Host.m_Records.begin(), m_Host.m_Records.end(),
                     [](CDataVerData* r) { return r->GetRecord()->m_dwFileId == kSlotSkills; });
    ASSERT_NE(record, m_Host.m_Records.end());
    for (CDataDef* skill :
         {anatomy, m_pList->GetModel()->GetEntry(RowOfIndex(6)), static_cast<CDataDef*>(*record)}) {
        auto* page = test::ShowSheetPage<CDataPageSkill>(*skill);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->m_pHasButton->isChecked());
        EXPECT_EQ(page->m_pName->text(), skill == anatomy ? "Anatomy" : "Begging (patched)");
        EXPECT_TRUE(page->m_pName->isReadOnly());
        EXPECT_FALSE(page->m_pHasButton->isEnabled());
        DataAppState().DestroyAllSheets();
    }
    // The page refuses an entry that is no skill.
    CDataPageSkill lone;
    EXPECT_EQ(lone.LoadData(), 1);

    // Without base entries the patched skill still lists, alone.
    m_Host.m_bShowMulFiles = 0;
    Show(kCategorySkills);
    ASSERT_EQ(m_pList->GetModel()->rowCount(), 1);
    EXPECT_EQ(Row(6), "*\tO\tBegging (patched)");

    // Skill records are read within their bytes.
    CMulSkillDef skill;
    const std::uint8_t unterminated[] = {7, 'A', 'b'};
    ASSERT_TRUE(skill.Parse(unterminated));
    EXPECT_EQ(std::pair(skill.m_fHasButton, skill.m_sName), std::pair(true, std::string("Ab")));
    const std::uint8_t early[] = {0, 'X', 0, 'Y'};
    ASSERT_TRUE(skill.Parse(early));
    EXPECT_EQ(std::pair(skill.m_fHasButton, skill.m_sName), std::pair(false, std::string("X")));
    EXPECT_FALSE(skill.Parse(ByteSpan()));
    EXPECT_EQ(skill.m_sName, "X");

    // A record past the end of the file, or an absent one, leaves the skill as it was.
    CDataDefSkill entry(1);
    ASSERT_TRUE(entry.ReadIndex());
    EXPECT_FALSE(entry.ReadSkill(IndexRecord{0xFFFFF000u, 40, 0, 0}));
    EXPECT_FALSE(entry.ReadSkill(IndexRecord{}));
    EXPECT_EQ(entry.GetListText(), "O\tAnatomy");
    // A record longer than 128 bytes is cut there: the name is whatever of it was read.
    IndexRecord whole{
        0, static_cast<std::uint32_t>(TheClientFiles().GetFile(kSlotSkills).GetLength()), 0, 0};
    ASSERT_TRUE(entry.ReadSkill(whole));
    EXPECT_EQ(entry.m_sName, "Alchemy");  // record 0 starts the file and ends in a zero
    auto* page = test::ShowSheetPage<CDataPageSkill>(entry);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->m_pDamage->isHidden());
    DataAppState().DestroyAllSheets();

    // One that runs past the file's end is damaged: its page says so beside the name read.
    ASSERT_TRUE(entry.ReadSkill(IndexRecord{0, whole.m_dwLength + 64, 0, 0}));
    EXPECT_EQ(entry.GetReadStatus(), ReadStatus::Damaged);
    page = test::ShowSheetPage<CDataPageSkill>(entry);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->m_pDamage->isHidden());
    EXPECT_TRUE(page->m_pDamage->text().startsWith("Damaged:"));
    EXPECT_EQ(page->m_pName->text(), "Alchemy");
}

}  // namespace
}  // namespace tessaly
