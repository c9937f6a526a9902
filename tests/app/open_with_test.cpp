// Opening a data file from outside the window: its command line and a file
// manager's drag.
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUrl>

#include <string>
#include <string_view>
#include <vector>

#include "file_name.h"
#include "file_system_fixtures.h"
#include "window_command_line.h"
#include "window_fixture.h"

namespace {

TEST(WindowCommandLine, OneDataFileAtMostAndQtsOptionsPassedOn) {
    using Arguments = std::vector<std::string>;
    const struct {
        Arguments arguments; // after the program name
        std::optional<QString> file;
        bool good;
        Arguments qt; // what Qt is given after the program name
    } cases[] = {
        {{}, std::nullopt, true, {}},
        {{"site.plt"}, QStringLiteral("site.plt"), true, {}},
        {{"--", "-odd.plt"}, QStringLiteral("-odd.plt"), true, {}},
        // After "--" nothing is Qt's: such a file opens, and two are refused.
        {{"--", "-reverse"}, QStringLiteral("-reverse"), true, {}},
        {{"--", "-reverse", "extra"}, std::nullopt, false, {}},
        {{"-platform", "offscreen", "a.plt", "-style=fusion", "--reverse"},
         QStringLiteral("a.plt"),
         true,
         {"-platform", "offscreen", "-style=fusion", "--reverse"}},
        {{"a.plt", "b.plt"}, std::nullopt, false, {}},
        {{"--colour", "a.plt"}, std::nullopt, false, {}},
        {{"-x"}, std::nullopt, false, {}},
        {{"-reverse=1"}, std::nullopt, false, {}},
        {{"-style"}, std::nullopt, false, {}},
        // A name that is not UTF-8 keeps its bytes, so that very file opens.
        {{"img\xe9.plt"}, DecodeFileName("img\xe9.plt"), true, {}},
    };
    for (const auto& c : cases) {
        Arguments argv{"quorvex"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const WindowCommandLine line = ParseWindowCommandLine(argv);
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(line.Error.isEmpty(), c.good) << line.Error.toStdString();
        if (c.good) {
            EXPECT_EQ(line.DataFile, c.file);
            Arguments qt{"quorvex"};
            qt.insert(qt.end(), c.qt.begin(), c.qt.end());
            EXPECT_EQ(line.QtArguments, qt);
        }
    }
}

// Usage errors, help and version end the program before any window exists,
// so they need no display.
TEST(WindowCommandLine, AnswersWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const struct {
        QStringList arguments;
        int exitCode;
        const char* stream; // what it writes: "out" or "err"
        const char* text;
    } cases[] = {
        {{QStringLiteral("a.plt"), QStringLiteral("b.plt")}, 2, "err", "Usage: quorvex [FILE]"},
        {{QStringLiteral("--bogus")}, 2, "err", "quorvex: unknown option '--bogus'"},
        {{QStringLiteral("--"), QStringLiteral("-reverse"), QStringLiteral("extra")},
         2,
         "err",
         "one data file only"},
        {{QStringLiteral("--help")}, 0, "out", "Usage: quorvex [FILE]"},
        {{QStringLiteral("--version")}, 0, "out", "quorvex "},
    };
    for (const auto& c : cases) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUORVEX_BINARY), c.arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit)
            << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(program.exitCode(), c.exitCode) << c.arguments.join(u' ').toStdString();
        const QByteArray text = std::string_view(c.stream) == "out"
                                    ? program.readAllStandardOutput()
                                    : program.readAllStandardError();
        EXPECT_TRUE(text.contains(c.text)) << text.constData();
    }
}

class OpenWith : public testing::Test {
protected:
    QString Write(const char* name, const QByteArray& bytes) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        WriteBytes(path, bytes);
        return path;
    }
    // A window that opens path after its first activation, shown and active.
    std::unique_ptr<TQVMainForm> StartWith(const QString& path) {
        auto form = std::make_unique<TQVMainForm>();
        form->SetErrorSink([this](const QString& text) { errors.append(text); });
        form->OpenAfterStart(path);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    QTemporaryDir folder;
    QStringList errors;
};

TEST_F(OpenWith, AFileOnTheCommandLineIsLoadedAndDrawnAfterStartUp) {
    const QString path = Write("site.plt", "0 0\r\n");
    const std::unique_ptr<TQVMainForm> form = StartWith(path);
    EXPECT_EQ(form->EditorText(), QStringLiteral("0 0\n"));
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->OpenDialog1.FileName(), path);
    // The start-up pass, then one pass with the data: the X mark of the
    // datum at the top of the net.
    EXPECT_EQ(form->PlotPassCount(), 2);
    EXPECT_EQ(form->Raster().pixel(235 + 3, 274 - 214 - 3), qRgb(0, 0, 0));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OpenWith, AFileThatCannotBeReadLeavesTheEmptyWindow) {
    const QString missing = folder.filePath(QStringLiteral("missing.plt"));
    const std::unique_ptr<TQVMainForm> form = StartWith(missing);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Cannot open file ") + missing + u'.'});
    EXPECT_EQ(form->EditorText(), QString());
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
    EXPECT_EQ(form->PlotPassCount(), 1);
}

class DropOnWindow : public WindowTest {
protected:
    // Sends a drag-enter and, when it is accepted, the drop to target.
    bool Drop(QWidget* target, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        mime.setText(urls.isEmpty() ? QString() : urls.first().toString());
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    QTemporaryDir files;
};

TEST_F(DropOnWindow, OneLocalFileIsLoadedAndDrawnWhereverItIsDropped) {
    const QString path = files.filePath(QStringLiteral("site.plt"));
    WriteBytes(path, "10 20\r\n");
    for (QWidget* target : {static_cast<QWidget*>(form.get()), form->DataFileMemo->viewport()}) {
        form->DataFileMemo->setPlainText(QStringLiteral("old"));
        const int passes = form->PlotPassCount();
        EXPECT_TRUE(Drop(target, {QUrl::fromLocalFile(path)}));
        // Loaded, not inserted as the file's name.
        EXPECT_EQ(form->EditorText(), QStringLiteral("10 20\n"));
        EXPECT_EQ(form->CurrentFileName, path);
        EXPECT_EQ(form->PlotPassCount(), passes + 1);
    }
}

TEST_F(DropOnWindow, SeveralFilesOrRemoteOnesAreRefused) {
    const QString a = files.filePath(QStringLiteral("a.plt"));
    const QString b = files.filePath(QStringLiteral("b.plt"));
    WriteBytes(a, "1 2\r\n");
    WriteBytes(b, "3 4\r\n");
    form->DataFileMemo->setPlainText(QStringLiteral("kept"));
    const int passes = form->PlotPassCount();
    const QList<QUrl> refused[] = {
        {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)},
        {QUrl(QStringLiteral("https://example.org/site.plt"))},
    };
    for (const QList<QUrl>& urls : refused) {
        for (QWidget* target : {static_cast<QWidget*>(form.get()), form->DataFileMemo->viewport()})
            EXPECT_FALSE(Drop(target, urls));
    }
    EXPECT_EQ(form->EditorText(), QStringLiteral("kept"));
    EXPECT_EQ(form->PlotPassCount(), passes);
}

} // namespace
