#pragma once
// Client files are found by name regardless of case: installs copied from Windows, where names
// are not case-sensitive, carry names such as "Skills.idx" or "Gumpart.mul".

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The names of one directory's entries, listed once.
class CDirListing {
public:
    // Lists dir (empty: the current directory); a directory that cannot be read lists nothing.
    explicit CDirListing(const std::string& dir);

    // The entry name equal to name when both are compared without regard to ASCII case: the
    // exact name when the directory holds it, else the first such name in byte order (so of
    // "Skills.idx" and "SKILLS.IDX" the latter). Empty when there is none.
    std::string Find(std::string_view name) const;
    // Whether an entry's name ends with suffix, regardless of ASCII case.
    bool AnyEndsWith(std::string_view suffix) const;

private:
    std::vector<std::string> m_Names;  // sorted
};

// Listings of the directories asked about, each read on its first use until Clear.
class CFileFinder {
public:
    // MakeFilePath of dir and the name CDirListing::Find gives; empty when dir has no such name.
    std::string Find(const std::string& dir, std::string_view name);
    // The listing of dir, read on its first use.
    const CDirListing& Listing(const std::string& dir);
    void Clear() { m_Listings.clear(); }

private:
    std::map<std::string, CDirListing> m_Listings;
};

// Whether text ends with suffix when both are compared without regard to ASCII case.
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// MakeFilePath of dir and the entry of dir that matches name regardless of case (see
// CDirListing::Find), read from a fresh listing; empty when there is none.
std::string FindFileNoCase(const std::string& dir, std::string_view name);

}  // namespace tessaly
