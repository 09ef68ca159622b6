// The sound routines and the shipped wave files.
#include <gtest/gtest.h>

#include <QTimer>
#include <memory>

#include "control/dialogs/Sound.h"
#include "platform/win/RecordingWavePlayer.h"
#include "platform/win/ScopedWavePlayer.h"
#include "platform/win/WaveFile.h"
#include "tests/control/dialogs/DialogTestSupport.h"

namespace lumo::dialogs {
namespace {

TEST(SoundTest, PlaysOnlyFilesOfTheCurrentFolder) {
    test::SoundFolder folder;
    auto recorder = std::make_shared<win::RecordingWavePlayer>();
    win::ScopedWavePlayer scope(recorder);
    PlaySound("WaitFor.wav", true);
    PlaySound("Missing.wav", false);
    PlaySound("", false);
    PlaySound("RegSuc.wav", false);
    using R = win::RecordingWavePlayer::Request;
    EXPECT_EQ(recorder->requests(), (std::vector<R>{{"WaitFor.wav", true}, {"RegSuc.wav", false}}));
}

TEST(SoundTest, DelayProcessesEventsUntilTheTimeHasPassed) {
    test::ensureDialogApplication();
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    Delay(30);
    EXPECT_TRUE(fired);
    Delay(0);
}

TEST(SoundTest, ScopedDelayRecordsInsteadOfWaiting) {
    test::ensureDialogApplication();
    ScopedDelay delays;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    Delay(2000);
    Delay(500);
    EXPECT_TRUE(fired);
    EXPECT_EQ(delays.requests(), (std::vector<std::uint32_t>{2000, 500}));
}

TEST(SoundTest, TheFiveCuesLieInTheProgramFolder) {
    for (const char* name :
         {"WaitFor.wav", "Acquired.wav", "RegSuc.wav", "RegFail.wav", "V-OK.wav"}) {
        SCOPED_TRACE(name);
        auto wave = win::WaveFile::load(std::filesystem::path(LUMO_BIN_DIR) / name);
        ASSERT_TRUE(wave.has_value());
        const double seconds = double(wave->frameCount()) / wave->sampleRate;
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, 1.5);
    }
}

}  // namespace
}  // namespace lumo::dialogs
