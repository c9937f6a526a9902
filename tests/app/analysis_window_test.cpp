// The Analysis menu, its two dialogs (answered through the menu's seam) and
// the Results window, driven as a user drives them.

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <functional>

#include "analysis_menu.h"
#include "contour_settings_dialog.h"
#include "results_window.h"
#include "site_location_dialog.h"
#include "tilt_correction_dialog.h"
#include "window_fixture.h"

namespace {

// Six normal directions and three reversed.
const QString kMixed = QStringLiteral("12.5 48.2\n20.1 55\n5.3 38.7\n355.2 42.1\n30 60.5\n"
                                      "198.4 -35.2\n185 -48.6\n201.7 -41.3\n8.8 51.4\n");

class AnalysisWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        menu = form->AnalysisMenu1;
        menu->SetModalRunner([this](QDialog& dialog) {
            ++dialogsRun;
            return answer ? answer(dialog) : false;
        });
    }

    // Shows the Results window and returns its text.
    QString Results() {
        menu->Results1->trigger();
        return form->Results() != nullptr ? form->Results()->Text() : QString();
    }

    AnalysisMenu* menu = nullptr;
    std::function<bool(QDialog&)> answer; // empty: the dialog is cancelled
    int dialogsRun = 0;
};

TEST_F(AnalysisWindow, FollowsTheMainMenuWithItsItemsAndKey) {
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->menu(), form->File1);
    EXPECT_EQ(top[1]->text(), QStringLiteral("Analysis"));
    EXPECT_EQ(top[1]->menu(), menu->Analysis1);
    QStringList captions;
    for (const QAction* action : menu->Analysis1->actions())
        captions.append(action->text());
    EXPECT_EQ(
        captions,
        QStringList({QStringLiteral("Tilt correction\u2026"), QStringLiteral("Separate polarities"),
                     QStringLiteral("Reversal test"), QStringLiteral("Common-mean test"),
                     QStringLiteral("Site location\u2026"), QStringLiteral("Contours"),
                     QStringLiteral("Contour settings\u2026"), QStringLiteral("Projection"),
                     QString(), QStringLiteral("Results")}));
    EXPECT_EQ(menu->Results1->shortcut().toString(), QStringLiteral("Ctrl+R"));
}

// Every accepted setting redraws once and reaches the pass; a cancelled
// dialog changes nothing and does not redraw.
TEST_F(AnalysisWindow, EachSettingRedrawsOnceAndReachesThePass) {
    form->DataFileMemo->setPlainText(QStringLiteral("91.2 43.1\n") + kMixed);
    form->SetItemIndex(form->AvRg, 0);
    int passes = form->PlotPassCount();

    menu->SeparatePolarities1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    menu->ReversalTest1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    menu->CommonMeanTest1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    EXPECT_TRUE(menu->CommonMeanTest1->isChecked());

    answer = [](QDialog& dialog) {
        auto& tilt = dynamic_cast<TiltCorrectionDialog&>(dialog);
        tilt.OneForAllItem->click();
        tilt.DipDirectionBox->setValue(90.0);
        tilt.DipBox->setValue(20.0);
        return true;
    };
    menu->TiltCorrection1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    EXPECT_TRUE(menu->TiltCorrection1->isChecked());

    answer = [](QDialog& dialog) {
        auto& site = dynamic_cast<SiteLocationDialog&>(dialog);
        site.LatitudeBox->setValue(33.0);
        site.LongitudeBox->setValue(-117.0);
        return true;
    };
    menu->SiteLocation1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    EXPECT_TRUE(menu->SiteLocation1->isChecked());

    // A cancelled dialog opened with the settings as they are.
    answer = [](QDialog& dialog) {
        auto& tilt = dynamic_cast<TiltCorrectionDialog&>(dialog);
        EXPECT_EQ(tilt.Source(), BeddingSource::OneForAll);
        EXPECT_EQ(tilt.DipDirection(), 90.0);
        tilt.NoneItem->click();
        return false;
    };
    menu->TiltCorrection1->trigger();
    EXPECT_EQ(form->PlotPassCount(), passes);
    EXPECT_TRUE(menu->TiltCorrection1->isChecked());
    EXPECT_EQ(dialogsRun, 3);

    const QString results = Results();
    EXPECT_TRUE(results.contains(QStringLiteral("dip direction 90.00, dip 20.00")));
    EXPECT_TRUE(results.contains(QStringLiteral("       1    90.95    23.10\n")));
    EXPECT_TRUE(results.contains(QStringLiteral("\nPolarities\n")));
    EXPECT_TRUE(results.contains(QStringLiteral("\nReversal test")));
    EXPECT_TRUE(results.contains(QStringLiteral("\nCommon-mean test of the first two sets")));
    EXPECT_TRUE(results.contains(QStringLiteral("site latitude 33.00, longitude -117.00")));

    // "No site" forgets the site.
    answer = [](QDialog& dialog) {
        dynamic_cast<SiteLocationDialog&>(dialog).NoSiteButton->click();
        return dialog.result() == QDialog::Accepted;
    };
    menu->SiteLocation1->trigger();
    EXPECT_FALSE(menu->SiteLocation1->isChecked());
    EXPECT_FALSE(form->Results()->Text().contains(QStringLiteral("geomagnetic pole")));
}

// Each contour method redraws once and reaches the pass; the settings come
// from their dialog, and levels that do not read keep OK off.
TEST_F(AnalysisWindow, ContoursAreChosenInTheMenuWithTheirSettingsInADialog) {
    QStringList methods;
    for (const QAction* action : menu->Contours1->actions())
        methods.append(action->text());
    EXPECT_EQ(methods,
              QStringList({QStringLiteral("None"), QStringLiteral("Kamb"),
                           QStringLiteral("Exponential Kamb"), QStringLiteral("1% area")}));
    EXPECT_TRUE(menu->ContoursNone1->isChecked());

    form->DataFileMemo->setPlainText(kMixed);
    int passes = form->PlotPassCount();
    menu->ContoursKamb1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    EXPECT_TRUE(Results().contains(QStringLiteral("Density contours: Kamb, sigma 3.00")));
    passes = form->PlotPassCount();

    answer = [](QDialog& dialog) {
        auto& settings = dynamic_cast<ContourSettingsDialog&>(dialog);
        settings.SigmaBox->setValue(2.0);
        settings.LevelsEdit->setText(QStringLiteral("x 3"));
        EXPECT_FALSE(
            settings.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
        settings.LevelsEdit->setText(QStringLiteral("3 6"));
        return true;
    };
    menu->ContourSettings1->trigger();
    EXPECT_EQ(form->PlotPassCount(), ++passes);
    const QString results = form->Results()->Text();
    EXPECT_TRUE(results.contains(QStringLiteral("Density contours: Kamb, sigma 2.00")));
    EXPECT_TRUE(results.contains(QStringLiteral("levels (sigma): 3.00 6.00")));

    menu->ContoursNone1->trigger();
    EXPECT_FALSE(form->Results()->Text().contains(QStringLiteral("Density contours")));
}

TEST(ContourSettings, LevelsReadAsTheLocaleWritesThem) {
    struct Row {
        const char* text;
        QChar separator;
        std::optional<std::vector<double>> levels;
    };
    const Row rows[] = {
        {"", u'.', std::vector<double>{}},
        {"2 4, 6;8", u'.', std::vector<double>{2, 4, 6, 8}},
        {"0.5 1,5", u',', std::vector<double>{0.5, 1.5}},
        {"2 0", u'.', std::nullopt},
        {"2 -1", u'.', std::nullopt},
        {"2 x", u'.', std::nullopt},
        {"inf", u'.', std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseContourLevels(QString::fromLatin1(row.text), row.separator), row.levels)
            << row.text;
}

// Beside the main window, refreshed by every pass, copied whole.
TEST_F(AnalysisWindow, ResultsWindowStandsBesideAndFollowsEveryPass) {
    form->DataFileMemo->setPlainText(QStringLiteral("10 20\nx\n"));
    QTest::keyClick(form->DataFileMemo, Qt::Key_R, Qt::ControlModifier);
    ResultsWindow* results = form->Results();
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isVisible());
    EXPECT_TRUE(results->Text().contains(QStringLiteral("Data read: 1\nLines not read: 1\n")));

    form->DataFileMemo->setPlainText(QStringLiteral("10 20\n30 40\n"));
    QTest::mouseClick(form->OpenImageButt, Qt::LeftButton);
    EXPECT_TRUE(results->Text().contains(QStringLiteral("Data read: 2\nLines not read: 0\n")));
    EXPECT_EQ(results->View->toPlainText(), results->Text());

    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(results->CopyButton, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), results->Text());
}

TEST(PlaceBeside, RightOfTheWindowElseLeftElseNarrowerElseWhollyOnTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize wanted(600, 700);
    struct Row {
        const char* name;
        QRect frame;
        QRect expected;
    };
    const Row rows[] = {
        {"room on the right", {100, 50, 941, 700}, {1041, 50, 600, 700}},
        {"room on the left only", {1000, 50, 900, 700}, {400, 50, 600, 700}},
        {"narrower on the right", {400, 50, 941, 700}, {1341, 50, 579, 700}},
        {"narrower on the left", {500, 50, 1000, 700}, {0, 50, 500, 700}},
        {"over the window", {300, 50, 1300, 700}, {1320, 50, 600, 700}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PlaceBeside(row.frame, wanted, screen, 450), row.expected) << row.name;
    // Wider than the screen: as wide as the room on the right.
    EXPECT_EQ(PlaceBeside({0, 0, 300, 300}, QSize(2000, 300), screen, 450),
              QRect(300, 0, 1620, 300));
}

// Items whose setting the pass would ignore are greyed out.
TEST_F(AnalysisWindow, ItemsThatDoNotApplyAreGreyedOut) {
    form->SetItemIndex(form->FileTypeRG, 4);
    EXPECT_FALSE(menu->TiltCorrection1->isEnabled());
    EXPECT_TRUE(menu->SiteLocation1->isEnabled());
    form->SetItemIndex(form->FileTypeRG, 9);
    EXPECT_TRUE(menu->TiltCorrection1->isEnabled());
    form->SetItemIndex(form->PlotTypeRG, 2);
    EXPECT_FALSE(menu->TiltCorrection1->isEnabled());
    EXPECT_FALSE(menu->SiteLocation1->isEnabled());
    EXPECT_TRUE(menu->SeparatePolarities1->isEnabled());
}

// The boxes take no impossible angle, however it is typed.
TEST(AnalysisDialogs, RefuseImpossibleAngles) {
    TiltCorrectionDialog tilt;
    tilt.SetBedding(BeddingSource::OneForAll, 0.0, 0.0);
    SiteLocationDialog site;
    const struct {
        QDoubleSpinBox* box;
        const char* typed;
        double limit;
    } cases[] = {{tilt.DipBox, "95", 90.0},
                 {tilt.DipDirectionBox, "400", 360.0},
                 {site.LatitudeBox, "-91", -90.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        c.box->selectAll();
        QTest::keyClicks(c.box, QString::fromLatin1(c.typed));
        c.box->interpretText();
        EXPECT_LE(std::abs(c.box->value()), std::abs(c.limit));
    }
}

} // namespace
