#pragma once
// A fresh directory per test under the system's temporary directory, removed afterwards.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tessaly::test {

class TempDir {
public:
    TempDir() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("tessaly-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return WriteFile(File(name), bytes);
    }
    static std::string WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::vector<std::uint8_t> Read(const std::string& name) const { return ReadFile(File(name)); }

    static std::vector<std::uint8_t> ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path m_path;
};

}  // namespace tessaly::test
