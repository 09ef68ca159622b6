// Several writers on one root file at the same moment: every value written must survive.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "RegistryTestSupport.h"
#include "platform/registry/Registry.h"

using namespace lumo::registry;

namespace {

constexpr int kWriters = 4;
constexpr int kWritesEach = 40;

std::string valueName(int writer, int i) {
    return "w" + std::to_string(writer) + "_" + std::to_string(i);
}

// Writes its own values and a shared counter-like value; returns false on any error.
bool runWriter(int writer) {
    try {
        for (int i = 0; i < kWritesEach; ++i) {
            writeValue(Root::LocalMachine, "SOFTWARE\\Race\\" + std::to_string(i % 3),
                       valueName(writer, i), std::to_string(writer * 1000 + i));
            writeValue(Root::LocalMachine, "SOFTWARE\\Race", "last" + std::to_string(writer),
                       std::to_string(i));
        }
        return true;
    } catch (...) {
        return false;
    }
}

void expectAllValues() {
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kWritesEach; ++i) {
            SCOPED_TRACE(valueName(w, i));
            EXPECT_EQ(readValue(Root::LocalMachine, "SOFTWARE\\Race\\" + std::to_string(i % 3),
                                valueName(w, i)),
                      std::to_string(w * 1000 + i));
        }
        EXPECT_EQ(readValue(Root::LocalMachine, "SOFTWARE\\Race", "last" + std::to_string(w)),
                  std::to_string(kWritesEach - 1));
    }
}

}  // namespace

TEST(RegistryConcurrency, ProcessesWritingAtOnceKeepEveryValue) {
    ScopedRegistryDir dir;
    writeValue(Root::LocalMachine, "SOFTWARE\\LUMO", "Password", "0");

    // The children wait on the pipe so that they all start writing together.
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) < 0) {
            }
            ::_exit(runWriter(w) ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed";
    }
    expectAllValues();
    EXPECT_EQ(readValue(Root::LocalMachine, "SOFTWARE\\LUMO", "Password"), "0");
}

TEST(RegistryConcurrency, ThreadsWritingAtOnceKeepEveryValue) {
    ScopedRegistryDir dir;
    std::vector<std::thread> threads;
    std::vector<char> ok(kWriters, 0);
    for (int w = 0; w < kWriters; ++w) threads.emplace_back([w, &ok] { ok[w] = runWriter(w); });
    for (auto& t : threads) t.join();
    for (int w = 0; w < kWriters; ++w) EXPECT_TRUE(ok[w]) << "writer " << w;
    expectAllValues();
}
