#include "MultiTileItem.h"

#include "ControlIds.h"
#include "Text.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

namespace tessaly {

// A decimal number typed by the user (leading blanks, a sign, digits; anything else ends it;
// nothing gives 0), truncated to 16 bits.
std::int16_t ReadDecimal16(const std::string& text) {
    return static_cast<std::int16_t>(std::strtol(text.c_str(), nullptr, 10));
}

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

CMultiTileItem::CMultiTileItem(QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QStringLiteral("Tile Item"));
    auto* form = new QFormLayout;
    for (auto [id, label] :
         {std::pair(ids::IDC_TILE_ITEM_ITEMS, "Item(s)"),
          std::pair(ids::IDC_TILE_ITEM_LEFT, "Left"), std::pair(ids::IDC_TILE_ITEM_RIGHT, "Right"),
          std::pair(ids::IDC_TILE_ITEM_TOP, "Top"), std::pair(ids::IDC_TILE_ITEM_BOTTOM, "Bottom"),
          std::pair(ids::IDC_TILE_ITEM_ALTITUDE, "Altitude")}) {
        auto* edit = ids::SetControlId(new QLineEdit(this), id);
        form->addRow(QString::fromLatin1(label), edit);
    }
    auto* note = new QLabel(QStringLiteral("When multiple items are specified, they will be placed "
                                           "from left to right, top to bottom, in repeating "
                                           "fashion."),
                            this);
    note->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addLayout(buttons);
}

QLineEdit* CMultiTileItem::GetEdit(int nId) const {
    return ids::FindControl<QLineEdit>(this, nId);
}

void CMultiTileItem::accept() {
    for (auto [id, member] : {std::pair(ids::IDC_TILE_ITEM_ALTITUDE, &m_sAltitude),
                              std::pair(ids::IDC_TILE_ITEM_BOTTOM, &m_sBottom),
                              std::pair(ids::IDC_TILE_ITEM_ITEMS, &m_sItems),
                              std::pair(ids::IDC_TILE_ITEM_LEFT, &m_sLeft),
                              std::pair(ids::IDC_TILE_ITEM_RIGHT, &m_sRight),
                              std::pair(ids::IDC_TILE_ITEM_TOP, &m_sTop)}) {
        *member = GetEdit(id)->text().toStdString();
    }
    QDialog::accept();
}

std::vector<MultiComponent> TileItems(const CMultiTileItem& dialog, std::string& error) {
    std::vector<std::string> items;
    for (std::string text = dialog.m_sItems; !text.empty();) {
        text = Trim(text);
        const std::size_t blank = text.find(' ');
        std::string item = text.substr(0, blank);
        text = blank == std::string::npos ? std::string() : text.substr(blank + 1);
        if (item.empty()) {
            break;
        }
        items.push_back(std::move(item));
    }
    if (items.empty()) {
        error = "Give at least one item number (hexadecimal) in \"Item(s)\".";
        return {};
    }
    std::int32_t left = ReadDecimal16(dialog.m_sLeft);
    std::int32_t right = ReadDecimal16(dialog.m_sRight);
    std::int32_t top = ReadDecimal16(dialog.m_sTop);
    std::int32_t bottom = ReadDecimal16(dialog.m_sBottom);
    const std::int16_t altitude = ReadDecimal16(dialog.m_sAltitude);
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    const auto count =
        static_cast<std::uint64_t>(right - left + 1) * static_cast<std::uint64_t>(bottom - top + 1);
    if (count > kMaxImportComponents) {
        error = Format("The rectangle holds %llu places; a multi takes at most %zu components.",
                       static_cast<unsigned long long>(count), kMaxImportComponents);
        return {};
    }
    std::vector<MultiComponent> components;
    std::size_t next = 0;
    for (std::int32_t y = top; y <= bottom; ++y) {
        for (std::int32_t x = left; x <= right; ++x) {
            MultiComponent c;
            c.m_wItem = static_cast<std::uint16_t>(ReadHex(items[next]));
            c.m_nX = static_cast<std::int16_t>(x);
            c.m_nY = static_cast<std::int16_t>(y);
            c.m_nZ = altitude;
            c.m_dwFlags = 1;
            components.push_back(c);
            next = (next + 1) % items.size();
        }
    }
    return components;
}

}  // namespace tessaly
