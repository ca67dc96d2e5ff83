#include "CDataDefUniFont.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "Text.h"

#include <map>
#include <mutex>

namespace tessaly {

std::vector<ClientTextFile> GetUniFontFiles() {
    return FindClientFiles(TheClientFiles(), "unifont", ".mul");
}

std::shared_ptr<const UniFontFile> GetUniFont(std::uint32_t nIndex) {
    const std::vector<ClientTextFile> files = GetUniFontFiles();
    if (nIndex >= files.size()) {
        return nullptr;
    }
    static std::mutex lock;
    static std::map<std::string, std::pair<FileStamp, std::shared_ptr<const UniFontFile>>> cache;
    std::lock_guard hold(lock);
    const ClientTextFile& file = files[nIndex];
    const FileStamp stamp = GetFileStamp(file.path);
    auto& [known, font] = cache[file.path];
    if (font == nullptr || !(known == stamp)) {
        auto made = std::make_shared<UniFontFile>();
        made->name = file.name;
        std::vector<std::uint8_t> bytes;
        if (ReadWholeFile(file.path, CUniFont::kMaxFileSize, bytes, made->error)) {
            made->font.Parse(std::move(bytes));
            made->codes = made->font.Codes();
        }
        known = stamp;
        font = std::move(made);
    }
    return font;
}

std::string CDataDefUniFont::GetListText() {
    if (m_pFont == nullptr) {
        return "\t\t";
    }
    return Format("%s\t%zu\t%zu", m_pFont->name.c_str(), m_pFont->codes.size(),
                  m_pFont->font.GetFileSize());
}

bool CDataDefUniFont::GetImage(SurfaceBuffer& buffer) {
    return m_pFont != nullptr &&
           DrawUniText(m_pFont->font, Utf8ToUtf16(kUniFontSample), buffer, kUniFontColour);
}

bool CDataDefUniFont::ReadIndex() {
    try {
        m_pFont = GetUniFont(GetIndex());
    } catch (...) {
        LogCaughtException("reading a Unicode font");
        m_pFont = nullptr;
    }
    return m_pFont != nullptr;
}

}  // namespace tessaly
