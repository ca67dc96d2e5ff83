#include "CDataDefSpeech.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "FileNames.h"
#include "Text.h"

#include <filesystem>
#include <mutex>

namespace tessaly {

std::shared_ptr<const SpeechList> GetSpeechList(bool recheck) {
    static std::mutex lock;
    static FileStamp stamp;
    static std::shared_ptr<const SpeechList> list;
    std::lock_guard hold(lock);
    if (!recheck && list != nullptr) {
        return list;
    }
    const std::string dir = TheClientFiles().GetBasePath(nullptr);
    const std::string path = dir.empty() ? std::string() : FindFileNoCase(dir, "speech.mul");
    const FileStamp now = GetFileStamp(path);
    if (list != nullptr && now == stamp) {
        return list;
    }
    auto made = std::make_shared<SpeechList>();
    if (!path.empty()) {
        std::vector<std::uint8_t> bytes;
        if (ReadWholeFile(path, CDataDefSpeech::kMaxFileSize, bytes, made->error)) {
            made->keywords = ParseSpeech(bytes, made->error);
        }
        if (!made->error.empty()) {
            made->error = std::filesystem::path(path).filename().string() + ": " + made->error;
        }
    }
    stamp = now;
    list = std::move(made);
    return list;
}

std::string CDataDefSpeech::GetListText() {
    if (m_pList == nullptr) {
        return "\t";
    }
    const SpeechKeyword& keyword = m_pList->keywords[GetIndex()];
    return Format("0%x\t", keyword.id) + AsListField(keyword.text);
}

std::string CDataDefSpeech::FilesNote(CClientFiles& /*files*/) {
    return GetSpeechList()->error;
}

bool CDataDefSpeech::CopyData(EntryClip& clip) {
    if (m_pList != nullptr) {
        clip.text = m_pList->keywords[GetIndex()].text;
    }
    return true;
}

bool CDataDefSpeech::ReadIndex() {
    try {
        std::shared_ptr<const SpeechList> list = GetSpeechList(false);
        m_pList = GetIndex() < list->keywords.size() ? std::move(list) : nullptr;
    } catch (...) {
        LogCaughtException("reading speech.mul");
        m_pList = nullptr;
    }
    return m_pList != nullptr;
}

}  // namespace tessaly
