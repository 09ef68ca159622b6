// A private registry folder for one test: LUMO_REGISTRY points at a fresh temporary folder
// for the lifetime of the object and is restored afterwards.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

class ScopedRegistryDir {
public:
    ScopedRegistryDir() {
        if (const char* old = ::getenv("LUMO_REGISTRY")) m_old = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "registry-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        ::setenv("LUMO_REGISTRY", m_dir.c_str(), 1);
    }
    ~ScopedRegistryDir() {
        std::filesystem::remove_all(m_dir);
        if (m_old)
            ::setenv("LUMO_REGISTRY", m_old->c_str(), 1);
        else
            ::unsetenv("LUMO_REGISTRY");
    }
    const std::filesystem::path& path() const { return m_dir; }

    std::string read(const std::string& file) const {
        std::ifstream in(m_dir / file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string& file, const std::string& bytes) const {
        std::ofstream(m_dir / file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path m_dir;
    std::optional<std::string> m_old;
};
