// tessaly-cli commands over the sounds: export one as a wave file, play one.

#include "Cli.h"
#include "DataExport.h"
#include "MulSound.h"
#include "TarnError.h"
#include "TarnSounds.h"
#include "Text.h"

#include <QJsonObject>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <ostream>
#include <thread>
#include <utility>

namespace tessaly::cli {
namespace {

// Loads a sound that has at least its name field; UsageError otherwise.
void LoadSound(CMulSound& sound, std::uint32_t id) {
    if (sound.GetData() == nullptr) {
        throw UsageError(Format("sound %u has no data", id));
    }
    if (sound.GetLength() < CMulSound::kNameSize) {
        throw UsageError(Format("sound %u is shorter than its name field", id));
    }
}

// Length as the sound list shows it: to the nearest tenth of a second.
std::string Duration(const CMulSound& sound) {
    const std::uint64_t tenths = SoundTenths(sound.GetSamples().size());
    return Format("%u.%u sec", static_cast<unsigned>(tenths / 10),
                  static_cast<unsigned>(tenths % 10));
}

int RunExportSound(Invocation& inv) {
    const std::uint32_t id = inv.Number(1, "sound id", 0xFFFF);
    const std::string& path = inv.OutputArg(2, "output file (.wav)");
    CMulSound sound(static_cast<std::uint16_t>(id));
    LoadSound(sound, id);
    const std::uint32_t n = sound.GetLength() - CMulSound::kNameSize;
    // The bytes Export... and the clipboard get.
    std::vector<std::uint8_t> wave = MakeWaveData(sound);
    if (wave.empty()) {
        throw UsageError(Format("sound %u: the wave could not be made", id));
    }
    CExportData data;
    data.AddBytes(std::move(wave));
    std::vector<ExportedFile> files;
    std::string error;
    if (!data.Write(path, files, error)) {
        throw UsageError(error);
    }
    const std::string name = CMulSound::ReadName(sound.GetBytes());
    if (inv.json) {
        QJsonObject o;
        o["sound"] = static_cast<qint64>(id);
        o["name"] = NameString(name);
        o["sampleBytes"] = static_cast<qint64>(n);
        o["waveBytes"] = static_cast<qint64>(44 + n + (n & 1));
        o["file"] = LocalString(path);
        inv.PrintJson(o);
    } else {
        *inv.out << Format("sound %u '%s': %u sample bytes (%s) written to ", id,
                           Latin1ToTerminal(name).c_str(), n, Duration(sound).c_str())
                 << path << '\n';
    }
    return 0;
}

int RunPlay(Invocation& inv) {
    const std::uint32_t id = inv.Number(0, "sound id", 0xFFFF);
    if (id == 0 || id == 0xFFFF) {
        throw UsageError("sound ids 0 and 65535 are not sounds (they stop every sound)");
    }
    CMulSound sound(static_cast<std::uint16_t>(id));
    LoadSound(sound, id);
    CTarnSounds& output = TheSounds();
    // The message below says what failed; the library's own error lines add nothing.
    ::setenv("ALSOFT_LOGLEVEL", "0", 0);
    try {
        output.Init(nullptr, CMapPoint(0, 0, 0, 0));
    } catch (const CTarnError&) {
        throw UsageError("no sound device: the sound output could not be opened");
    }
    // The device's own errors are the device's, not the file's.
    try {
        output.PlaySound(static_cast<std::uint16_t>(id), CMapPoint(0, 0, 0, 0), 0, true);
        if (output.m_Playing.IsEmpty()) {
            throw UsageError(Format("sound %u has no samples to play", id));
        }
        // Wait for the end of the sound; the device plays it in its own thread.
        CTarnSoundPlay* playing = output.m_Playing[0];
        while ((playing->GetStatus() & CTarnSoundPlay::kStatusPlaying) != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (const CTarnError& e) {
        if (e.m_nPriority != kSoundDeviceErrorPriority) {
            throw;  // a read of the file, said as such where the program ends
        }
        throw UsageError(std::string("the sound device failed: ") + e.m_pszDescription);
    }
    const std::string name = CMulSound::ReadName(sound.GetBytes());
    const std::string device = output.GetDeviceName();
    output.StopAll();
    if (inv.json) {
        QJsonObject o;
        o["sound"] = static_cast<qint64>(id);
        o["name"] = NameString(name);
        o["sampleBytes"] = static_cast<qint64>(sound.GetSamples().size());
        o["device"] = LocalString(device);
        inv.PrintJson(o);
    } else {
        *inv.out << Format("played sound %u '%s' (%s) on %s\n", id, Latin1ToTerminal(name).c_str(),
                           Duration(sound).c_str(), device.c_str());
    }
    return 0;
}

CommandRegistrar exportSound({"export", "sound ID FILE.wav",
                              "a sound as a RIFF/WAVE file (2 channels, 16 bits, 11025 Hz)", true,
                              RunExportSound, "sound"});
CommandRegistrar play({"play", "ID", "plays a sound on the sound device and waits for its end",
                       true, RunPlay});

}  // namespace
}  // namespace tessaly::cli
