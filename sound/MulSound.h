#pragma once
// Sound entries of "sound.mul" and their conversion to and from RIFF/WAVE data.
//
// Sound entry (the bytes its index record addresses):
//   0   32 bytes        name, zero-padded (a 32-character name has no terminating zero)
//   32  length - 32     samples, 16-bit signed little-endian PCM
// The samples play and export as two channels of 16 bits at 11025 frames per second (4 bytes
// per frame, 44100 bytes per second). An entry of 32 bytes or fewer has no samples.

#include "Bytes.h"
#include "MMFile.h"
#include "MulBlock.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The 16-byte PCM wave format record:
//   0 u16 format tag (1 = PCM)   2 u16 channels          4 u32 samples per second
//   8 u32 average bytes/second  12 u16 block align       14 u16 bits per sample
struct WaveFormat {
    static constexpr std::size_t kSize = 16;

    std::uint16_t wFormatTag = 1;
    std::uint16_t nChannels = 2;
    std::uint32_t nSamplesPerSec = 11025;
    std::uint32_t nAvgBytesPerSec = 44100;
    std::uint16_t nBlockAlign = 4;
    std::uint16_t wBitsPerSample = 16;

    void Write(ByteWriter& out) const;
    bool Read(ByteReader& in);
    bool operator==(const WaveFormat&) const = default;
};

class CMulSound : public CMulBlockType {
public:
    static constexpr std::uint32_t kNameSize = 32;

    // The sound id is taken as 16-bit.
    explicit CMulSound(std::uint16_t id, CClientFiles& files = TheClientFiles())
        : CMulBlockType(id, files) {}

    // Reads the sound's effective index record (index slot 7, patch id 8) and its data. False
    // without a record; a failed read raises CTarnError "LoadMulData: Read".
    bool Load() override;
    // The entry's byte length (index record length, bits 0-30); 0 until loaded.
    std::uint32_t GetLength() const { return m_dwLength; }
    // The sample bytes of the loaded entry (empty for 32 bytes or fewer); does not load.
    ByteSpan GetSamples() const;

    // The name held in the first bytes of an entry: up to the first zero, at most 32 bytes.
    static std::string ReadName(ByteSpan entry);

    std::uint32_t m_dwLength = 0;

protected:
    void TakeRecord(const IndexRecord& record) override { m_dwLength = record.GetLength(); }
};

// The largest sound entry: index record lengths have 31 bits.
inline constexpr std::uint32_t kMaxSoundEntry = 0x7FFFFFFF;

// How long this many sample bytes play, in tenths of a second rounded to the nearest (a tenth
// is 1102.5 frames of 4 bytes, 4410 bytes).
constexpr std::uint64_t SoundTenths(std::uint64_t sampleBytes) {
    return (sampleBytes / 4 * 20 + 11025) / 22050;
}

// A sound entry: the name cut to 32 bytes and zero-padded, then the sample bytes. Raises
// CTarnError "SoundEntry: Size" (2, E_FAIL) past kMaxSoundEntry.
std::vector<std::uint8_t> MakeSoundEntry(std::string_view name, ByteSpan samples);

// Writes one complete RIFF/WAVE file of n sample bytes of the sound into f (open for
// writing): "RIFF", 36 + n (+1 when n is odd), "WAVE", "fmt ", 16, the format record, "data",
// n, the samples and a zero pad byte when n is odd. False when the sound has no data, holds
// fewer than n sample bytes, or any chunk or write fails.
bool WriteWave(CMMFile& f, CMulSound& s, std::uint32_t n);

// The bytes WriteWave makes for the whole sound (n = length - 32), written into memory: what
// the clipboard gets and a wave file holds. Loads the sound. Empty when it has no data or is
// shorter than its 32-byte name; then *pWriteFailed (when given) tells whether the data was
// there and the memory write failed.
std::vector<std::uint8_t> MakeWaveData(CMulSound& sound, bool* pWriteFailed = nullptr);

// The lowest and highest sample of one column of a waveform picture.
struct SamplePeak {
    std::int16_t nLow = 0;
    std::int16_t nHigh = 0;
    bool operator==(const SamplePeak&) const = default;
};

// A waveform of 16-bit little-endian sample bytes (both channels alike) drawn `columns` wide:
// the samples are split into `columns` equal stretches (a sound shorter than that repeats its
// samples across columns) and each column holds the lowest and highest of at most `perColumn`
// samples spread over its stretch, so the work is bounded by the width, not by the sound's
// length. Empty without columns or without a whole sample.
std::vector<SamplePeak> SamplePeaks(ByteSpan samples, std::size_t columns,
                                    std::size_t perColumn = 256);

// Reads RIFF/WAVE data back from the current position of f: the format record of the "fmt "
// chunk (longer format chunks are accepted; an extensible one, tag 0xFFFE, reads as the tag of
// its sub-format) and the bytes of the "data" chunk. False when the form, either chunk or any
// of their bytes is missing.
bool ReadWave(CMMFile& f, WaveFormat& format, std::vector<std::uint8_t>& samples);

// Whether a wave of this format can be stored as a sound entry byte for byte: 16-bit PCM at the
// entry's 44100 bytes a second, one channel at 22050 Hz (as the client plays it) or two at
// 11025 Hz (as Export writes it). Other rates and channel counts would play at the wrong speed.
bool IsSoundEntryFormat(const WaveFormat& format);

// The sample bytes of a whole RIFF/WAVE file whose format IsSoundEntryFormat takes. Empty
// when taken; otherwise why not ("the wave cannot be read", "... 8 bits ...", "... 44100 Hz in
// 2 channels ..."), and samples is left unspecified.
std::string ReadSoundWave(ByteSpan wave, std::vector<std::uint8_t>& samples);

}  // namespace tessaly
