#include "file_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "qstring_printer.h"

#include "main_window.h"

namespace {

TEST(FileDialog, FiltersBecomeQtEntriesInOrder) {
    const FileDialog dialog(FileDialog::Mode::Open, QStringLiteral("t"),
                            QStringLiteral("Quorvex Data File (.plt)|*.plt|Text File (.txt)|*.txt|"
                                           "All Files|*.*|Both|*.plt;*.txt"),
                            QString());
    EXPECT_EQ(dialog.QtFilters(), (QStringList{QStringLiteral("Quorvex Data File (.plt) (*.plt)"),
                                               QStringLiteral("Text File (.txt) (*.txt)"),
                                               QStringLiteral("All Files (*.*)"),
                                               QStringLiteral("Both (*.plt *.txt)")}));
}

TEST(FileDialog, TheWindowsDialogsHaveTheirTitlesFiltersAndExtensions) {
    TQVMainForm form;
    const struct {
        FileDialog* dialog;
        QString title;
        QStringList filters;
        QString suffix;
        QFileDialog::AcceptMode mode;
    } cases[] = {
        {&form.OpenDialog1,
         QStringLiteral("Open Quorvex Data File"),
         {QStringLiteral("Quorvex Data File (.plt) (*.plt)"),
          QStringLiteral("Text File (.txt) (*.txt)"), QStringLiteral("All Files (*.*)")},
         QString(),
         QFileDialog::AcceptOpen},
        {&form.SaveDialog1,
         QStringLiteral("Save Data File"),
         {QStringLiteral("Quorvex Date Files (.plt will be added) (*.plt)"),
          QStringLiteral("Text File (*.txt)")},
         QStringLiteral("plt"),
         QFileDialog::AcceptSave},
        {&form.SaveDialog2,
         QStringLiteral("Save Plot Image"),
         {QStringLiteral("BMP bitmap (.bmp will be added) (*.bmp)"),
          QStringLiteral("PNG image (.png will be added) (*.png)"),
          QStringLiteral("SVG drawing (.svg will be added) (*.svg)"),
          QStringLiteral("PDF document (.pdf will be added) (*.pdf)")},
         QStringLiteral("bmp"),
         QFileDialog::AcceptSave},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<QFileDialog> qt = c.dialog->CreateQtDialog(&form);
        EXPECT_EQ(qt->windowTitle(), c.title);
        EXPECT_EQ(qt->nameFilters(), c.filters) << c.title.toStdString();
        EXPECT_EQ(qt->selectedNameFilter(), c.filters.first());
        EXPECT_EQ(qt->defaultSuffix(), c.suffix);
        EXPECT_EQ(qt->acceptMode(), c.mode);
        // The overwrite prompt stays on for save dialogs.
        EXPECT_FALSE(qt->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(c.dialog->FileName(), QString());
    }
}

TEST(FileDialog, OpensWithTheNameAndFilterLastAccepted) {
    QTemporaryDir folder;
    FileDialog dialog(FileDialog::Mode::Save, QStringLiteral("Save Data File"),
                      QStringLiteral("Data|*.plt|Text File|*.txt"), QStringLiteral(".plt"));
    {
        const std::unique_ptr<QFileDialog> qt = dialog.CreateQtDialog(nullptr);
        qt->setDirectory(folder.path());
        qt->selectNameFilter(QStringLiteral("Text File (*.txt)"));
        qt->selectFile(QStringLiteral("notes.txt"));
        static_cast<QDialog*>(qt.get())->accept(); // public in QDialog
        EXPECT_EQ(dialog.TakeResult(*qt), folder.filePath(QStringLiteral("notes.txt")));
    }
    EXPECT_EQ(dialog.FilterIndex(), 1);
    const std::unique_ptr<QFileDialog> again = dialog.CreateQtDialog(nullptr);
    EXPECT_EQ(again->selectedNameFilter(), QStringLiteral("Text File (*.txt)"));
    EXPECT_EQ(again->selectedFiles(), QStringList{folder.filePath(QStringLiteral("notes.txt"))});
}

TEST(FileDialog, ATypedNameWithoutExtensionGetsTheDefaultOne) {
    QTemporaryDir folder;
    FileDialog dialog(FileDialog::Mode::Save, QStringLiteral("Save Data File"),
                      QStringLiteral("Data|*.plt"), QStringLiteral(".plt"));
    const std::unique_ptr<QFileDialog> qt = dialog.CreateQtDialog(nullptr);
    qt->setDirectory(folder.path());
    qt->selectFile(QStringLiteral("site7"));
    static_cast<QDialog*>(qt.get())->accept();
    EXPECT_EQ(dialog.TakeResult(*qt), folder.filePath(QStringLiteral("site7.plt")));
}

// The image dialog: the entry the user picks in the file-type box decides the
// extension a bare name gets, as the entry's own text promises.
TEST(FileDialog, ABareNameGetsTheExtensionOfTheChosenFilterWhereAsked) {
    QTemporaryDir folder;
    FileDialog dialog(FileDialog::Mode::Save, QStringLiteral("Save Plot Image"),
                      QStringLiteral("BMP bitmap (.bmp will be added)|*.bmp|"
                                     "PNG image (.png will be added)|*.png"),
                      QStringLiteral(".bmp"));
    dialog.SetExtensionFollowsFilter(true);
    const struct {
        int entry;
        const char* typed;
        const char* saved;
    } cases[] = {
        {1, "figure", "figure.png"}, {0, "figure", "figure.bmp"}, {1, "figure.bmp", "figure.bmp"}};
    for (const auto& c : cases) {
        const std::unique_ptr<QFileDialog> qt = dialog.CreateQtDialog(nullptr);
        qt->setDirectory(folder.path());
        auto* types = qt->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(c.entry);
        emit types->textActivated(types->currentText()); // as a click on the entry reports it
        qt->selectFile(QString::fromLatin1(c.typed));
        static_cast<QDialog*>(qt.get())->accept();
        EXPECT_EQ(dialog.TakeResult(*qt), folder.filePath(QString::fromLatin1(c.saved))) << c.typed;
        EXPECT_EQ(dialog.FilterIndex(), c.entry);
    }
}

// The image dialog offers the header parts to leave out and the PNG scale
// beside the file type, starting from the choices last accepted; the data
// dialogs offer none.
TEST(FileDialog, TheImageDialogOffersTheFigureChoicesAndRemembersThem) {
    QTemporaryDir folder;
    TQVMainForm form;
    EXPECT_EQ(form.SaveDialog2.Figure(), FigureChoices());
    const char* const parts[] = {"omitDate", "omitFile", "omitMode", "omitTitle"};
    {
        const std::unique_ptr<QFileDialog> qt = form.SaveDialog2.CreateQtDialog(&form);
        qt->setDirectory(folder.path());
        for (const char* part : parts) {
            auto* box = qt->findChild<QCheckBox*>(QString::fromLatin1(part));
            ASSERT_NE(box, nullptr) << part;
            EXPECT_FALSE(box->isChecked()) << part;
        }
        auto* scale = qt->findChild<QSpinBox*>(QStringLiteral("pngScale"));
        ASSERT_NE(scale, nullptr);
        EXPECT_EQ(scale->value(), 1);
        EXPECT_EQ(scale->minimum(), 1);
        EXPECT_EQ(scale->maximum(), 8);
        qt->findChild<QCheckBox*>(QStringLiteral("omitDate"))->setChecked(true);
        qt->findChild<QCheckBox*>(QStringLiteral("omitTitle"))->setChecked(true);
        scale->setValue(6);
        qt->selectFile(QStringLiteral("figure.png"));
        static_cast<QDialog*>(qt.get())->accept();
        form.SaveDialog2.TakeResult(*qt);
    }
    const FigureChoices expected{{.Date = true, .Title = true}, 6};
    EXPECT_EQ(form.SaveDialog2.Figure(), expected);
    const std::unique_ptr<QFileDialog> again = form.SaveDialog2.CreateQtDialog(&form);
    EXPECT_TRUE(again->findChild<QCheckBox*>(QStringLiteral("omitDate"))->isChecked());
    EXPECT_FALSE(again->findChild<QCheckBox*>(QStringLiteral("omitFile"))->isChecked());
    EXPECT_EQ(again->findChild<QSpinBox*>(QStringLiteral("pngScale"))->value(), 6);
    for (FileDialog* data : {&form.OpenDialog1, &form.SaveDialog1}) {
        const std::unique_ptr<QFileDialog> qt = data->CreateQtDialog(&form);
        EXPECT_EQ(qt->findChild<QSpinBox*>(QStringLiteral("pngScale")), nullptr);
        EXPECT_TRUE(qt->findChildren<QCheckBox*>().isEmpty());
    }
}

} // namespace
