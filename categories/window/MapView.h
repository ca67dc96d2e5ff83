#pragma once
// The map view: a whole facet drawn from radar colours, zoomed from the whole facet to 16
// screen pixels per tile, panned with the mouse (drag, wheel to zoom about the pointer) and the
// keys (arrows, Page Up/Down, + and -, Home for the whole facet). Pictures are drawn in tiles of
// kTilePixels on a thread of their own (which holds its own open facet) and kept in a cache of
// at most kCacheBytes; until a tile arrives the view shows a coarser one enlarged. The line
// below the picture (and the main window's status bar) shows the tile and altitude under the
// pointer; double-clicking opens the block's Map and Statics pages. The facet the user chooses
// here is the one the Map and Statics lists show as well.

#include "Facet.h"
#include "MapPicture.h"

#include <QCache>
#include <QImage>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;

namespace tessaly {

class CDataDef;
class CMapCanvas;

// The zoom steps: tiles per pixel (shrink) or pixels per tile (zoom).
inline constexpr MapScale kMapZooms[] = {{1, 32}, {1, 16}, {1, 8}, {1, 4}, {1, 2},
                                         {1, 1},  {2, 1},  {4, 1}, {8, 1}, {16, 1}};
inline constexpr int kMapZoomCount = static_cast<int>(std::size(kMapZooms));

// Fills a facet chooser (of the map view and of the Map and Statics lists) with the facets the
// client has, their numbers as the items' data, and selects `chosen`.
void FillFacetChooser(QComboBox& box, int chosen);

class CMapView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTilePixels = 256;
    static constexpr qint64 kCacheBytes = 96 << 20;
    // Decompressed chunks of a map container the drawing thread keeps: neighbouring tiles
    // read the same chunks.
    static constexpr qint64 kChunkBytes = 40 << 20;

    // Shows the facets of files: the process-wide file set unless the owner names another.
    explicit CMapView(QWidget* parent = nullptr, CClientFiles& files = TheClientFiles());
    ~CMapView() override;

    // Opens facet 0 to 5 through the process-wide file set; false (with a message in the
    // status line) when it has no map.
    bool SetFacet(int facet);
    // SetFacet, and Felucca when the client lacks that facet: the status line then says why the
    // facet is not shown before describing Felucca.
    bool SetFacetOrFelucca(int facet);
    int Facet() const { return m_nFacet; }
    // The zoom step (0: most tiles per pixel) and the tile at the view's top-left pixel, in
    // 1/256ths of a tile.
    void SetZoom(int step);
    int Zoom() const { return m_nZoom; }
    // Centres the view on tile (x, y).
    void CenterOn(std::uint32_t x, std::uint32_t y);
    // Shows the whole facet (the largest zoom step at which it fits).
    void ShowWholeFacet();
    // "Go to...": asks for x,y and centres the view there.
    void OnGoTo();
    // The tile under a pixel of the picture area, or none outside the facet.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> TileAt(QPoint pixel) const;
    // The status text for the tile under a pixel ("x, y: altitude z, ...").
    QString DescribeTile(QPoint pixel);
    QString StatusText() const;
    // Where the status line goes as well (the main window's status bar).
    void SetStatusSink(std::function<void(const QString&)> sink) { m_StatusSink = std::move(sink); }
    QWidget* Canvas() const;
    // Waits until every tile the view needs has been drawn (screenshots, tests, benchmarks).
    void FinishDrawing();

private:
    friend class CMapCanvas;
    struct TileKey {
        int zoom;
        std::int32_t tx;
        std::int32_t ty;
        bool operator==(const TileKey&) const = default;
    };
    friend std::size_t qHash(const TileKey& key, std::size_t seed) {
        return ::qHash(static_cast<quint64>(key.zoom) << 56 ^
                           static_cast<quint64>(static_cast<std::uint32_t>(key.tx)) << 28 ^
                           static_cast<std::uint32_t>(key.ty),
                       seed);
    }

    // Tiles (of the map, in 1/256ths) per screen pixel at a zoom step.
    static double TilesPerPixel(int step);
    void PaintCanvas(QPainter& painter, const QRect& area);
    // Draws the tiles of an area of the canvas that are at hand (with a painter) and asks for
    // the missing ones, the middle's first.
    void VisitTiles(const QRect& area, QPainter* painter);
    void Pan(double dxPixels, double dyPixels);
    void ZoomAbout(int step, QPointF pixel);
    void ClampOrigin();
    void Request(const TileKey& key);
    void Worker();
    void StopWorker();
    void TileDrawn(TileKey key, QImage image, std::uint64_t generation);
    void OpenBlockPages(std::uint32_t x, std::uint32_t y);
    void ShowStatus(const QString& text);

    QComboBox* m_pFacetBox = nullptr;
    CMapCanvas* m_pCanvas = nullptr;
    QLabel* m_pStatus = nullptr;
    int m_nFacet = -1;
    int m_nZoom = 0;
    double m_dOriginX = 0;  // map tile at the canvas's left edge
    double m_dOriginY = 0;
    bool m_bShowsWhole = false;         // ShowWholeFacet's view, not moved since
    CClientFiles* m_pFiles;             // not owned
    std::unique_ptr<CFacet> m_pLookup;  // the facet read for the status line (this thread)
    std::shared_ptr<const CRadarTable> m_pColours;
    QCache<TileKey, QImage> m_Cache{kCacheBytes / 1024};  // cost in KiB
    std::vector<std::unique_ptr<CDataDef>> m_OpenedEntries;
    std::function<void(const QString&)> m_StatusSink;

    // The drawing thread: the newest requests first; results go back queued to this object.
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::condition_variable m_Idle;
    std::vector<TileKey> m_Queue;
    std::vector<TileKey> m_Pending;     // queued or being drawn
    std::atomic<bool> m_bStop = false;  // also stops a tile being drawn
    bool m_bBusy = false;
    std::uint64_t m_uGeneration = 0;  // changes with the facet; older results are dropped
    std::unique_ptr<CFacet> m_pWorkerFacet;
    std::thread m_Thread;
};

}  // namespace tessaly
