#include "analysis_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <utility>

#include "contour_settings_dialog.h"
#include "site_location_dialog.h"
#include "tilt_correction_dialog.h"

AnalysisMenu::AnalysisMenu(QMenuBar& bar, QWidget& window) : QObject(&window), window_(window) {
    Analysis1 = bar.addMenu(QStringLiteral("Analysis"));
    Analysis1->setObjectName(QStringLiteral("Analysis1"));
    // A popup is a window of its own and would not inherit the window font.
    Analysis1->setFont(window.font());
    TiltCorrection1 = Analysis1->addAction(QStringLiteral("Tilt correction\u2026"));
    SeparatePolarities1 = Analysis1->addAction(QStringLiteral("Separate polarities"));
    ReversalTest1 = Analysis1->addAction(QStringLiteral("Reversal test"));
    CommonMeanTest1 = Analysis1->addAction(QStringLiteral("Common-mean test"));
    SiteLocation1 = Analysis1->addAction(QStringLiteral("Site location\u2026"));
    Contours1 = Analysis1->addMenu(QStringLiteral("Contours"));
    Contours1->setObjectName(QStringLiteral("Contours1"));
    Contours1->setFont(window.font());
    auto* methods = new QActionGroup(Contours1);
    const std::pair<QAction**, const char*> methodItems[] = {
        {&ContoursNone1, "None"},
        {&ContoursKamb1, "Kamb"},
        {&ContoursExponentialKamb1, "Exponential Kamb"},
        {&ContoursOnePercentArea1, "1% area"}};
    for (const auto& [item, caption] : methodItems) {
        *item = Contours1->addAction(QString::fromLatin1(caption));
        (*item)->setCheckable(true);
        methods->addAction(*item);
    }
    ContoursNone1->setChecked(true);
    ContourSettings1 = Analysis1->addAction(QStringLiteral("Contour settings\u2026"));
    Projection1 = Analysis1->addMenu(QStringLiteral("Projection"));
    Projection1->setObjectName(QStringLiteral("Projection1"));
    Projection1->setFont(window.font());
    auto* nets = new QActionGroup(Projection1);
    const std::pair<QAction**, const char*> netItems[] = {{&ProjectionEqualArea1, "Equal area"},
                                                          {&ProjectionEqualAngle1, "Equal angle"}};
    for (const auto& [item, caption] : netItems) {
        *item = Projection1->addAction(QString::fromLatin1(caption));
        (*item)->setCheckable(true);
        nets->addAction(*item);
    }
    ProjectionEqualArea1->setChecked(true);
    Analysis1->addSeparator();
    Results1 = Analysis1->addAction(QStringLiteral("Results"));
    const std::pair<QAction*, const char*> named[] = {{TiltCorrection1, "TiltCorrection1"},
                                                      {SeparatePolarities1, "SeparatePolarities1"},
                                                      {ReversalTest1, "ReversalTest1"},
                                                      {CommonMeanTest1, "CommonMeanTest1"},
                                                      {SiteLocation1, "SiteLocation1"},
                                                      {ContourSettings1, "ContourSettings1"},
                                                      {Results1, "Results1"}};
    for (const auto& [action, name] : named) {
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(action != Results1 && action != ContourSettings1);
    }
    const std::pair<QAction*, const char*> methodNames[] = {
        {ContoursNone1, "ContoursNone1"},
        {ContoursKamb1, "ContoursKamb1"},
        {ContoursExponentialKamb1, "ContoursExponentialKamb1"},
        {ContoursOnePercentArea1, "ContoursOnePercentArea1"},
        {ProjectionEqualArea1, "ProjectionEqualArea1"},
        {ProjectionEqualAngle1, "ProjectionEqualAngle1"}};
    for (const auto& [action, name] : methodNames)
        action->setObjectName(QString::fromLatin1(name));
    Results1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));

    connect(TiltCorrection1, &QAction::triggered, this,
            [this] { TiltCorrection1Click(TiltCorrection1); });
    connect(SiteLocation1, &QAction::triggered, this,
            [this] { SiteLocation1Click(SiteLocation1); });
    for (QAction* toggle : {SeparatePolarities1, ReversalTest1, CommonMeanTest1})
        connect(toggle, &QAction::toggled, this, &AnalysisMenu::SettingsChanged);
    // Only the newly checked method reports, so one choice redraws once.
    connect(methods, &QActionGroup::triggered, this, &AnalysisMenu::SettingsChanged);
    connect(nets, &QActionGroup::triggered, this, &AnalysisMenu::SettingsChanged);
    connect(ContourSettings1, &QAction::triggered, this,
            [this] { ContourSettings1Click(ContourSettings1); });
    connect(Results1, &QAction::triggered, this, &AnalysisMenu::ResultsRequested);
}

void AnalysisMenu::SetModalRunner(ModalRunner runner) {
    modalRunner_ = std::move(runner);
}

bool AnalysisMenu::RunModal(QDialog& dialog) {
    dialog.setFont(window_.font());
    if (modalRunner_)
        return modalRunner_(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void AnalysisMenu::TiltCorrection1Click(QObject*) {
    TiltCorrectionDialog dialog(&window_);
    dialog.SetBedding(bedding_, dipDirection_, dip_);
    const bool accepted = RunModal(dialog);
    if (accepted) {
        bedding_ = dialog.Source();
        dipDirection_ = dialog.DipDirection();
        dip_ = dialog.Dip();
    }
    // Triggering a checkable item toggles it; its mark shows the setting.
    TiltCorrection1->setChecked(bedding_ != BeddingSource::None);
    if (accepted)
        emit SettingsChanged();
}

void AnalysisMenu::SiteLocation1Click(QObject*) {
    SiteLocationDialog dialog(&window_);
    dialog.SetSite(site_);
    const bool accepted = RunModal(dialog);
    if (accepted)
        site_ = dialog.Site();
    SiteLocation1->setChecked(site_.has_value());
    if (accepted)
        emit SettingsChanged();
}

void AnalysisMenu::ContourSettings1Click(QObject*) {
    ContourSettingsDialog dialog(&window_);
    dialog.SetSettings(contourSigma_, contourLevels_);
    if (!RunModal(dialog))
        return;
    const std::optional<std::vector<double>> levels = dialog.Levels();
    if (!levels)
        return;
    contourSigma_ = dialog.Sigma();
    contourLevels_ = *levels;
    emit SettingsChanged();
}

void AnalysisMenu::Apply(PlotOptions& options) const {
    options.Bedding = bedding_;
    options.BeddingDipDirection = dipDirection_;
    options.BeddingDip = dip_;
    options.SeparatePolarities = SeparatePolarities1->isChecked();
    options.ReversalTest = ReversalTest1->isChecked();
    options.CommonMeanTest = CommonMeanTest1->isChecked();
    options.Site = site_;
    options.Contours = ContoursKamb1->isChecked()              ? ContourMethod::Kamb
                       : ContoursExponentialKamb1->isChecked() ? ContourMethod::ExponentialKamb
                       : ContoursOnePercentArea1->isChecked()  ? ContourMethod::OnePercentArea
                                                               : ContourMethod::None;
    options.ContourSigma = contourSigma_;
    options.ContourLevels = contourLevels_;
    options.NetProjection =
        ProjectionEqualAngle1->isChecked() ? Projection::EqualAngle : Projection::EqualArea;
}

void AnalysisMenu::FollowSelectors(int fileType, int plotType) {
    const bool directions = plotType == 0;
    TiltCorrection1->setEnabled(
        directions && (fileType == 0 || fileType == 1 || fileType == 9 || fileType == 10));
    SiteLocation1->setEnabled(directions);
}
