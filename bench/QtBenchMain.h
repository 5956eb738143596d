#pragma once

// What benchmarks that draw or lay out share: a view over an image of their own and a main that
// runs them under an offscreen Qt application.

#include "document/Region.h"
#include "mathbox/DrawView.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>

class ImageView final : public DrawView {
public:
    ImageView(int width, int height) : m_image(width, height, QImage::Format_RGB32) {
        m_image.fill(Qt::white);
    }
    QImage& BackingImage() override { return m_image; }
    Point ScrollOffset() const override { return {}; }
    int32_t BaseSize() const override { return 5; }
    void InvalidateClientRect(const Rect&, bool) override {}
    void RegionErased(const Region&) override {}
    void RedrawWithin(const Region&) override {}

private:
    QImage m_image;
};

inline int RunQtBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
