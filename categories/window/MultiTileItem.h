#pragma once
// The "Tile Item" dialog of the multi page: the rectangle and altitude to fill and the items to
// fill it with, and the components that fill it.

#include "MultiType.h"

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;

namespace tessaly {

// A decimal number typed by the user (leading blanks, a sign, digits; anything else ends it;
// nothing gives 0), truncated to 16 bits.
std::int16_t ReadDecimal16(const std::string& text);

// "Tile Item": the rectangle and altitude to fill and the items to fill it with.
class CMultiTileItem : public QDialog {
    Q_OBJECT

public:
    explicit CMultiTileItem(QWidget* pParent = nullptr);

    void accept() override;

    std::string m_sAltitude;  // 4069
    std::string m_sBottom;    // 4068
    std::string m_sItems;     // 4070
    std::string m_sLeft;      // 4065
    std::string m_sRight;     // 4066
    std::string m_sTop;       // 4067

    QLineEdit* GetEdit(int nId) const;
};

// The components that fill the rectangle of a "Tile Item" dialog, row by row, the items in
// repeating order. None, with the reason in error, without items or for more than
// kMaxImportComponents of them.
std::vector<MultiComponent> TileItems(const CMultiTileItem& dialog, std::string& error);

}  // namespace tessaly
