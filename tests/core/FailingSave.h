#pragma once
// The real file system with one step of a safe save made to fail: creating the temporary file,
// a write (half of it reaches the disk first), the flush or the rename.

#include "SafeSave.h"

#include <cerrno>
#include <memory>
#include <string>

namespace tessaly::test {

class FailingSaveOps : public CSaveFileOps {
public:
    enum Step { None, CreateTempStep, WriteStep, FlushStep, RenameStep };
    Step nFail = None;
    std::string sRenamedFrom;

    std::unique_ptr<CQFile> NewFile() override { return std::make_unique<File>(nFail); }
    bool Rename(const std::string& from, const std::string& to) override {
        sRenamedFrom = from;
        return nFail != RenameStep && CSaveFileOps::Rename(from, to);
    }

private:
    class File : public CQFile {
    public:
        explicit File(Step fail) : m_nFail(fail) {}
        bool RawOpen(void* extra) override {
            return m_nFail != CreateTempStep && CQFile::RawOpen(extra);
        }
        void Write(const void* buffer, std::uint32_t count) override {
            if (m_nFail == WriteStep) {
                CQFile::Write(buffer, count / 2);
                throw CQFileException(CQFileException::kWriteFault, ENOSPC, GetFilePath());
            }
            CQFile::Write(buffer, count);
        }
        void Flush() override {
            if (m_nFail == FlushStep) {
                throw CQFileException(CQFileException::kWriteFault, EIO, GetFilePath());
            }
            CQFile::Flush();
        }

    private:
        Step m_nFail;
    };
};

}  // namespace tessaly::test
