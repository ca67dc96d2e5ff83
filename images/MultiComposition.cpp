#include "MultiComposition.h"

#include "EventLog.h"
#include "Text.h"
#include "TileData.h"

#include <algorithm>

namespace tessaly {

CMultiComposition::CMultiComposition(const std::vector<MultiComponent>& components,
                                     CClientFiles& files)
    : m_pFiles(&files) {
    for (const MultiComponent& c : components) {
        if (c.m_nX < m_Region.left) {
            m_Region.left = c.m_nX;
        }
        if (c.m_nY < m_Region.top) {
            m_Region.top = c.m_nY;
        }
        if (c.m_nX >= m_Region.right) {
            m_Region.right = c.m_nX + 1;
        }
        if (c.m_nY >= m_Region.bottom) {
            m_Region.bottom = c.m_nY + 1;
        }
    }
    // The cells that hold components, row by row and left to right; a map, because the region
    // of a damaged multi can span billions of empty cells. Each component's key is read once,
    // so a damaged multi of many components on one cell costs a sort, not a walk per component.
    struct Keyed {
        MultiComponent component;
        std::int32_t key;
        bool keyed;
    };
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<Keyed>> cells;
    for (const MultiComponent& c : components) {
        std::vector<Keyed>& cell = cells[{c.m_nY, c.m_nX}];
        std::int32_t key = 0;
        const bool keyed = GetKey(c, key);
        if (!keyed && !cell.empty()) {
            continue;  // not drawable: left out of the picture
        }
        cell.push_back({c, key, keyed});
    }
    for (auto& [where, cell] : cells) {
        // By key, list order for equal keys; a first component without a key stays first.
        std::stable_sort(cell.begin() + (cell.front().keyed ? 0 : 1), cell.end(),
                         [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
        for (const Keyed& k : cell) {
            const MultiComponent& c = k.component;
            CTileItemType* item = GetItem(c.m_wItem);
            if (item == nullptr) {
                continue;
            }
            const std::int32_t x =
                (c.m_nX - c.m_nY) * 22 - static_cast<std::int32_t>(item->GetWidth()) / 2;
            const std::int32_t y =
                (c.m_nX + c.m_nY) * 22 - static_cast<std::int32_t>(item->GetHeight()) - c.m_nZ * 4;
            m_Pieces.push_back({c, item, x, y});
        }
    }
}

CTileItemType* CMultiComposition::GetItem(std::uint16_t number) {
    auto [it, added] = m_Items.try_emplace(number);
    if (added) {
        // A damaged item is left out as its read status says; a failed read is logged.
        auto item = std::make_unique<CTileItemType>(number, *m_pFiles);
        if (LoadBlockLogged(*item) == ReadStatus::Ok && item->GetData() != nullptr) {
            it->second = std::move(item);
        }
    }
    return it->second.get();
}

bool CMultiComposition::GetKey(const MultiComponent& component, std::int32_t& key) {
    CTileItemType* item = GetItem(component.m_wItem);
    if (item == nullptr) {
        return false;
    }
    // The height is read once per item number; a record that does not read is logged once.
    auto [height, added] = m_Heights.try_emplace(component.m_wItem);
    if (added) {
        try {
            height->second = item->GetTileData()->m_bHeight;
        } catch (...) {
            LogCaughtException("reading a multi component's height");
        }
    }
    if (!height->second) {
        return false;
    }
    key = component.m_nZ + *height->second;
    return true;
}

CQRect CMultiComposition::GetBounds() const {
    CQRect bounds;
    bool first = true;
    for (const Piece& p : m_Pieces) {
        const CQRect r(p.m_nX, p.m_nY, p.m_nX + static_cast<std::int32_t>(p.m_pItem->GetWidth()),
                       p.m_nY + static_cast<std::int32_t>(p.m_pItem->GetHeight()));
        if (r.IsEmpty()) {
            continue;
        }
        if (first) {
            bounds = r;
            first = false;
            continue;
        }
        bounds.Set(std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                   std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom));
    }
    return bounds;
}

void CMultiComposition::Draw(CSurfaceDCData& surface, std::int32_t x, std::int32_t y,
                             std::int32_t low, std::int32_t high) const {
    for (const Piece& p : m_Pieces) {
        if (p.m_Component.m_nZ < low || p.m_Component.m_nZ > high) {
            continue;
        }
        p.m_pItem->Draw(surface, x + p.m_nX, y + p.m_nY);
    }
}

bool DrawMultiPicture(const std::vector<MultiComponent>& components, SurfaceBuffer& buffer,
                      CClientFiles& files, std::string* why) {
    const CMultiComposition composition(components, files);
    const CQRect bounds = composition.GetBounds();
    const auto width = static_cast<std::uint64_t>(bounds.Width());
    const auto height = static_cast<std::uint64_t>(bounds.Height());
    const bool tooLarge = !bounds.IsEmpty() && width * height > 8192ull * 8192ull;
    if (bounds.IsEmpty() || tooLarge ||
        !buffer.CreateBuffer(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                             4)) {
        buffer.Release();
        if (tooLarge && why != nullptr) {
            *why = Format(
                "its picture would be %llu x %llu pixels, more than one picture holds "
                "(8192 x 8192)",
                static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
        }
        return false;
    }
    CSurfaceDC dc(buffer);
    composition.Draw(dc, -bounds.left, -bounds.top);
    return true;
}

}  // namespace tessaly
