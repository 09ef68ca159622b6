#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/win/SingleInstanceLock.h"

namespace fs = std::filesystem;
using lumo::win::SingleInstanceLock;

extern char** environ;

namespace {

// A private runtime folder, so that no real program's lock is touched.
class SingleInstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = ::getenv("XDG_RUNTIME_DIR")) m_saved = v;
        std::string pattern = (fs::temp_directory_path() / "runtime-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

    fs::path m_dir;
    std::optional<std::string> m_saved;
};

}  // namespace

TEST_F(SingleInstanceLockTest, LockFileIsNamedAfterTheLockInTheRuntimeFolder) {
    SingleInstanceLock lock("Kestrel");
    EXPECT_EQ(lock.lockFilePath(), m_dir / "Kestrel");
    ASSERT_TRUE(lock.tryAcquire());
    EXPECT_TRUE(fs::exists(m_dir / "Kestrel"));
}

TEST_F(SingleInstanceLockTest, WithoutRuntimeFolderTheTemporaryFolderIsUsedPerUser) {
    ::unsetenv("XDG_RUNTIME_DIR");
    SingleInstanceLock lock("KestrelTest");
    EXPECT_EQ(lock.lockFilePath(),
              fs::temp_directory_path() / ("KestrelTest-" + std::to_string(::getuid())));
}

TEST_F(SingleInstanceLockTest, SecondHolderInTheSameProcessIsRefusedUntilRelease) {
    auto first = std::make_unique<SingleInstanceLock>("Kestrel");
    SingleInstanceLock second("Kestrel");
    ASSERT_TRUE(first->tryAcquire());
    EXPECT_TRUE(first->tryAcquire()) << "asking again while holding it";
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_FALSE(second.isHeld());
    first->release();
    EXPECT_FALSE(first->isHeld());
    EXPECT_TRUE(second.tryAcquire());
    EXPECT_TRUE(second.isHeld());
    second.release();
    first.reset(new SingleInstanceLock("Kestrel"));
    ASSERT_TRUE(first->tryAcquire());
    first.reset();  // the destructor releases
    EXPECT_TRUE(second.tryAcquire());
}

TEST_F(SingleInstanceLockTest, DifferentNamesDoNotConflict) {
    SingleInstanceLock a("Kestrel");
    SingleInstanceLock b("Other");
    EXPECT_TRUE(a.tryAcquire());
    EXPECT_TRUE(b.tryAcquire());
}

TEST_F(SingleInstanceLockTest, KilledHolderReleasesTheLock) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        SingleInstanceLock lock("Kestrel");
        char ok = lock.tryAcquire() ? '1' : '0';
        (void)::write(ready[1], &ok, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(ok, '1') << "the child got the lock";

    SingleInstanceLock mine("Kestrel");
    EXPECT_FALSE(mine.tryAcquire()) << "another process holds it";

    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(mine.tryAcquire()) << "the kernel released it with the dead process";
}

TEST_F(SingleInstanceLockTest, ChildProgramsDoNotInheritTheLock) {
    auto lock = std::make_unique<SingleInstanceLock>("Kestrel");
    ASSERT_TRUE(lock->tryAcquire());
    pid_t child = 0;
    char sleepName[] = "sleep";
    char seconds[] = "30";
    char* argv[] = {sleepName, seconds, nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
    lock.reset();
    SingleInstanceLock again("Kestrel");
    EXPECT_TRUE(again.tryAcquire()) << "a started program must not keep the lock";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST_F(SingleInstanceLockTest, UnusableLockFolderDoesNotStopTheProgram) {
    ::setenv("XDG_RUNTIME_DIR", (m_dir / "missing" / "folder").c_str(), 1);
    SingleInstanceLock lock("Kestrel");
    EXPECT_TRUE(lock.tryAcquire());
    EXPECT_FALSE(lock.isHeld());
}
