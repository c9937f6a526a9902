// Drives the real window on whatever display is set (Xvfb for screenshots)
// and reports what a person would otherwise time or look at by hand:
//   app_window_probe startup            launch-to-first-plot time and memory
//   app_window_probe shot DATA OUT.png  load DATA, Fisher mean and great-circle
//                                       fit on, refresh, save the window
//   app_window_probe load DATA          time of loading DATA into the editor
//   app_window_probe keystroke DATA N   load DATA as site means with error
//                                       circles, Fisher mean and fit, then time
//                                       N title keystrokes to finished repaint
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "image_view.h"
#include "main_window.h"

namespace {

long ResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // A /proc file reports size 0, so read it whole rather than to atEnd().
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double RealtimeSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool WaitForFirstPlot(TQVMainForm& form) {
    // A bare X server has no window manager to activate the new window.
    form.activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (form.PlotPassCount() == 0 && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return form.PlotPassCount() > 0;
}

int Startup() {
    TQVMainForm form;
    form.show();
    if (!WaitForFirstPlot(form))
        return 1;
    // Wall-clock time of the first plot; the caller subtracts its launch time.
    std::printf("first_plot_realtime %.6f\n", RealtimeSeconds());
    QTest::qWait(200);
    std::printf("vmrss_kb %ld\n", ResidentKilobytes());
    return 0;
}

int Shot(const QString& data, const QString& out) {
    TQVMainForm form;
    form.SetDialogRunner([&data](FileDialog&) -> std::optional<QString> { return data; });
    form.show();
    if (!WaitForFirstPlot(form))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    QTest::mouseClick(form.AvRg->findChildren<QRadioButton*>().at(0), Qt::LeftButton);
    QTest::mouseClick(form.GCFitRG->findChildren<QRadioButton*>().at(0), Qt::LeftButton);
    QTest::mouseClick(form.OpenImageButt, Qt::LeftButton);
    QTest::qWait(300);
    const bool saved = form.grab().save(out);
    std::printf("passes %d file %s saved %d\n", form.PlotPassCount(),
                qPrintable(form.CurrentFileName), saved ? 1 : 0);
    return saved ? 0 : 1;
}

// Every load dialog accepts data; errors are printed, not shown in a box.
bool ShowWithData(TQVMainForm& form, const QString& data) {
    form.SetDialogRunner([data](FileDialog&) -> std::optional<QString> { return data; });
    form.SetErrorSink([](const QString& text) { std::printf("error %s\n", qPrintable(text)); });
    form.show();
    return WaitForFirstPlot(form);
}

int LoadTime(const QString& data) {
    TQVMainForm form;
    if (!ShowWithData(form, data))
        return 1;
    QElapsedTimer timer;
    timer.start();
    form.Open1Click(nullptr);
    const qint64 loadMs = timer.elapsed();
    std::printf("load_ms %lld lines %d vmrss_kb %ld\n", static_cast<long long>(loadMs),
                form.DataFileMemo->blockCount(), ResidentKilobytes());
    return 0;
}

void ClickItem(QGroupBox* group, int index) {
    QTest::mouseClick(group->findChildren<QRadioButton*>().at(index), Qt::LeftButton);
}

int Keystrokes(const QString& data, int count) {
    TQVMainForm form;
    if (!ShowWithData(form, data))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    ClickItem(form.FileTypeRG, 1);
    ClickItem(form.PlotErrorRG, 0);
    ClickItem(form.AvRg, 0);
    ClickItem(form.GCFitRG, 0);
    if (form.ItemIndex(form.FileTypeRG) != 1 || form.ItemIndex(form.PlotErrorRG) != 0 ||
        form.ItemIndex(form.AvRg) != 0 || form.ItemIndex(form.GCFitRG) != 0) {
        std::fprintf(stderr, "the options did not take\n");
        return 1;
    }
    form.TitleEdit->setFocus(Qt::OtherFocusReason);
    QTest::qWait(100);
    std::vector<double> ms;
    const int passesBefore = form.PlotPassCount();
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(form.TitleEdit, static_cast<char>('a' + i % 26));
        QCoreApplication::processEvents();
        form.Image1->repaint();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) * 1e-6);
    }
    if (form.PlotPassCount() - passesBefore != count) {
        std::fprintf(stderr, "%d keystrokes gave %d passes\n", count,
                     form.PlotPassCount() - passesBefore);
        return 1;
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (const double m : ms)
        sum += m;
    std::printf("keystrokes %d lines %d median_ms %.2f mean_ms %.2f min_ms %.2f max_ms %.2f\n",
                count, form.DataFileMemo->blockCount(), sorted[sorted.size() / 2],
                sum / static_cast<double>(ms.size()), sorted.front(), sorted.back());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 2 && args[1] == QStringLiteral("startup"))
        return Startup();
    if (args.size() == 3 && args[1] == QStringLiteral("load"))
        return LoadTime(args[2]);
    if (args.size() == 4 && args[1] == QStringLiteral("shot"))
        return Shot(args[2], args[3]);
    if (args.size() == 4 && args[1] == QStringLiteral("keystroke") && args[3].toInt() > 0)
        return Keystrokes(args[2], args[3].toInt());
    std::fprintf(stderr, "usage: app_window_probe startup | shot DATA OUT.png | load DATA | "
                         "keystroke DATA N\n");
    return 2;
}
