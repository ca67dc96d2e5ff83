#include "FileNames.h"

#include "Text.h"

#include <algorithm>
#include <filesystem>

namespace tessaly {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

CDirListing::CDirListing(const std::string& dir) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir.empty() ? std::string(".") : dir, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        m_Names.push_back(it->path().filename().string());
    }
    std::sort(m_Names.begin(), m_Names.end());
}

std::string CDirListing::Find(std::string_view name) const {
    if (std::binary_search(m_Names.begin(), m_Names.end(), name)) {
        return std::string(name);
    }
    auto match = std::find_if(m_Names.begin(), m_Names.end(), [name](const std::string& entry) {
        return EqualsNoCase(entry, name);
    });
    return match != m_Names.end() ? *match : std::string();
}

bool CDirListing::AnyEndsWith(std::string_view suffix) const {
    return std::any_of(m_Names.begin(), m_Names.end(), [suffix](const std::string& entry) {
        return EndsWithNoCase(entry, suffix);
    });
}

const CDirListing& CFileFinder::Listing(const std::string& dir) {
    return m_Listings.try_emplace(dir, dir).first->second;
}

std::string CFileFinder::Find(const std::string& dir, std::string_view name) {
    const std::string found = Listing(dir).Find(name);
    return found.empty() ? std::string() : MakeFilePath(dir, found);
}

std::string FindFileNoCase(const std::string& dir, std::string_view name) {
    const std::string found = CDirListing(dir).Find(name);
    return found.empty() ? std::string() : MakeFilePath(dir, found);
}

}  // namespace tessaly
