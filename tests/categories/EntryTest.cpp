// Entries without windows: the category table, column texts and change marks, patch records
// and their targets, junk entries carrying their bytes through a save.

#include "CDataDefJunk.h"
#include "CDataEntries.h"
#include "CDataVerData.h"
#include "DataExport.h"
#include "DataTypeDef.h"
#include "FileNames.h"
#include "PictureImage.h"
#include "QtTestSupport.h"
#include "Resources.h"
#include "SurfaceDevice.h"
#include "UopFile.h"
#include "core/CapturedLog.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <set>

namespace tessaly {
namespace {

using test::TempDir;

CUOVersionBlock Record(std::uint32_t file, std::uint32_t block, std::uint32_t offset = 0x40,
                       std::uint32_t length = 10, std::uint16_t e1 = 0, std::uint16_t e2 = 0) {
    return CUOVersionBlock{file, block, offset, length, e1, e2};
}

TEST(CategoryTable, LooksUpRecordsNamesAndColumns) {
    // The art split: item entry 0 is art record kArtItemBase, terrain ends below it.
    std::uint32_t index = 99;
    EXPECT_EQ(FindRecordEntry(kSlotArt, kArtItemBase + 5, &index)->m_nId, kCategoryItems);
    EXPECT_EQ(index, 5u);
    EXPECT_EQ(FindRecordEntry(kSlotArt, kArtItemBase - 1, &index)->m_nId, kCategoryTerrain);
    EXPECT_EQ(index, kArtItemBase - 1);
    // A hue record is a group of eight: it stands for the group's first hue, and a key whose
    // first hue has no number names none.
    EXPECT_EQ(FindRecordEntry(kSlotHues, 3, &index)->m_nId, kCategoryHues);
    EXPECT_EQ(index, 24u);
    FindRecordEntry(kSlotHues, 0x20000000u, &index);
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_EQ(GetCategoryOfRecord(31, 3), 0);
    EXPECT_EQ(GetCategoryOfRecord(0xFFFFFFFFu, 3), 0);

    for (const auto& [name, id] : {std::pair<std::string, std::int32_t>("ANIMS", kCategoryAnims),
                                   {"Animations", kCategoryAnims},
                                   {std::to_string(kCategoryStatics), kCategoryStatics},
                                   {std::to_string(kFirstCategory + kCategoryCount), 0},
                                   {"", 0}}) {
        EXPECT_EQ(FindCategory(name), id) << name;
    }
    EXPECT_EQ(FindCategoryKind("gump")->m_nId, kCategoryGumps);
    EXPECT_EQ(FindCategoryKind("Gumps"), nullptr);

    // Ids without a row have no type, and make junk entries.
    for (std::int32_t id : {0, kFirstCategory - 1, kFirstCategory + kCategoryCount, -1}) {
        EXPECT_EQ(GetTypeDef(id), nullptr) << id;
        std::unique_ptr<CDataDef> entry(CreateDataDef(id, 1));
        ASSERT_NE(dynamic_cast<CDataDefJunk*>(entry.get()), nullptr) << id;
        EXPECT_STREQ(entry->GetColumnText(0), "Junk");
    }
    // Every row is found by its id, its names and its record keys.
    for (const DataTypeDef& def : GetTypeDefs()) {
        EXPECT_EQ(GetTypeDef(def.m_nId), &def);
        EXPECT_EQ(FindCategory(def.m_pszName), def.m_nId);
        // The client's texts have no file slot: no patch record stands for their entries.
        if (!def.m_bDocumentRows && def.m_nDataFile != kNoFile) {
            EXPECT_EQ(FindRecordEntry(def.m_nDataFile, def.RecordOf(1), &index), &def)
                << def.m_pszName;
            // anim.mul's record 1 is body 0's action 0, direction 1.
            EXPECT_EQ(index, def.m_nId == kCategoryAnims ? 0 : RecordEntryCount(def))
                << def.m_pszName;
        }
    }
}

// The window runs in the user's locale, and in a Turkish one the C library's tolower leaves 'I'
// as it is: names typed or stored in another case must still match ("items", "ARTIDX.MUL", a
// container entry's name), and names made from the table stay lower case.
TEST(CategoryTable, NamesMatchRegardlessOfCaseInATurkishLocale) {
    const TempDir dir;
    const std::string make =
        "localedef -i tr_TR -f UTF-8 '" + dir.File("tr_TR.UTF-8") + "' >/dev/null 2>&1";
    ::setenv("LOCPATH", dir.Path().c_str(), 1);
    if (std::system(make.c_str()) != 0 || std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
        ::unsetenv("LOCPATH");
        GTEST_SKIP() << "no Turkish locale could be made (localedef and the locales package)";
    }
    struct Restore {
        ~Restore() {
            std::setlocale(LC_ALL, "C");
            ::unsetenv("LOCPATH");
        }
    } restore;
    ASSERT_EQ(std::tolower('I'), int{'I'});

    EXPECT_EQ(FindCategory("ITEMS"), kCategoryItems);
    EXPECT_EQ(HashUopName("BUILD/ARTLEGACYMUL/00000001.TGA"),
              HashUopName("build/artlegacymul/00000001.tga"));
    dir.Write("ARTIDX.MUL", {});
    EXPECT_EQ(CDirListing(dir.Path().string()).Find("artidx.mul"), "ARTIDX.MUL");
    const std::unique_ptr<CDataDef> item(CreateDataDef(kCategoryItems, 1));
    EXPECT_EQ(ExportFileName(*item), "items-0001.png");
}

// The number of fields of an entry's list text.
int FieldCount(CDataDef& entry) {
    int n = 0;
    while (entry.GetColumnText(n) != nullptr) {
        ++n;
    }
    return n;
}

// The first entry of a category with data on the file set, or null (a scan of the first slots).
std::unique_ptr<CDataDef> FirstEntryWithData(const DataTypeDef& def) {
    const std::uint32_t count = std::min<std::uint32_t>(GetEntryCount(def, TheClientFiles()), 4096);
    for (std::uint32_t n = 0; n < count; ++n) {
        std::unique_ptr<CDataDef> entry(CreateDataDef(def.m_nId, n));
        entry->ReadIndex();
        if (entry->IsValid()) {
            return entry;
        }
    }
    return nullptr;
}

// What every row's entries promise the lists, the exports and the patch edits.
TEST(CategoryTable, EveryRowKeepsTheEntryContract) {
    test::TestApp();
    test::UsePatchTable();
    TempDir dir;
    // An entry's patch record, as the save writes it: the record, and the bytes it holds.
    const auto written = [&dir](CDataDef& entry, CUOVersionBlock& record) {
        {
            CQFile out;
            EXPECT_TRUE(out.Open(dir.File("record.bin").c_str(),
                                 CQFile::modeCreate | CQFile::modeReadWrite));
            EXPECT_TRUE(entry.WriteVerData(out, record));
        }
        return dir.Read("record.bin");
    };
    std::set<QByteArray> icons;
    for (const DataTypeDef& def : GetTypeDefs()) {
        SCOPED_TRACE(def.m_pszName);
        // Its icon (the sheets' and the child windows'), one of its own.
        const QIcon icon = LoadResourceIcon(def.m_nId);
        ASSERT_FALSE(icon.isNull());
        const QImage picture = icon.pixmap(16, 16).toImage();
        EXPECT_TRUE(icons
                        .insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()),
                                           picture.sizeInBytes()))
                        .second);
        std::unique_ptr<CDataDef> made(CreateDataDef(def.m_nId, 1));
        EXPECT_EQ(std::tuple(made->GetDataType(), made->GetIndex()), std::tuple(def.m_nId, 1u));
        // A row of the list: the document's record, or an entry of the client with data.
        const std::unique_ptr<CDataDef> entry =
            def.m_bDocumentRows ? std::make_unique<CDataVerData>(TheVerDataTable().ElementAt(0))
                                : FirstEntryWithData(def);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(FieldCount(*entry), def.ColumnCount());
        if (def.m_Edit == EditSource::None) {
            continue;
        }
        // An editable kind's patch record, taken back as a change, is the same entry with the
        // same bytes, record and picture.
        CUOVersionBlock record{};
        const std::vector<std::uint8_t> bytes = written(*entry, record);
        ASSERT_EQ(bytes.size(), record.m_dwLength);
        EXPECT_EQ(std::pair(record.m_dwFileId, record.m_dwBlock),
                  std::pair(static_cast<std::uint32_t>(def.m_nDataFile),
                            def.RecordOf(entry->GetIndex())));
        CDataVerData change(record, bytes);
        CDataDef* back = change.GetTarget();
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(std::tuple(back->GetDataType(), back->GetIndex()),
                  std::tuple(def.m_nId, entry->GetIndex()));
        CUOVersionBlock again{};
        EXPECT_EQ(written(*back, again), bytes);
        EXPECT_EQ(std::tuple(again.m_dwBlock, again.m_wExtra1, again.m_wExtra2),
                  std::tuple(record.m_dwBlock, record.m_wExtra1, record.m_wExtra2));
        SurfaceBuffer shown, taken;
        EXPECT_EQ(entry->GetImage(shown), back->GetImage(taken));
        EXPECT_EQ(std::pair(shown.GetWidth(), shown.GetHeight()),
                  std::pair(taken.GetWidth(), taken.GetHeight()));
        if (def.m_Edit != EditSource::Picture) {
            continue;
        }
        // The edit writes the record the save writes: the shown picture, put back, gives the
        // same file, key and extra words, and the reader takes its size from them.
        std::string message;
        std::unique_ptr<CDataVerData> edit =
            entry->MakePictureChange(PictureFromImage(CreateDeviceBitmap(shown)), message);
        ASSERT_NE(edit, nullptr) << message;
        const CUOVersionBlock& edited = *edit->GetChange();
        EXPECT_EQ(
            std::tuple(edited.m_dwFileId, edited.m_dwBlock, edited.m_wExtra1, edited.m_wExtra2),
            std::tuple(record.m_dwFileId, record.m_dwBlock, record.m_wExtra1, record.m_wExtra2));
        SurfaceBuffer redrawn;
        ASSERT_TRUE(edit->GetTarget()->GetImage(redrawn));
        EXPECT_EQ(std::pair(redrawn.GetWidth(), redrawn.GetHeight()),
                  std::pair(shown.GetWidth(), shown.GetHeight()));
    }
    // Without client files an entry of any row draws and exports nothing.
    TempDir empty;
    test::UseClient(empty.Path());
    for (const DataTypeDef& def : GetTypeDefs()) {
        SCOPED_TRACE(def.m_pszName);
        std::unique_ptr<CDataDef> entry(CreateDataDef(def.m_nId, 0));
        try {
            entry->ReadIndex();
        } catch (...) {
            // An index that cannot be read leaves the entry without data.
        }
        SurfaceBuffer buffer;
        CExportData data;
        EXPECT_FALSE(entry->GetImage(buffer));
        EXPECT_FALSE(entry->ExportData(ExportOptions(), data) && !data.IsEmpty());
    }
    test::UseSampleClient();
}

TEST(CategoryTable, ListsHoldEveryRecordOfTheirIndexAndAtLeastTheTablesMaximum) {
    test::TempDir dir;
    dir.Write("artidx.mul", std::vector<std::uint8_t>((kArtItemBase + 40000) * 12, 0xFF));
    dir.Write("soundidx.mul", std::vector<std::uint8_t>(100 * 12, 0xFF));
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(dir.Path().string());
    auto count = [&](std::int32_t id) { return GetEntryCount(*GetTypeDef(id), files); };
    EXPECT_EQ(count(kCategoryItems), 40000u);
    EXPECT_EQ(count(kCategoryTerrain), kArtItemBase);  // the rest of the art index is items
    EXPECT_EQ(count(kCategorySounds), 768u);           // a short index: the table's maximum
    // Felucca's map of 7,168 tiles across (a sparse file) with a shorter statics index: every
    // block of the map is listed, in the map's list and the statics'.
    std::filesystem::resize_file(dir.Write("map0.mul", {}), std::uint64_t{458752} * 196);
    dir.Write("staidx0.mul", std::vector<std::uint8_t>(100 * 12, 0xFF));
    test::UseClient(dir.Path());
    for (const DataTypeDef& def : GetTypeDefs()) {
        if (HoldsFacetBlocks(def)) {
            EXPECT_EQ(GetEntryCount(def, TheClientFiles()), 458752u) << def.m_pszName;
        }
    }
    test::UseSampleClient();
}

// Entries, their lists and their blocks read through the file set they are given: with the
// process-wide one pointed at an empty directory, a list built on the sample client's own file
// set shows what the process-wide one shows on that client.
TEST(CategoryTable, EntriesReadThroughTheFileSetTheyAreGiven) {
    test::TestApp();
    const auto texts = [](std::int32_t category, CClientFiles& files) {
        CDataEntries entries(category, nullptr, files);
        entries.BuildEntries(nullptr);
        std::vector<std::string> rows;
        for (std::int32_t n = 0; n < entries.GetEntries().GetSize() && rows.size() < 40; ++n) {
            CDataDef* entry = entries.GetEntries().GetAt(n);
            SurfaceBuffer picture;
            if (entry != nullptr && entry->IsValid()) {
                rows.push_back(entry->GetListText() + (entry->GetImage(picture) ? "+" : "-"));
            }
        }
        return rows;
    };
    TempDir empty;
    CVerDataTable table;
    CClientFiles own(&table);
    own.SetChosenDir(test::SampleClientDir().Path().string());
    for (const DataTypeDef& def : GetTypeDefs()) {
        // Text files and other facets are read through caches the whole process shares.
        if (def.m_nDataFile == kNoFile || def.m_bWholeView || def.m_bDocumentRows) {
            continue;
        }
        SCOPED_TRACE(def.m_pszName);
        test::UseSampleClient();
        const std::vector<std::string> expected = texts(def.m_nId, TheClientFiles());
        EXPECT_FALSE(expected.empty());
        test::UseClient(empty.Path());
        EXPECT_EQ(texts(def.m_nId, own), expected);
    }
}

TEST(ColumnText, SplitsOnceIntoAtMostSevenFieldsAndAFaultGivesAnEmptyRow) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"a\tb\t\tc", {"a", "b", "", "c"}},
        {"1\t2\t3\t4\t5\t6\t7\t8\t9", {"1", "2", "3", "4", "5", "6", "7"}},
        {"", {}},
    };
    for (const auto& [text, fields] : cases) {
        SCOPED_TRACE(text);
        test::TextEntry entry(1, text);
        EXPECT_EQ(entry.GetColumnText(-2), nullptr);
        for (std::size_t column = 0; column < 8; ++column) {
            const char* shown = entry.GetColumnText(static_cast<int>(column));
            if (column < fields.size()) {
                EXPECT_STREQ(shown, fields[column]) << column;
            } else {
                EXPECT_EQ(shown, nullptr) << column;
            }
        }
        // The text is made once (an empty one is asked for again).
        EXPECT_EQ(entry.m_nCalls == 1, !fields.empty());
    }

    // A fault in the list text: an empty row and one log line.
    test::CapturedLog log;
    test::TextEntry entry(1, "x");
    entry.m_bThrow = true;
    EXPECT_EQ(entry.GetColumnText(0), nullptr);
    ASSERT_EQ(log.m_Lines.size(), 1u);
    EXPECT_EQ(log.m_Lines[0].rfind("tessaly: making a list row: ", 0), 0u) << log.m_Lines[0];
    // The change mark, which needs no list text.
    EXPECT_STREQ(entry.GetColumnText(-1), " ");
    CDataVerData fromFile(Record(4, 16385)), inMemory(7, new test::TextEntry(7, "y"));
    for (const auto& [record, mark] : {std::pair(&fromFile, "*"), std::pair(&inMemory, "+")}) {
        entry.LinkVerData(record);
        EXPECT_STREQ(entry.GetColumnText(-1), mark);
    }
    EXPECT_EQ(inMemory.GetListText(), "Mem Change");
}

TEST(VerDataEntry, KeyTargetListTextsAndLinkedEntries) {
    CDataVerData item(Record(4, 0x4001, 0x80, 20, 44, 48));
    EXPECT_EQ(item.GetIndex(), 0x10004001u);
    auto* target = dynamic_cast<CDataDefIndex*>(item.GetTarget());
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(std::tuple(target->GetDataType(), target->GetIndex()),
              std::tuple(kCategoryItems, 1u));
    EXPECT_EQ(target->GetVerData(), &item);
    EXPECT_EQ(target->GetIndexRecord(), (IndexRecord{0x80, 20u | 0x80000000u, 44, 48}));

    CDataVerData unknown(Record(31, 3));
    EXPECT_EQ(unknown.GetTargetType(), 0);
    EXPECT_NE(dynamic_cast<CDataDefJunk*>(unknown.GetTarget()), nullptr);

    CDataVerData change(5, nullptr);
    EXPECT_FALSE(change.MakeTarget());
    EXPECT_EQ(change.GetTargetType(), 0);

    CDataVerData full(Record(4, 0x4001, 0x1c, 300, 0x2c, 0x30));
    EXPECT_EQ(full.GetListText(), "art.mul\t04001\t01c\t300\t02c,030");
    CDataVerData huge(Record(4, 0x10, 0x1c, 0x95000000u));  // damaged: never negative
    EXPECT_STREQ(huge.GetColumnText(3), "2499805184");
    CDataVerData deleted(Record(4, 0x10, 0x1c, 0));
    EXPECT_EQ(deleted.GetListText(), "art.mul\t010\tdelete");

    EXPECT_EQ((std::vector{FileIdName(33), FileIdName(18), FileIdName(23), FileIdName(31)}),
              (std::vector<std::string>{"?Unk021", "?fonts.mul", "??Unk017", "animdata.mul"}));
    EXPECT_EQ((std::vector{VerDataSizeText(22), VerDataSizeText(4), VerDataSizeText(31)}),
              (std::vector<std::string>{"Variable Amount", "Max Blocks 32768", "Not Valid"}));

    // A linked record makes an entry without data valid.
    test::TestApp();
    test::UseSampleClient();
    // Gump slots past the sample's last gump have no index record.
    std::unique_ptr<CDataDef> gump(CreateDataDef(kCategoryGumps, 65533));
    gump->ReadIndex();
    EXPECT_FALSE(gump->IsValid());
    CDataVerData record(Record(12, 65533, 0x40, 10, 240, 110));
    gump->LinkVerData(&record);
    EXPECT_TRUE(gump->IsValid());
    // A linked record of a saved patch file is what the list describes, as it is what is drawn
    // (the base entry's size was shown).
    EXPECT_EQ(gump->GetListText(), "240,110");
    gump->LinkVerData(nullptr);
}

// A patch file holding one "animdata.mul" record and, after it, one whose length runs past the
// end of the file: the first writes its block and record unchanged, the second raises without
// allocating.
TEST(JunkEntry, WritesItsBlockAndRecordUnchangedAndKeepsALengthPastTheFileAsDamaged) {
    test::TestApp();
    TempDir dir;
    ByteWriter w;
    w.u32(2);
    CUOVersionBlock good = Record(31, 3, 44, 6, 0x1234, 0x5678);
    CUOVersionBlock bad = Record(31, 4, 44, 0x7FFFFF00, 0, 0);
    good.Write(w);
    bad.Write(w);
    w.bytes(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6});
    test::UseSampleClient(dir.Write("verdata.mul", w.data()));
    CQFile out;
    ASSERT_TRUE(out.Open(dir.File("out.bin").c_str(), CQFile::modeCreate | CQFile::modeReadWrite));
    // Bytes past the file: the record keeps its header, pointing where no file reaches, and
    // nothing is written.
    CUOVersionBlock record{};
    ASSERT_TRUE(CDataVerData(bad).WriteVerData(out, record));
    EXPECT_EQ(std::tuple(record.m_dwFileId, record.m_dwBlock, record.m_dwOffset, record.m_dwLength),
              std::tuple(31u, 4u, IndexRecord::kNoData - 1, 0x7FFFFF00u));
    EXPECT_EQ(out.GetLength(), 0u);
    // Without a patch link there is nothing to write.
    EXPECT_FALSE(CDataDefJunk(5).WriteVerData(out, record));
    ASSERT_TRUE(CDataVerData(good).WriteVerData(out, record));
    out.Close();
    EXPECT_EQ(std::tuple(record.m_dwFileId, record.m_dwBlock, record.m_dwLength, record.m_wExtra1,
                         record.m_wExtra2),
              std::tuple(31u, 3u, 6u, 0x1234, 0x5678));
    EXPECT_EQ(dir.Read("out.bin"), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace tessaly
