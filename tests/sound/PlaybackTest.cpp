// Playback through OpenAL Soft's wave backend: every device of this process renders into a
// wave file that the tests read back.

#include "MulSound.h"
#include "TarnSounds.h"
#include "WaveBackend.h"
#include "clientfiles/SampleClientFiles.h"

#include <al.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <tuple>

namespace tessaly {
namespace {

class Playback : public ::testing::Test {
protected:
    // OpenAL reads its configuration once per process, before the first device opens.
    static void SetUpTestSuite() {
        s_dir = std::make_unique<test::TempDir>();
        s_rendered = test::RenderDevicesToWaveFile(*s_dir);
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override {
        ASSERT_TRUE(test::UsePatchTable());
        m_Output.emplace();
        m_Output->Init(nullptr, CMapPoint(0, 0, 0, 0));
        ASSERT_TRUE(m_Output->IsInit());
    }

    // Closes the output and its device, which finishes the rendered file; returns its samples.
    std::vector<std::uint8_t> Rendered() {
        m_Output.reset();
        return test::RenderedSamples(s_rendered);
    }

    static float Gain(const CTarnSoundPlay& sound) {
        ALfloat gain = -1.0f;
        alGetSourcef(sound.GetSource(), AL_GAIN, &gain);
        return gain;
    }

    static inline std::unique_ptr<test::TempDir> s_dir;
    static inline std::filesystem::path s_rendered;
    std::optional<CTarnSounds> m_Output;
};

// The volume falls off with distance in hundredths of a decibel, and follows the listener.
TEST_F(Playback, VolumeFallsOffWithDistanceInHundredthsOfADecibel) {
    m_Output->SetListener(CMapPoint(100, 100, 0, 0));
    // Where the sound plays, at which volume, and the volume in hundredths of a decibel it gets.
    using Case = std::tuple<std::int16_t, std::int16_t, std::uint8_t, std::int32_t>;
    const Case cases[] = {{101, 100, 0, 0},     {103, 99, 0, -556},     {95, 90, 0, -2778},
                          {118, 100, 0, -5000}, {100, 100, 128, -5020}, {110, 100, 255, -10000}};
    for (auto [x, y, volume, expected] : cases) {
        SCOPED_TRACE(testing::Message() << x << "," << y << " volume " << int{volume});
        CTarnSoundPlay sound(*m_Output, 1);
        ASSERT_TRUE(sound.Play(CMapPoint(x, y, 0, 0), volume, true));
        EXPECT_EQ(sound.GetVolume(), expected);
        float gain = expected <= -10000 ? 0.0f : std::pow(10.0f, expected / 2000.0f);
        EXPECT_NEAR(Gain(sound), gain, 1e-5f);
    }
    // Out of range: not played.
    CTarnSoundPlay far(*m_Output, 1);
    EXPECT_FALSE(far.Play(CMapPoint(100, 81, 0, 0), 0, true));
    EXPECT_EQ(far.GetStatus(), 0u);
    // An invalid point plays without any volume change.
    CTarnSoundPlay anywhere(*m_Output, 1);
    ASSERT_TRUE(anywhere.Play(CMapPoint(-1, 5000, 0, 0), 255, true));
    EXPECT_FLOAT_EQ(Gain(anywhere), 1.0f);
    EXPECT_NE(anywhere.GetStatus() & CTarnSoundPlay::kStatusPlaying, 0u);
    anywhere.Stop();
    EXPECT_EQ(anywhere.GetStatus(), 0u);

    // A looping sound's volume follows the listener at once; out of range, it is dropped.
    m_Output->SetListener(CMapPoint(0, 0, 0, 0));
    m_Output->PlaySound(1, CMapPoint(0, 0, 0, 0), 0, false);
    ASSERT_EQ(m_Output->m_Playing.GetCount(), 1);
    CTarnSoundPlay* sound = m_Output->m_Playing[0];
    EXPECT_EQ(sound->GetStatus(), CTarnSoundPlay::kStatusPlaying | CTarnSoundPlay::kStatusLooping);
    m_Output->SetListener(CMapPoint(15, 0, 0, 0));
    ASSERT_EQ(m_Output->m_Playing.GetCount(), 1);
    EXPECT_EQ(sound->GetVolume(), -3889);
    m_Output->SetListener(CMapPoint(19, 0, 0, 0));
    EXPECT_EQ(m_Output->m_Playing.GetCount(), 0);
}

// Sounds without samples are discarded silently, ids 0 and 0xFFFF stop every sound, and
// overlapping sounds both play and are tidied after they end.
TEST_F(Playback, RequestsDiscardStopAndOverlapSounds) {
    for (std::uint16_t id : {std::uint16_t{5}, std::uint16_t{6}, std::uint16_t{0x2FF}}) {
        CTarnSoundPlay sound(*m_Output, id);
        EXPECT_EQ(sound.m_pBuffer, nullptr);
        EXPECT_FALSE(sound.Play(CMapPoint(0, 0, 0, 0), 0, true));
        EXPECT_EQ(sound.GetStatus(), 0u);
        sound.Stop();
        m_Output->PlaySound(id, CMapPoint(0, 0, 0, 0), 0, true);
        EXPECT_EQ(m_Output->m_Playing.GetCount(), 0);
    }
    for (std::uint16_t stopper : {std::uint16_t{0}, std::uint16_t{0xFFFF}}) {
        m_Output->PlaySound(1, CMapPoint(0, 0, 0, 0), 0, false);
        m_Output->PlaySound(2, CMapPoint(0, 0, 0, 0), 0, false);
        EXPECT_EQ(m_Output->m_Playing.GetCount(), 2);
        m_Output->PlaySound(stopper, CMapPoint(0, 0, 0, 0), 0, true);
        EXPECT_EQ(m_Output->m_Playing.GetCount(), 0);
    }

    m_Output->PlaySound(12, CMapPoint(0, 0, 0, 0), 0, true);
    m_Output->PlaySound(13, CMapPoint(0, 0, 0, 0), 0, true);
    ASSERT_EQ(m_Output->m_Playing.GetCount(), 2);
    for (CTarnSoundPlay* sound : m_Output->m_Playing) {
        EXPECT_EQ(sound->GetStatus(), CTarnSoundPlay::kStatusPlaying);
    }
    test::WaitUntilFinished(*m_Output);
    // Finished sounds linger until the next request, which drops both.
    EXPECT_EQ(m_Output->m_Playing.GetCount(), 2);
    m_Output->PlaySound(4, CMapPoint(0, 0, 0, 0), 0, true);
    ASSERT_EQ(m_Output->m_Playing.GetCount(), 1);
    EXPECT_EQ(m_Output->m_Playing[0]->GetStatus(), CTarnSoundPlay::kStatusPlaying);
}

// Sounds 1 and 7 of the files by id, and a block holding data no file holds (an edit not yet
// saved), which plays from the block.
TEST_F(Playback, TheDeviceRendersTheSoundsSamplesAtTheirLength) {
    std::vector<std::uint8_t> unsaved(4 * 700);
    for (std::size_t i = 0; i < unsaved.size(); ++i) {
        unsaved[i] = static_cast<std::uint8_t>(0x41 + i % 13);
    }
    for (std::uint16_t id : {std::uint16_t{1}, std::uint16_t{7}, std::uint16_t{0}}) {
        SCOPED_TRACE(id);
        CMulSound sound(id);
        if (id == 0) {
            const IndexRecord record{
                0, CMulSound::kNameSize + static_cast<std::uint32_t>(unsaved.size()), 0, 0};
            sound.SetMemoryData(record, MakeSoundEntry("unsaved", unsaved));
        }
        ASSERT_NE(sound.GetData(), nullptr);
        ByteSpan samples = sound.GetSamples();
        samples = samples.first(samples.size() & ~std::size_t{3});  // whole frames
        m_Output.emplace();
        m_Output->Init(nullptr, CMapPoint(0, 0, 0, 0));
        if (id == 0) {
            m_Output->PlaySound(sound, CMapPoint(0, 0, 0, 0), 0, true);
        } else {
            m_Output->PlaySound(id, CMapPoint(0, 0, 0, 0), 0, true);
        }
        test::WaitUntilFinished(*m_Output);
        std::vector<std::uint8_t> rendered = Rendered();
        std::size_t start = test::FirstSound(rendered);
        ASSERT_GE(rendered.size(), start + samples.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), rendered.begin() + start));
        EXPECT_TRUE(std::all_of(rendered.begin() + start + samples.size(), rendered.end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

}  // namespace
}  // namespace tessaly
