// The play surface's cost: the time one frame takes to paint at full-HD and 4K (the guide
// redrawn after a settings change, and the usual frame with only the marker moving), and the
// CPU it uses while shown and idle. Runs on the offscreen platform unless another is named.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QRegion>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_row.h"
#include "engine/tone/sounding_note.h"
#include "settings/settings_values.h"
#include "surface/play_surface.h"
#include "surface/surface_painter.h"

namespace {

struct Figures {
    double medianMs;
    double p99Ms;
};

Figures summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share) {
        return samples[std::min(samples.size() - 1, static_cast<size_t>(share * samples.size()))];
    };
    return {at(0.5), at(0.99)};
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void measurePaint(int width, int height, const bench::RowPrinter& rows) {
    surface::PlaySurface window([] { return surface::GuideMapping::frequency; });
    window.resize(width, height);
    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);
    engine::publishSoundingFrequency(440, 40);
    window.followFrame();
    window.render(&target);  // warm up

    constexpr int kFrames = 200;
    std::vector<double> marker;
    std::vector<double> guide;
    QElapsedTimer clock;
    QPoint last(0, 0);
    for (int frame = 0; frame < kFrames; ++frame) {
        const QPoint at(frame * 7 % width, frame * 3 % height);
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        engine::publishSoundingFrequency(200 + frame, frame % 100);
        // A playing frame repaints what the surface asks for: the disc where it was and where
        // it is, and the note.
        const QRegion changed = QRegion(surface::discArea(last)) + surface::discArea(at) +
                                surface::titleArea(window.size());
        last = at;
        clock.start();
        window.followFrame();
        window.render(&target, QPoint(), changed);
        marker.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);

        settings::Pitch = 1 + frame % 10;  // every frame a new guide
        clock.start();
        window.followFrame();
        window.render(&target);
        guide.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    const Figures moving = summarise(marker);
    const Figures redrawn = summarise(guide);
    std::printf("paint %dx%d, playing (disc and note): median %.2f ms, p99 %.2f ms\n", width,
                height, moving.medianMs, moving.p99Ms);
    std::printf(
        "paint %dx%d, guide redrawn: median %.2f ms, p99 %.2f ms (one 60 Hz frame is "
        "16.7 ms)\n",
        width, height, redrawn.medianMs, redrawn.p99Ms);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    rows.print({"play surface paint, " + size + ", playing frame (disc and note)", "-",
                bench::fixed(moving.medianMs, 2), bench::fixed(moving.p99Ms, 2), "ms", "< 16.7"});
    rows.print({"play surface paint, " + size + ", guide redrawn after a settings change", "-",
                bench::fixed(redrawn.medianMs, 2), bench::fixed(redrawn.p99Ms, 2), "ms", ""});
}

void measureIdleCpu(const bench::RowPrinter& rows) {
    surface::PlaySurface window([] { return surface::GuideMapping::frequency; });
    window.enter();
    engine::publishSilence();
    QCoreApplication::processEvents();
    constexpr int kIdleMs = 3000;
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    QTimer::singleShot(kIdleMs, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    const double used = cpuSeconds() - before;
    std::printf("shown and idle for %.1f s: CPU %.3f s (%.2f %% of one core)\n",
                static_cast<double>(wall.elapsed()) / 1000.0, used,
                100.0 * used / (static_cast<double>(wall.elapsed()) / 1000.0));
    rows.print({"CPU, play surface shown and idle, whole process", "-", "",
                bench::fixed(100.0 * used / (static_cast<double>(wall.elapsed()) / 1000.0), 2),
                "% of a core", "~0"});
    window.leave();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const bench::RowPrinter rows(argc, argv);
    QApplication qt(argc, argv);
    const int32_t pitch = settings::Pitch;
    const bool shown = settings::PlaySurface;
    measurePaint(1920, 1080, rows);
    measurePaint(3840, 2160, rows);
    settings::Pitch = pitch;
    measureIdleCpu(rows);
    settings::PlaySurface = shown;
    return 0;
}
