// Drives the real window on whatever display is set (Xvfb for screenshots)
// and reports what a person would otherwise time or look at by hand:
//   app_window_probe startup            launch-to-first-plot time and memory
//   app_window_probe shot DATA OUT.png [TYPE [LINE]]
//                                       load DATA, file type TYPE, Fisher mean
//                                       and great-circle fit on, refresh, print
//                                       the tooltips, save the window (pointing
//                                       at editor line LINE, with its tooltip)
//   app_window_probe load DATA          time of loading DATA into the editor
//   app_window_probe redraw DATA TYPE   median time of DoImage over DATA read
//                                       as file type TYPE, and its spread
//   app_window_probe keystroke DATA N [analyses]
//                                       load DATA as site means with error
//                                       circles, Fisher mean and fit (with
//                                       "analyses": as directions with every
//                                       analysis on and the Results window
//                                       open), then time N title keystrokes to
//                                       finished repaint
//   app_window_probe analysis DATA DIR  load DATA with the Fisher mean, save
//                                       the Analysis menu, its two dialogs and
//                                       the Results window as screenshots in DIR
//   app_window_probe burst DATA N       load DATA, then N title keystrokes that
//                                       arrive at once (as typed during a long
//                                       redraw): passes and time until drawn
//   app_window_probe explore DATA DIR [TYPE]
//                                       load DATA as file type TYPE, point at
//                                       the net, at the first datum's mark and
//                                       click the last datum's mark, saving the
//                                       window after each in DIR; then time
//                                       pointer moves over the net (the first
//                                       one builds the mark grid) and over the
//                                       first datum's mark, and what taking a
//                                       pass costs the explorer
#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextStream>

#include <cmath>
#include <random>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "analysis_menu.h"
#include "image_view.h"
#include "line_tints.h"
#include "line_view.h"
#include "main_window.h"
#include "plot_explorer.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "results_window.h"
#include "site_location_dialog.h"
#include "tilt_correction_dialog.h"

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

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
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

// Prints the tooltip of every editor line that has one and of the plot.
void PrintToolTips(const TQVMainForm& form) {
    for (int block = 0; block < form.DataFileMemo->blockCount(); ++block) {
        const QString tip = form.Tints().ToolTipOfBlock(block);
        if (!tip.isEmpty())
            std::printf("line %d: %s\n", block + 1, qPrintable(tip));
    }
    std::printf("plot: %s\n", qPrintable(form.Image1->toolTip()));
}

// Points at a 1-based editor line as the mouse would, so its tooltip shows.
void PointAtLine(TQVMainForm& form, int line) {
    QPlainTextEdit* editor = form.DataFileMemo;
    const QTextCursor cursor(editor->document()->findBlockByNumber(line - 1));
    const QPoint at = editor->cursorRect(cursor).center() + QPoint(40, 0);
    QHelpEvent help(QEvent::ToolTip, at, editor->viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor->viewport(), &help);
}

int Shot(const QString& data, const QString& out, int fileType, int hoverLine) {
    TQVMainForm form;
    form.SetDialogRunner([&data](FileDialog&) -> std::optional<QString> { return data; });
    form.show();
    if (!WaitForFirstPlot(form))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    QTest::mouseClick(form.FileTypeRG->findChildren<QRadioButton*>().at(fileType), Qt::LeftButton);
    QTest::mouseClick(form.AvRg->findChildren<QRadioButton*>().at(0), Qt::LeftButton);
    QTest::mouseClick(form.GCFitRG->findChildren<QRadioButton*>().at(0), Qt::LeftButton);
    QTest::mouseClick(form.OpenImageButt, Qt::LeftButton);
    QTest::qWait(300);
    PrintToolTips(form);
    QPixmap shot = form.grab();
    if (hoverLine > 0) {
        // A tooltip is a window of its own: take it from the screen.
        PointAtLine(form, hoverLine);
        QTest::qWait(500);
        shot = form.screen()->grabWindow(0).copy(form.frameGeometry());
    }
    const bool saved = shot.save(out);
    std::printf("passes %d file %s saved %d\n", form.PlotPassCount(),
                qPrintable(form.CurrentFileName), saved ? 1 : 0);
    return saved ? 0 : 1;
}

// Shows the window with its load dialog answering data and its errors printed.
bool ShowAnswering(TQVMainForm& form, const QString& data) {
    form.SetDialogRunner([data](FileDialog&) -> std::optional<QString> { return data; });
    form.SetErrorSink([](const QString& text) { std::printf("error %s\n", qPrintable(text)); });
    form.show();
    return WaitForFirstPlot(form);
}

int LoadTime(const QString& data) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    QElapsedTimer timer;
    timer.start();
    form.Open1Click(nullptr);
    const qint64 loadMs = timer.elapsed();
    std::printf("load_ms %lld lines %d vmrss_kb %ld\n", static_cast<long long>(loadMs),
                form.DataFileMemo->blockCount(), ResidentKilobytes());
    return 0;
}

int RedrawTime(const QString& data, int fileType) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    form.SetItemIndex(form.FileTypeRG, fileType);
    form.Open1Click(nullptr);
    // The first pass over the loaded text may differ from the repeated ones.
    QElapsedTimer firstTimer;
    firstTimer.start();
    form.DoImage(nullptr);
    const double firstMs = static_cast<double>(firstTimer.nsecsElapsed()) * 1e-6;
    constexpr int kRuns = 41;
    std::vector<double> ms;
    std::vector<double> cpuMs; // this thread's processor time, less shaken by other load
    for (int i = 0; i < kRuns; ++i) {
        const double cpuStart = ThreadCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        form.DoImage(nullptr);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) * 1e-6);
        cpuMs.push_back((ThreadCpuSeconds() - cpuStart) * 1e3);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::printf("doimage_ms median %.3f min %.3f max %.3f cpu_median %.3f runs %d lines %d "
                "first_ms %.3f\n",
                ms[kRuns / 2], ms.front(), ms.back(), cpuMs[kRuns / 2], kRuns,
                form.DataFileMemo->blockCount(), firstMs);
    return 0;
}

void ClickItem(QGroupBox* group, int index) {
    QTest::mouseClick(group->findChildren<QRadioButton*>().at(index), Qt::LeftButton);
}

// Answers the analysis dialogs with one bedding 90/20 and a site at 33 N,
// 117 W; saves each dialog's screen to dir first when dir is given.
void AnswerAnalysisDialogs(TQVMainForm& form, const QString& dir) {
    form.AnalysisMenu1->SetModalRunner([dir](QDialog& dialog) {
        if (auto* tilt = qobject_cast<TiltCorrectionDialog*>(&dialog)) {
            tilt->OneForAllItem->click();
            tilt->DipDirectionBox->setValue(90.0);
            tilt->DipBox->setValue(20.0);
        }
        if (auto* site = qobject_cast<SiteLocationDialog*>(&dialog)) {
            site->LatitudeBox->setValue(33.0);
            site->LongitudeBox->setValue(-117.0);
        }
        if (!dir.isEmpty()) {
            dialog.show();
            QTest::qWait(300);
            dialog.screen()->grabWindow(0).save(
                dir + u'/' + dialog.windowTitle().replace(u' ', u'_') + QStringLiteral(".png"));
            dialog.hide();
        }
        return true;
    });
}

void TurnEveryAnalysisOn(TQVMainForm& form, const QString& dir) {
    AnswerAnalysisDialogs(form, dir);
    form.AnalysisMenu1->TiltCorrection1->trigger();
    form.AnalysisMenu1->SeparatePolarities1->trigger();
    form.AnalysisMenu1->ReversalTest1->trigger();
    form.AnalysisMenu1->SiteLocation1->trigger();
    form.AnalysisMenu1->Results1->trigger();
}

int AnalysisShots(const QString& data, const QString& dir) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    ClickItem(form.AvRg, 0);
    QMenu* menu = form.AnalysisMenu1->Analysis1;
    menu->popup(form.mapToGlobal(form.menuBar()->actionGeometry(menu->menuAction()).bottomLeft()));
    QTest::qWait(300);
    form.screen()->grabWindow(0).save(dir + QStringLiteral("/menu.png"));
    menu->hide();
    TurnEveryAnalysisOn(form, dir);
    QTest::qWait(300);
    form.screen()->grabWindow(0).save(dir + QStringLiteral("/results.png"));
    std::printf("passes %d\n%s", form.PlotPassCount(), qPrintable(form.Results()->Text()));
    return 0;
}

int Keystrokes(const QString& data, int count, bool analyses) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    const int fileType = analyses ? 0 : 1;
    ClickItem(form.FileTypeRG, fileType);
    ClickItem(form.PlotErrorRG, 0);
    ClickItem(form.AvRg, 0);
    ClickItem(form.GCFitRG, 0);
    if (analyses)
        TurnEveryAnalysisOn(form, QString());
    if (form.ItemIndex(form.FileTypeRG) != fileType || form.ItemIndex(form.PlotErrorRG) != 0 ||
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

int Burst(const QString& data, int count) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    form.TitleEdit->setFocus(Qt::OtherFocusReason);
    QTest::qWait(100);
    const int passesBefore = form.PlotPassCount();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const char key = static_cast<char>('a' + i % 26);
        QCoreApplication::postEvent(form.TitleEdit,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_A + i % 26,
                                                  Qt::NoModifier, QString(QChar::fromLatin1(key))));
        QCoreApplication::postEvent(form.TitleEdit,
                                    new QKeyEvent(QEvent::KeyRelease, Qt::Key_A + i % 26,
                                                  Qt::NoModifier, QString(QChar::fromLatin1(key))));
    }
    while (form.TitleEdit->text().size() < count || form.PlotPassCount() == passesBefore)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    std::printf("burst %d lines %d passes %d ms %lld\n", count, form.DataFileMemo->blockCount(),
                form.PlotPassCount() - passesBefore, static_cast<long long>(timer.elapsed()));
    return 0;
}

void MovePointer(TQVMainForm& form, QPoint pixel) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pixel), form.Image1->mapToGlobal(QPointF(pixel)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.Image1, &move);
}

// The mark of a 1-based line, as its ring shows it; the cursor moves there.
std::optional<QPoint> MarkOfLine(TQVMainForm& form, int line) {
    form.DataFileMemo->setTextCursor(
        QTextCursor(form.DataFileMemo->document()->findBlockByNumber(line - 1)));
    return form.Image1->RingCentre();
}

// The net as a pass places it on a raster of the window's size.
PlotGeometry NetOfWindow(TQVMainForm& form) {
    QImage scratch(form.Raster().size(), QImage::Format_RGB32);
    RasterCanvas canvas(scratch);
    const LineView none{QString()};
    PlotInputs inputs;
    inputs.Lines = &none;
    PlotReport report;
    RunPlotPass(canvas, inputs, report);
    return report.Geometry;
}

int Explore(const QString& data, const QString& dir, int fileType) {
    TQVMainForm form;
    if (!ShowAnswering(form, data))
        return 1;
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    ClickItem(form.FileTypeRG, fileType);
    QTest::mouseClick(form.OpenImageButt, Qt::LeftButton);
    const int passes = form.PlotPassCount();
    const int blocks = form.DataFileMemo->blockCount();
    std::optional<QPoint> first;
    std::optional<QPoint> last;
    int lastLine = 0;
    for (int line = 1; line <= blocks && !first; ++line)
        first = MarkOfLine(form, line);
    for (int line = blocks; line >= 1 && !last; --line) {
        last = MarkOfLine(form, line);
        lastLine = line;
    }
    if (!first || !last) {
        std::fprintf(stderr, "no datum plotted\n");
        return 1;
    }
    MarkOfLine(form, 1);
    form.DataFileMemo->clearFocus();
    const auto save = [&](const char* name) {
        QTest::qWait(200);
        form.grab().save(dir + u'/' + QString::fromLatin1(name));
        std::printf("%s: readout \"%s\" ring %s cursor line %d\n", name,
                    qPrintable(form.PointerReadout->text()),
                    form.Image1->RingCentre() ? "shown" : "none",
                    form.DataFileMemo->textCursor().blockNumber() + 1);
    };
    const PlotGeometry net = NetOfWindow(form);
    const QPoint centre(net.CentreX, net.CentreY);
    // North-east of the centre, half way out: off the marks of most data.
    MovePointer(form, centre + QPoint(net.Radius * 2 / 5, -net.Radius * 3 / 10));
    save("net.png");
    MovePointer(form, *first);
    save("mark.png");
    MovePointer(form, *last);
    QTest::mouseClick(form.Image1, Qt::LeftButton, {}, *last);
    save("cursor.png");
    std::printf("clicked line %d\n", lastLine);

    // Pointer moves over the net, from a fresh pass drawn with the pointer
    // away, so that the first move finds the marks ungridded.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form.Image1, &leave);
    form.DoImage(nullptr);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586);
    std::uniform_real_distribution<double> radius(0.0, 1.0);
    constexpr int kMoves = 2001;
    std::vector<double> ms;
    for (int i = 0; i < kMoves; ++i) {
        const double r = net.Radius * std::sqrt(radius(random));
        const double a = angle(random);
        const QPoint pixel =
            centre + QPoint(static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a)));
        QElapsedTimer timer;
        timer.start();
        MovePointer(form, pixel);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) * 1e-6);
    }
    const double firstMs = ms.front();
    std::sort(ms.begin() + 1, ms.end());
    std::printf("pointer moves %d data %d first_ms %.3f median_ms %.4f p99_ms %.4f max_ms %.4f "
                "passes_during %d\n",
                kMoves - 1, blocks, firstMs, ms[kMoves / 2], ms[kMoves * 99 / 100], ms.back(),
                form.PlotPassCount() - passes - 1);
    // On the first datum's mark, where stacked marks all lie within reach.
    std::vector<double> onMark;
    for (int i = 0; i < 201; ++i) {
        QElapsedTimer timer;
        timer.start();
        MovePointer(form, *first + QPoint(i % 3 - 1, i % 2));
        onMark.push_back(static_cast<double>(timer.nsecsElapsed()) * 1e-6);
    }
    std::sort(onMark.begin(), onMark.end());
    std::printf("on the first mark: median_ms %.4f max_ms %.4f\n", onMark[onMark.size() / 2],
                onMark.back());

    // What taking a pass costs the explorer, on a view of its own: with the
    // pointer away, and resting on the view (the read-out, and so the grid,
    // renewed at once).
    QImage raster(form.Raster().size(), QImage::Format_RGB32);
    RasterCanvas canvas(raster);
    const LineView lines(form.EditorText());
    PlotInputs inputs;
    inputs.Lines = &lines;
    inputs.Options.FileType = fileType;
    PlotReport report;
    RunPlotPass(canvas, inputs, report);
    ImageView view(raster);
    QPlainTextEdit editor;
    QLabel label;
    PlotExplorer explorer(view, editor, label);
    const auto medianFollowMs = [&] {
        std::vector<double> follow;
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer timer;
            timer.start();
            explorer.Follow(report, inputs.Options, u'.');
            follow.push_back(static_cast<double>(timer.nsecsElapsed()) * 1e-6);
        }
        std::sort(follow.begin(), follow.end());
        return follow[follow.size() / 2];
    };
    const double away = medianFollowMs();
    QMouseEvent move(QEvent::MouseMove, QPointF(centre), QPointF(centre), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    const double resting = medianFollowMs();
    std::printf("follow: points %zu median_ms pointer away %.3f pointer resting %.3f\n",
                report.Points.size(), away, resting);
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
    if (args.size() == 4 && args[1] == QStringLiteral("redraw"))
        return RedrawTime(args[2], args[3].toInt());
    if (args.size() >= 4 && args.size() <= 5 && args[1] == QStringLiteral("keystroke") &&
        args[3].toInt() > 0)
        return Keystrokes(args[2], args[3].toInt(),
                          args.size() == 5 && args[4] == QStringLiteral("analyses"));
    if (args.size() == 4 && args[1] == QStringLiteral("analysis"))
        return AnalysisShots(args[2], args[3]);
    if (args.size() == 4 && args[1] == QStringLiteral("burst") && args[3].toInt() > 0)
        return Burst(args[2], args[3].toInt());
    if (args.size() >= 4 && args.size() <= 5 && args[1] == QStringLiteral("explore"))
        return Explore(args[2], args[3], args.size() > 4 ? args[4].toInt() : 0);
    if (args.size() >= 4 && args.size() <= 6 && args[1] == QStringLiteral("shot"))
        return Shot(args[2], args[3], args.size() > 4 ? args[4].toInt() : 0,
                    args.size() > 5 ? args[5].toInt() : 0);
    std::fprintf(stderr, "usage: app_window_probe startup | shot DATA OUT.png [TYPE [LINE]] | "
                         "load DATA | redraw DATA TYPE | keystroke DATA N [analyses] | "
                         "analysis DATA DIR | burst DATA N | explore DATA DIR [TYPE]\n");
    return 2;
}
