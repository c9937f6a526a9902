#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>

#include "data_file.h"
#include "file_system_fixtures.h"
#include "window_fixture.h"

namespace {

class WindowFiles : public WindowTest {
protected:
    QString PathOf(const QString& name) const { return folder.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const {
        WriteBytes(PathOf(name), bytes);
        return PathOf(name);
    }
    void Load(const std::optional<QString>& path) {
        Answer(path);
        QTest::mouseClick(form->Button4, Qt::LeftButton);
    }
    void Save(const std::optional<QString>& path) {
        Answer(path);
        QTest::mouseClick(form->Button3, Qt::LeftButton);
    }

    QTemporaryDir folder;
};

TEST_F(WindowFiles, ButtonsAndMenuItemsOpenTheirDialogsWithoutRedrawing) {
    const struct {
        std::function<void()> click;
        QString title;
    } cases[] = {
        {[this] { QTest::mouseClick(form->Button4, Qt::LeftButton); },
         QStringLiteral("Open Quorvex Data File")},
        {[this] { form->Open1->trigger(); }, QStringLiteral("Open Quorvex Data File")},
        {[this] { QTest::mouseClick(form->Button3, Qt::LeftButton); },
         QStringLiteral("Save Data File")},
        {[this] { form->Save1->trigger(); }, QStringLiteral("Save Data File")},
        {[this] { QTest::mouseClick(form->Button1, Qt::LeftButton); },
         QStringLiteral("Save Plot Image")},
        {[this] { form->SaveImageFile1->trigger(); }, QStringLiteral("Save Plot Image")},
    };
    for (const auto& c : cases) {
        dialogTitles.clear();
        c.click();
        EXPECT_EQ(dialogTitles, QStringList{c.title});
    }
    EXPECT_EQ(form->PlotPassCount(), 1);
    EXPECT_EQ(form->CurrentFileName, QString()); // the cancelled loads emptied it
}

TEST_F(WindowFiles, ThePrintButtonAndMenuItemPrintWithoutRedrawing) {
    int opened = 0;
    form->SetPrintDeviceOpener([&opened](QString& error) -> std::unique_ptr<QPagedPaintDevice> {
        ++opened;
        error = QStringLiteral("There is no default printer currently selected");
        return nullptr;
    });
    form->CurrentFileName = QStringLiteral("/data/site.plt");
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    form->PrintImage1->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(errors,
              QStringList(2, QStringLiteral("There is no default printer currently selected.")));
    EXPECT_EQ(form->PlotPassCount(), 1);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("/data/site.plt"));
}

TEST_F(WindowFiles, CancellingTheFirstLoadEmptiesTheFileName) {
    Load(std::nullopt);
    EXPECT_EQ(dialogTitles, QStringList{QStringLiteral("Open Quorvex Data File")});
    EXPECT_EQ(form->CurrentFileName, QString());
    EXPECT_EQ(form->DataFileMemo->toPlainText(), QString());
}

TEST_F(WindowFiles, LoadingReplacesTheTextNamesTheFileAndDoesNotRedraw) {
    const QString path = Write("unix.plt", "10 20\n30 40\r50 60\r\n");
    Load(path);
    EXPECT_EQ(form->EditorText(), QStringLiteral("10 20\n30 40\n50 60\n"));
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->OpenDialog1.FileName(), path);
    EXPECT_EQ(form->PlotPassCount(), 1);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WindowFiles, CancellingAfterAnEditRestoresTheLastLoadedName) {
    const QString path = Write("site.plt", "10 20\r\n");
    Load(path);
    QTest::keyClicks(form->DataFileMemo, QStringLiteral("5"));
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
    Load(std::nullopt);
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->EditorText(), QStringLiteral("510 20\n"));
}

TEST_F(WindowFiles, LoadingTheTextAlreadyShownReportsNoChangeButNamesTheFile) {
    form->DataFileMemo->setPlainText(QStringLiteral("1 2\n3 4\n"));
    const QString path = Write("same.plt", "1 2\r\n3 4\r\n");
    QSignalSpy changes(form->DataFileMemo, &QPlainTextEdit::textChanged);
    Load(path);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(form->CurrentFileName, path);
}

TEST_F(WindowFiles, SavingNamesTheFileOnlyAfterSuccess) {
    form->DataFileMemo->setPlainText(QStringLiteral("10 20\n30 40"));
    Save(std::nullopt);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    const QString path = PathOf("out.plt");
    Save(path);
    EXPECT_EQ(ReadBytes(path), QByteArray("10 20\r\n30 40\r\n"));
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->SaveDialog1.FileName(), path);
    // The two dialogs remember separately.
    EXPECT_EQ(form->OpenDialog1.FileName(), QString());
    EXPECT_EQ(form->PlotPassCount(), 1);

    Save(PathOf("missing/out.plt"));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Invalid filename.")});
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->SaveDialog1.FileName(), PathOf("missing/out.plt"));
}

TEST_F(WindowFiles, AnEmptyEditorSavesAsOneLineBreak) {
    Save(PathOf("empty.plt"));
    EXPECT_EQ(ReadBytes(PathOf("empty.plt")), QByteArray("\r\n"));
}

TEST_F(WindowFiles, LoadThenSaveGivesTheSameBytes) {
    const QByteArray files[] = {
        "10 20\r\n30 40\r\n",
        "Site \xE9t\xE9\r\n12 -3\r\n",       // Latin-1 stays Latin-1
        "Site \xC3\xA9t\xC3\xA9\r\n1 2\r\n", // UTF-8 stays UTF-8
        "no final break",                    // gains only its one line break
        "with\xA0no-break space\r\n",
        "\xEF\xBB\xBF"
        "10 20\r\n", // the mark comes back, though never shown
    };
    for (const QByteArray& bytes : files) {
        const QString path = Write("round.plt", bytes);
        Load(path);
        Save(path);
        const QByteArray expected = bytes.endsWith("\r\n") ? bytes : bytes + "\r\n";
        EXPECT_EQ(ReadBytes(path), expected) << bytes.toHex().constData();
        // Saving again does not grow the file.
        Save(path);
        EXPECT_EQ(ReadBytes(path), expected) << bytes.toHex().constData();
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'|').toStdString();
}

// A byte-order mark is invisible in the editor; as part of line 1 it would
// make that datum silently unreadable.
TEST_F(WindowFiles, AByteOrderMarkIsNotPartOfTheFirstLine) {
    Load(Write("marked.plt", "\xEF\xBB\xBF"
                             "10 20\r\n30 40\r\n"));
    EXPECT_EQ(form->EditorText(), QStringLiteral("10 20\n30 40\n"));
}

TEST_F(WindowFiles, LineFeedFilesAreSavedWithCrLf) {
    const QString path = Write("lf.plt", "1 2\n3 4\n");
    Load(path);
    Save(PathOf("crlf.plt"));
    EXPECT_EQ(ReadBytes(PathOf("crlf.plt")), QByteArray("1 2\r\n3 4\r\n"));
}

TEST_F(WindowFiles, AFailedLoadLeavesEditorAndNameAlone) {
    form->DataFileMemo->setPlainText(QStringLiteral("keep"));
    form->CurrentFileName = QStringLiteral("/earlier.plt");
    const QString binary = Write("binary.plt", QByteArray("10 20\r\n\0\1\2", 10));
    const QString huge = Write("huge.plt", "1 2\r\n");
    ASSERT_TRUE(QFile::resize(huge, kMaxDataFileBytes + 1)); // sparse: quick to make
    const struct {
        QString path;
        QString shown;
    } cases[] = {
        {huge, QStringLiteral("Text exceeds memo capacity.")},
        {PathOf("missing.plt"), QStringLiteral("Cannot open file ") + PathOf("missing.plt") + u'.'},
        {binary,
         QStringLiteral("Cannot open file ") + binary + QStringLiteral(": not a text file.")},
    };
    for (const auto& c : cases) {
        errors.clear();
        Load(c.path);
        EXPECT_EQ(errors, QStringList{c.shown});
        EXPECT_EQ(form->EditorText(), QStringLiteral("keep"));
        EXPECT_EQ(form->CurrentFileName, QStringLiteral("/earlier.plt"));
    }
}

TEST_F(WindowFiles, AFailedSaveKeepsTheOldFileAndTheName) {
    const QString path = Write("locked.plt", "old\r\n");
    QString error;
    if (!SetImmutable(path, true, error))
        GTEST_SKIP() << "needs root on a file system with attributes: " << error.toStdString();
    form->DataFileMemo->setPlainText(QStringLiteral("new text"));
    form->CurrentFileName = QStringLiteral("/earlier.plt");
    Save(path);
    SetImmutable(path, false, error);
    EXPECT_EQ(errors, QStringList{QStringLiteral("File access denied.")});
    EXPECT_EQ(ReadBytes(path), QByteArray("old\r\n"));
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("/earlier.plt"));
    EXPECT_EQ(form->EditorText(), QStringLiteral("new text"));
}

TEST_F(WindowFiles, AFullDiskIsShownAndTheOldFileSurvives) {
    TmpfsMount mount("size=64k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QString path = mount.Path() + QStringLiteral("/data.plt");
    WriteBytes(path, "10 20\r\n");
    ASSERT_TRUE(FillFileSystem(mount.Path() + QStringLiteral("/filler")));
    form->DataFileMemo->setPlainText(QStringLiteral("30 40\n50 60\n"));
    form->CurrentFileName = QStringLiteral("/earlier.plt");
    Save(path);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Disk full.")});
    EXPECT_EQ(ReadBytes(path), QByteArray("10 20\r\n"));
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("/earlier.plt"));
}

TEST_F(WindowFiles, AFiftyMegabyteFileLoadsAndSavesWhole) {
    QByteArray line = "123.4 -56.7 8.9 site sample tagline padding padding padding padding\r\n";
    QByteArray bytes;
    bytes.reserve(50'000'000 + line.size());
    while (bytes.size() < 50'000'000)
        bytes.append(line);
    const QString path = Write("big.plt", bytes);
    QElapsedTimer timer;
    timer.start();
    Load(path);
    const qint64 loadMs = timer.elapsed();
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'|').toStdString();
    EXPECT_EQ(form->CurrentFileName, path);
    EXPECT_EQ(form->DataFileMemo->blockCount(), bytes.count('\n') + 1);
    Save(PathOf("big-copy.plt"));
    EXPECT_EQ(ReadBytes(PathOf("big-copy.plt")), bytes);
    RecordProperty("load_ms", static_cast<int>(loadMs));
}

TEST_F(WindowFiles, ALineOfAHundredThousandCharactersSurvives) {
    const QByteArray bytes = QByteArray(100'000, 'x') + "\r\n";
    const QString path = Write("long.plt", bytes);
    Load(path);
    EXPECT_EQ(form->EditorText().size(), 100'001);
    // A redraw reads the line (cut for the plot) without trouble.
    QTest::mouseClick(form->DataFileMemo->viewport(), Qt::LeftButton);
    EXPECT_EQ(form->PlotPassCount(), 2);
    Save(path);
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'|').toStdString();
}

} // namespace
