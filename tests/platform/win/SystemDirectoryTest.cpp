#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/win/SystemDirectory.h"

namespace fs = std::filesystem;
using lumo::win::systemDirectory;
using lumo::win::systemDirectoryOf;

namespace {

class SystemDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = ::getenv("LUMO_SYSTEM_DIR")) m_saved = v;
        ::unsetenv("LUMO_SYSTEM_DIR");
    }
    void TearDown() override {
        if (m_saved)
            ::setenv("LUMO_SYSTEM_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("LUMO_SYSTEM_DIR");
    }
    std::optional<std::string> m_saved;
};

std::string folderWithSlash(const fs::path& file) {
    return fs::canonical(file).parent_path().string() + "/";
}

}  // namespace

TEST_F(SystemDirectoryTest, IsTheFolderOfTheLibraryHoldingTheCode) {
    void* handle = ::dlopen(PROBE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    using Probe = char* (*)();
    auto probe = reinterpret_cast<Probe>(::dlsym(handle, "probeSystemDirectory"));
    ASSERT_NE(probe, nullptr);
    char* answer = probe();
    EXPECT_EQ(std::string(answer), folderWithSlash(PROBE_LIBRARY));
    std::free(answer);
    // An address inside the library, looked up from outside it.
    EXPECT_EQ(systemDirectoryOf(reinterpret_cast<const void*>(probe)),
              folderWithSlash(PROBE_LIBRARY));
    ::dlclose(handle);
}

TEST_F(SystemDirectoryTest, InTheProgramItIsTheProgramsFolder) {
    EXPECT_EQ(systemDirectory(), folderWithSlash("/proc/self/exe"));
    EXPECT_EQ(systemDirectoryOf(nullptr), folderWithSlash("/proc/self/exe"));
}

TEST_F(SystemDirectoryTest, EnvironmentOverridesAndAlwaysEndsInSlash) {
    struct Case {
        const char* value;
        const char* expected;
    };
    const Case cases[] = {{"/opt/lumo", "/opt/lumo/"}, {"/opt/lumo/", "/opt/lumo/"}, {"/", "/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ::setenv("LUMO_SYSTEM_DIR", c.value, 1);
        EXPECT_EQ(systemDirectory(), c.expected);
    }
    ::setenv("LUMO_SYSTEM_DIR", "", 1);
    EXPECT_EQ(systemDirectory(), folderWithSlash("/proc/self/exe")) << "empty means unset";
}
