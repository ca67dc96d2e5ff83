#include "MultiPages.h"

#include "CDataAppState.h"
#include "CDataPageDraw.h"
#include "CDataPageScript.h"
#include "ControlIds.h"
#include "EventLog.h"
#include "MultiComponentModel.h"
#include "MultiTileItem.h"
#include "Patch.h"
#include "PatchFormat.h"
#include "QFile.h"
#include "Resources.h"
#include "SurfaceDevice.h"
#include "Text.h"
#include "TileData.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace tessaly {

namespace {

constexpr int kScrollRange = 500;
constexpr std::uint64_t kMaxImportBytes = 64ull << 20;  // a larger text file is no import
constexpr const char* kChangeOneText = "You can only change one component at a time";

// Sets a flag for as long as it lives.
class QuietScope {
public:
    explicit QuietScope(bool& flag) : m_Flag(flag), m_bWas(flag) { m_Flag = true; }
    ~QuietScope() { m_Flag = m_bWas; }
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

private:
    bool& m_Flag;
    bool m_bWas;
};

}  // namespace

// ---- the page ----

CDataPageMultiDraw::CDataPageMultiDraw() : CDataPage(139, QStringLiteral("Image")) {
    using ids::SetControlId;
    auto button = [&](const char* text, int id, void (CDataPageMultiDraw::*handler)()) {
        auto* b = SetControlId(new QPushButton(QString::fromLatin1(text), this), id);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };

    // The picture with its scroll bars, the Z-clip and the counts.
    m_pPicture = new CPictureFrame(ids::IDC_MULTI_PICTURE, this);
    m_pPicture->setMinimumSize(340, 300);
    m_pPicture->m_Paint = [this](QPainter& painter, const QRect& area) {
        PaintPicture(painter, area);
    };
    m_pVertical = SetControlId(new QScrollBar(Qt::Vertical, this), ids::IDC_MULTI_VSCROLL);
    m_pHorizontal = SetControlId(new QScrollBar(Qt::Horizontal, this), ids::IDC_MULTI_HSCROLL);
    for (QScrollBar* bar : {m_pVertical, m_pHorizontal}) {
        bar->setRange(-kScrollRange, kScrollRange);
        bar->setPageStep(50);
        bar->setTracking(false);  // the picture follows once the thumb is let go
        connect(bar, &QScrollBar::valueChanged, m_pPicture, [this] { m_pPicture->update(); });
    }
    m_pVertical->setSingleStep(50);
    m_pHorizontal->setSingleStep(5);
    m_pZLow = SetControlId(new QLineEdit(QStringLiteral("-128"), this), ids::IDC_MULTI_Z_LOW);
    m_pZHigh = SetControlId(new QLineEdit(QStringLiteral("128"), this), ids::IDC_MULTI_Z_HIGH);
    m_pZLow->setMaximumWidth(56);
    m_pZHigh->setMaximumWidth(56);
    m_pObjects =
        SetControlId(new QLabel(QStringLiteral("0 objects"), this), ids::IDC_MULTI_OBJECTS);
    m_pRegion = SetControlId(new QLabel(QStringLiteral("MULTIREGION=0,0,0,0"), this),
                             ids::IDC_MULTI_REGION);

    auto* pictureGrid = new QGridLayout;
    pictureGrid->setSpacing(0);
    pictureGrid->addWidget(m_pPicture, 0, 0);
    pictureGrid->addWidget(m_pVertical, 0, 1);
    pictureGrid->addWidget(m_pHorizontal, 1, 0);
    auto* clip = new QHBoxLayout;
    clip->addWidget(new QLabel(QStringLiteral("Z-clip"), this));
    clip->addWidget(m_pZLow);
    clip->addWidget(new QLabel(QStringLiteral("to"), this));
    clip->addWidget(m_pZHigh);
    clip->addWidget(button("Clip It!", ids::IDC_MULTI_CLIP, &CDataPageMultiDraw::Changed));
    clip->addStretch(1);
    auto* counts = new QHBoxLayout;
    counts->addWidget(m_pObjects);
    counts->addStretch(1);
    counts->addWidget(m_pRegion);
    auto* left = new QVBoxLayout;
    left->addLayout(pictureGrid, 1);
    left->addLayout(clip);
    left->addLayout(counts);

    // The components and the commands that edit them.
    auto* group = new QGroupBox(QStringLiteral("Components"), this);
    group->setMaximumWidth(300);
    m_pModel = new CMultiComponentModel(this);
    m_pList = SetControlId(new QListView(group), ids::IDC_MULTI_LIST);
    m_pList->setModel(m_pModel);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A line wider than the list ends in an ellipsis; its tooltip shows it whole.
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setItemDelegate(new CMultiComponentDelegate(m_pList));
    // Only the user's selections notify, as list boxes do; the commands select quietly.
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_bQuiet) {
            OnSelectionChanged();
        }
    });
    m_pTileId = SetControlId(new QLineEdit(group), ids::IDC_MULTI_TILE_ID);
    m_pXEdit = SetControlId(new QLineEdit(group), ids::IDC_MULTI_X);
    m_pYEdit = SetControlId(new QLineEdit(group), ids::IDC_MULTI_Y);
    m_pZEdit = SetControlId(new QLineEdit(group), ids::IDC_MULTI_Z);
    m_pVisible =
        SetControlId(new QCheckBox(QStringLiteral("Visible"), group), ids::IDC_MULTI_VISIBLE);
    m_pVisible->setLayoutDirection(Qt::RightToLeft);  // the text on the left
    m_pDirectionPad = SetControlId(new QLabel(group), ids::IDC_MULTI_DIRECTION_PAD);
    m_pDirectionPad->setPixmap(LoadResourceBitmap(158));
    m_pUpDownPad = SetControlId(new QLabel(group), ids::IDC_MULTI_UP_DOWN_PAD);
    m_pUpDownPad->setPixmap(LoadResourceBitmap(159));

    auto* listButtons = new QGridLayout;
    listButtons->addWidget(
        button("Import...", ids::IDC_MULTI_IMPORT, &CDataPageMultiDraw::OnImport), 0, 0);
    listButtons->addWidget(
        button("Remove Selected", ids::IDC_MULTI_REMOVE, &CDataPageMultiDraw::OnRemoveSelected), 0,
        1);
    listButtons->addWidget(
        button("Select All", ids::IDC_MULTI_SELECT_ALL, &CDataPageMultiDraw::OnSelectAll), 1, 0);
    listButtons->addWidget(
        button("Move to top of list", ids::IDC_MULTI_TOP, &CDataPageMultiDraw::OnMoveToTop), 1, 1);
    auto* fields = new QGridLayout;
    int row = 0;
    for (auto [edit, label] : {std::pair(m_pTileId, "Tile ID"), std::pair(m_pXEdit, "X Offset"),
                               std::pair(m_pYEdit, "Y Offset"), std::pair(m_pZEdit, "Z Offset")}) {
        fields->addWidget(new QLabel(QString::fromLatin1(label), group), row / 2, (row % 2) * 2);
        fields->addWidget(edit, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    auto* edits = new QHBoxLayout;
    edits->addWidget(m_pVisible);
    edits->addStretch(1);
    edits->addWidget(m_pDirectionPad);
    edits->addWidget(m_pUpDownPad);
    auto* editButtons = new QHBoxLayout;
    editButtons->addWidget(button("Add New", ids::IDC_MULTI_ADD, &CDataPageMultiDraw::OnAddNew));
    editButtons->addWidget(
        button("Change Selected", ids::IDC_MULTI_CHANGE, &CDataPageMultiDraw::OnChangeSelected));
    editButtons->addWidget(
        button("Tile Item...", ids::IDC_MULTI_TILE_ITEM, &CDataPageMultiDraw::OnTileItem));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_pList, 1);
    groupLayout->addLayout(listButtons);
    groupLayout->addLayout(fields);
    groupLayout->addLayout(edits);
    groupLayout->addLayout(editButtons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addLayout(left, 1);
    layout->addWidget(group);
}

void CDataPageMultiDraw::MembersToControls() {
    m_pTileId->setText(QString::fromStdString(m_sTileId));
    m_pXEdit->setText(QString::fromStdString(m_sX));
    m_pYEdit->setText(QString::fromStdString(m_sY));
    m_pZEdit->setText(QString::fromStdString(m_sZ));
    m_pVisible->setChecked(m_bVisible != 0);
}

void CDataPageMultiDraw::ControlsToMembers() {
    m_sTileId = m_pTileId->text().toStdString();
    m_sX = m_pXEdit->text().toStdString();
    m_sY = m_pYEdit->text().toStdString();
    m_sZ = m_pZEdit->text().toStdString();
    m_bVisible = m_pVisible->isChecked() ? 1 : 0;
}

int CDataPageMultiDraw::LoadData() {
    const QuietScope quiet(m_bQuiet);
    auto* multi = dynamic_cast<CDataDefMulti*>(GetDataDef());
    if (multi == nullptr) {
        return 1;
    }
    MultiSource source = MultiSource::Files;
    const std::vector<MultiComponent> components =
        LoadMultiComponents(multi->GetBlock(), DataAppState().m_pPatch, &source);
    // The files' damage counts only when the page shows the files' multi.
    m_bDamaged =
        source == MultiSource::DamagedPatch ||
        (source == MultiSource::Files && components.empty() &&
         multi->QueryReadStatus("asking whether a multi is damaged") == ReadStatus::Damaged);
    m_pModel->SetComponents(components, GetMultiRecordSize(multi->Files()), multi->Files());
    m_pList->clearSelection();
    for (QScrollBar* bar : {m_pVertical, m_pHorizontal}) {
        bar->setRange(-kScrollRange, kScrollRange);
        bar->setValue(0);
    }
    m_pZHigh->setText(QStringLiteral("128"));
    m_pZLow->setText(QStringLiteral("-128"));
    update();
    m_pPicture->update();
    return CDataPage::LoadData();
}

int CDataPageMultiDraw::SaveData() {
    auto* multi = dynamic_cast<CDataDefMulti*>(GetDataDef());
    CPatch* patch = DataAppState().m_pPatch;
    if (multi == nullptr || patch == nullptr) {
        return 1;
    }
    patch->InsertPatchRecord(
        WriteMultiComponents(GetComponents(), GetMultiRecordSize(multi->Files())), kPatchTypeMulti,
        multi->GetIndex());
    return 0;
}

std::vector<MultiComponent> CDataPageMultiDraw::GetComponents() const {
    return m_pModel->GetComponents();
}

QWidget* CDataPageMultiDraw::GetPicture() const {
    return m_pPicture;
}

QString CDataPageMultiDraw::GetObjectText() const {
    return m_pObjects->text();
}

QString CDataPageMultiDraw::GetRegionText() const {
    return m_pRegion->text();
}

std::vector<int> CDataPageMultiDraw::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_pList->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CDataPageMultiDraw::SelectRow(int row) {
    // As a list widget's current row does: the row joins the selection and becomes current.
    m_pList->selectionModel()->setCurrentIndex(m_pModel->index(row),
                                               QItemSelectionModel::SelectCurrent);
}

MultiComponent CDataPageMultiDraw::FromFields() const {
    MultiComponent c;
    c.m_wItem = static_cast<std::uint16_t>(ReadHex(m_sTileId));
    c.m_nX = ReadDecimal16(m_sX);
    c.m_nY = ReadDecimal16(m_sY);
    c.m_nZ = ReadDecimal16(m_sZ);
    c.m_dwFlags = m_bVisible != 0 ? 1 : 0;
    return c;
}

void CDataPageMultiDraw::ClearFields() {
    m_sTileId.clear();
    m_sX.clear();
    m_sY.clear();
    m_sZ.clear();
    m_bVisible = 0;
    MembersToControls();
}

void CDataPageMultiDraw::EnableFields(bool bEnable) {
    if (!bEnable) {
        ClearFields();
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_pTileId, m_pXEdit, m_pYEdit, m_pZEdit, m_pVisible}) {
        w->setEnabled(bEnable);
    }
}

void CDataPageMultiDraw::Changed() {
    update();
    m_pPicture->update();
}

void CDataPageMultiDraw::OnAddNew() {
    const QuietScope quiet(m_bQuiet);
    m_pList->clearSelection();
    ControlsToMembers();
    m_pModel->Append({FromFields()});
    SelectRow(m_pModel->rowCount() - 1);
    SetModified(true);
    Changed();
}

void CDataPageMultiDraw::OnChangeSelected() {
    const QuietScope quiet(m_bQuiet);
    if (SelectedRows().size() >= 2) {
        DataAppState().Ui().ShowMessage(kChangeOneText);
        return;
    }
    const QModelIndex line = m_pList->currentIndex();
    if (!line.isValid()) {
        ClearFields();
        return;
    }
    ControlsToMembers();
    m_pModel->SetComponent(line.row(), FromFields());
    m_pList->selectionModel()->select(line, QItemSelectionModel::Select);
    SetModified(true);
    Changed();
}

void CDataPageMultiDraw::OnRemoveSelected() {
    const QuietScope quiet(m_bQuiet);
    const std::vector<int> rows = SelectedRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        m_pModel->removeRow(*row);
    }
    SetModified(true);
    Changed();
}

void CDataPageMultiDraw::OnSelectAll() {
    const QuietScope quiet(m_bQuiet);
    m_pList->selectAll();
    EnableFields(m_pModel->rowCount() < 2);
}

void CDataPageMultiDraw::OnMoveToTop() {
    const QuietScope quiet(m_bQuiet);
    if (SelectedRows().size() != 1 || !m_pList->currentIndex().isValid()) {
        return;
    }
    m_pModel->MoveToTop(m_pList->currentIndex().row());
    m_pList->clearSelection();
    SelectRow(0);
    SetModified(true);
}

void CDataPageMultiDraw::OnSelectionChanged() {
    if (SelectedRows().size() >= 2) {
        EnableFields(false);
        return;
    }
    const QModelIndex line = m_pList->currentIndex();
    if (!line.isValid()) {
        ClearFields();
        return;
    }
    EnableFields(true);
    const MultiComponent c = m_pModel->GetComponent(line.row());
    m_sTileId = Format("0%x", c.m_wItem);
    m_sX = Format("%ld", static_cast<long>(c.m_nX));
    m_sY = Format("%ld", static_cast<long>(c.m_nY));
    m_sZ = Format("%ld", static_cast<long>(c.m_nZ));
    m_bVisible = c.m_dwFlags != 0 ? 1 : 0;
    MembersToControls();
}

void CDataPageMultiDraw::OnImport() {
    const QuietScope quiet(m_bQuiet);
    PatchFileDialog dialog;
    dialog.bHideReadOnly = true;
    dialog.pFilter = "";
    const std::optional<std::string> path = DataAppState().Ui().ChooseFile(dialog);
    if (!path) {
        return;
    }
    // The checked file refuses a FIFO or device instead of waiting on it.
    CQFile file;
    if (!file.Open(path->c_str(), CQFile::modeRead)) {
        DataAppState().Ui().ShowMessage("Unable to open file");
        return;
    }
    const std::uint64_t size = file.GetLength();
    if (size > kMaxImportBytes) {
        DataAppState().Ui().ShowMessage("The file is too large to be a multi import file.");
        return;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    text.resize(file.Read(text.data(), static_cast<std::uint32_t>(size)));
    const MultiImport import = ParseMultiImport(text);
    if (!import.error.empty()) {
        DataAppState().Ui().ShowMessage(import.error);
    }
    m_pModel->Append(import.components);
    Changed();
    SetModified(true);
}

void CDataPageMultiDraw::OnTileItem() {
    const QuietScope quiet(m_bQuiet);
    CMultiTileItem dialog(this);
    if (!DataAppState().Ui().RunDialog(dialog)) {
        return;
    }
    std::string error;
    const std::vector<MultiComponent> added = TileItems(dialog, error);
    if (!error.empty()) {
        DataAppState().Ui().ShowMessage(error);
        return;
    }
    const int first = m_pModel->rowCount();
    m_pModel->Append(added);
    m_pList->selectionModel()->select(
        QItemSelection(m_pModel->index(first), m_pModel->index(m_pModel->rowCount() - 1)),
        QItemSelectionModel::Select);
    EnableFields(added.size() == 1);
    SetModified(true);
    Changed();
}

bool CDataPageMultiDraw::OnNudge(const QPoint& p) {
    // Screen steps of the direction pad's cells 1 to 9, left to right, top to bottom.
    static constexpr int kDx[9] = {-1, -1, 0, -1, 0, 1, 0, 1, 1};
    static constexpr int kDy[9] = {0, -1, -1, 1, 0, -1, 1, 1, 0};
    int dx = 0, dy = 0, dz = 0;
    const QRect pad(m_pDirectionPad->mapTo(this, QPoint(0, 0)), m_pDirectionPad->size());
    const QRect upDown(m_pUpDownPad->mapTo(this, QPoint(0, 0)), m_pUpDownPad->size());
    if (pad.contains(p) && pad.width() >= 3 && pad.height() >= 3) {
        const int c = std::min((p.x() - pad.left()) / (pad.width() / 3), 2) + 1;
        const int r = std::min((p.y() - pad.top()) / (pad.height() / 3), 2);
        dx = kDx[c + 3 * r - 1];
        dy = kDy[c + 3 * r - 1];
    }
    if (upDown.contains(p) && upDown.height() >= 2) {
        dz = (p.y() - upDown.top()) / (upDown.height() / 2) == 0 ? 1 : -1;
    }
    if (dx == 0 && dy == 0 && dz == 0) {
        return false;
    }
    const QuietScope quiet(m_bQuiet);
    for (const int row : SelectedRows()) {
        MultiComponent c = m_pModel->GetComponent(row);
        c.m_nX = static_cast<std::int16_t>(c.m_nX + dx);
        c.m_nY = static_cast<std::int16_t>(c.m_nY + dy);
        c.m_nZ = static_cast<std::int16_t>(c.m_nZ + dz);
        m_pModel->SetComponent(row, c);
    }
    SetModified(true);
    Changed();
    return true;
}

void CDataPageMultiDraw::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !OnNudge(event->position().toPoint())) {
        CDataPage::mousePressEvent(event);
    }
}

void CDataPageMultiDraw::PaintPicture(QPainter& painter, const QRect& area) {
    const std::vector<MultiComponent> components = GetComponents();
    // An empty page of a damaged multi is not an empty multi: it says so.
    m_pObjects->setText(
        QString::asprintf("%ld objects", static_cast<long>(components.size())) +
        (m_bDamaged ? QStringLiteral(" (the multi's data is damaged)") : QString()));
    EnableFields(m_pList->selectionModel()->selectedIndexes().size() <= 1);
    const CMultiComposition composition(
        components, GetDataDef() != nullptr ? GetDataDef()->Files() : TheClientFiles());
    const CQRect& region = composition.GetRegion();
    m_pRegion->setText(
        QString::asprintf("MULTIREGION=%ld,%ld,%ld,%ld", static_cast<long>(region.left),
                          static_cast<long>(region.top), static_cast<long>(region.right),
                          static_cast<long>(region.bottom)));
    if (area.isEmpty()) {
        m_Buffer.Release();
        return;
    }
    if (!m_Buffer.CreateBuffer(static_cast<std::uint32_t>(area.width()),
                               static_cast<std::uint32_t>(area.height()), 4)) {
        m_Buffer.ClearBuffer();  // the same size again, or too wide to get memory
    }
    if (m_Buffer.GetData() == nullptr) {
        return;
    }
    const std::int32_t low =
        static_cast<std::int32_t>(std::strtol(m_pZLow->text().toStdString().c_str(), nullptr, 10));
    const std::int32_t high =
        static_cast<std::int32_t>(std::strtol(m_pZHigh->text().toStdString().c_str(), nullptr, 10));
    {
        CSurfaceDC dc(m_Buffer);
        composition.Draw(dc, area.width() / 2 - m_pHorizontal->value(),
                         area.height() * 3 / 5 - m_pVertical->value(), low, high);
    }
    // Where no item is drawn the page's background (or the checkerboard) shows.
    PaintPictureBackground(painter, area);
    painter.drawImage(area.topLeft(), TransparentImage(m_Buffer));
}

}  // namespace tessaly
