#include "MMFile.h"

namespace tessaly {

CMMFile::~CMMFile() {
    Close();
}

std::uint64_t CMMFile::GetPosition() const {
    if (m_hMMIO == nullptr) {
        return 0;
    }
    std::int32_t pos = m_hMMIO->Seek(0, current);
    return pos < 0 ? 0 : static_cast<std::uint64_t>(pos);
}

std::int64_t CMMFile::Seek(std::int64_t offset, int origin) {
    if (m_hMMIO == nullptr || offset < INT32_MIN || offset > INT32_MAX) {
        return -1;
    }
    return m_hMMIO->Seek(static_cast<std::int32_t>(offset), origin);
}

std::uint64_t CMMFile::GetLength() const {
    return m_hMMIO == nullptr ? 0 : m_hMMIO->Length();
}

bool CMMFile::RawOpen(void* extra) {
    const char* path = m_strFileName.empty() ? nullptr : m_strFileName.c_str();
    m_hMMIO =
        MMIOStream::Open(path, static_cast<const MMOpenInfo*>(extra), m_uMode & ~kOwnModeBits);
    return m_hMMIO != nullptr;
}

void CMMFile::RawClose() {
    if (m_hMMIO != nullptr) {
        m_hMMIO->Close();
    }
    m_hMMIO.reset();
}

bool CMMFile::ShareHandle(CQFile& other) {
    auto* mm = dynamic_cast<CMMFile*>(&other);
    if (mm == nullptr) {
        return false;
    }
    m_hMMIO = mm->m_hMMIO;
    return true;
}

void CMMFile::ForgetHandle() {
    m_hMMIO.reset();
}

std::int32_t CMMFile::MMRead(void* buffer, std::int32_t count) {
    return m_hMMIO == nullptr ? -1 : m_hMMIO->Read(buffer, count);
}

bool CMMFile::MMWrite(const void* buffer, std::int32_t count) {
    return m_hMMIO != nullptr && m_hMMIO->Write(buffer, count) == count;
}

std::uint32_t CMMFile::CreateChunk(MMChunkInfo& ck, std::uint32_t flags) {
    return m_hMMIO == nullptr ? kMMIOErrCannotWrite : m_hMMIO->CreateChunk(ck, flags);
}

std::uint32_t CMMFile::CreateForm(MMChunkInfo& ck, FourCC formType, std::uint32_t flags) {
    ck.fccType = formType;
    return CreateChunk(ck, flags);
}

std::uint32_t CMMFile::CreateChunkId(MMChunkInfo& ck, FourCC id) {
    ck.ckid = id;
    return CreateChunk(ck, 0);
}

std::uint32_t CMMFile::Ascend(MMChunkInfo& ck) {
    return m_hMMIO == nullptr ? kMMIOErrCannotSeek : m_hMMIO->Ascend(ck, 0);
}

std::uint32_t CMMFile::Descend(MMChunkInfo& ck, const MMChunkInfo* parent, std::uint32_t flags) {
    return m_hMMIO == nullptr ? kMMIOErrCannotRead : m_hMMIO->Descend(ck, parent, flags);
}

}  // namespace tessaly
