#pragma once
// Where the client's install directories come from. The client records them under the
// registry key "Software\Origin Worlds Online\Ultima Online\1.0" (values "ExePath" and
// "InstCDPath"). On Linux the client runs under Wine, whose machine registry is the text file
// $WINEPREFIX/system.reg (prefix ~/.wine by default); Windows paths map into the prefix. A 64-bit
// prefix keeps the key of the 32-bit client under "Software\Wow6432Node\...", read when the
// plain key holds no value. Installers of current clients write neither key: they record the
// directory as "InstallDir" under "Software\Electronic Arts\EA Games\Ultima Online Classic"
// (or "... Stygian Abyss Classic"), read when no key before it holds a value.

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

// One registry value as read: present or not, a plain string or another type.
struct RegistryValue {
    bool present = false;
    bool isString = false;  // a plain string (not expandable, binary, dword, ...)
    std::string text;       // the string with escapes resolved
};

class CClientDirSource {
public:
    virtual ~CClientDirSource() = default;
    // Reads the client's key; false when the key (or the registry itself) is not there.
    virtual bool ReadClientKey(RegistryValue& exePath, RegistryValue& cdPath) = 0;
    // Turns a Windows path of the key into a path this process can open.
    virtual std::string MapPath(const std::string& windowsPath) const = 0;
};

class CWineRegistry : public CClientDirSource {
public:
    explicit CWineRegistry(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

    // $WINEPREFIX, else $HOME/.wine; nullopt when neither can be named.
    static std::optional<std::filesystem::path> DefaultPrefix();

    bool ReadClientKey(RegistryValue& exePath, RegistryValue& cdPath) override;
    // "C:\x\y" -> <prefix>/drive_c/x/y; other drive letters go through
    // <prefix>/dosdevices/<letter>:/; anything else comes back with "\" turned into "/". Under a
    // drive, each component is found regardless of case, as Wine finds it.
    std::string MapPath(const std::string& windowsPath) const override;

    // Parses the text of a system.reg file for the client's key. An "InstallDir" comes back as
    // an exePath of the directory with a backslash after it.
    static bool ParseSystemReg(const std::string& text, RegistryValue& exePath,
                               RegistryValue& cdPath);

private:
    std::filesystem::path m_prefix;
};

}  // namespace tessaly
