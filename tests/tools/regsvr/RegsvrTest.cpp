#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/com/Guid.h"
#include "platform/registry/Registry.h"
#include "tests/platform/com/TempRegistry.h"
#include "tests/platform/com/TestServerIds.h"

using lumo::registry::Root;

namespace {

const std::string kRegsvr = LUMO_REGSVR;
const std::string kServer = LUMO_TEST_COM_SERVER;
const std::string kNoExports = LUMO_TEST_COM_NOEXPORTS;

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

struct Outcome {
    int status = -1;
    std::string output;  // stdout and stderr together
};

// Runs regsvr with the given arguments (already quoted) and environment prefix.
Outcome regsvr(const std::string& arguments, const std::string& environment = {}) {
    const std::string command = environment + " " + quoted(kRegsvr) + " " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, n);
    const int raw = pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

std::string classKey() {
    return "CLSID\\" + lumo::com::guidToString(lumo::com::test::CLSID_Calculator);
}

class RegsvrTest : public ::testing::Test {
protected:
    lumo::com::test::TempRegistry m_registry;
};

}  // namespace

TEST_F(RegsvrTest, RegistersAndUnregisters) {
    Outcome out = regsvr(quoted(kServer));
    EXPECT_EQ(out.status, 0) << out.output;
    EXPECT_NE(out.output.find("DllRegisterServer"), std::string::npos) << out.output;
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, "LumoTest.Calculator\\CLSID", ""),
              lumo::com::guidToString(lumo::com::test::CLSID_Calculator));
    EXPECT_EQ(lumo::registry::readValue(Root::ClassesRoot, classKey() + "\\InprocServer32", ""),
              std::filesystem::canonical(kServer).string());

    out = regsvr("-u " + quoted(kServer));
    EXPECT_EQ(out.status, 0) << out.output;
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, classKey()));
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, "LumoTest.Calculator"));
}

TEST_F(RegsvrTest, FailingServerReportsStatusAndDescription) {
    for (const char* option : {"", "-u "}) {
        SCOPED_TRACE(option);
        const Outcome out = regsvr(option + quoted(kServer), "LUMO_TEST_SERVER_REFUSE=1");
        EXPECT_EQ(out.status, 1);
        EXPECT_NE(out.output.find("0x80070005"), std::string::npos) << out.output;
        EXPECT_NE(out.output.find("Registration refused by the test server"), std::string::npos)
            << out.output;
    }
    EXPECT_FALSE(lumo::registry::keyExists(Root::ClassesRoot, classKey()));
}

TEST_F(RegsvrTest, ErrorPaths) {
    const std::string textFile = (m_registry.dir() / "notes.so").string();
    std::ofstream(textFile) << std::string(200, 'x') << "\n";
    const std::string missing = (m_registry.dir() / "missing.so").string();

    struct Case {
        const char* name;
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"no library", "", 2, "usage: regsvr [-u] LIBRARY"},
        {"only the option", "-u", 2, "usage"},
        {"unknown option", "-x " + quoted(kServer), 2, "unknown option -x"},
        {"two libraries", quoted(kServer) + " " + quoted(kServer), 2, "only one library"},
        {"missing file", quoted(missing), 1, "cannot find the library " + missing},
        {"folder", quoted(m_registry.dir().string()), 1, "cannot find the library"},
        {"not a library", quoted(textFile), 1, "cannot load the library " + textFile},
        {"no register export", quoted(kNoExports), 1, "does not export DllRegisterServer"},
        {"no unregister export", "-u " + quoted(kNoExports), 1,
         "does not export DllUnregisterServer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = regsvr(c.arguments);
        EXPECT_EQ(out.status, c.status) << out.output;
        EXPECT_NE(out.output.find(c.message), std::string::npos) << out.output;
    }
}
