#pragma once
// Speech keywords ("speech.mul"): one entry per keyword, listed with its id and text.

#include "CDataDef.h"
#include "TextFiles.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

struct SpeechList {
    std::vector<SpeechKeyword> keywords;
    std::string error;  // empty when the file read whole (or there is none)
};
// The keywords of the client's "speech.mul", read once and again when the file changes. Without
// recheck the list read last is taken as it is (entries read it once each; finding the file
// lists the client folder).
std::shared_ptr<const SpeechList> GetSpeechList(bool recheck = true);

class CDataDefSpeech : public CDataDef {
public:
    // "speech.mul" of current clients is about 20 KB; anything past this is refused.
    static constexpr std::uint64_t kMaxFileSize = 16u << 20;

    explicit CDataDefSpeech(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    // "0%x\t%s": the keyword id and its text (UTF-8).
    std::string GetListText() override;
    bool CopyData(EntryClip& clip) override;
    bool WriteVerData(CQFile& /*file*/, CUOVersionBlock& /*record*/) override { return false; }
    std::int32_t GetDataType() override { return kCategorySpeech; }
    bool IsValid() override { return m_pList != nullptr; }
    bool ReadIndex() override;
    void AddPages(std::vector<EntryPage>& /*pages*/) override {}
    // Why "speech.mul" was not read whole, for the list's note (empty when it was).
    static std::string FilesNote(CClientFiles& files);

private:
    std::shared_ptr<const SpeechList> m_pList;  // null without a keyword
};

}  // namespace tessaly
