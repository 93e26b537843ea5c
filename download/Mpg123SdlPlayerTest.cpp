#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "download/DownloadTestSupport.h"
#include "download/Mp3Decoder.h"
#include "download/Mpg123SdlPlayer.h"
#include "testing/LoopbackServer.h"

namespace melvora::download {
namespace {

using namespace test;

const std::filesystem::path kOneSecondTone = MELVORA_TONE_1S_MP3;
const std::filesystem::path kFourSecondTone = MELVORA_TONE_4S_MP3;

// Every sample the decoder gives for the file, as raw bytes.
std::string DecodeWhole(const std::filesystem::path& file, int64_t* lengthInFrames = nullptr,
                        std::size_t* bytesPerFrame = nullptr) {
    auto decoder = Mp3Decoder::Open(file);
    if (!decoder) {
        return {};
    }
    if (lengthInFrames != nullptr) {
        *lengthInFrames = decoder->LengthInFrames();
    }
    if (bytesPerFrame != nullptr) {
        *bytesPerFrame = decoder->BytesPerFrame();
    }
    std::string samples;
    std::vector<std::byte> buffer(8192);
    for (std::size_t got; (got = decoder->Read(buffer)) > 0;) {
        samples.append(reinterpret_cast<const char*>(buffer.data()), got);
    }
    return samples;
}

bool AllZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

// The device's output is silence, the decoded samples once, and silence again.
::testing::AssertionResult IsTrackWithSilenceAround(const std::string& output,
                                                    const std::string& decoded) {
    const auto start = output.find(decoded);
    if (start == std::string::npos) {
        return ::testing::AssertionFailure()
               << "the " << decoded.size() << " decoded bytes are not in the " << output.size()
               << " bytes played";
    }
    if (!AllZero(std::string_view(output).substr(0, start)) ||
        !AllZero(std::string_view(output).substr(start + decoded.size()))) {
        return ::testing::AssertionFailure() << "sound outside the track";
    }
    return ::testing::AssertionSuccess();
}

// What `output` holds after its leading silence is a stretch of `decoded`, as a track stopped
// early leaves it.
::testing::AssertionResult IsBeginningOf(const std::string& output, const std::string& decoded) {
    const auto firstSound = output.find_first_not_of('\0');
    const std::string_view played = firstSound == std::string::npos
                                        ? std::string_view()
                                        : std::string_view(output).substr(firstSound);
    if (played.size() <= decoded.size() &&
        std::string_view(decoded).find(played) != std::string_view::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << played.size() << " bytes played are not from the track";
}

// SDL's "disk" driver writes what would be played into a file, at the pace of real sound.
class Mpg123SdlPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "disk", 1); }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }

    // Where the next device opened writes its sound.
    std::filesystem::path SendSoundTo(const std::string& name) {
        const auto file = m_folder.Path() / name;
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        return file;
    }

    ScratchFolder m_folder;
};

TEST_F(Mpg123SdlPlayerTest, TheDecoderYieldsExactlyTheSamplesOfTheFile) {
    int64_t lengthInFrames = 0;
    std::size_t bytesPerFrame = 0;
    const std::string decoded = DecodeWhole(kOneSecondTone, &lengthInFrames, &bytesPerFrame);
    ASSERT_EQ(bytesPerFrame, 4U);  // 16-bit stereo
    EXPECT_EQ(static_cast<int64_t>(decoded.size() / bytesPerFrame), lengthInFrames);
    // One second at 44.1 kHz, the encoder's padding removed.
    EXPECT_EQ(lengthInFrames, 44100);
}

TEST_F(Mpg123SdlPlayerTest, PlaysTheWholeFileOnceFromItsStart) {
    int64_t lengthInFrames = 0;
    std::size_t bytesPerFrame = 0;
    const std::string decoded = DecodeWhole(kOneSecondTone, &lengthInFrames, &bytesPerFrame);
    const auto sound = SendSoundTo("sound.raw");
    Mpg123SdlPlayer player;

    player.Play(kOneSecondTone);
    EXPECT_TRUE(player.IsPlaying());
    player.WaitUntilFinished();

    const std::string output = ReadWholeFile(sound);
    EXPECT_GE(static_cast<int64_t>(output.size() / bytesPerFrame), lengthInFrames);
    EXPECT_TRUE(IsTrackWithSilenceAround(output, decoded));
}

TEST_F(Mpg123SdlPlayerTest, ASecondPlayReplacesTheFirst) {
    const std::string longTrack = DecodeWhole(kFourSecondTone);
    const std::string shortTrack = DecodeWhole(kOneSecondTone);
    const auto firstSound = SendSoundTo("first.raw");
    Mpg123SdlPlayer player;

    player.Play(kFourSecondTone);
    const auto secondSound = SendSoundTo("second.raw");
    player.Play(kOneSecondTone);
    // The first track's device is closed by now: its sound does not grow any more.
    const std::string firstOutput = ReadWholeFile(firstSound);
    player.WaitUntilFinished();

    EXPECT_EQ(ReadWholeFile(firstSound), firstOutput);
    EXPECT_TRUE(IsBeginningOf(firstOutput, longTrack));
    EXPECT_LT(firstOutput.size(), longTrack.size());
    EXPECT_TRUE(IsTrackWithSilenceAround(ReadWholeFile(secondSound), shortTrack));
}

TEST_F(Mpg123SdlPlayerTest, StopEndsThePlayingTrack) {
    const std::string longTrack = DecodeWhole(kFourSecondTone);
    const auto sound = SendSoundTo("sound.raw");
    Mpg123SdlPlayer player;

    player.Play(kFourSecondTone);
    player.Stop();

    EXPECT_FALSE(player.IsPlaying());
    const std::string output = ReadWholeFile(sound);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ReadWholeFile(sound), output);
    EXPECT_TRUE(IsBeginningOf(output, longTrack));
    EXPECT_LT(output.size(), longTrack.size());
}

TEST_F(Mpg123SdlPlayerTest, StopWithNothingPlayingAndUnplayableFilesDoNothing) {
    const auto notMp3 = m_folder.Path() / "noise.mp3";
    WriteWholeFile(notMp3, "this is no audio at all");
    SendSoundTo("sound.raw");
    Mpg123SdlPlayer player;

    player.Stop();
    player.Play(m_folder.Path() / "missing.mp3");
    EXPECT_FALSE(player.IsPlaying());
    player.Play(notMp3);
    EXPECT_FALSE(player.IsPlaying());
    player.Stop();
}

TEST_F(Mpg123SdlPlayerTest, WithoutASoundDeviceItPlaysIntoTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Mpg123SdlPlayer player;

    player.Play(kOneSecondTone);

    EXPECT_TRUE(player.IsPlaying());
    EXPECT_STREQ(getenv("SDL_AUDIODRIVER"), "dummy");
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
}

}  // namespace
}  // namespace melvora::download
