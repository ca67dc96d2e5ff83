#pragma once
// The entries of one category as a list holds them: slot n of the entry array holds the entry
// with index n, or null; the rows of a category whose list shows the document's records (VerData)
// are those records. The window's lists (window/CDataList.h) and tessaly-cli's `list` build them
// here.

#include "CDataDef.h"
#include "QArray.h"

#include <cstdint>
#include <vector>

namespace tessaly {

class CDataVerData;
struct DataTypeDef;

// Where the entries come from: the document's records and the view's display options.
class CEntrySource {
public:
    virtual ~CEntrySource() = default;
    // The document's patch records in document order; null without a document.
    virtual CQObArray<CDataVerData*>* GetDocumentEntries() = 0;
    // Points file slot 22 and the patch table at the document's patch file.
    virtual void ActivateDocument() {}

    std::uint8_t m_bShowChanges = 1;   // "Changes": attach records made in memory
    std::uint8_t m_bShowMulFiles = 1;  // "Mul Files": an entry for every slot
    std::uint8_t m_bShowVerData = 1;   // "VerData": attach the records of the patch file
    std::uint8_t m_bShowUnused = 0;    // "Unused Slots": list entries without data too
};

class CDataEntries {
public:
    // pSource may be null (then every slot gets an entry and no record is attached).
    // The entries read through files: the process-wide file set unless the owner names another.
    explicit CDataEntries(std::int32_t nCategory, CEntrySource* pSource = nullptr,
                          CClientFiles& files = TheClientFiles())
        : m_pSource(pSource), m_pFiles(&files), m_nCategory(nCategory) {}
    CDataEntries(const CDataEntries&) = delete;
    CDataEntries& operator=(const CDataEntries&) = delete;
    // Deletes the entries, which closes the sheets that show them.
    virtual ~CDataEntries() = default;

    // Builds the entry array from the base files and the document's records; only while the
    // array is empty.
    void BuildEntries(CQObArray<CDataVerData*>* pDocument);
    // The entries a fill shows, in index order: the document's records for VerData, else the
    // entries with data (every entry when "Unused Slots" is on), building the array first.
    std::vector<CDataDef*> CollectRows();
    const DataTypeDef* GetTypeDef() const;
    std::int32_t GetCategory() const { return m_nCategory; }
    const CQObArray<CDataDef*>& GetEntries() const { return m_Entries; }
    // Whether the entry is one of the array's (which go when the list goes).
    bool Owns(const CDataDef* pEntry) const;

protected:
    CEntrySource* m_pSource;  // not owned
    CClientFiles* m_pFiles;   // not owned
    std::int32_t m_nCategory;
    CQObArray<CDataDef*> m_Entries;
};

}  // namespace tessaly
