#include "MulSound.h"

#include "EventLog.h"
#include "TarnError.h"
#include "Text.h"

#include <algorithm>
#include <new>

namespace tessaly {

namespace {
constexpr FourCC kFourCCWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr FourCC kFourCCFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr FourCC kFourCCData = MakeFourCC('d', 'a', 't', 'a');
}  // namespace

void WaveFormat::Write(ByteWriter& out) const {
    out.u16(wFormatTag).u16(nChannels).u32(nSamplesPerSec).u32(nAvgBytesPerSec);
    out.u16(nBlockAlign).u16(wBitsPerSample);
}

bool WaveFormat::Read(ByteReader& in) {
    return in.has(kSize) && in.u16(wFormatTag) && in.u16(nChannels) && in.u32(nSamplesPerSec) &&
           in.u32(nAvgBytesPerSec) && in.u16(nBlockAlign) && in.u16(wBitsPerSample);
}

bool CMulSound::Load() {
    IndexRecord record;
    if (!ReadIndex(kSlotSoundIdx, kSlotSound, m_nEntry, record)) {
        return false;
    }
    TakeRecord(record);
    LoadMulData(kSlotSound, record);
    return true;
}

std::vector<std::uint8_t> MakeSoundEntry(std::string_view name, ByteSpan samples) {
    if (samples.size() > kMaxSoundEntry - CMulSound::kNameSize) {
        throw CTarnError(2, kE_FAIL, "SoundEntry: Size");
    }
    ByteWriter out;
    out.text(name, CMulSound::kNameSize).bytes(samples);
    return out.take();
}

ByteSpan CMulSound::GetSamples() const {
    ByteSpan data = GetBytes();
    std::size_t length = std::min<std::size_t>(m_dwLength, data.size());
    return length > kNameSize ? data.subspan(kNameSize, length - kNameSize) : ByteSpan();
}

std::vector<SamplePeak> SamplePeaks(ByteSpan samples, std::size_t columns, std::size_t perColumn) {
    const std::uint64_t count = samples.size() / 2;
    std::vector<SamplePeak> peaks;
    if (columns == 0 || count == 0) {
        return peaks;
    }
    perColumn = std::max<std::size_t>(perColumn, 1);
    peaks.resize(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        const std::uint64_t first = c * count / columns;
        const std::uint64_t end = std::max(first + 1, (c + 1) * count / columns);
        std::uint64_t step = std::max<std::uint64_t>(1, (end - first) / perColumn);
        // An odd step takes both channels of interleaved samples in turn.
        if (step > 1 && step % 2 == 0) {
            ++step;
        }
        SamplePeak& peak = peaks[c];
        peak.nLow = INT16_MAX;
        peak.nHigh = INT16_MIN;
        for (std::uint64_t i = first; i < end; i += step) {
            const auto value =
                static_cast<std::int16_t>(samples[2 * i] | (samples[2 * i + 1] << 8));
            peak.nLow = std::min(peak.nLow, value);
            peak.nHigh = std::max(peak.nHigh, value);
        }
    }
    return peaks;
}

std::string CMulSound::ReadName(ByteSpan entry) {
    ByteSpan field = entry.first(std::min<std::size_t>(entry.size(), kNameSize));
    auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

bool WriteWave(CMMFile& f, CMulSound& s, std::uint32_t n) {
    if (s.GetData() == nullptr) {
        return false;
    }
    // The caller passes the entry length minus 32; never write more samples than are there.
    ByteSpan samples = s.GetSamples();
    if (n > samples.size() || n > 0x7FFFFFFFu) {
        return false;
    }
    MMChunkInfo form;
    if (f.CreateForm(form, kFourCCWave, kMMIOCreateRiff) != 0) {
        return false;
    }
    MMChunkInfo fmt;
    if (f.CreateChunkId(fmt, kFourCCFmt) != 0) {
        return false;
    }
    ByteWriter record;
    WaveFormat().Write(record);
    if (!f.MMWrite(record.data().data(), static_cast<std::int32_t>(record.size())) ||
        f.Ascend(fmt) != 0) {
        return false;
    }
    MMChunkInfo data;
    if (f.CreateChunkId(data, kFourCCData) != 0) {
        return false;
    }
    // A short sample write (a full disk or memory buffer) must not pass as a complete wave.
    if (!f.MMWrite(samples.data(), static_cast<std::int32_t>(n)) || f.Ascend(data) != 0) {
        return false;
    }
    return f.Ascend(form) == 0;
}

bool ReadWave(CMMFile& f, WaveFormat& format, std::vector<std::uint8_t>& samples) {
    MMChunkInfo form;
    form.fccType = kFourCCWave;
    if (f.Descend(form, nullptr, kMMIOFindRiff) != 0) {
        return false;
    }
    MMChunkInfo fmt;
    fmt.ckid = kFourCCFmt;
    if (f.Descend(fmt, &form, kMMIOFindChunk) != 0 || fmt.cksize < WaveFormat::kSize) {
        return false;
    }
    // An extensible format (tag 0xFFFE) names its real tag in the first word of a sub-format
    // GUID that ends as the base GUID does, 24 bytes after the record.
    constexpr std::size_t kExtensibleSize = WaveFormat::kSize + 24;
    constexpr std::uint8_t kBaseGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    std::uint8_t record[kExtensibleSize];
    const std::size_t size = fmt.cksize >= kExtensibleSize ? kExtensibleSize : WaveFormat::kSize;
    if (f.MMRead(record, static_cast<std::int32_t>(size)) != static_cast<std::int32_t>(size)) {
        return false;
    }
    ByteReader in(ByteSpan(record, size));
    if (!format.Read(in) || f.Ascend(fmt) != 0) {
        return false;
    }
    if (format.wFormatTag == 0xFFFE && size == kExtensibleSize &&
        std::equal(std::begin(kBaseGuidTail), std::end(kBaseGuidTail), record + 26)) {
        format.wFormatTag = static_cast<std::uint16_t>(record[24] | (record[25] << 8));
    }
    MMChunkInfo data;
    data.ckid = kFourCCData;
    if (f.Descend(data, &form, kMMIOFindChunk) != 0) {
        return false;
    }
    // The size is read from the data: check it against the bytes there before allocating.
    if (!FitsIn(data.dwDataOffset, data.cksize, f.GetLength()) || data.cksize > 0x7FFFFFFFu) {
        return false;
    }
    samples.assign(data.cksize, 0);
    return f.MMRead(samples.data(), static_cast<std::int32_t>(data.cksize)) ==
           static_cast<std::int32_t>(data.cksize);
}

bool IsSoundEntryFormat(const WaveFormat& format) {
    return format.wFormatTag == 1 && format.wBitsPerSample == 16 &&
           ((format.nChannels == 1 && format.nSamplesPerSec == 22050) ||
            (format.nChannels == 2 && format.nSamplesPerSec == 11025));
}

std::string ReadSoundWave(ByteSpan wave, std::vector<std::uint8_t>& samples) {
    constexpr const char* kUnread = "The wave cannot be read: it is no RIFF/WAVE file, or cut.";
    if (wave.empty() || wave.size() > kMaxSoundEntry) {
        return kUnread;
    }
    // The memory file needs writable memory of its own.
    std::vector<std::uint8_t> copy(wave.begin(), wave.end());
    MMOpenInfo info;
    info.fccIOProc = kFourCCMem;
    info.pchBuffer = copy.data();
    info.cchBuffer = static_cast<std::uint32_t>(copy.size());
    CMMFile f;
    WaveFormat format;
    if (!f.Open(nullptr, kMMIORead, &info) || !ReadWave(f, format, samples)) {
        return kUnread;
    }
    if (format.wFormatTag != 1 || format.wBitsPerSample != 16) {
        return Format(
            "Only wave files of 16-bit PCM samples can be stored as sounds; this one "
            "holds format %u, %u bits.",
            static_cast<unsigned>(format.wFormatTag), static_cast<unsigned>(format.wBitsPerSample));
    }
    if (!IsSoundEntryFormat(format)) {
        return Format(
            "The wave plays at %u Hz in %u channel(s); a sound is stored at 22050 Hz "
            "in one channel (or 11025 Hz in two, as \"Export...\" writes it), and "
            "would play at the wrong speed: convert the wave first.",
            static_cast<unsigned>(format.nSamplesPerSec), static_cast<unsigned>(format.nChannels));
    }
    return {};
}

std::vector<std::uint8_t> MakeWaveData(CMulSound& sound, bool* pWriteFailed) {
    if (pWriteFailed != nullptr) {
        *pWriteFailed = false;
    }
    // An entry shorter than its 32-byte name has no samples: nothing to make. (Taking the
    // length minus 32 regardless would wrap round to a buffer of some four gigabytes.)
    if (sound.GetData() == nullptr || sound.GetLength() < CMulSound::kNameSize) {
        return {};
    }
    const std::uint32_t n = sound.GetLength() - CMulSound::kNameSize;
    // The wave is 44 bytes of headers, the samples and a pad byte for an odd count.
    std::vector<std::uint8_t> block;
    try {
        block.resize(std::size_t{n} + 47);
    } catch (const std::bad_alloc&) {
        LogCaughtException("making wave data");
        return {};
    }
    MMOpenInfo info;
    info.fccIOProc = kFourCCMem;
    info.pchBuffer = block.data();
    info.cchBuffer = static_cast<std::uint32_t>(block.size());
    CMMFile file;
    if (!file.Open(nullptr, kMMIOAllocBuf | kMMIOCreate | kMMIOWrite, &info) ||
        !WriteWave(file, sound, n)) {
        if (pWriteFailed != nullptr) {
            *pWriteFailed = true;
        }
        return {};
    }
    block.resize(static_cast<std::size_t>(file.GetLength()));
    return block;
}

}  // namespace tessaly
