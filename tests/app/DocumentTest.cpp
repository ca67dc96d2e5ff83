// The document, view and frames over the real main window: what a new view shows, the command
// states, categories and filters, saving patch files and several documents at once.

#include "ArtTypes.h"
#include "CBrindleDoc.h"
#include "CChildFrame.h"
#include "CDataDefMap.h"
#include "CDataListCtrl.h"
#include "CDataProps.h"
#include "ClientWriter.h"
#include "ClilocPages.h"
#include "EntryCommands.h"
#include "PictureImage.h"
#include "ResourceIds.h"
#include "ShellTestSupport.h"
#include "TileDataPages.h"
#include "categories/QtTestSupport.h"
#include "core/FailingSave.h"
#include "images/Pixels.h"
#include "patch/PatchBuilder.h"
#include "sound/WaveFile.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>

namespace tessaly {
namespace {

using test::ReadBytes;

// The program started on the sample client, with its untitled document and scripted dialogs.
class DocumentTest : public test::ShellTest {
protected:
    void SetUp() override {
        test::ShellTest::SetUp();
        ASSERT_TRUE(StartOnSample());
        m_pFrame = m_pApp->GetMainFrame();
    }
    CDataListCtrl* ActiveList() const {
        CBrindleView* view = ActiveView();
        return view != nullptr ? dynamic_cast<CDataListCtrl*>(view->m_pList) : nullptr;
    }
    // Shows a category and selects the row of entry `index`; null when the list has none.
    CDataDef* Select(std::int32_t category, std::uint32_t index) {
        ActiveView()->SetCategory(category);
        return ActiveList()->SelectIndex(index) ? ActiveList()->GetSelected() : nullptr;
    }
    CBrindleDoc* Open(const std::string& path) {
        return dynamic_cast<CBrindleDoc*>(m_pApp->OpenDocumentFile(QString::fromStdString(path)));
    }
    // Saves the document as `name` in the test's folder; the bytes saved, none if it failed.
    std::vector<std::uint8_t> SaveAs(CBrindleDoc* doc, const std::string& name) {
        EXPECT_TRUE(doc->DoSave(QString::fromStdString(m_Dir.File(name)))) << name;
        return ReadBytes(m_Dir.File(name));
    }

    // A patch file of records sorted by key, so that a save (which writes records in table
    // order and data in the same order) reproduces it byte for byte.
    std::string WritePatch(const std::string& name, std::vector<mk::SamplePatch> patches) {
        std::stable_sort(patches.begin(), patches.end(), [](const auto& a, const auto& b) {
            return CUOVersionBlock::MakeKey(a.fileId, a.block) <
                   CUOVersionBlock::MakeKey(b.fileId, b.block);
        });
        return m_Dir.Write(name, mk::BuildVerData(patches));
    }
    // Such a file of the sample patch's records of these file ids.
    std::string SamplePatchFile(const std::string& name, std::set<std::uint32_t> fileIds) {
        return WritePatch(
            name, test::SamplePatches([&](std::uint32_t f) { return fileIds.contains(f); }));
    }

    CMainFrame* m_pFrame = nullptr;
};

// The untitled document start-up makes does not record "LastView" (an opened one does: the
// recent-file test).
TEST_F(DocumentTest, ANewViewListsTheRecordsAndPropertiesOpensTheSelectedOneAboveTheWindow) {
    EXPECT_TRUE(GetLastView().isEmpty());
    CDataListCtrl* list = ActiveList();
    ASSERT_NE(list, nullptr);
    list->SelectPosition(0);
    EXPECT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES));
    ASSERT_EQ(m_pApp->GetDataState().m_Sheets.size(), 1u);
    CDataProps* sheet = m_pApp->GetDataState().m_Sheets[0];
    EXPECT_EQ(sheet->GetEntry(), list->GetModel()->GetEntry(0));
    // A window of the main window: it stays above it when the list is clicked.
    EXPECT_EQ(sheet->parentWidget(), m_pFrame);
    ASSERT_NE(sheet->windowHandle(), nullptr);
    EXPECT_EQ(sheet->windowHandle()->transientParent(), m_pFrame->windowHandle());
    // Closing the document's last frame closes the document and, with its entries, the sheet.
    ActiveView()->GetParentFrame()->CloseFrame();
    EXPECT_EQ(DocumentCount(), 0u);
    EXPECT_TRUE(m_pApp->GetDataState().m_Sheets.empty());
}

// The Statics list takes a facet: the chooser beside the filter offers the facets the sample
// has (Trammel reads Felucca's files, Malas is absent), and the list and the sheets follow the
// one chosen. Items: the title, the list below the filter, "Unused Slots" and "Mul Files".
TEST_F(DocumentTest, CategoriesFacetsListModesAndFilters) {
    CBrindleView* view = ActiveView();
    ASSERT_TRUE(m_pFrame->RouteCommand(kCategoryStatics));
    auto* chooser = view->findChild<QComboBox*>(QStringLiteral("facet"));
    ASSERT_NE(chooser, nullptr);
    EXPECT_FALSE(chooser->isHidden());
    EXPECT_GE(chooser->findData(1), 0);
    EXPECT_EQ(chooser->findData(3), -1);
    const int ilshenar = chooser->findData(2);
    ASSERT_GE(ilshenar, 0);
    const int felucca = ActiveList()->GetModel()->rowCount();
    chooser->setCurrentIndex(ilshenar);
    emit chooser->activated(ilshenar);
    EXPECT_NE(ActiveList()->GetModel()->rowCount(), felucca);

    m_Ui.m_Texts.push_back(std::string("#201"));
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_GOTO));
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES));
    ASSERT_FALSE(DataAppState().m_Sheets.empty());
    EXPECT_EQ(DataAppState().m_Sheets.back()->windowTitle(), "Statics - 0c9 (Ilshenar)");
    SetChosenFacet(0);

    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_DATA_ITEMS));
    EXPECT_EQ(view->GetParentFrame()->windowTitle(), "Items");
    QWidget* shown = view->m_pListWnd.get();
    // The category already shown is not rebuilt.
    m_pFrame->RouteCommand(ids::ID_DATA_ITEMS);
    EXPECT_EQ(view->m_pListWnd.get(), shown);
    const int valid = ActiveList()->GetModel()->rowCount();

    // "Unused Slots" refills the same list with every slot.
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    EXPECT_TRUE(State(ids::ID_VIEW_UNUSED).m_bChecked);
    EXPECT_EQ(view->m_pListWnd.get(), shown);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), 16384);
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), valid);

    // "Mul Files" acts when a list is built: the refill keeps the entries, the next
    // category lists only patched slots.
    m_pFrame->RouteCommand(ids::ID_VIEW_MULFILES);
    EXPECT_FALSE(State(ids::ID_VIEW_MULFILES).m_bChecked);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), valid);
    m_pFrame->RouteCommand(ids::ID_DATA_GUMPS);
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), 1);
}

// The Cliloc list in the window: the language chooser beside the filter shows another language
// over English, Go to finds a message by its number, Copy puts its text on the clipboard. On a
// client whose "Cliloc.deu" is compressed and whose multis are kept in "MultiCollection.uop", the
// messages export nothing and say why, and the Multis list names the file it does not read.
TEST_F(DocumentTest, ClilocAndMultisListsShowTheirFilesAndNameWhatTheyDoNotRead) {
    CBrindleView* view = ActiveView();
    ASSERT_TRUE(m_pFrame->RouteCommand(kCategoryMultis));
    const int multis = ActiveList()->GetModel()->rowCount();
    ASSERT_TRUE(m_pFrame->RouteCommand(kCategoryCliloc));
    auto* chooser = view->findChild<QComboBox*>(QStringLiteral("language"));
    ASSERT_NE(chooser, nullptr);
    EXPECT_FALSE(chooser->isHidden());
    const int deu = chooser->findText("Cliloc.deu");
    ASSERT_GE(deu, 0);
    chooser->setCurrentIndex(deu);
    emit chooser->activated(deu);

    m_Ui.m_Texts.push_back(std::string("500003"));
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_GOTO));
    ASSERT_NE(ActiveList()->GetSelected(), nullptr);
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(0), "500003");
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_COPY));
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("Gr\xC3\xBC\xC3\x9F\x65 auf Deutsch"));

    // A compressed file exports nothing and says why before any file is asked for.
    m_Ui.m_ExportFiles.push_back(CShellUi::FileChoice{m_Dir.File("deu.csv"), 0});
    ExportClilocMessages();
    EXPECT_TRUE(std::filesystem::exists(m_Dir.File("deu.csv")));
    const std::string client = ClientWithout({});
    m_Dir.Write("client/Cliloc.deu", std::vector<std::uint8_t>(16, 0x55));
    m_Dir.Write("client/MULTICOLLECTION.uop", WriteUopContainer({}));
    test::UseClient(client);
    const std::size_t asked = m_Ui.m_ExportDialogs.size();
    ExportClilocMessages();
    EXPECT_EQ(m_Ui.m_ExportDialogs.size(), asked);
    EXPECT_EQ(m_Ui.m_Warnings, std::vector<std::string>{"Nothing to export: Cliloc.deu: compressed "
                                                        "cliloc files are not supported yet"});

    // The Multis list says, once per opening (not for its grid), that it shows only "multi.mul".
    ASSERT_TRUE(m_pFrame->RouteCommand(kCategoryItems));
    ASSERT_TRUE(m_pFrame->RouteCommand(kCategoryMultis));
    EXPECT_EQ(m_Ui.m_Messages,
              std::vector<std::string>{"This client keeps its multis in 'MultiCollection.uop', "
                                       "which Tessaly does not read: the list shows only those "
                                       "of 'multi.mul'."});
    EXPECT_EQ(ActiveList()->GetModel()->rowCount(), multis);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_VIEW_THUMBNAIL));
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_VIEW_TEXTLIST));
    EXPECT_EQ(m_Ui.m_Messages.size(), 1u);
    test::UseSampleClient();
    SetClilocLanguage("enu");
}

TEST_F(DocumentTest, SavingReproducesTheFileAndCarriesRecordsOfKindsThatDoNotWriteThemselves) {
    // The item picture, the gump and the "animdata.mul" record of the sample patch.
    std::string source = SamplePatchFile("source.mul", {4, 12, 31});
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    // A sheet on a record closes when the document reloads after the save.
    ActiveList()->SelectPosition(0);
    m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES);
    ASSERT_EQ(m_pApp->GetDataState().m_Sheets.size(), 1u);

    EXPECT_EQ(SaveAs(doc, "saved.mul"), ReadBytes(source));
    EXPECT_TRUE(m_pApp->GetDataState().m_Sheets.empty());
    EXPECT_EQ(doc->GetPatchPath(), m_Dir.File("saved.mul"));
    EXPECT_EQ(SaveAs(doc, "again.mul"), ReadBytes(source));

    // Hue groups and tile data write nothing of their own: their records and bytes go over as
    // the opened file holds them, so a patch holding them can still be saved.
    const std::string hues = SamplePatchFile("hues.mul.pat", {4, 32, 30});
    ASSERT_GE(test::ReadPatchRecords(ReadBytes(hues)).size(), 2u);
    doc = Open(hues);
    ASSERT_NE(doc, nullptr);
    const std::string target = m_Dir.Write("target.mul", {1, 2, 3});
    m_Ui.m_Progress.clear();
    ASSERT_TRUE(doc->DoSave(QString::fromStdString(target)));
    // Under a progress indication, which ends before the document is read again.
    ASSERT_EQ(m_Ui.m_Progress.size(), 1u);
    EXPECT_EQ(m_Ui.m_Progress[0].text, "Saving the file '" + target + "'...");
    EXPECT_EQ(m_Ui.m_Progress[0].steps.back(), std::pair(std::uint64_t{1}, std::uint64_t{1}));
    EXPECT_EQ(ReadBytes(target), ReadBytes(hues));
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("tmpversave.mul")));
}

// A document reads its records from the file it opened, also after another document is saved
// over that file's name: its offsets do not fit the new file.
TEST_F(DocumentTest, EachDocumentReadsAndWritesItsOwnPatchFile) {
    // The same "animdata.mul" block with different bytes.
    mk::SamplePatch a{31, 3, {1, 1, 1, 1}, 7, 8};
    mk::SamplePatch b{31, 3, {2, 2, 2, 2, 2, 2, 2, 2}, 9, 10};
    std::string first = WritePatch("first.mul", {a});
    std::string second = WritePatch("second.mul", {{5, 9, {9, 9}, 0, 0}, b});
    const std::vector<std::uint8_t> firstBytes = ReadBytes(first);
    CBrindleDoc* docA = Open(first);
    CBrindleDoc* docB = Open(second);
    ASSERT_TRUE(docA && docB);
    EXPECT_EQ(m_pFrame->GetActiveDocument(), docB);
    EXPECT_EQ(TheClientFiles().GetFile(kSlotVerData).GetFilePath(), second);

    // Saving the first document while the second is active writes the first one's bytes, also
    // once the second is saved over the first one's file.
    EXPECT_EQ(SaveAs(docB, "first.mul"), ReadBytes(second));
    EXPECT_EQ(SaveAs(docA, "a-out.mul"), firstBytes);
    EXPECT_EQ(SaveAs(docB, "b-out.mul"), ReadBytes(second));

    // Activating a document's frame points slot 22 and the patch table at its file.
    CChildFrame* frameA = docA->GetViews().front()->GetParentFrame();
    m_pFrame->GetMdiArea()->setActiveSubWindow(frameA);
    EXPECT_EQ(TheClientFiles().GetFile(kSlotVerData).GetFilePath(), m_Dir.File("a-out.mul"));
    IndexRecord record;
    ASSERT_TRUE(TheVerDataTable().FindRecord(31, 3, record));
    EXPECT_EQ(record.GetLength(), 4u);
    // Its file by another name (a link) is the same document.
    std::filesystem::create_symlink(m_Dir.File("a-out.mul"), m_Dir.File("link.mul"));
    m_pFrame->GetMdiArea()->setActiveSubWindow(docB->GetViews().front()->GetParentFrame());
    EXPECT_EQ(Open(m_Dir.File("link.mul")), docA);
    EXPECT_EQ(m_pFrame->GetActiveDocument(), docA);

    // Closing one document leaves the other's entries intact.
    frameA->close();
    QApplication::processEvents();
    EXPECT_EQ(m_pFrame->GetActiveDocument(), docB);
    EXPECT_EQ(SaveAs(docB, "b-again.mul"), ReadBytes(second));
}

// A client data file is never a patch file: it does not open as one (its bytes would be laid
// over the client's entries as records), and a patch is not saved over one.
TEST_F(DocumentTest, AClientDataFileOrAPatNeitherOpensNorIsSavedOverAsAPatchFile) {
    const std::string art = m_Dir.Write("ART.MUL", {1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Open(art), nullptr);
    EXPECT_EQ(DocumentCount(), 1u);
    EXPECT_EQ(m_Ui.m_Warnings,
              std::vector<std::string>{"'ART.MUL' is one of the client's data files, not a patch "
                                       "file: File > \"Open Base Muls...\" reads its folder as "
                                       "the client."});
    // Nor does a ".pat" patch, nor a damaged one (its count cut to 0) under another name: it is
    // known by its mark. A file of the client's format named ".pat" does open.
    for (const auto& [name, count] : {std::pair("hues.pat", 1u), std::pair("cut", 0u)}) {
        EXPECT_EQ(
            Open(m_Dir.Write(name, test::PatchFileBuilder()
                                       .Record(kPatchTypeHues, 3, test::PatchFileBuilder::Bytes(88))
                                       .Count(count)
                                       .Build())),
            nullptr);
        EXPECT_EQ(m_Ui.m_Warnings.back(),
                  "'" + std::string(name) +
                      "' is a \".pat\" patch: File > \"Open Patch File...\" opens it.");
    }
    EXPECT_NE(Open(WritePatch("verdata-format.pat", {{31, 3, {1, 1, 1, 1}, 7, 8}})), nullptr);
    CBrindleDoc* doc = Open(WritePatch("mine.mul", {{31, 3, {1, 1, 1, 1}, 7, 8}}));
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->DoSave(QString::fromStdString(art)));
    EXPECT_EQ(m_Ui.m_Warnings.back(),
              "'ART.MUL' is one of the client's data files, not a patch "
              "file: the patch is not saved over it.");
    EXPECT_EQ(ReadBytes(art), (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(doc->GetPathName(),
              QFileInfo(QString::fromStdString(m_Dir.File("mine.mul"))).absoluteFilePath());
}

// Editing items, gumps and sounds through the window's commands, then saving.
class DocumentEditTest : public DocumentTest {
protected:
    // Runs an entry command through the list, as its context menu does, choosing `file`.
    bool CommandWithFile(int nId, const std::string& file) {
        m_Ui.m_Files.push_back(file);
        return ActiveList()->OnCommand(nId);
    }
    std::string WritePng(const std::string& name, const QImage& image) {
        const std::string path = m_Dir.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }
    // An opaque 9 x 6 picture whose pixels all differ: it decodes to PictureFromImage's pixels
    // (the colour conversion has its own test).
    static QImage TestImage() {
        QImage image(9, 6, QImage::Format_RGB32);
        for (int i = 0; i < 54; ++i) {
            image.setPixel(i % 9, i / 9, qRgb(i * 4, 255 - i * 4, 100));
        }
        return image;
    }
};

TEST_F(DocumentEditTest, ReplaceDeleteInsertUndoSaveAndTheClientReadsTheNewData) {
    const std::string source = SamplePatchFile("source.mul", {4, 12, 8});
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    const int records = doc->m_VerData.GetCount();
    const std::vector<std::uint8_t> sourceBytes = ReadBytes(source);
    const QImage image = TestImage();
    const std::string png = WritePng("picture.png", image);

    // An item from a PNG file: shown at once with the change mark, the document modified.
    EXPECT_FALSE(State(ids::ID_FILE_SAVE).m_bEnabled);
    ASSERT_NE(Select(kCategoryItems, 6), nullptr);
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE, png));
    CDataDef* item = ActiveList()->GetSelected();
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->GetColumnText(-1), "+");
    SurfaceBuffer shown;
    ASSERT_TRUE(item->GetImage(shown));
    EXPECT_EQ(test::Pixels(shown, 0x7FFF), PictureFromImage(image).pixels);
    EXPECT_TRUE(State(ids::ID_FILE_SAVE).m_bEnabled);
    EXPECT_FALSE(State(ids::ID_FILE_SAVE_FAST).m_bEnabled);  // "Save" saves; it carries out nothing
    EXPECT_TRUE(State(ids::ID_EDIT_UNDO).m_bEnabled);

    // Too wide to be shown or exported again (the format would hold it): refused with a message.
    QImage wide(static_cast<int>(kMaxPictureWidth) + 1, 1, QImage::Format_ARGB32);
    wide.fill(qRgba(10, 20, 30, 255));
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE, WritePng("wide.png", wide)));
    EXPECT_EQ(m_Ui.m_Messages, std::vector<std::string>{kItemTooLargeMessage});
    EXPECT_EQ(doc->m_VerData.GetCount(), records + 1);
    // A FIFO chosen as the picture is no picture, at once (it was opened and waited on).
    const std::string fifo = m_Dir.File("fifo.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE, fifo));
    EXPECT_EQ(m_Ui.m_Messages.back(), kNoPictureMessage);
    EXPECT_EQ(doc->m_VerData.GetCount(), records + 1);

    // A gump from the PNG file, another pasted over from the clipboard; their sizes follow
    // the picture.
    ASSERT_NE(Select(kCategoryGumps, 0xF7), nullptr);
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE, png));
    QGuiApplication::clipboard()->setImage(image);
    ASSERT_NE(Select(kCategoryGumps, 0xF1), nullptr);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PASTE));
    for (std::uint32_t index : {0xF7u, 0xF1u}) {
        CDataDef* gump = Select(kCategoryGumps, index);
        ASSERT_NE(gump, nullptr);
        EXPECT_STREQ(gump->GetColumnText(0), "6,9");
    }

    // A sound from a WAV keeps its name; another wave format is refused with what it holds
    // (each refusal is checked with the wave reader).
    const std::vector<std::uint8_t> samples(4 * 1102 * 3, 7);
    const std::int32_t changes = doc->m_VerData.GetCount();
    ASSERT_NE(Select(kCategorySounds, 1), nullptr);
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE,
                                m_Dir.Write("eight.wav", test::WaveFile(samples, 8))));
    EXPECT_NE(m_Ui.m_Messages.back().find("Only wave files of 16-bit PCM"), std::string::npos);
    EXPECT_EQ(doc->m_VerData.GetCount(), changes);
    ASSERT_TRUE(
        CommandWithFile(ids::ID_EDIT_REPLACE_FILE, m_Dir.Write("s.wav", test::WaveFile(samples))));
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(0), "tone_440.wav");
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(1), "0.3 sec");

    // The view's context menu of a sound offers the edits, "Replace from File..." among them, but
    // not "Insert New" over it; Delete from the Edit menu deletes it.
    ASSERT_NE(Select(kCategorySounds, 2), nullptr);
    const QModelIndex at = ActiveList()->GetModel()->index(ActiveList()->currentIndex().row(), 0);
    std::unique_ptr<QMenu> menu =
        ActiveList()->CreateContextMenu(ActiveList()->visualRect(at).center());
    std::map<QString, bool> enabled;
    for (QAction* action : menu->actions()) {
        enabled[action->text()] = action->isEnabled();
    }
    EXPECT_TRUE(enabled.at("Delete") && enabled.at("Paste Over") &&
                enabled.at("Replace from File..."));
    EXPECT_FALSE(enabled.at("Insert New Sounds"));
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_DELETE));
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(0), "delete");
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(-1), "+");

    // "Insert New" on an empty gump slot, then Undo takes it back.
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    ASSERT_NE(Select(kCategoryGumps, 0x2F0), nullptr);
    ASSERT_FALSE(ActiveList()->GetSelected()->IsValid());
    ASSERT_TRUE(CommandWithFile(ids::ID_INSERT_NEW, png));
    EXPECT_TRUE(ActiveList()->GetSelected()->IsValid());
    // New records: item 6, gump 0xF1, sound 1, the deletion of sound 2 and gump 0x2F0 (gump
    // 0xF7's record was replaced in place).
    EXPECT_EQ(doc->m_VerData.GetCount(), records + 5);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_UNDO));
    EXPECT_EQ(doc->m_VerData.GetCount(), records + 4);
    EXPECT_FALSE(ActiveList()->GetSelected()->IsValid());
    EXPECT_TRUE(doc->IsModified());

    // "Save As" writes the changes to a new file and leaves the opened one untouched; the
    // document reloads from the saved file, and the client's own read of it gives the new data.
    const std::string target = m_Dir.File("saved.mul");
    m_Ui.m_DocumentFiles.push_back(target);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_FILE_SAVE_AS));
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    EXPECT_EQ(doc->GetPathName().toStdString(), target);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(State(ids::ID_EDIT_UNDO).m_bEnabled);
    EXPECT_EQ(doc->m_VerData.GetCount(), records + 4);
    IndexRecord record;  // read through slot 22 and the patch table
    ASSERT_TRUE(TheClientFiles().ReadIndexRecord(kSlotArtIdx, kSlotArt, kArtItemBase + 6, record));
    std::vector<std::uint8_t> data(record.GetLength());
    EXPECT_FALSE(data.empty());
    EXPECT_TRUE(TheClientFiles().ReadData(kSlotArt, record, data));
    EXPECT_TRUE(record.IsPatch());

    // Undo reaches no further back than the save; a change and its undo leave it unmodified.
    ASSERT_NE(Select(kCategoryItems, 6), nullptr);
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(-1), "*");
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_DELETE));
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_UNDO));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(State(ids::ID_EDIT_UNDO).m_bEnabled);
}

// "Merge into Client Files..." writes the document as it stands, unsaved edits included, into a
// new folder; the patch file and the client stay as they were.
TEST_F(DocumentEditTest, MergeIntoClientFilesWritesTheUnsavedEditIntoANewFolder) {
    const std::string source = SamplePatchFile("source.mul", {12});
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    const std::vector<std::uint8_t> sourceBytes = ReadBytes(source);
    const test::TempDir& client = test::SampleClientDir();
    const auto clientBefore = test::Snapshot(client.Path());
    const QImage image = TestImage();
    ASSERT_NE(Select(kCategoryItems, 6), nullptr);
    ASSERT_TRUE(CommandWithFile(ids::ID_EDIT_REPLACE_FILE, WritePng("picture.png", image)));

    // The client's own folder is refused: replacing it would remove the client.
    m_Ui.m_Folder = client.Path().string();
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_MERGE_CLIENT_FILES));
    ASSERT_EQ(m_Ui.m_Warnings.size(), 1u);
    EXPECT_TRUE(m_Ui.m_Messages.empty());

    const std::string target = m_Dir.File("merged");
    m_Ui.m_Folder = target;
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_MERGE_CLIENT_FILES));
    ASSERT_EQ(m_Ui.m_Warnings.size(), 1u);
    ASSERT_EQ(m_Ui.m_Messages.size(), 1u);
    EXPECT_NE(m_Ui.m_Messages[0].find("art.mul, artidx.mul"), std::string::npos);
    EXPECT_NE(m_Ui.m_Messages[0].find("manifest.json"), std::string::npos);
    ASSERT_FALSE(m_Ui.m_Progress.empty());
    EXPECT_EQ(m_Ui.m_Progress.back().steps.back().first,
              m_Ui.m_Progress.back().steps.back().second);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    EXPECT_EQ(test::Snapshot(client.Path()), clientBefore);
    // Nothing is left beside the folder (the records' patch file, the temporary output).
    for (const auto& e : std::filesystem::directory_iterator(m_Dir.Path())) {
        EXPECT_NE(e.path().filename().string().rfind(".merged", 0), 0u) << e.path();
    }

    // The folder's art, read with no patch at all, is the edited item.
    CVerDataTable none;
    CClientFiles merged(&none);
    merged.SetChosenDir(target);
    IndexRecord record;
    ASSERT_TRUE(merged.ReadIndexRecord(kSlotArtIdx, kSlotArt, kArtItemBase + 6, record));
    EXPECT_FALSE(record.IsPatch());
    std::vector<std::uint8_t> data(record.GetLength());
    ASSERT_TRUE(merged.ReadData(kSlotArt, record, data));
    SurfaceBuffer decoded;
    EXPECT_TRUE(MakePicture(decoded, 9, 6, kNoLimit, kNoLimit, [&](CSurfaceDC& dc) {
        return CTileItemType::DrawData(dc, data, 0, 0);
    }));
    EXPECT_EQ(test::Pixels(decoded, 0x7FFF), PictureFromImage(image).pixels);

    // An existing folder is replaced only when the user says so.
    const std::vector<std::uint8_t> manifest = ReadBytes(target + "/manifest.json");
    m_Ui.m_Answers.push_back(false);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_MERGE_CLIENT_FILES));
    EXPECT_EQ(m_Ui.m_Questions.size(), 1u);
    EXPECT_EQ(m_Ui.m_Messages.size(), 1u);
    EXPECT_EQ(ReadBytes(target + "/manifest.json"), manifest);

    // Nor is a folder that holds the opened ".pat" patch: replaced whole, it would take it along.
    std::filesystem::create_directory(m_Dir.File("patches"));
    const std::string pat = m_Dir.Write(
        "patches/edits.pat",
        test::PatchFileBuilder().Record(kPatchTypeHues, 1, std::vector<std::uint8_t>(88)).Build());
    m_pApp->GetPatch().OpenPatchFile(m_Ui, pat);
    m_Ui.m_Folder = m_Dir.File("patches");
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_MERGE_CLIENT_FILES));
    ASSERT_EQ(m_Ui.m_Warnings.size(), 2u);
    EXPECT_NE(m_Ui.m_Warnings[1].find("the \".pat\" patch"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(pat));
}

// A TileData page's unapplied edit is never dropped or applied under a list being made again: the
// group's scroll bar waits for it, and a tacked sheet asks about it once the list's selection has
// moved on, then shows the entry selected. The edit is marked, saved, and read by the client from
// the saved file once it is opened again; a group past the file's end does not scroll.
TEST_F(DocumentEditTest, ATileDataEditWaitsForItsAnswerAndIsSavedAndReadAfterReopening) {
    constexpr std::uint32_t kCrate = 0x0E3C;
    constexpr std::uint32_t kGroup = (kCrate + kArtItemBase) / 32;
    const std::string source = SamplePatchFile("tiles.mul", {30});
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    // The page of the crate's group, scrolled to the crate.
    const auto crate = [this]() -> CDataPageTileData* {
        EXPECT_NE(Select(kCategoryTileData, kGroup), nullptr);
        EXPECT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES));
        auto* page = dynamic_cast<CDataPageTileData*>(
            m_pApp->GetDataState().m_Sheets.back()->GetActivePage());
        if (page != nullptr) {
            page->OnScroll(CDataPageTileData::ThumbPosition, kCrate % 32);
        }
        return page;
    };
    CDataPageTileData* page = crate();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pName->text(), "patched crate");
    QTest::keyClicks(page->m_pName, " typed");
    EXPECT_FALSE(page->m_pScroll->isEnabled());
    page->m_pScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page->m_nPos, static_cast<int>(kCrate % 32));
    EXPECT_EQ(page->m_pName->text(), "patched crate typed");

    // Tacked, with the edit pending, another group selected: "Save ?" answered Yes applies it
    // once the selection has moved on (the lists made again close the sheet, as an applied
    // edit does), and the group selected stays selected.
    page->GetSheet()->OnCommand(ids::ID_SHEET_TACK);
    m_Ui.m_ChoiceAnswers = {CShellUi::Answer::Yes};
    const std::vector<CDataDef*>& rows = ActiveList()->GetShownRows();
    const auto at = std::find(rows.begin(), rows.end(), ActiveList()->GetSelected());
    ActiveList()->SelectPosition(static_cast<int>(at - rows.begin()) + 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_Ui.m_ChoiceAnswers.empty());
    EXPECT_TRUE(m_pApp->GetDataState().m_Sheets.empty());
    EXPECT_EQ(ActiveList()->GetSelected()->GetIndex(), kGroup + 1);
    ASSERT_NE(Select(kCategoryTileData, kGroup), nullptr);
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(-1), "+");
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_FILE_SAVE));
    EXPECT_FALSE(doc->IsModified());

    ActiveView()->GetParentFrame()->CloseFrame();
    ASSERT_NE(Open(source), nullptr);
    page = crate();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_pName->text(), "patched crate typed");
    EXPECT_STREQ(ActiveList()->GetSelected()->GetColumnText(-1), "*");

    // A group past the file's end (an unused slot) shows no record: its scroll bar does nothing.
    m_pFrame->RouteCommand(ids::ID_VIEW_UNUSED);
    ActiveList()->SelectPosition(ActiveList()->GetModel()->rowCount() - 1);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES));
    auto* unused =
        dynamic_cast<CDataPageTileData*>(m_pApp->GetDataState().m_Sheets.back()->GetActivePage());
    ASSERT_NE(unused, nullptr);
    ASSERT_EQ(unused->GetEntry(), nullptr);
    unused->m_pScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(unused->m_nPos, 0);
}

// A disk that fills up while writing (each failing step is checked with the save itself).
TEST_F(DocumentEditTest, AFailedSaveLeavesTheOldPatchAndTheDocumentModified) {
    const std::string source = SamplePatchFile("old.mul", {4, 12});
    const std::vector<std::uint8_t> before = ReadBytes(source);
    CBrindleDoc* doc = Open(source);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(Select(kCategoryGumps, 0xF7), nullptr);
    ASSERT_TRUE(m_pFrame->RouteCommand(ids::ID_EDIT_DELETE));
    test::FailingSaveOps ops;
    ops.nFail = test::FailingSaveOps::WriteStep;
    doc->m_pSaveOps = &ops;
    EXPECT_FALSE(m_pFrame->RouteCommand(ids::ID_FILE_SAVE) && !doc->IsModified());
    EXPECT_EQ(m_Ui.m_Messages,
              std::vector<std::string>{"Unable to save the file '" + source + "'."});
    EXPECT_EQ(ReadBytes(source), before);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.File("tmpversave.mul")));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(State(ids::ID_EDIT_UNDO).m_bEnabled);

    // Closing asks; Cancel keeps the document, No closes it unsaved.
    doc->m_pSaveOps = nullptr;
    CChildFrame* frame = doc->GetViews().front()->GetParentFrame();
    frame->close();
    QApplication::processEvents();
    ASSERT_EQ(m_Ui.m_Choices.size(), 1u);
    EXPECT_EQ(m_Ui.m_Choices[0].text, "Save changes to old.mul?");
    EXPECT_EQ(m_pFrame->GetActiveDocument(), doc);
    m_Ui.m_ChoiceAnswers.push_back(CShellUi::Answer::No);
    frame->close();
    QApplication::processEvents();
    EXPECT_NE(m_pFrame->GetActiveDocument(), doc);
    EXPECT_EQ(ReadBytes(source), before);
}

}  // namespace
}  // namespace tessaly
