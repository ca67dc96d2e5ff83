#pragma once
// Cliloc messages ("Cliloc.enu", "Cliloc.deu" ...): one entry per message number of the chosen
// language laid over English, listed with number, flag, text and the English text, shown whole
// on the "Message" page. The entry number is the row's position; the message number is its own.

#include "CDataDef.h"
#include "TextFiles.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

// The messages a list shows: the chosen language's file over the English one.
struct ClilocView {
    std::string language;  // lower case: "enu", "deu" ...
    std::shared_ptr<const CClilocFile> english;
    std::shared_ptr<const CClilocFile> own;  // the same object as english for "enu"
    std::vector<ClilocRow> rows;
    // What the user is told about the files: empty when both read whole, else the complaint
    // (a compressed or damaged file, an absent English file), naming the file.
    std::string error;

    bool IsEnglish() const { return own == english; }
    // The row's text in the chosen language, and in English (empty where the file lacks it).
    std::string_view OwnText(const ClilocRow& row) const;
    std::string_view EnglishText(const ClilocRow& row) const;
    // The row of a message number, or null.
    const ClilocRow* FindNumber(std::uint32_t number, std::uint32_t* pRow = nullptr) const;
    // The files' complaint when it leaves nothing to show or export (a compressed file, or one
    // read to no message); empty when there is something, damaged or not.
    std::string NothingShownReason() const {
        return !error.empty() && (own->IsCompressed() || rows.empty()) ? error : std::string();
    }
};

inline constexpr const char* kClilocBase = "enu";

// The languages of the cliloc files in the client directory ("enu", "deu" ...), lower case.
std::vector<std::string> GetClilocLanguages();
// The language the Cliloc list shows ("enu" until another is chosen).
std::string GetClilocLanguage();
void SetClilocLanguage(const std::string& language);
// The messages of the chosen language, read once and again when a file changes on disk. With
// recheck false, the messages last read are answered without looking at the disk (the entries
// of a list take the view that counting them read a moment before).
std::shared_ptr<const ClilocView> GetClilocView(bool recheck = true);

class CDataDefCliloc : public CDataDef {
public:
    explicit CDataDefCliloc(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    // "%u\t%u\t%s\t%s": number, flag, text and the English text (empty for English itself);
    // tabs and line breaks in the texts become spaces. A missing translation has no flag.
    std::string GetListText() override;
    bool CopyData(EntryClip& clip) override;
    bool WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) override { return false; }
    std::int32_t GetDataType() override { return kCategoryCliloc; }
    bool IsValid() override { return m_pView != nullptr; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& pages) override { pages.push_back(EntryPage::Cliloc); }

    const ClilocView* GetView() const { return m_pView.get(); }
    // The list's note: what is wrong with the chosen language's files (ClilocView::error).
    static std::string FilesNote(CClientFiles& files);
    const ClilocRow& GetRow() const { return m_pView->rows[GetIndex()]; }

private:
    std::shared_ptr<const ClilocView> m_pView;  // null without a message
};

// The category's exports: every row as CSV (number,flag,text,english) or as one JSON document.
std::string ClilocCsv(const ClilocView& view);
std::string ClilocJson(const ClilocView& view);
// A message's UTF-8 text for JSON, whole: a leading byte-order mark is a character of it (as in
// the CSV), and bytes that are no UTF-8 become U+FFFD.
QString ClilocJsonText(std::string_view text);

}  // namespace tessaly
