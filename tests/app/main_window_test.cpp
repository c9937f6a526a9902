#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include <algorithm>
#include <new>
#include <string_view>

#include "error_box.h"
#include "file_type.h"
#include "image_view.h"
#include "window_fixture.h"

namespace {

QStringList ItemCaptions(const QGroupBox* group) {
    QStringList captions;
    for (const QRadioButton* radio : group->findChildren<QRadioButton*>())
        captions.append(radio->text());
    return captions;
}

QRadioButton* Item(const QGroupBox* group, int index) {
    return group->findChildren<QRadioButton*>().at(index);
}

bool IsBlack(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(0, 0, 0);
}

TEST(MainWindowBeforeActivation, HasDrawnNothingAndNamesNoFile) {
    TQVMainForm form;
    EXPECT_EQ(form.CurrentFileName, QString());
    EXPECT_EQ(form.PlotPassCount(), 0);
    EXPECT_EQ(QVMainForm, &form);
}

using MainWindow = WindowTest;

TEST_F(MainWindow, StartsWithDefaultsFocusInTheEditorAndTheEmptyNetDrawnOnce) {
    EXPECT_EQ(form->ItemIndex(form->FileTypeRG), 0);
    EXPECT_EQ(form->ItemIndex(form->PlotTypeRG), 0);
    EXPECT_EQ(form->ItemIndex(form->PlotErrorRG), 1);
    EXPECT_EQ(form->ItemIndex(form->AvRg), 1);
    EXPECT_EQ(form->ItemIndex(form->GCFitRG), 1);
    EXPECT_EQ(form->DataFileMemo->toPlainText(), QString());
    EXPECT_EQ(form->TitleEdit->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), form->DataFileMemo);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
    EXPECT_EQ(form->PlotPassCount(), 1);
    // The clearing outline shows as the top row and left column; the net lies
    // inside, so the image is neither blank nor all black.
    const QImage& raster = form->Raster();
    EXPECT_EQ(raster.size(), QSize(553, 529));
    EXPECT_TRUE(IsBlack(raster, 300, 0));
    EXPECT_TRUE(IsBlack(raster, 0, 300));
    EXPECT_FALSE(IsBlack(raster, 300, 1));
    EXPECT_GT(form->Extent.Right, form->Extent.Left);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MainWindow, ActivatingAgainNeitherRedrawsNorTouchesTheFileName) {
    form->CurrentFileName = QStringLiteral("/data/site.plt");
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(form->PlotPassCount(), 1);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("/data/site.plt"));
}

TEST_F(MainWindow, TypingInTheEditorDoesNotRedrawButAClickDoes) {
    QTest::keyClicks(form->DataFileMemo, QStringLiteral("10 20"));
    EXPECT_EQ(form->DataFileMemo->toPlainText(), QStringLiteral("10 20"));
    EXPECT_EQ(form->PlotPassCount(), 1);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
    const QImage before = form->Raster().copy();
    QTest::mouseClick(form->DataFileMemo->viewport(), Qt::LeftButton);
    EXPECT_EQ(form->PlotPassCount(), 2);
    // The new datum's mark changed the picture.
    EXPECT_NE(form->Raster(), before);
}

TEST_F(MainWindow, EveryTitleKeystrokeRedraws) {
    for (const QChar c : QStringLiteral("Site")) {
        QTest::keyClick(form->TitleEdit, c.toLatin1());
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(form->PlotPassCount(), 5);
    QTest::keyClick(form->TitleEdit, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->PlotPassCount(), 6);
}

// Keystrokes that wait while a redraw runs are one redraw, of the newest title.
TEST_F(MainWindow, KeystrokesWaitingForARedrawCollapseIntoOne) {
    const int passes = form->PlotPassCount();
    QTest::keyClicks(form->TitleEdit, QStringLiteral("Site 12"));
    EXPECT_EQ(form->PlotPassCount(), passes);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->PlotPassCount(), passes + 1);
    const QImage shown = form->Raster().copy();
    form->DoImage(nullptr);
    EXPECT_EQ(form->Raster(), shown) << "the one redraw showed the whole title";
}

TEST_F(MainWindow, EachSelectorChangeRedrawsOnceAndReselectingDoesNot) {
    int passes = form->PlotPassCount();
    for (QGroupBox* group :
         {form->FileTypeRG, form->PlotTypeRG, form->PlotErrorRG, form->AvRg, form->GCFitRG}) {
        const int other = form->ItemIndex(group) == 0 ? 1 : 0;
        QTest::mouseClick(Item(group, other), Qt::LeftButton);
        EXPECT_EQ(form->ItemIndex(group), other) << group->title().toStdString();
        EXPECT_EQ(form->PlotPassCount(), ++passes) << group->title().toStdString();
        QTest::mouseClick(Item(group, other), Qt::LeftButton);
        EXPECT_EQ(form->PlotPassCount(), passes) << group->title().toStdString();
    }
}

TEST_F(MainWindow, AnArrowKeyInAGroupSelectsTheNextItemAndRedrawsOnce) {
    QRadioButton* first = Item(form->PlotTypeRG, 0);
    first->setFocus(Qt::TabFocusReason);
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_EQ(form->ItemIndex(form->PlotTypeRG), 1);
    EXPECT_EQ(QApplication::focusWidget(), Item(form->PlotTypeRG, 1));
    EXPECT_EQ(form->PlotPassCount(), 2);
}

TEST_F(MainWindow, TheRefreshButtonAndMenuItemRedraw) {
    QTest::mouseClick(form->OpenImageButt, Qt::LeftButton);
    EXPECT_EQ(form->PlotPassCount(), 2);
    form->ShowRefreshPlot1->trigger();
    EXPECT_EQ(form->PlotPassCount(), 3);
}

TEST_F(MainWindow, EditingSetsTheFileNameToOneSpace) {
    form->CurrentFileName = QStringLiteral("/data/site.plt");
    QTest::keyClick(form->DataFileMemo, Qt::Key_A);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral(" "));
}

TEST_F(MainWindow, ControlsSitAtTheirPlacesWithTheirCaptions) {
    const struct {
        QWidget* widget;
        QRect geometry;
        QString caption;
    } controls[] = {
        {form->Label1, {8, 8, 138, 14}, QStringLiteral("Title for this plot (on printout)")},
        {form->TitleEdit, {8, 24, 505, 22}, QString()},
        {form->DataFileLabel, {8, 56, 39, 14}, QStringLiteral("Data file")},
        {form->DataFileMemo, {8, 72, 345, 153}, QString()},
        {form->Button4, {8, 248, 201, 33}, QStringLiteral("Load Data File")},
        {form->Button3, {8, 288, 201, 33}, QStringLiteral("Save Data File")},
        {form->FileTypeRG, {8, 328, 201, 249}, QStringLiteral("Data file type")},
        {form->OpenImageButt, {8, 584, 201, 73}, QStringLiteral("Show / Refresh plot")},
        {form->PlotTypeRG, {216, 240, 145, 81}, QStringLiteral("What are you plotting?")},
        {form->PlotErrorRG, {216, 328, 145, 89}, QStringLiteral("Plot error circles on data?")},
        {form->AvRg, {216, 424, 145, 73}, QStringLiteral("Show Fisher average?")},
        {form->GCFitRG, {216, 504, 145, 73}, QStringLiteral("Show great-circle fit?")},
        {form->Button1, {216, 584, 145, 33}, QStringLiteral("Save Image")},
        {form->Button2, {216, 624, 145, 33}, QStringLiteral("Print Image")},
        {form->Image1, {376, 72, 553, 529}, QString()},
        {form->Label4, {560, 24, 136, 14}, QStringLiteral("Generic data file (plain text):")},
        {form->Label5,
         {560, 40, 299, 14},
         QStringLiteral("D/Lon [sp] I/lat [sp] error radius (optional) [sp] tagline (ignored)")},
        {form->Label2, {416, 648, 452, 14}, form->Label2->text()},
        {form->PointerReadout, {376, 608, 553, 14}, QString()},
    };
    for (const auto& c : controls) {
        const std::string name = c.widget->objectName().toStdString();
        EXPECT_EQ(c.widget->parentWidget(), form->centralWidget()) << name;
        if (auto* label = qobject_cast<QLabel*>(c.widget)) {
            EXPECT_EQ(label->text(), c.caption) << name;
            // A label is as wide as its caption needs, at least the given width.
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_EQ(label->geometry(),
                      QRect(c.geometry.topLeft(),
                            QSize(std::max(needed, c.geometry.width()), c.geometry.height())))
                << name;
            EXPECT_LE(label->width(), c.geometry.width() + 4) << name;
            continue;
        }
        EXPECT_EQ(c.widget->geometry(), c.geometry) << name;
        if (auto* button = qobject_cast<QPushButton*>(c.widget)) {
            EXPECT_EQ(button->text(), c.caption) << name;
        } else if (auto* group = qobject_cast<QGroupBox*>(c.widget)) {
            EXPECT_EQ(group->title(), c.caption) << name;
        }
    }
    EXPECT_FALSE(form->Label2->text().isEmpty());
    EXPECT_FALSE(form->Label2->text().contains(u'\n'));
}

TEST_F(MainWindow, SelectorItemsAreExact) {
    QStringList fileTypes;
    for (const std::string_view caption : kFileTypeCaptions)
        fileTypes.append(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    ASSERT_EQ(fileTypes.size(), 11);
    EXPECT_EQ(fileTypes[1], QStringLiteral("Site mean file: D [sp] I [sp] a95 "));
    EXPECT_EQ(fileTypes[9], QStringLiteral("Strike [sp] dip  (plot pole)"));
    EXPECT_EQ(ItemCaptions(form->FileTypeRG), fileTypes);
    EXPECT_EQ(ItemCaptions(form->PlotTypeRG),
              (QStringList{"Directions", "VGPs, N polar view", "VGPs, S polar view"}));
    EXPECT_EQ(ItemCaptions(form->PlotErrorRG),
              (QStringList{"Certainly!", "No, not right now.", "L. hemi. plane."}));
    EXPECT_EQ(ItemCaptions(form->AvRg), (QStringList{"Yes, please", "No thank you"}));
    EXPECT_EQ(ItemCaptions(form->GCFitRG), (QStringList{"Of course!", "Maybe later"}));
    // One column: every item lies below the previous one, at the same left.
    for (QGroupBox* group :
         {form->FileTypeRG, form->PlotTypeRG, form->PlotErrorRG, form->AvRg, form->GCFitRG}) {
        const QList<QRadioButton*> items = group->findChildren<QRadioButton*>();
        for (qsizetype i = 1; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->x(), items[0]->x());
            EXPECT_GE(items[i]->y(), items[i - 1]->y() + items[i - 1]->height());
        }
        EXPECT_LE(items.back()->geometry().bottom(), group->height());
    }
}

TEST_F(MainWindow, EachFileTypeItemNamesTheColumnsItsReaderReads) {
    const QList<QAbstractButton*> items = form->FileTypeRG->findChildren<QAbstractButton*>();
    ASSERT_EQ(items.size(), kFileTypeCount);
    for (int type = 0; type < kFileTypeCount; ++type)
        EXPECT_EQ(items[type]->toolTip(), QString::fromStdString(FileTypeColumns(type)));
    EXPECT_TRUE(items[10]->toolTip().contains(u"reads the dip direction first, then the dip"));
    EXPECT_TRUE(items[4]->toolTip().startsWith(u"lines 1-2 are headers; columns 8-12"));
}

TEST_F(MainWindow, EveryRadioCaptionFitsInsideItsGroup) {
    for (QGroupBox* group :
         {form->FileTypeRG, form->PlotTypeRG, form->PlotErrorRG, form->AvRg, form->GCFitRG}) {
        for (QRadioButton* radio : group->findChildren<QRadioButton*>()) {
            SCOPED_TRACE(radio->text().toStdString());
            QStyleOptionButton option;
            option.initFrom(radio);
            const QStyle* style = radio->style();
            const int needed =
                style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, radio) +
                style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, radio) +
                radio->fontMetrics().horizontalAdvance(radio->text());
            EXPECT_LE(needed, radio->width());
            EXPECT_TRUE(group->contentsRect().contains(radio->geometry()))
                << "radio " << radio->geometry().x() << "," << radio->geometry().width()
                << " contents " << group->contentsRect().x() << ","
                << group->contentsRect().width();
        }
    }
}

TEST_F(MainWindow, TheMenuHoldsItsEightItemsWithTheStandardKeys) {
    // The Analysis menu follows it (analysis_window_test.cpp).
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("Main Menu"));
    EXPECT_EQ(top[0]->menu(), form->File1);
    const QList<QAction*> expected = {form->Open1,
                                      form->Save1,
                                      form->ShowRefreshPlot1,
                                      form->SaveImageFile1,
                                      form->PrintImage1,
                                      form->PrintDialog1,
                                      form->N1,
                                      form->Exit1};
    EXPECT_EQ(form->File1->actions(), expected);
    const QStringList captions = {"Open Data File",
                                  "Save Data File",
                                  "Show / Refresh Plot",
                                  "Save Image File",
                                  "Print Image",
                                  QStringLiteral("Print\u2026"),
                                  "",
                                  "Exit"};
    const QStringList keys = {"Ctrl+O", "Ctrl+S",       "F5", "Ctrl+Shift+S",
                              "Ctrl+P", "Ctrl+Shift+P", "",   "Ctrl+Q"};
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i]->text(), captions[i]);
        EXPECT_EQ(expected[i]->isSeparator(), expected[i] == form->N1);
        EXPECT_EQ(expected[i]->shortcut().toString(), keys[i]) << captions[i].toStdString();
    }
    // No caption carries a mnemonic marker.
    for (const QWidget* widget : form->findChildren<QWidget*>()) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            EXPECT_FALSE(button->text().contains(u'&')) << button->text().toStdString();
        }
    }
}

TEST_F(MainWindow, WindowFrameClientAreaAndFonts) {
    EXPECT_EQ(form->objectName(), QStringLiteral("QVMainForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quorvex"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(941, 672));
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(form->windowIcon().isNull());
    const QImage icon(QStringLiteral(":/quorvex_icon.xpm"));
    EXPECT_EQ(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
    EXPECT_LE(colours.size(), 16);
    const QRect desktop = form->screen()->availableGeometry();
    EXPECT_LE((form->frameGeometry().center() - desktop.center()).manhattanLength(), 40);
    // The user may make the window smaller than its content.
    EXPECT_LT(form->minimumSizeHint().width(), 941);

    const QFontInfo windowFont(form->font());
    EXPECT_EQ(windowFont.pixelSize(), 11);
    EXPECT_EQ(windowFont.pointSize(), 8);
    EXPECT_EQ(windowFont.family(), QStringLiteral("Liberation Sans"));
    for (const QWidget* control :
         {static_cast<QWidget*>(form->Button4), static_cast<QWidget*>(form->File1),
          static_cast<QWidget*>(form->menuBar())})
        EXPECT_EQ(control->font(), form->font()) << control->objectName().toStdString();
    const QFontInfo editorFont(form->DataFileMemo->font());
    EXPECT_EQ(editorFont.pixelSize(), 11);
    EXPECT_EQ(editorFont.family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(form->DataFileMemo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form->DataFileMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form->DataFileMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(MainWindow, TabVisitsTheControlsInTheirOrder) {
    auto checked = [](const QGroupBox* group) {
        return group->findChild<QButtonGroup*>()->checkedButton();
    };
    const QList<QWidget*> expected = {form->DataFileMemo,
                                      checked(form->FileTypeRG),
                                      checked(form->AvRg),
                                      form->TitleEdit,
                                      checked(form->PlotTypeRG),
                                      checked(form->PlotErrorRG),
                                      form->Button1,
                                      form->Button2,
                                      form->Button3,
                                      form->Button4,
                                      checked(form->GCFitRG),
                                      form->OpenImageButt};
    form->OpenImageButt->setFocus();
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next)
            << "expected " << next->objectName().toStdString() << " got "
            << QApplication::focusWidget()->objectName().toStdString();
    }
}

TEST_F(MainWindow, ASmallerWindowKeepsTheControlsInPlaceAndTheSamePicture) {
    // Compared with a later pass: the first measures its text before the
    // canvas font has turned fixed-pitch.
    form->DoImage(nullptr);
    const QImage fullSize = form->Raster().copy();
    form->resize(500, 400);
    QTest::qWait(0);
    ASSERT_LT(form->centralWidget()->width(), 553);
    ASSERT_LT(form->centralWidget()->height(), 529);
    EXPECT_EQ(form->Image1->geometry(), QRect(376, 72, 553, 529));
    EXPECT_EQ(form->OpenImageButt->geometry(), QRect(8, 584, 201, 73));
    EXPECT_EQ(form->DataFileMemo->geometry(), QRect(8, 72, 345, 153));
    form->DoImage(nullptr);
    EXPECT_EQ(form->Raster(), fullSize);
}

TEST_F(MainWindow, AFloatingPointFaultEndsThePassWithItsMessage) {
    // Three orthogonal directions: the orientation tensor has three equal
    // eigenvalues, so no great circle fits.
    form->DataFileMemo->setPlainText(QStringLiteral("0 0\n90 0\n0 90\n"));
    form->SetItemIndex(form->GCFitRG, 0);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Invalid floating point operation.")});
    EXPECT_EQ(form->PlotPassCount(), 2);
    // The next pass starts afresh.
    form->SetItemIndex(form->GCFitRG, 1);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(form->PlotPassCount(), 3);
}

TEST_F(MainWindow, KeysReachTheirCommandsFromTheEditor) {
    form->DataFileMemo->setFocus();
    const int passes = form->PlotPassCount();
    QTest::keyClick(form->DataFileMemo, Qt::Key_F5);
    EXPECT_EQ(form->PlotPassCount(), passes + 1);
    QTest::keyClick(form->DataFileMemo, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(form->DataFileMemo, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(form->DataFileMemo, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogTitles,
              QStringList({"Open Quorvex Data File", "Save Data File", "Save Plot Image"}));
    int printDialogs = 0;
    form->SetPrintDialogRunner([&printDialogs](QPrinter&) {
        ++printDialogs;
        return false;
    });
    QTest::keyClick(form->DataFileMemo, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(printDialogs, 1);
}

// Closing with typed, unsaved text asks first; only a saved or discarded
// text lets the window close.
TEST_F(MainWindow, ClosingWithUnsavedTextAsksFirst) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString saved = dir.filePath(QStringLiteral("kept.plt"));
    struct Row {
        const char* name;
        QMessageBox::StandardButton answer;
        std::optional<QString> savePath; // the save dialog's answer
        bool closes;
    };
    const Row rows[] = {
        {"cancel keeps the window", QMessageBox::Cancel, std::nullopt, false},
        {"a cancelled save keeps the window", QMessageBox::Save, std::nullopt, false},
        {"a failed save keeps the window", QMessageBox::Save,
         dir.filePath(QStringLiteral("no/such/folder/x.plt")), false},
        {"discard closes", QMessageBox::Discard, std::nullopt, true},
        {"a save closes", QMessageBox::Save, saved, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        QStringList questions;
        form->SetCloseQuestion([&](const QString& question) {
            questions.append(question);
            return row.answer;
        });
        QTest::keyClicks(form->DataFileMemo, QStringLiteral("10 20"));
        answers.clear();
        Answer(row.savePath);
        form->Exit1->trigger();
        EXPECT_EQ(questions.size(), 1);
        EXPECT_EQ(form->isVisible(), !row.closes);
        EXPECT_EQ(form->EditorText(), QStringLiteral("10 20"));
    }
    EXPECT_TRUE(QFile::exists(saved));
    // Once saved, closing asks nothing.
    TearDown();
    SetUp();
    bool asked = false;
    form->SetCloseQuestion([&](const QString&) {
        asked = true;
        return QMessageBox::Cancel;
    });
    QTest::keyClicks(form->DataFileMemo, QStringLiteral("1 2"));
    answers.clear();
    Answer(saved);
    form->Save1->trigger();
    form->close();
    EXPECT_FALSE(asked);
    EXPECT_FALSE(form->isVisible());
}

// Running out of memory in a handler is an error box; the window and the
// editor text stay.
TEST_F(MainWindow, AHandlerThatRunsOutOfMemoryKeepsTheWindow) {
    QTest::keyClicks(form->DataFileMemo, QStringLiteral("10 20"));
    form->SetDialogRunner([](FileDialog&) -> std::optional<QString> { throw std::bad_alloc(); });
    for (QAction* action : {form->Open1, form->Save1, form->SaveImageFile1})
        action->trigger();
    EXPECT_EQ(errors, QStringList(3, QStringLiteral("Out of system resources.")));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->EditorText(), QStringLiteral("10 20"));
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    form->DataFileMemo->setPlainText(QStringLiteral("unsaved"));
    form->Exit1->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(errors.isEmpty());
}

TEST(ErrorBox, AddsAFullStopAfterCharactersThatSortAfterIt) {
    const struct {
        QString message;
        QString shown;
    } cases[] = {
        {QStringLiteral("Disk full"), QStringLiteral("Disk full.")},
        {QStringLiteral("I/O error 5"), QStringLiteral("I/O error 5.")},
        {QStringLiteral("ends in slash/"), QStringLiteral("ends in slash/.")},
        {QStringLiteral("already."), QStringLiteral("already.")},
        {QStringLiteral("hyphen-"), QStringLiteral("hyphen-")},
        {QStringLiteral("space "), QStringLiteral("space ")},
        {QStringLiteral("caf\u00E9"), QStringLiteral("caf\u00E9.")},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message.toStdString();
}

TEST(ErrorBox, IsAModalStopBoxWithOneOkButtonCaptionedQuorvex) {
    const std::unique_ptr<QMessageBox> box = MakeErrorBox(nullptr, QStringLiteral("Disk full"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Quorvex"));
    EXPECT_EQ(box->text(), QStringLiteral("Disk full."));
    EXPECT_TRUE(box->isModal());
}

} // namespace
