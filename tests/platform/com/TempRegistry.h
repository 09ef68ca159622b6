// Points the registry layer at a fresh temporary folder for one test, and back afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

namespace lumo::com::test {

class TempRegistry {
public:
    TempRegistry() {
        if (const char* old = getenv("LUMO_REGISTRY")) m_previous = old;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumo-com-registry-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_dir = pattern;
        setenv("LUMO_REGISTRY", m_dir.c_str(), 1);
    }
    ~TempRegistry() {
        if (m_previous) {
            setenv("LUMO_REGISTRY", m_previous->c_str(), 1);
        } else {
            unsetenv("LUMO_REGISTRY");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
    std::optional<std::string> m_previous;
};

}  // namespace lumo::com::test
