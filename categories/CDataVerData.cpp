#include "CDataVerData.h"

#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "Text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessaly {

CDataVerData::CDataVerData(const CUOVersionBlock& record, CVerDataSource* pSource)
    : CDataDef(record.GetKey()), m_Record(record), m_pSource(pSource) {}

CDataVerData::CDataVerData(std::uint32_t nKey, CDataDef* pTarget)
    : CDataDef(nKey), m_pTarget(pTarget) {}

CDataVerData::CDataVerData(const CUOVersionBlock& change, std::vector<std::uint8_t> bytes)
    : CDataDef(change.GetKey()), m_Change(change), m_ChangeBytes(std::move(bytes)) {
    m_Change->m_dwOffset = 0;
    m_Change->m_dwLength = static_cast<std::uint32_t>(m_ChangeBytes.size());
}

// The target goes first so that sheets showing it close while this record still exists.
CDataVerData::~CDataVerData() {
    m_pTarget.reset();
}

std::string CDataVerData::GetListText() {
    if (!m_Record) {
        return "Mem Change";
    }
    const CUOVersionBlock& r = *m_Record;
    std::string file = FileIdName(r.m_dwFileId);
    if (r.m_dwLength == 0) {
        return Format("%s\t0%lx\tdelete", file.c_str(), static_cast<unsigned long>(r.m_dwBlock));
    }
    return Format("%s\t0%lx\t0%lx\t%d\t0%x,0%x", file.c_str(),
                  static_cast<unsigned long>(r.m_dwBlock), static_cast<unsigned long>(r.m_dwOffset),
                  static_cast<int>(r.m_dwLength), r.m_wExtra1, r.m_wExtra2);
}

bool CDataVerData::CopyData() {
    CDataDef* target = GetTarget();
    if (target == nullptr) {
        return false;
    }
    ActivatePatch();
    return target->CopyData();
}

bool CDataVerData::WriteVerData(CQFile& file, CUOVersionBlock& record) {
    if (m_Change) {
        const std::uint32_t offset = record.m_dwOffset;
        record = *m_Change;
        record.m_dwOffset = offset;
        file.Write(m_ChangeBytes.data(), static_cast<std::uint32_t>(m_ChangeBytes.size()));
        return true;
    }
    const std::uint64_t start = file.GetPosition();
    CDataDef* target = GetTarget();
    if (target != nullptr && target->WriteVerData(file, record)) {
        return true;
    }
    // Kinds that do not write themselves, and records whose data the entry cannot load (a
    // deletion, say), go over unchanged: the record and its bytes as the opened file holds them.
    // A record the entry began to write cannot be taken back.
    if (!m_Record || file.GetPosition() != start) {
        return false;
    }
    return CopySourceRecord(file, record);
}

bool CDataVerData::CopySourceRecord(CQFile& file, CUOVersionBlock& record) const {
    const std::uint32_t offset = record.m_dwOffset;
    record = *m_Record;
    record.m_dwOffset = offset;
    if (record.m_dwLength == 0) {
        return true;
    }
    ActivatePatch();
    CClientFiles& files = TheClientFiles();
    if (!files.OpenSlot(kSlotVerData)) {
        return false;
    }
    CQFile& source = files.GetFile(kSlotVerData);
    if (!FitsIn(m_Record->m_dwOffset, m_Record->m_dwLength, source.GetLength())) {
        return false;  // the opened file does not hold the record's bytes
    }
    std::vector<std::uint8_t> bytes(m_Record->m_dwLength);
    source.Seek(m_Record->m_dwOffset, CQFile::begin);
    if (source.Read(bytes.data(), m_Record->m_dwLength) != m_Record->m_dwLength) {
        return false;
    }
    file.Write(bytes.data(), m_Record->m_dwLength);
    return true;
}

std::int32_t CDataVerData::GetTargetType() {
    if (m_pTarget) {
        return m_pTarget->GetDataType();
    }
    const CUOVersionBlock* replaced = GetReplaced();
    if (replaced == nullptr) {
        return 0;
    }
    return GetCategoryOfRecord(replaced->m_dwFileId, replaced->m_dwBlock);
}

const CUOVersionBlock* CDataVerData::GetReplaced() const {
    return m_Record ? &*m_Record : GetChange();
}

IndexRecord CDataVerData::GetChangeIndex() const {
    IndexRecord index;
    index.m_dwOffset = 0;
    index.m_dwLength = static_cast<std::uint32_t>(m_ChangeBytes.size());
    if (m_Change) {
        index.m_wExtra1 = m_Change->m_wExtra1;
        index.m_wExtra2 = m_Change->m_wExtra2;
    }
    return index;
}

bool CDataVerData::AddPages(CDataProps* pSheet) {
    pSheet->AddPage(new CDataPageVerData);
    if (CDataDef* target = GetTarget()) {
        target->AddPages(pSheet);
    }
    return false;
}

bool CDataVerData::MakeTarget() {
    if (m_pTarget) {
        return true;
    }
    const CUOVersionBlock* replaced = GetReplaced();
    if (replaced == nullptr) {
        return false;
    }
    std::int32_t type = GetTargetType();
    std::uint32_t index = replaced->m_dwBlock;
    if (type == kCategoryItems) {
        index -= kArtItemBase;
    }
    m_pTarget.reset(CreateDataDef(type, index));
    if (!m_pTarget) {
        return false;
    }
    m_pTarget->SetVerData(this);
    return true;
}

CDataDef* CDataVerData::GetTarget() {
    return MakeTarget() ? m_pTarget.get() : nullptr;
}

void CDataVerData::ActivatePatch() const {
    if (m_pSource != nullptr) {
        m_pSource->ActivatePatch();
    }
}

std::string FileIdName(std::uint32_t nFileId) {
    const char* name = nFileId < kFileSlotCount
                           ? CClientFiles::GetFileName(static_cast<std::int32_t>(nFileId))
                           : nullptr;
    std::string text = name != nullptr ? std::string(name) : Format("?Unk0%x", nFileId);
    if (nFileId >= 17 && nFileId <= 29) {
        text = "?" + text;
    }
    return text;
}

std::string VerDataSizeText(std::uint32_t nFileId) {
    std::uint32_t max = 0;
    for (int row = 0; row < kCategoryCount; ++row) {
        const DataTypeDef& def = GetTypeDefAt(row);
        if (static_cast<std::uint32_t>(def.m_nDataFile) == nFileId) {
            max = nFileId == kSlotArt ? 2 * kArtItemBase : def.m_nMaxEntries;
        }
    }
    if (max == 1) {
        return "Variable Amount";
    }
    if (max == 0) {
        return "Not Valid";
    }
    return Format("Max Blocks %d", static_cast<int>(max));
}

CDataPageVerData::CDataPageVerData() : CDataPage(131, QStringLiteral("VerData")) {
    m_pType = new QComboBox(this);
    m_pType->setObjectName(QStringLiteral("4010"));
    m_pIndex = new QLineEdit(this);
    m_pIndex->setObjectName(QStringLiteral("4009"));
    m_pSize = new QLabel(this);
    m_pSize->setObjectName(QStringLiteral("4014"));
    m_pPos = new QLabel(this);
    m_pPos->setObjectName(QStringLiteral("4005"));
    m_pLength = new QLabel(this);
    m_pLength->setObjectName(QStringLiteral("4006"));
    m_pMore1 = new QLineEdit(this);
    m_pMore1->setObjectName(QStringLiteral("4012"));
    m_pMore2 = new QLineEdit(this);
    m_pMore2->setObjectName(QStringLiteral("4013"));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Type"), m_pType);
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(m_pIndex);
    indexRow->addWidget(m_pSize);
    form->addRow(QStringLiteral("Index"), indexRow);
    form->addRow(QStringLiteral("File Position"), m_pPos);
    form->addRow(QStringLiteral("File Size"), m_pLength);
    form->addRow(QStringLiteral("More1"), m_pMore1);
    form->addRow(QStringLiteral("More2"), m_pMore2);

    for (QLineEdit* edit : {m_pIndex, m_pMore1, m_pMore2}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { OnChange(); });
    }
    connect(m_pType, &QComboBox::currentIndexChanged, this, [this] { OnTypeChanged(); });
}

int CDataPageVerData::LoadData() {
    auto* entry = dynamic_cast<CDataVerData*>(m_pEntry);
    if (entry == nullptr || !entry->HasRecord()) {
        return 1;
    }
    const CUOVersionBlock& r = *entry->GetRecord();
    m_bLoading = true;
    m_pType->clear();
    for (std::uint32_t id = 0; id < kFileSlotCount; ++id) {
        m_pType->addItem(QString::fromStdString(FileIdName(id)));
    }
    m_nType = static_cast<int>(r.m_dwFileId);
    m_pType->setCurrentIndex(m_nType < kFileSlotCount ? m_nType : -1);
    m_bLoading = false;
    m_sSize = QString::fromStdString(VerDataSizeText(r.m_dwFileId));
    m_sIndex = QString::fromStdString(Format("0%lx", static_cast<unsigned long>(r.m_dwBlock)));
    m_sPos = QString::fromStdString(Format("0%lx", static_cast<unsigned long>(r.m_dwOffset)));
    m_sLength = QString::fromStdString(Format("%d", static_cast<int>(r.m_dwLength)));
    m_sMore1 = QString::fromStdString(Format("0%x", r.m_wExtra1));
    m_sMore2 = QString::fromStdString(Format("0%x", r.m_wExtra2));
    return CDataPage::LoadData();
}

int CDataPageVerData::SaveData() {
    return dynamic_cast<CDataVerData*>(m_pEntry) ? 0 : 1;
}

void CDataPageVerData::MembersToControls() {
    m_bLoading = true;
    m_pType->setCurrentIndex(m_nType < kFileSlotCount ? m_nType : -1);
    m_bLoading = false;
    m_pIndex->setText(m_sIndex);
    m_pSize->setText(m_sSize);
    m_pPos->setText(m_sPos);
    m_pLength->setText(m_sLength);
    m_pMore1->setText(m_sMore1);
    m_pMore2->setText(m_sMore2);
}

void CDataPageVerData::ControlsToMembers() {
    m_nType = m_pType->currentIndex();
    m_sIndex = m_pIndex->text();
    m_sMore1 = m_pMore1->text();
    m_sMore2 = m_pMore2->text();
}

void CDataPageVerData::OnTypeChanged() {
    if (m_bLoading) {
        return;
    }
    ControlsToMembers();
    if (m_nType >= 0) {
        m_sSize = QString::fromStdString(VerDataSizeText(static_cast<std::uint32_t>(m_nType)));
        m_pSize->setText(m_sSize);
    }
    OnChange();
}

}  // namespace tessaly
