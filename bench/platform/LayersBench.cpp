// Painting the card table: the whole 344 x 538 table with its 80 layers, at 1x, on
// screens with more device pixels per logical pixel and zoomed, and the repaint of one card
// moving one step (where it was and where it is now); loading the pictures with all their
// renderings, and drawing them for a new size.
//
//   platform_bench [--benchmark_filter=...]
// Memcpy gives the memory bandwidth the painting figures are compared with.

#include "assets/pictures/GameImages.h"
#include "platform/Image32.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct TSlot
{
    int left, top, picture, frame;
};
// Slots 2 to 13, then 1 and 14, as the table lays them out.
const TSlot Slots[] = {{140, 8, 4, 7},   {110, 96, 4, 7},  {169, 96, 4, 7},  {80, 184, 4, 7},
                       {140, 184, 4, 7}, {200, 184, 4, 7}, {80, 272, 4, 8},  {140, 272, 4, 8},
                       {200, 272, 4, 8}, {110, 360, 4, 8}, {169, 360, 4, 8}, {140, 448, 4, 8},
                       {8, 232, 2, 6},   {272, 232, 3, 6}};

// The table in the middle of a period: twelve cards in the line-ups (two of them dimmed,
// beaten), the rest face down on the pack and the discard pile, frames hidden.
struct TTable
{
    TTable()
    {
        LoadGameImages(cards, game, logo);
        image = std::make_unique<TImage32>();
        image->resize(344, 538);
        image->SetColor(QColor(0, 128, 0));
        image->BeginUpdate();
        auto add = [&](const TBitmap32& picture, int left, int top, uint8_t alpha) {
            TBitmapLayer* layer = image->Layers().Add();
            layer->Bitmap() = picture;
            layer->Bitmap().SetDrawMode(dmBlend);
            layer->Bitmap().SetMasterAlpha(alpha);
            layer->SetLocation({float(left), float(top), float(left + picture.Width()),
                                float(top + picture.Height())});
            return layer;
        };
        for (const TSlot& s : Slots) {
            add(game.Bitmap(s.picture), s.left, s.top, 255);
            add(game.Bitmap(s.frame), s.left - 3, s.top - 3, 0);
        }
        for (int i = 0; i < 52; ++i) {
            if (i < 12) {
                add(cards.Bitmap(i * 4), Slots[i].left, Slots[i].top, i % 5 == 0 ? 100 : 255);
            } else {
                const TSlot& s = Slots[i % 2 ? 12 : 13];
                add(game.Bitmap(i % 2 ? 0 : 1), s.left, s.top, 255);
            }
        }
        mover = image->Layers().Items(image->Layers().Count() - 1);
        image->EndUpdate();
    }
    TBitmap32List cards, game, logo;
    std::unique_ptr<TImage32> image;
    TBitmapLayer* mover = nullptr;
};

// Counts the paint events a widget receives.
class TPaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
    int64_t Paints = 0;
};

TTable& Table()
{
    static TTable table;
    return table;
}

void BM_FullFrame(benchmark::State& state)
{
    TTable& t = Table();
    QImage target(344, 538, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        t.image->PaintTo(painter, target.rect());
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["layers"] = t.image->Layers().Count();
    state.SetBytesProcessed(state.iterations() * int64_t(target.sizeInBytes()));
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond);

// The same table on a screen of another device pixel ratio (the argument, in hundredths):
// every picture comes from its rendering for that ratio. The first paint builds the
// prepared forms of the variants and is not timed.
void BM_FullFrameAtRatio(benchmark::State& state)
{
    TTable& t = Table();
    const qreal ratio = qreal(state.range(0)) / 100;
    QImage target(int(std::ceil(344 * ratio)), int(std::ceil(538 * ratio)),
                  QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(ratio);
    const QRect table(0, 0, 344, 538);
    {
        QPainter painter(&target);
        t.image->PaintTo(painter, table);
    }
    for (auto _ : state) {
        QPainter painter(&target);
        t.image->PaintTo(painter, table);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(target.sizeInBytes()));
}
BENCHMARK(BM_FullFrameAtRatio)->Arg(125)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

// What the main window pays at start-up for its three lists, and what the renderings for
// other screens add to the memory the 1x pictures take (bytes of pixels, all shared by
// every layer that shows a picture).
void BM_LoadGameImages(benchmark::State& state)
{
    int64_t base = 0, variants = 0;
    for (auto _ : state) {
        TBitmap32List cards, game, logo;
        LoadGameImages(cards, game, logo);
        state.PauseTiming();
        base = variants = 0;
        for (const TBitmap32List* list : {&cards, &game, &logo}) {
            for (int i = 0; i < list->Count(); ++i) {
                const TBitmap32& b = list->Bitmap(i);
                base += b.Image().sizeInBytes();
                for (int v = 0; v < b.VariantCount(); ++v)
                    variants += b.VariantImage(v).sizeInBytes();
            }
        }
        state.ResumeTiming();
    }
    state.counters["base_KiB"] = double(base) / 1024;
    state.counters["variants_KiB"] = double(variants) / 1024;
}
BENCHMARK(BM_LoadGameImages)->Unit(benchmark::kMillisecond);

// One tick of a card's flight from the pack towards the computer's goal (30 pixels a
// step): move, then repaint the union of the old and new rectangles.
void BM_CardStep(benchmark::State& state)
{
    TTable& t = Table();
    QImage target(344, 538, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&target);
        t.image->PaintTo(painter, target.rect());
    }
    const TFloatRect from{8, 232, 61, 315};
    const TFloatRect to{23.23077f, 206.15384f, 76.23077f, 289.15384f};
    bool forth = true;
    for (auto _ : state) {
        const QRect before = t.mover->PaintRect();
        t.mover->SetLocation(forth ? to : from);
        forth = !forth;
        const QRect dirty = before | t.mover->PaintRect();
        QPainter painter(&target);
        t.image->PaintTo(painter, dirty);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_CardStep)->Unit(benchmark::kMicrosecond);

// The same step through the widget as the game does it: BeginUpdate, move, EndUpdate,
// Repaint on the offscreen platform (Qt's backing store included).
void BM_CardStepWidget(benchmark::State& state)
{
    TTable& t = Table();
    t.image->show();
    if (!QTest::qWaitForWindowExposed(t.image.get())) {
        state.SkipWithError("the table never became visible");
        return;
    }
    QTest::qWait(50); // let the first paints and flushes settle
    t.image->Repaint();
    TPaintCounter counter;
    t.image->installEventFilter(&counter);
    const TFloatRect from{8, 232, 61, 315};
    const TFloatRect to{23.23077f, 206.15384f, 76.23077f, 289.15384f};
    bool forth = true;
    for (auto _ : state) {
        t.image->BeginUpdate();
        t.mover->SetLocation(forth ? to : from);
        t.image->EndUpdate();
        t.image->Repaint();
        forth = !forth;
    }
    t.image->removeEventFilter(&counter);
    t.image->hide();
    state.counters["paints_per_step"] =
        benchmark::Counter(double(counter.Paints) / double(state.iterations()));
}
BENCHMARK(BM_CardStepWidget)->Unit(benchmark::kMicrosecond);

// The table zoomed (first argument, percent) on a screen of some ratio (second, percent):
// the painter scales, and every picture comes from its rendering for zoom x ratio, drawn
// at run time where no pre-drawn one matches. The first paint renders and is not timed.
// The window's backing store for the table at the benchmark's zoom and screen ratio, and
// the painting of a part of the table into it, as the widget paints.
struct TZoomedTarget
{
    explicit TZoomedTarget(const benchmark::State& state)
        : Zoom(qreal(state.range(0)) / 100), Ratio(qreal(state.range(1)) / 100),
          Image(int(std::ceil(344 * Zoom * Ratio)), int(std::ceil(538 * Zoom * Ratio)),
                QImage::Format_ARGB32_Premultiplied)
    {
        Image.setDevicePixelRatio(Ratio);
    }
    void Paint(TTable& t, const QRect& clip)
    {
        QPainter painter(&Image);
        painter.scale(Zoom, Zoom);
        t.image->PaintTo(painter, clip);
    }
    qreal Zoom, Ratio;
    QImage Image;
};

void BM_ZoomedFullFrame(benchmark::State& state)
{
    TTable& t = Table();
    TZoomedTarget target(state);
    const QRect table(0, 0, 344, 538);
    auto paint = [&](const QRect& clip) { target.Paint(t, clip); };
    paint(table);
    for (auto _ : state) {
        paint(table);
        benchmark::DoNotOptimize(target.Image.constBits());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(target.Image.sizeInBytes()));
}
BENCHMARK(BM_ZoomedFullFrame)
    ->Args({150, 100})
    ->Args({300, 100})
    ->Args({300, 200})
    ->Unit(benchmark::kMillisecond);

// One tick of a card's flight on the zoomed table: the union of the old and new
// rectangles, in logical pixels, one more on each side for the rounding of device pixels.
void BM_ZoomedCardStep(benchmark::State& state)
{
    TTable& t = Table();
    TZoomedTarget target(state);
    auto paint = [&](const QRect& clip) { target.Paint(t, clip); };
    paint(QRect(0, 0, 344, 538));
    const TFloatRect from{8, 232, 61, 315};
    const TFloatRect to{23.23077f, 206.15384f, 76.23077f, 289.15384f};
    bool forth = true;
    for (auto _ : state) {
        const QRect before = t.mover->PaintRect();
        t.mover->SetLocation(forth ? to : from);
        forth = !forth;
        paint((before | t.mover->PaintRect()).adjusted(-1, -1, 1, 1));
        benchmark::DoNotOptimize(target.Image.constBits());
    }
}
BENCHMARK(BM_ZoomedCardStep)->Args({300, 200})->Args({300, 100})->Unit(benchmark::kMicrosecond);

// The resident set of this process in bytes, from /proc.
int64_t ResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

// Drawing all 63 pictures of the table and the about screen for a size no pre-drawn
// rendering has (zoom x screen ratio, the argument in percent), as the first paint at a
// new zoom does; fresh lists each time, so every picture is drawn. The counters give the
// bytes of the new renderings and how much the resident set grew by the first size.
void BM_RenderPicturesForNewSize(benchmark::State& state)
{
    const qreal ratio = qreal(state.range(0)) / 100;
    int64_t pixels = 0, grown = 0;
    bool first = true;
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap32List cards, game, logo;
        LoadGameImages(cards, game, logo);
        const int64_t before = ResidentBytes();
        state.ResumeTiming();
        pixels = 0;
        for (const TBitmap32List* list : {&cards, &game, &logo}) {
            for (int i = 0; i < list->Count(); ++i)
                pixels += list->Bitmap(i).RenderedImage(ratio).sizeInBytes();
        }
        state.PauseTiming();
        if (first)
            grown = ResidentBytes() - before;
        first = false;
        state.ResumeTiming();
    }
    state.counters["pictures_MiB"] = double(pixels) / (1 << 20);
    state.counters["rss_growth_MiB"] = double(grown) / (1 << 20);
}
BENCHMARK(BM_RenderPicturesForNewSize)->Arg(250)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);

// The floor: copying a table-sized frame.
void BM_Memcpy(benchmark::State& state)
{
    const size_t bytes = size_t(state.range(0));
    std::vector<char> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(344 * 538 * 4)->Arg(16 << 20)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
