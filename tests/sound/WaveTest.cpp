// RIFF chunks, CMMFile over files and memory, sound entries and the RIFF/WAVE files made
// from them.

#include "ExpectedWave.h"
#include "MMFile.h"
#include "MulSound.h"
#include "WaveFile.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>

namespace tessaly {
namespace {

using test::WaveInMemory;
using testing::HasSubstr;

// A sound entry given as bytes instead of read from the client.
class MemorySound : public CMulSound {
public:
    explicit MemorySound(std::vector<std::uint8_t> entry)
        : CMulSound(1), m_Entry(std::move(entry)) {}
    bool Load() override {
        m_dwLength = static_cast<std::uint32_t>(m_Entry.size());
        AllocData(m_dwLength);
        std::copy(m_Entry.begin(), m_Entry.end(), m_Data.begin());
        return true;
    }

private:
    std::vector<std::uint8_t> m_Entry;
};

std::vector<std::uint8_t> Ramp(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{1});
    return v;
}

// Opens a memory file over buffer.
bool OpenMemory(CMMFile& f, std::vector<std::uint8_t>& buffer, std::uint32_t mode) {
    MMOpenInfo info{kFourCCMem, buffer.data(), static_cast<std::uint32_t>(buffer.size())};
    return f.Open(nullptr, mode, &info);
}

bool ReadWaveBytes(std::vector<std::uint8_t> bytes, WaveFormat& format,
                   std::vector<std::uint8_t>& samples) {
    CMMFile f;
    return OpenMemory(f, bytes, kMMIORead) && ReadWave(f, format, samples);
}

// The wave of a sound not yet loaded, written into a real file, and then into memory.
TEST(WaveFile, BytesMatchTheLayoutInFilesAndMemoryAndReadBackForEvenOddAndEmptySamples) {
    test::TempDir dir;
    for (std::size_t n : {0u, 1u, 2u, 301u, 4435u, 44100u}) {
        SCOPED_TRACE(n);
        std::vector<std::uint8_t> samples = Ramp(n);
        MemorySound sound(MakeSoundEntry("ramp", samples));
        {
            CMMFile f;
            ASSERT_TRUE(f.Open(dir.File("out.wav").c_str(), kMMIOCreate | kMMIOWrite));
            ASSERT_TRUE(WriteWave(f, sound, static_cast<std::uint32_t>(n)));
        }
        EXPECT_EQ(dir.Read("out.wav"), test::WaveFile(samples));
        auto wave = WaveInMemory(sound, static_cast<std::uint32_t>(n), n + 47);
        ASSERT_TRUE(wave.has_value());
        EXPECT_EQ(*wave, test::WaveFile(samples));
        WaveFormat format;
        format.nChannels = 0;
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(ReadWaveBytes(*wave, format, back));
        EXPECT_EQ(format, WaveFormat());
        EXPECT_EQ(back, samples);
    }
}

// No data, an entry shorter than its name field, more samples asked for than the entry holds, and a
// memory buffer too small for the whole wave all fail rather than write a cut-off wave.
TEST(WaveFile, RefusesWhatItCannotWriteWhole) {
    MemorySound none({});
    EXPECT_FALSE(WaveInMemory(none, 0, 64).has_value());
    MemorySound shortEntry(std::vector<std::uint8_t>(20, 'a'));
    EXPECT_FALSE(WaveInMemory(shortEntry, 4, 64).has_value());
    MemorySound small(MakeSoundEntry("small", Ramp(8)));
    EXPECT_FALSE(WaveInMemory(small, 9, 128).has_value());
    EXPECT_FALSE(WaveInMemory(small, 0xFFFFFFE0u, 128).has_value());
    EXPECT_FALSE(WaveInMemory(small, 8, 44 + 7).has_value());
    EXPECT_FALSE(WaveInMemory(small, 8, 20).has_value());
    EXPECT_TRUE(WaveInMemory(small, 8, 44 + 8).has_value());
}

TEST(WaveFile, ReadingRejectsTruncatedAndLyingData) {
    std::vector<std::uint8_t> samples = Ramp(64);
    std::vector<std::uint8_t> good = test::WaveFile(samples);
    WaveFormat format;
    std::vector<std::uint8_t> back;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_FALSE(
            ReadWaveBytes({good.begin(), good.begin() + static_cast<long>(cut)}, format, back))
            << cut;
    }
    // At 40 a data size past the end, even a huge one (refused before reading); at 16 a format
    // chunk shorter than the format record, or running far past everything (skipped without
    // wrapping around); at 8 a form that is not a wave.
    const std::pair<std::size_t, std::uint32_t> lies[] = {
        {40, 65u}, {40, 0x7FFFFFFFu}, {40, 0xFFFFFFFFu},
        {16, 8u},  {16, 0xFFFFFFFFu}, {8, MakeFourCC('A', 'V', 'I', ' ')}};
    for (auto [at, word] : lies) {
        std::vector<std::uint8_t> lying = good;
        StoreLE32(lying.data() + at, word);
        EXPECT_FALSE(ReadWaveBytes(lying, format, back)) << at << ": " << word;
    }
}

TEST(RiffChunks, AscendPadsOddChunksAndStoresSizesOfNestedChunks) {
    std::vector<std::uint8_t> buffer(64, 0xEE);
    CMMFile f;
    ASSERT_TRUE(OpenMemory(f, buffer, kMMIOCreate | kMMIOReadWrite));
    MMChunkInfo list;
    ASSERT_EQ(f.CreateForm(list, MakeFourCC('I', 'N', 'F', 'O'), kMMIOCreateList), 0u);
    MMChunkInfo inner;
    ASSERT_EQ(f.CreateChunkId(inner, MakeFourCC('a', 'b', 'c', 'd')), 0u);
    ASSERT_TRUE(f.MMWrite("xyz", 3));
    ASSERT_EQ(f.Ascend(inner), 0u);
    ASSERT_EQ(f.Ascend(list), 0u);
    EXPECT_EQ(f.GetPosition(), 24u);
    ByteWriter w;
    w.text("LIST", 4).u32(16).text("INFO", 4).text("abcd", 4).u32(3).text("xyz", 3).u8(0);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 24), w.data());

    // Descending finds the inner chunk again; ascending skips its pad byte.
    ASSERT_EQ(f.Seek(0, CQFile::begin), 0);
    MMChunkInfo found{.fccType = MakeFourCC('I', 'N', 'F', 'O')};
    ASSERT_EQ(f.Descend(found, nullptr, kMMIOFindList), 0u);
    MMChunkInfo sub{.ckid = MakeFourCC('a', 'b', 'c', 'd')};
    ASSERT_EQ(f.Descend(sub, &found, kMMIOFindChunk), 0u);
    EXPECT_EQ(sub.cksize, 3u);
    EXPECT_EQ(sub.dwDataOffset, 20u);
    ASSERT_EQ(f.Ascend(sub), 0u);
    EXPECT_EQ(f.GetPosition(), 24u);
    MMChunkInfo missing{.ckid = MakeFourCC('z', 'z', 'z', 'z')};
    EXPECT_EQ(f.Descend(missing, &found, kMMIOFindChunk), kMMIOErrChunkNotFound);
}

TEST(CMMFileTest, OpenCloseShareAndSeekFollowTheCheckedFileRules) {
    test::TempDir dir;
    std::string missing = dir.File("missing.wav");
    CMMFile f;
    // A failed open keeps the new path and leaves the file closed.
    EXPECT_FALSE(f.Open(missing.c_str(), kMMIORead));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.GetFilePath(), missing);
    EXPECT_EQ(f.MMRead(nullptr, 0), -1);
    EXPECT_FALSE(f.MMWrite("a", 1));
    // The mode's top bits never reach the stream: create + write still works.
    ASSERT_TRUE(f.Open(missing.c_str(), 0x40000000u | kMMIOCreate | kMMIOWrite));
    ASSERT_TRUE(f.MMWrite("abcdef", 6));
    EXPECT_EQ(f.Seek(0, CQFile::begin), 0);
    EXPECT_EQ(f.Seek(-1, CQFile::begin), -1);
    EXPECT_EQ(f.Seek(0, CQFile::end), 6);
    // A shared handle writes into the same file; closing the sharer leaves the owner open.
    {
        CMMFile g;
        g.OpenShared(f);
        EXPECT_TRUE(g.MMWrite("gh", 2));
        g.Close();
    }
    EXPECT_TRUE(f.MMWrite("i", 1));
    // Closing keeps the stored path, so a null-path open reopens it.
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    ASSERT_TRUE(f.Open(nullptr, kMMIORead));
    char text[16] = {};
    EXPECT_EQ(f.MMRead(text, 16), 9);
    EXPECT_STREQ(text, "abcdefghi");
    EXPECT_EQ(f.MMRead(text, 16), 0);
}

TEST(CMMFileTest, MemoryFilesStayInsideTheirBuffer) {
    CMMFile f;
    MMOpenInfo noBuffer{.fccIOProc = kFourCCMem};
    EXPECT_FALSE(f.Open(nullptr, kMMIOCreate | kMMIOWrite, &noBuffer));
    // Neither a path nor a memory procedure.
    EXPECT_FALSE(f.Open(nullptr, kMMIOCreate | kMMIOWrite, nullptr));

    std::vector<std::uint8_t> buffer(8);
    ASSERT_TRUE(OpenMemory(f, buffer, kMMIOCreate | kMMIOReadWrite));
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_FALSE(f.MMWrite("0123456789", 10));
    EXPECT_EQ(f.GetLength(), 8u);
    EXPECT_EQ(f.Seek(9, CQFile::begin), -1);
    EXPECT_EQ(f.Seek(8, CQFile::begin), 8);
    EXPECT_EQ(f.Seek(-8, CQFile::current), 0);
    char text[12] = {};
    EXPECT_EQ(f.MMRead(text, 12), 8);
    EXPECT_STREQ(text, "01234567");
    // A chunk header that no longer fits fails to be created.
    MMChunkInfo ck;
    EXPECT_EQ(f.CreateChunkId(ck, MakeFourCC('d', 'a', 't', 'a')), kMMIOErrCannotWrite);
}

TEST(SoundEntries, NamesStopAtZeroOrAtThirtyTwoBytes) {
    EXPECT_EQ(CMulSound::ReadName(MakeSoundEntry("door.wav", Ramp(2))), "door.wav");
    const std::string full(32, 'n');
    EXPECT_EQ(CMulSound::ReadName(MakeSoundEntry(full, Ramp(2))), full);
    EXPECT_EQ(CMulSound::ReadName(std::vector<std::uint8_t>{'a', 'b'}), "ab");
    EXPECT_EQ(CMulSound::ReadName({}), "");
}

// 16-bit little-endian sample bytes.
std::vector<std::uint8_t> Samples(const std::vector<std::int16_t>& values) {
    ByteWriter w;
    for (std::int16_t v : values) {
        w.i16(v);
    }
    return w.take();
}

TEST(SoundEntries, WaveformPeaksSpanEachColumnsStretchWithinABoundedNumberOfSamples) {
    // Eight samples in two columns: each column's lowest and highest.
    EXPECT_EQ(SamplePeaks(Samples({1, -5, 7, 2, -32768, 32767, 0, 3}), 2),
              (std::vector<SamplePeak>{{-5, 7}, {-32768, 32767}}));
    // Fewer samples than columns: the samples repeat across the columns.
    EXPECT_EQ(SamplePeaks(Samples({-1, 4}), 4),
              (std::vector<SamplePeak>{{-1, -1}, {-1, -1}, {4, 4}, {4, 4}}));
    // No columns, no whole sample: no waveform.
    EXPECT_TRUE(SamplePeaks(Samples({1, 2}), 0).empty());
    EXPECT_TRUE(SamplePeaks(std::vector<std::uint8_t>{7}, 3).empty());
    // A long stretch is sampled, both channels of interleaved samples alike: a left channel
    // of 100 and a right one of -100 show both in every column.
    std::vector<std::int16_t> stereo;
    for (int i = 0; i < 100000; ++i) {
        stereo.push_back(i % 2 == 0 ? 100 : -100);
    }
    EXPECT_EQ(SamplePeaks(Samples(stereo), 7, 16), std::vector<SamplePeak>(7, {-100, 100}));
}

// Absent entries have no data; a patched sound is read from the patch file (which record wins is
// the client files' own test).
TEST(SampleSounds, AbsentEntriesHaveNoDataAndAPatchedSoundComesFromThePatchFile) {
    ASSERT_TRUE(test::UsePatchTable());
    for (std::uint16_t id : {0, 6, 0x2FF, 0xFFFF}) {
        CMulSound sound(id);
        EXPECT_FALSE(sound.Load());
        EXPECT_EQ(sound.GetData(), nullptr);
        EXPECT_EQ(sound.GetLength(), 0u);
    }
    CMulSound sound(11);
    ASSERT_NE(sound.GetData(), nullptr);
    EXPECT_EQ(CMulSound::ReadName(sound.GetBytes()), "door_open_patched.wav");
}

// Only 16-bit PCM at the entry's byte rate gives sound entry samples: one channel at 22050 Hz,
// two at 11025 Hz, also in an extensible format record. Anything else says why (another rate
// would play at the wrong speed in the client).
TEST(SoundWaveTest, TakesSixteenBitPcmAtTheEntryRateOnly) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8};
    // Why a wave is refused ("" when it is not), and the samples taken from it.
    auto read = [](const std::vector<std::uint8_t>& wave) {
        std::vector<std::uint8_t> samples;
        std::string why = ReadSoundWave(wave, samples);
        return std::pair{why, samples};
    };
    const std::pair<std::string, std::vector<std::uint8_t>> taken{"", data};
    EXPECT_EQ(read(test::WaveFile(data)), taken);
    EXPECT_EQ(read(test::WaveFile(data, 16, 1, 1, 22050)), taken);

    // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format GUID, and a "LIST" chunk of odd size
    // (skipped with its pad byte) before the data.
    std::vector<std::uint8_t> extensible = test::WaveFile(data, 16, 0xFFFE, 1, 22050);
    ByteWriter tail;
    tail.u16(22).u16(16).u32(4).u32(1).u16(0).u16(0x10).u8(0x80).u8(0).u8(0).u8(0xAA);
    tail.u8(0).u8(0x38).u8(0x9B).u8(0x71);
    tail.text("LIST", 4).u32(5).text("INFO", 4).u8(9).u8(0);
    extensible.insert(extensible.begin() + 36, tail.data().begin(), tail.data().end());
    extensible[16] = 40;       // the fmt chunk's size
    extensible[4] += 24 + 14;  // the form's
    EXPECT_EQ(read(extensible), taken);
    extensible[36 + 8] = 3;  // the IEEE float sub-format
    EXPECT_THAT(read(extensible).first, HasSubstr("format 3, 16 bits"));

    EXPECT_THAT(read(test::WaveFile(data, 8)).first, HasSubstr("format 1, 8 bits"));
    EXPECT_THAT(read(test::WaveFile(data, 16, 1, 2, 22050)).first,
                HasSubstr("plays at 22050 Hz in 2 channel(s)"));
    EXPECT_THAT(read({}).first, HasSubstr("cannot be read"));
}

}  // namespace
}  // namespace tessaly
