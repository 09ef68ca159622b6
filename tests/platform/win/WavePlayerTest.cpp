#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "WaveTestFiles.h"
#include "platform/win/AlsaWavePlayer.h"
#include "platform/win/RecordingWavePlayer.h"
#include "platform/win/ScopedWavePlayer.h"
#include "platform/win/WavePlayer.h"

namespace fs = std::filesystem;
using namespace lumo::win;
using Outcome = AlsaWavePlayer::Outcome;

namespace {

class WavePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "player-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        wavetest::writeFile(m_dir / "Acquired.wav", wavetest::simpleWave(2, 22050, 16, 2205));
        wavetest::writeFile(m_dir / "RegSuc.wav", wavetest::simpleWave(1, 8000, 8, 800));
        wavetest::writeFile(m_dir / "garbage.wav", wavetest::Bytes(300, 0x5A));
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string file(const char* name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

}  // namespace

TEST_F(WavePlayerTest, NullDevicePlaysValidFilesAndIsSilentOtherwise) {
    AlsaWavePlayer player("null");
    struct Case {
        const char* name;
        Outcome expected;
    };
    const Case cases[] = {
        {"Acquired.wav", Outcome::Played},
        {"RegSuc.wav", Outcome::Played},
        {"garbage.wav", Outcome::NoSound},
        {"missing.wav", Outcome::NoSound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(player.playBlocking(file(c.name)), c.expected);
        EXPECT_EQ(player.lastOutcome(), c.expected);
    }
    EXPECT_EQ(player.playBlocking(""), Outcome::NoSound);
}

TEST_F(WavePlayerTest, MissingDeviceIsSilence) {
    AlsaWavePlayer player("no_such_lumo_device");
    EXPECT_EQ(player.playBlocking(file("Acquired.wav")), Outcome::NoDevice);
    player.play(file("Acquired.wav"), false);
    player.play(file("Acquired.wav"), true);
    EXPECT_TRUE(player.waitForIdle(std::chrono::seconds(30)));
    EXPECT_EQ(player.lastOutcome(), Outcome::NoDevice);
}

TEST_F(WavePlayerTest, DefaultDeviceNeverFailsLoudly) {
    // Whatever this machine has (a card, a sound server or nothing), playing returns.
    AlsaWavePlayer player("default");
    Outcome outcome = player.playBlocking(file("RegSuc.wav"));
    EXPECT_NE(outcome, Outcome::NoSound);
}

TEST_F(WavePlayerTest, AsynchronousPlaybackFinishesInTheBackground) {
    AlsaWavePlayer player("null");
    player.play(file("Acquired.wav"), true);
    ASSERT_TRUE(player.waitForIdle(std::chrono::seconds(30)));
    EXPECT_EQ(player.lastOutcome(), Outcome::Played);
}

TEST_F(WavePlayerTest, ManyOverlappingPlaybacksAllEnd) {
    AlsaWavePlayer player("null");
    for (int i = 0; i < 20; ++i) player.play(file(i % 2 ? "Acquired.wav" : "RegSuc.wav"), true);
    player.play(file("RegSuc.wav"), false);
    ASSERT_TRUE(player.waitForIdle(std::chrono::seconds(60)));
    Outcome last = player.lastOutcome();
    EXPECT_TRUE(last == Outcome::Played || last == Outcome::Stopped);
}

TEST_F(WavePlayerTest, RelativeNamesAreResolvedWhenPlayIsCalled) {
    AlsaWavePlayer player("null");
    fs::path before = fs::current_path();
    fs::current_path(m_dir);
    player.play("Acquired.wav", true);
    fs::current_path(before);
    ASSERT_TRUE(player.waitForIdle(std::chrono::seconds(30)));
    EXPECT_EQ(player.lastOutcome(), Outcome::Played);
}

TEST_F(WavePlayerTest, DeviceComesFromTheEnvironmentWhenNotGiven) {
    const char* old = ::getenv("LUMO_ALSA_DEVICE");
    std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("LUMO_ALSA_DEVICE", "null", 1);
    EXPECT_EQ(AlsaWavePlayer().deviceName(), "null");
    ::unsetenv("LUMO_ALSA_DEVICE");
    EXPECT_EQ(AlsaWavePlayer().deviceName(), "default");
    EXPECT_EQ(AlsaWavePlayer("hw:1").deviceName(), "hw:1");
    if (saved) ::setenv("LUMO_ALSA_DEVICE", saved->c_str(), 1);
}

TEST(WavePlayerSeam, RecorderReplacesThePlayerAndIsRestored) {
    std::shared_ptr<WavePlayer> original = wavePlayer();
    ASSERT_NE(dynamic_cast<AlsaWavePlayer*>(original.get()), nullptr);
    {
        auto recorder = std::make_shared<RecordingWavePlayer>();
        ScopedWavePlayer scope(recorder);
        EXPECT_EQ(wavePlayer(), recorder);
        playWave("WaitFor.wav", true);
        playWave("Acquired.wav", false);
        using R = RecordingWavePlayer::Request;
        EXPECT_EQ(recorder->requests(),
                  (std::vector<R>{{"WaitFor.wav", true}, {"Acquired.wav", false}}));
        EXPECT_EQ(recorder->fileNames(), (std::vector<std::string>{"WaitFor.wav", "Acquired.wav"}));
        recorder->clear();
        EXPECT_TRUE(recorder->requests().empty());
    }
    EXPECT_EQ(wavePlayer(), original);
    setWavePlayer(nullptr);
    EXPECT_NE(dynamic_cast<AlsaWavePlayer*>(wavePlayer().get()), nullptr);
}
