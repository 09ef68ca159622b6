// Helpers shared by the language tests: a QApplication for widget tests, files in a private
// folder, and a fixture that leaves the module-level language state as it found it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "control/language/IniLang.h"
#include "control/language/LangStr.h"
#include "tests/support/qt/WidgetApplication.h"

namespace lumo::language::test {

inline void ensureApplication() { lumo::test::ensureWidgetApplication(); }

inline void writeFile(const std::filesystem::path& path, std::string_view text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(m_dir.isValid());
        resetLanguageState();
        resetMessages();
    }
    void TearDown() override {
        resetLanguageState();
        resetMessages();
    }

    std::filesystem::path dir() const { return m_dir.path().toStdString(); }
    std::filesystem::path file(const std::string& name, std::string_view text) const {
        const std::filesystem::path path = dir() / name;
        writeFile(path, text);
        return path;
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace lumo::language::test
