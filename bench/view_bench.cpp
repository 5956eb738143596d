// Editing in the program's document window, in the middle of a 500-page document: a keystroke
// (a character typed, then taken back with Backspace), a caret step (Right, then Left), one
// move of a selecting drag, and a page scrolled (down, then up). Each step goes through the
// window's own events up to the repaints it asks for (microseconds per step); beside it, the share
// of the window that the step repainted, where a person expects only what changed.

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/TessaryApp.h"
#include "app/TessaryView.h"
#include "bench/SampleDocument.h"
#include "document/CompList.h"
#include "document/DocRange.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int32_t kPages = 500;

// The pixels the window repaints, as its paint events ask for them.
class Repaints final : public QObject {
public:
    int64_t pixels = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const QRect rect = static_cast<QPaintEvent*>(event)->rect();
            pixels += int64_t{rect.width()} * rect.height();
        }
        return false;
    }
};

// The program with the document open in its window and the caret in the document's middle.
struct Window {
    Window() {
        sample::Save(path, kPages * sample::kParagraphsPerPage);
        if (!app.InitInstance({QString::fromStdString(path)})) std::abort();
        QApplication::processEvents();
        view = app.MainWindow()->ActiveChild()->View();
        view->setFocus();
        surface = view->viewport();
        surface->installEventFilter(&repaints);
        // A paragraph of text (not an equation) halfway down, its caret after a few words.
        CompList* middle =
            view->Page()->GetAt(kPages * sample::kParagraphsPerPage / 2 + 2)->GetList(1);
        DocPos caret;
        caret.SetAt(middle, 20);
        view->SelectPosition(caret);
        QApplication::processEvents();
    }

    void Key(int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(view, &release);
    }
    void Mouse(QEvent::Type type, QPoint at) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
    }
    // Where the caret stands now, in the window.
    QPoint CaretPoint() const {
        const Rect caret = view->GetSelection().start.CaretRect();
        const Point scroll = view->ScrollOffset();
        return QPoint(caret.left - scroll.x + 1, (caret.top + caret.bottom) / 2 - scroll.y);
    }

    platform::testing::TempDir dir;
    std::string path = dir.File("500 pages.tsy");
    TessaryApp app;
    TessaryView* view = nullptr;
    QWidget* surface = nullptr;
    Repaints repaints;
};

// Opened at the first benchmark that needs it, closed before the application ends.
std::unique_ptr<Window> gWindow;

Window& Opened() {
    if (!gWindow) gWindow = std::make_unique<Window>();
    return *gWindow;
}

// Runs `step` (`perStep` steps of it) each iteration, with the events it posts and the repaints
// they ask for; reports the share of the window repainted per step.
template <typename Step>
void Measure(benchmark::State& state, int perStep, Step step) {
    Window& w = Opened();
    QApplication::processEvents();
    w.repaints.pixels = 0;
    for (auto _ : state) {
        step(w);
        QApplication::processEvents();
    }
    const double window = double(w.surface->width()) * w.surface->height();
    const double steps = double(state.iterations()) * perStep;
    state.SetItemsProcessed(state.iterations() * perStep);
    state.counters["time/step"] =
        benchmark::Counter(steps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.counters["repainted/window"] = double(w.repaints.pixels) / window / steps;
}

void Keystroke(benchmark::State& state) {
    Measure(state, 2, [](Window& w) {
        w.Key(Qt::Key_X, QStringLiteral("x"));
        QApplication::processEvents();
        w.Key(Qt::Key_Backspace);
    });
}
BENCHMARK(Keystroke)->Name("view/keystroke");

void CaretStep(benchmark::State& state) {
    Measure(state, 2, [](Window& w) {
        w.Key(Qt::Key_Right);
        QApplication::processEvents();
        w.Key(Qt::Key_Left);
    });
}
BENCHMARK(CaretStep)->Name("view/caret step");

void DragMove(benchmark::State& state) {
    Window& w = Opened();
    const QPoint from = w.CaretPoint();
    const QPoint there = from + QPoint(60, 0);
    w.Mouse(QEvent::MouseButtonPress, from);
    bool out = false;
    Measure(state, 1, [&](Window& window) {
        out = !out;
        window.Mouse(QEvent::MouseMove, out ? there : from + QPoint(30, 0));
    });
    w.Mouse(QEvent::MouseButtonRelease, from);
}
BENCHMARK(DragMove)->Name("view/drag move");

void PageScroll(benchmark::State& state) {
    Measure(state, 2, [](Window& w) {
        QScrollBar* bar = w.view->verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep());
        QApplication::processEvents();
        bar->setValue(bar->value() - bar->pageStep());
    });
}
BENCHMARK(PageScroll)->Name("view/page scrolled");

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A profile of the benchmark's own, which the program may write.
    static platform::testing::TempDir profile;
    setenv("XDG_CONFIG_HOME", profile.Path().c_str(), 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gWindow) gWindow->app.ExitInstance();
    gWindow.reset();
    return 0;
}
