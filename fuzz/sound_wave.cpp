// Reading RIFF/WAVE data back from a memory file: the wave reader, the 16-bit PCM reader that
// takes replacement sounds, and a walk over every chunk with Descend/Ascend. Nothing may read
// outside the input or allocate more than it holds.

#include "MMFile.h"
#include "MulSound.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> pcm;
    if (ReadSoundWave(ByteSpan(data, size), pcm).empty() && pcm.size() > size) {
        std::abort();
    }
    std::vector<std::uint8_t> buffer(data, data + size);
    MMOpenInfo info;
    info.fccIOProc = kFourCCMem;
    info.pchBuffer = buffer.data();
    info.cchBuffer = static_cast<std::uint32_t>(buffer.size());
    CMMFile f;
    if (buffer.empty() || !f.Open(nullptr, kMMIORead, &info)) {
        return 0;
    }
    WaveFormat format;
    std::vector<std::uint8_t> samples;
    if (ReadWave(f, format, samples) && samples.size() > size) {
        std::abort();
    }
    // Every chunk at the top level and one level into forms and lists.
    f.Seek(0, CQFile::begin);
    for (int top = 0; top < 64; ++top) {
        MMChunkInfo ck;
        if (f.Descend(ck, nullptr, 0) != 0) {
            break;
        }
        if (ck.ckid == kFourCCRiff || ck.ckid == kFourCCList) {
            for (int inner = 0; inner < 64; ++inner) {
                MMChunkInfo sub;
                if (f.Descend(sub, &ck, 0) != 0) {
                    break;
                }
                std::uint8_t head[8];
                f.MMRead(head, sizeof head);
                if (f.Ascend(sub) != 0) {
                    break;
                }
            }
        }
        if (f.Ascend(ck) != 0) {
            break;
        }
    }
    return 0;
}
