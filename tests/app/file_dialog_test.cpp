#include "file_dialog.h"

#include <QComboBox>
#include <QFileDialog>
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

} // namespace
