#pragma once
// Where each body's frames come from: "anim.mul" (body n is slot n, its class by the number
// ranges) and "anim2.mul" ... "anim6.mul" through "Bodyconv.def", with the class of each slot,
// the action count and the "Body.def" redirects. Built from the index files read whole (no frame
// is read) and kept until one of the files changes.
//
// Further sources (the animation containers) plug in through CAnimSourceProvider: a provider
// adds its bodies' sources and reads their blocks in anim.mul's block format.

#include "BodyDefs.h"
#include "ClientFiles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

// How a source's class was decided.
enum class ClassBasis : std::uint8_t {
    Number,    // the slot's number range
    MobTypes,  // the body's type in "mobtypes.txt"
    Records,   // the number's class has no records there, another class has
};

// One place a body's frames lie.
struct BodySource {
    // 0 "anim.mul", 1 ... 5 "anim2.mul" ... "anim6.mul"; from kFirstProviderSource on, the
    // providers in the order they were added.
    std::uint32_t source = 0;
    std::uint32_t slot = 0;
    AnimClass cls = AnimClass::High;
    ClassBasis basis = ClassBasis::Number;
    // The index record of action 0, stored direction 0 (for index-backed sources).
    std::uint64_t firstRecord = 0;
    // The block holds records: false for a slot whose records are all empty or past the end of
    // its index.
    bool present = false;
    // Known without reading a frame: a record of an index-backed block (anim2.mul onward) whose
    // stretch lies outside its .mul, or a container entry of an action that lies outside its
    // container or cannot be read as its table states it. anim.mul's damage is the file set's.
    bool damaged = false;
    // The index is there but its .mul is not: the body's frames cannot be read.
    bool dataMissing = false;
};

inline constexpr std::uint32_t kFirstProviderSource = 1 + kBodyconvFiles;

struct BodyInfo {
    // Every source of the body: those with frames first (in source order), then the others.
    // The first is the one shown.
    std::vector<BodySource> sources;
    // From "Body.def": the bodies it is drawn as (first that exists) and the hue; empty targets
    // without a line.
    std::vector<std::uint32_t> redirect;
    std::uint32_t redirectHue = 0;

    bool HasFrames() const { return !sources.empty() && sources.front().present; }
};

class CAnimSources;

// A further source of frames. AddBodies adds a BodySource (with `source` set to the id it is
// given) to each body it provides; ReadBlock gives the frames of one action and stored direction
// (0-4) as an anim.mul block (palette, count, offsets, frames).
class CAnimSourceProvider {
public:
    virtual ~CAnimSourceProvider() = default;
    // The source's name as the list shows it ("AnimationFrame1.uop").
    virtual std::string Name(const BodySource& source) const = 0;
    virtual void AddBodies(CAnimSources& sources, std::uint32_t sourceId) = 0;
    virtual ReadStatus ReadBlock(const BodySource& source, std::uint32_t action,
                                 std::uint32_t storedDirection,
                                 std::vector<std::uint8_t>& block) = 0;
};

class CAnimSources {
public:
    // anim.idx and anim2.idx ... anim6.idx: "anim.idx", "anim2.idx" ...
    static std::string IndexName(std::uint32_t source);
    static std::string DataName(std::uint32_t source);

    // Reads the definition files and the index files of files' client directory. Makers of
    // further sources are called once per load, after the index-backed sources.
    void Load(CClientFiles& files);

    // The body's sources and redirect; null past kMaxBodies.
    const BodyInfo* Body(std::uint32_t body) const;
    BodyInfo* MutableBody(std::uint32_t body);
    // The data file's name of a source ("anim3.mul", or the provider's name).
    std::string SourceName(const BodySource& source) const;
    // The mobtypes.txt entry of a body, or null.
    const MobType* TypeOf(std::uint32_t body) const;
    bool HasMobTypes() const { return m_bMobTypes; }

    // Index files present (anim.idx always counts as source 0 when present).
    bool HasSource(std::uint32_t source) const;
    // Records of an index-backed source's index.
    std::uint64_t RecordCount(std::uint32_t source) const;
    // A slot of an index-backed file is free when its block under the number's class lies
    // inside the index, holds no record and no body uses the slot. False for a file that is not
    // there.
    bool IsSlotFree(std::uint32_t source, std::uint32_t slot) const;

    // The index record of a record number of an index-backed source; false when it lies past
    // the index or is empty (offset 0xFFFFFFFF or length 0).
    bool Record(std::uint32_t source, std::uint64_t record, IndexRecord& out) const;
    // The block of one action (below the source's action count) and stored direction (0-4).
    // anim.mul is read through the file set (patch records first); anim2 ... anim6 from their
    // own files, a record reaching past its file being Damaged; providers through ReadBlock.
    ReadStatus ReadBlock(const BodySource& source, std::uint32_t action,
                         std::uint32_t storedDirection, std::vector<std::uint8_t>& block) const;

    // Adds a maker of a further source; each Load makes and asks a fresh provider.
    using ProviderMaker = std::function<std::unique_ptr<CAnimSourceProvider>(CClientFiles&)>;
    static void AddProviderMaker(ProviderMaker maker);

private:
    struct IndexFile {
        std::string dataPath;
        std::vector<std::uint8_t> index;  // the whole index file
        std::uint64_t dataSize = 0;       // the .mul's size as loaded
        bool present = false;
    };

    bool BlockHasRecords(std::uint32_t source, AnimClass cls, std::uint32_t slot) const;
    bool BlockDamaged(std::uint32_t source, AnimClass cls, std::uint32_t slot) const;
    void AddIndexSource(std::uint32_t body, std::uint32_t source, std::uint32_t slot);

    std::array<IndexFile, kFirstProviderSource> m_Files;
    std::vector<BodyInfo> m_Bodies;
    std::map<std::uint32_t, MobType> m_MobTypes;
    bool m_bMobTypes = false;
    // Slots a Bodyconv line uses, per file.
    std::array<std::vector<bool>, kFirstProviderSource> m_Used;
    std::vector<std::unique_ptr<CAnimSourceProvider>> m_Providers;
    CClientFiles* m_pFiles = nullptr;
};

// The model of files' client, loaded on first use and again when a definition or index file
// changed on disk (checked when refresh is true; lists refresh once as they open).
std::shared_ptr<const CAnimSources> ClientAnimSources(CClientFiles& files, bool refresh);

}  // namespace tessaly
