#include "MapView.h"

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataDefStatics.h"
#include "CDataProps.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "EntryCommands.h"
#include "ShellUi.h"
#include "Text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tessaly {

// The picture area: paints through the view and hands it the mouse and the keys.
class CMapCanvas : public QWidget {
public:
    explicit CMapCanvas(CMapView* view) : QWidget(view), m_pView(view) {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_pView->PaintCanvas(painter, event->rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            m_Drag = event->position();
            m_bDragging = true;
        }
    }
    // The pixel a pointer position lies in: positions are fractional on a scaled screen, and a
    // rounded one would name the next tile from a pixel's middle on.
    static QPoint PixelAt(QPointF position) {
        return QPoint(static_cast<int>(std::floor(position.x())),
                      static_cast<int>(std::floor(position.y())));
    }
    void mouseReleaseEvent(QMouseEvent* /*event*/) override { m_bDragging = false; }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_bDragging) {
            const QPointF delta = event->position() - m_Drag;
            m_Drag = event->position();
            m_pView->Pan(-delta.x(), -delta.y());
        }
        m_pView->ShowStatus(m_pView->DescribeTile(PixelAt(event->position())));
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (auto tile = m_pView->TileAt(PixelAt(event->position()))) {
            m_pView->OpenBlockPages(tile->first, tile->second);
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) {
            m_pView->ZoomAbout(m_pView->Zoom() + steps, event->position());
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        const double step = width() / 8.0;
        switch (event->key()) {
            case Qt::Key_Left:
                m_pView->Pan(-step, 0);
                break;
            case Qt::Key_Right:
                m_pView->Pan(step, 0);
                break;
            case Qt::Key_Up:
                m_pView->Pan(0, -step);
                break;
            case Qt::Key_Down:
                m_pView->Pan(0, step);
                break;
            case Qt::Key_PageUp:
                m_pView->Pan(0, -height() * 0.9);
                break;
            case Qt::Key_PageDown:
                m_pView->Pan(0, height() * 0.9);
                break;
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                m_pView->ZoomAbout(m_pView->Zoom() + 1, QPointF(width() / 2.0, height() / 2.0));
                break;
            case Qt::Key_Minus:
                m_pView->ZoomAbout(m_pView->Zoom() - 1, QPointF(width() / 2.0, height() / 2.0));
                break;
            case Qt::Key_Home:
                m_pView->ShowWholeFacet();
                break;
            default:
                QWidget::keyPressEvent(event);
        }
    }
    void resizeEvent(QResizeEvent* /*event*/) override {
        // While the whole facet is shown it stays fitted to the canvas.
        if (m_pView->m_bShowsWhole) {
            m_pView->ShowWholeFacet();
        } else {
            m_pView->ClampOrigin();
        }
    }

private:
    CMapView* m_pView;
    QPointF m_Drag;
    bool m_bDragging = false;
};

void FillFacetChooser(QComboBox& box, int chosen) {
    box.clear();
    for (int f = 0; f < kFacetCount; ++f) {
        // A facet whose files the client lacks is not offered, unless it is the one chosen,
        // which the chooser names as what is shown.
        if (ClientFacet(f) != nullptr) {
            box.addItem(QString::fromStdString(FacetName(f)), f);
        } else if (f == chosen) {
            box.addItem(
                QString::fromStdString(FacetName(f)) + QStringLiteral(" (not in this client)"), f);
        }
    }
    box.setCurrentIndex(box.findData(chosen));
}

CMapView::CMapView(QWidget* parent, CClientFiles& files) : QWidget(parent), m_pFiles(&files) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pFacetBox = new QComboBox(this);
    m_pFacetBox->setObjectName(QStringLiteral("facet"));
    FillFacetChooser(*m_pFacetBox, ChosenFacet());
    m_pCanvas = new CMapCanvas(this);
    m_pStatus = new QLabel(this);
    m_pStatus->setContentsMargins(4, 2, 4, 2);
    // What is wrong with a facet's files can run long: it wraps rather than being cut.
    m_pStatus->setWordWrap(true);
    layout->addWidget(m_pFacetBox);
    layout->addWidget(m_pCanvas, 1);
    layout->addWidget(m_pStatus);
    connect(m_pFacetBox, &QComboBox::activated, this, [this](int index) {
        // The user's choice is the Map and Statics lists' as well.
        SetChosenFacet(m_pFacetBox->itemData(index).toInt());
        SetFacet(ChosenFacet());
    });
    auto colours = std::make_shared<CRadarTable>();
    colours->Load(*m_pFiles);
    m_pColours = colours;
}

CMapView::~CMapView() {
    StopWorker();
}

QWidget* CMapView::Canvas() const {
    return m_pCanvas;
}

QString CMapView::StatusText() const {
    return m_pStatus->text();
}

void CMapView::ShowStatus(const QString& text) {
    m_pStatus->setText(text);
    if (m_StatusSink) {
        m_StatusSink(text);
    }
}

void CMapView::StopWorker() {
    {
        std::lock_guard lock(m_Mutex);
        m_bStop = true;
        m_Queue.clear();
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) {
        m_Thread.join();
    }
    m_bStop = false;
    m_bBusy = false;
    m_Pending.clear();
}

bool CMapView::SetFacet(int facet) {
    StopWorker();
    m_Cache.clear();
    ++m_uGeneration;
    m_nFacet = facet;
    m_pFacetBox->setCurrentIndex(m_pFacetBox->findData(facet));
    m_pLookup = std::make_unique<CFacet>();
    m_pWorkerFacet = std::make_unique<CFacet>();
    const bool opened = m_pLookup->Open(*m_pFiles, facet);
    m_pWorkerFacet->Open(*m_pFiles, facet);
    m_pWorkerFacet->KeepMapChunks(kChunkBytes);
    if (!opened) {
        ShowStatus(QString::fromStdString(FacetName(facet) + ": " + m_pLookup->Warning()));
        m_pLookup.reset();
        m_pWorkerFacet.reset();
        m_pCanvas->update();
        return false;
    }
    m_Thread = std::thread([this] { Worker(); });
    const FacetLayout& layout = m_pLookup->Layout();
    ShowStatus(QStringLiteral("%1: %2 x %3 tiles%4%5")
                   .arg(QString::fromStdString(FacetName(facet)))
                   .arg(layout.Width())
                   .arg(layout.Height())
                   .arg(layout.custom ? QStringLiteral(" (a size of its own)") : QString())
                   .arg(m_pLookup->Warning().empty()
                            ? QString()
                            : QStringLiteral("; ") + QString::fromStdString(m_pLookup->Warning())));
    ShowWholeFacet();
    return true;
}

bool CMapView::SetFacetOrFelucca(int facet) {
    if (SetFacet(facet) || facet == 0) {
        return m_pLookup != nullptr;
    }
    const QString missing = StatusText();
    const bool opened = SetFacet(0);
    if (opened) {
        ShowStatus(missing + QStringLiteral(". Shown instead: ") + StatusText());
    }
    return opened;
}

double CMapView::TilesPerPixel(int step) {
    const MapScale& s = kMapZooms[std::clamp(step, 0, kMapZoomCount - 1)];
    return static_cast<double>(s.shrink) / s.zoom;
}

void CMapView::SetZoom(int step) {
    ZoomAbout(step, QPointF(m_pCanvas->width() / 2.0, m_pCanvas->height() / 2.0));
}

void CMapView::ZoomAbout(int step, QPointF pixel) {
    m_bShowsWhole = false;
    step = std::clamp(step, 0, kMapZoomCount - 1);
    const double before = TilesPerPixel(m_nZoom);
    const double after = TilesPerPixel(step);
    // The tile under the pointer stays under it.
    m_dOriginX += pixel.x() * (before - after);
    m_dOriginY += pixel.y() * (before - after);
    m_nZoom = step;
    ClampOrigin();
}

void CMapView::CenterOn(std::uint32_t x, std::uint32_t y) {
    m_bShowsWhole = false;
    const double tpp = TilesPerPixel(m_nZoom);
    m_dOriginX = x + 0.5 - m_pCanvas->width() * tpp / 2;
    m_dOriginY = y + 0.5 - m_pCanvas->height() * tpp / 2;
    ClampOrigin();
}

void CMapView::ShowWholeFacet() {
    if (m_pLookup == nullptr) {
        return;
    }
    const FacetLayout& layout = m_pLookup->Layout();
    int step = 0;
    for (int s = kMapZoomCount - 1; s >= 0; --s) {
        if (layout.Width() / TilesPerPixel(s) <= std::max(1, m_pCanvas->width()) &&
            layout.Height() / TilesPerPixel(s) <= std::max(1, m_pCanvas->height())) {
            step = s;
            break;
        }
    }
    m_nZoom = step;
    CenterOn(layout.Width() / 2, layout.Height() / 2);
    m_bShowsWhole = true;
}

void CMapView::ClampOrigin() {
    if (m_pLookup != nullptr) {
        // The facet may be panned until its edge reaches the middle of the view.
        const double tpp = TilesPerPixel(m_nZoom);
        const double halfW = m_pCanvas->width() * tpp / 2;
        const double halfH = m_pCanvas->height() * tpp / 2;
        const double width = m_pLookup->Layout().Width();
        const double height = m_pLookup->Layout().Height();
        m_dOriginX = std::clamp(m_dOriginX, -halfW, std::max(-halfW, width - halfW));
        m_dOriginY = std::clamp(m_dOriginY, -halfH, std::max(-halfH, height - halfH));
    }
    m_pCanvas->update();
}

void CMapView::Pan(double dxPixels, double dyPixels) {
    m_bShowsWhole = false;
    const double tpp = TilesPerPixel(m_nZoom);
    m_dOriginX += dxPixels * tpp;
    m_dOriginY += dyPixels * tpp;
    ClampOrigin();
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> CMapView::TileAt(QPoint pixel) const {
    if (m_pLookup == nullptr) {
        return std::nullopt;
    }
    const double tpp = TilesPerPixel(m_nZoom);
    // The pixel's left and top edge: the tile a pixel shows (a zoomed-out pixel shows the
    // top-left tile of its square, as the picture samples it).
    const double gx = std::floor(m_dOriginX / tpp) + pixel.x();
    const double gy = std::floor(m_dOriginY / tpp) + pixel.y();
    const double x = std::floor(gx * tpp);
    const double y = std::floor(gy * tpp);
    const FacetLayout& layout = m_pLookup->Layout();
    if (x < 0 || y < 0 || x >= layout.Width() || y >= layout.Height()) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
}

QString CMapView::DescribeTile(QPoint pixel) {
    const auto tile = TileAt(pixel);
    if (!tile) {
        return QString::fromStdString(FacetName(m_nFacet));
    }
    const auto [x, y] = *tile;
    const std::uint32_t block = m_pLookup->BlockOf(x / 8, y / 8);
    CMapBlock map;
    std::vector<std::vector<CStaticItem>> statics;
    const std::uint64_t unread = m_pLookup->UnreadBlocks();
    const bool held = m_pLookup->ReadMapBlock(block, map);
    m_pLookup->ReadStaticsRun(block, 1, statics);
    QString text = QStringLiteral("%1  x %2, y %3  ")
                       .arg(QString::fromStdString(FacetName(m_nFacet)))
                       .arg(x)
                       .arg(y);
    // A block the map does not hold, or cannot give, is not shown as terrain 0 at altitude 0.
    if (!held || m_pLookup->UnreadBlocks() != unread) {
        text += held ? QStringLiteral("block %1 cannot be read (damaged)").arg(block)
                     : QStringLiteral("no map block");
    } else {
        const CMapCell& cell = map.GetCell(x % 8, y % 8);
        text += QStringLiteral("altitude %1  terrain %2")
                    .arg(cell.m_cZ)
                    .arg(QString::fromStdString(Format("%04xh", cell.m_wTile)));
    }
    const CStaticItem* top = nullptr;
    for (const CStaticItem& item : statics.front()) {
        if (item.m_bX == x % 8 && item.m_bY == y % 8 &&
            (top == nullptr || item.m_cZ >= top->m_cZ)) {
            top = &item;
        }
    }
    if (top != nullptr) {
        text += QStringLiteral("  static %1 at %2")
                    .arg(QString::fromStdString(Format("%04xh", top->m_wTile)))
                    .arg(top->m_cZ);
    }
    if (m_pLookup->IsChanged(block)) {
        text += QStringLiteral("  (block %1 changed)").arg(block);
    }
    return text;
}

void CMapView::Request(const TileKey& key) {
    {
        std::lock_guard lock(m_Mutex);
        if (std::find(m_Pending.begin(), m_Pending.end(), key) != m_Pending.end()) {
            return;
        }
        m_Pending.push_back(key);
        m_Queue.push_back(key);
    }
    m_Wake.notify_one();
}

void CMapView::Worker() {
    std::unique_lock lock(m_Mutex);
    const std::uint64_t generation = m_uGeneration;
    for (;;) {
        m_Wake.wait(lock, [&] { return m_bStop || !m_Queue.empty(); });
        if (m_bStop) {
            return;
        }
        // The newest request first: what the view shows now.
        const TileKey key = m_Queue.back();
        m_Queue.pop_back();
        m_bBusy = true;
        lock.unlock();
        const MapScale scale = kMapZooms[key.zoom];
        const double tpp = TilesPerPixel(key.zoom);
        const auto span = static_cast<std::uint32_t>(kTilePixels * tpp);
        MapRegion region{static_cast<std::uint32_t>(key.tx) * span,
                         static_cast<std::uint32_t>(key.ty) * span, span, span};
        // Stopping (a facet switch, the view closing) does not wait for the tile to be done:
        // on hostile files one can take seconds.
        const MapPicture picture =
            RenderMap(*m_pWorkerFacet, *m_pColours, region, scale, true, &m_bStop);
        if (m_bStop) {
            return;
        }
        QImage image(kTilePixels, kTilePixels, QImage::Format_RGB32);
        image.fill(QColor(48, 48, 48));
        for (std::uint32_t row = 0; row < picture.height; ++row) {
            std::copy_n(picture.pixels.data() + std::size_t{row} * picture.width, picture.width,
                        reinterpret_cast<std::uint32_t*>(image.scanLine(static_cast<int>(row))));
        }
        QMetaObject::invokeMethod(
            this, [this, key, image, generation] { TileDrawn(key, image, generation); },
            Qt::QueuedConnection);
        lock.lock();
        m_bBusy = false;
        m_Idle.notify_all();
    }
}

void CMapView::TileDrawn(TileKey key, QImage image, std::uint64_t generation) {
    {
        std::lock_guard lock(m_Mutex);
        std::erase(m_Pending, key);
    }
    if (generation != m_uGeneration) {
        return;
    }
    m_Cache.insert(key, new QImage(std::move(image)), kTilePixels * kTilePixels * 4 / 1024);
    m_pCanvas->update();
}

void CMapView::PaintCanvas(QPainter& painter, const QRect& area) {
    painter.fillRect(area, QColor(48, 48, 48));
    VisitTiles(area, &painter);
}

void CMapView::VisitTiles(const QRect& area, QPainter* painter) {
    if (m_pLookup == nullptr) {
        return;
    }
    const double tpp = TilesPerPixel(m_nZoom);
    const FacetLayout& layout = m_pLookup->Layout();
    // The canvas's top-left in whole pixels of the zoom step's picture.
    const auto gx0 = static_cast<std::int64_t>(std::floor(m_dOriginX / tpp));
    const auto gy0 = static_cast<std::int64_t>(std::floor(m_dOriginY / tpp));
    const std::int64_t lastX = static_cast<std::int64_t>(std::ceil(layout.Width() / tpp)) - 1;
    const std::int64_t lastY = static_cast<std::int64_t>(std::ceil(layout.Height() / tpp)) - 1;
    const std::int64_t tx0 = std::max<std::int64_t>(0, (gx0 + area.left()) / kTilePixels);
    const std::int64_t ty0 = std::max<std::int64_t>(0, (gy0 + area.top()) / kTilePixels);
    const std::int64_t tx1 = std::min<std::int64_t>(lastX, gx0 + area.right()) / kTilePixels;
    const std::int64_t ty1 = std::min<std::int64_t>(lastY, gy0 + area.bottom()) / kTilePixels;
    std::vector<TileKey> missing;
    for (std::int64_t ty = ty0; ty <= ty1 && gy0 + area.bottom() >= 0; ++ty) {
        for (std::int64_t tx = tx0; tx <= tx1 && gx0 + area.right() >= 0; ++tx) {
            const QRect target(static_cast<int>(tx * kTilePixels - gx0),
                               static_cast<int>(ty * kTilePixels - gy0), kTilePixels, kTilePixels);
            const TileKey key{m_nZoom, static_cast<std::int32_t>(tx),
                              static_cast<std::int32_t>(ty)};
            if (const QImage* image = m_Cache.object(key)) {
                if (painter != nullptr) {
                    painter->drawImage(target, *image);
                }
                continue;
            }
            missing.push_back(key);
            if (painter == nullptr) {
                continue;
            }
            // Meanwhile a coarser tile that covers it, enlarged.
            for (int coarser = m_nZoom - 1; coarser >= 0; --coarser) {
                const double ratio = tpp / TilesPerPixel(coarser);
                const double px = tx * kTilePixels * ratio;
                const double py = ty * kTilePixels * ratio;
                const TileKey cover{coarser, static_cast<std::int32_t>(px / kTilePixels),
                                    static_cast<std::int32_t>(py / kTilePixels)};
                if (const QImage* image = m_Cache.object(cover)) {
                    const QRectF source(px - cover.tx * kTilePixels, py - cover.ty * kTilePixels,
                                        kTilePixels * ratio, kTilePixels * ratio);
                    painter->drawImage(QRectF(target), *image, source);
                    break;
                }
            }
        }
    }
    // The tiles nearest the middle are asked for last, so they are drawn first.
    const QPointF middle(gx0 + m_pCanvas->width() / 2.0, gy0 + m_pCanvas->height() / 2.0);
    std::sort(missing.begin(), missing.end(), [&](const TileKey& a, const TileKey& b) {
        const auto distance = [&](const TileKey& k) {
            const double dx = (k.tx + 0.5) * kTilePixels - middle.x();
            const double dy = (k.ty + 0.5) * kTilePixels - middle.y();
            return dx * dx + dy * dy;
        };
        return distance(a) > distance(b);
    });
    for (const TileKey& key : missing) {
        Request(key);
    }
}

void CMapView::FinishDrawing() {
    for (int round = 0; round < 64; ++round) {
        // The tiles of the whole canvas are asked for whether or not it has been painted yet.
        VisitTiles(m_pCanvas->rect(), nullptr);
        {
            std::unique_lock lock(m_Mutex);
            if (m_Pending.empty()) {
                break;
            }
            m_Idle.wait(lock, [&] { return m_Queue.empty() && !m_bBusy; });
        }
        QCoreApplication::sendPostedEvents(this);
    }
    m_pCanvas->repaint();
}

void CMapView::OnGoTo() {
    if (m_pLookup == nullptr) {
        return;
    }
    CShellUi& ui = DataAppState().Ui();
    const std::optional<std::string> answer = ui.AskText("Tile x,y:", "Go To");
    if (!answer) {
        return;
    }
    unsigned x = 0;
    unsigned y = 0;
    char end = 0;
    const FacetLayout& layout = m_pLookup->Layout();
    if (std::sscanf(answer->c_str(), " %u , %u %c", &x, &y, &end) != 2) {
        ui.ShowMessage(Format("'%s' is not x,y.", answer->c_str()));
        return;
    }
    if (x >= layout.Width() || y >= layout.Height()) {
        ui.ShowMessage(Format("%s has no tile %u,%u (it is %u x %u tiles).",
                              FacetName(m_nFacet).c_str(), x, y, layout.Width(), layout.Height()));
        return;
    }
    if (m_nZoom < 6) {
        m_nZoom = 6;  // close enough to see the tile
    }
    CenterOn(x, y);
    const QPoint middle(m_pCanvas->width() / 2, m_pCanvas->height() / 2);
    ShowStatus(DescribeTile(middle));
    m_pCanvas->setFocus(Qt::OtherFocusReason);
}

void CMapView::OpenBlockPages(std::uint32_t x, std::uint32_t y) {
    if (m_pLookup == nullptr) {
        return;
    }
    const std::uint32_t block = m_pLookup->BlockOf(x / 8, y / 8);
    if (block >= m_pLookup->Layout().BlockCount()) {
        return;
    }
    m_OpenedEntries.push_back(std::make_unique<CDataDefMap>(block, m_nFacet));
    m_OpenedEntries.push_back(std::make_unique<CDataDefStatics>(block, m_nFacet));
    for (std::size_t i = m_OpenedEntries.size() - 2; i < m_OpenedEntries.size(); ++i) {
        m_OpenedEntries[i]->ReadIndex();
        OpenProperties(*m_OpenedEntries[i]);
    }
    // Entries an open sheet shows (a tacked one's, say) are kept; once more than a few are
    // held, the others go.
    if (m_OpenedEntries.size() > 16) {
        const std::vector<CDataProps*>& sheets = DataAppState().m_Sheets;
        std::erase_if(m_OpenedEntries, [&sheets](const std::unique_ptr<CDataDef>& entry) {
            return std::none_of(sheets.begin(), sheets.end(), [&entry](const CDataProps* sheet) {
                return sheet->GetEntry() == entry.get();
            });
        });
    }
}

}  // namespace tessaly
