#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

#include "plot_options.h"

class QAction;
class QDialog;
class QMenu;
class QMenuBar;
class QWidget;

// The window's "Analysis" menu and the settings it holds: the tilt
// correction and the site (each set in a small dialog), whether polarities are
// separated and the reversal test made, the contours, the net's projection,
// and the command that shows the Results window. Every change of a setting is reported at once, so
// that the window redraws as it does for a selector.
class AnalysisMenu : public QObject {
    Q_OBJECT

public:
    // Adds the menu at the end of bar; the dialogs open over window.
    AnalysisMenu(QMenuBar& bar, QWidget& window);

    // Runs a dialog modally and tells whether it was accepted. The seam
    // replaces exec(): a test sets the dialog's values and answers.
    using ModalRunner = std::function<bool(QDialog& dialog)>;
    void SetModalRunner(ModalRunner runner);

    // Writes the analysis settings into options and leaves its other fields.
    void Apply(PlotOptions& options) const;
    // Greys out what the pass would ignore under these selector values.
    void FollowSelectors(int fileType, int plotType);

    // Handlers of the dialog items.
    void TiltCorrection1Click(QObject* sender);
    void SiteLocation1Click(QObject* sender);
    void ContourSettings1Click(QObject* sender);

    QMenu* Analysis1 = nullptr;
    QAction* TiltCorrection1 = nullptr; // checked while a correction is set
    QAction* SeparatePolarities1 = nullptr;
    QAction* ReversalTest1 = nullptr;
    QAction* CommonMeanTest1 = nullptr;
    QAction* SiteLocation1 = nullptr; // checked while a site is set
    QMenu* Contours1 = nullptr;       // one of its four items is checked
    QAction* ContoursNone1 = nullptr;
    QAction* ContoursKamb1 = nullptr;
    QAction* ContoursExponentialKamb1 = nullptr;
    QAction* ContoursOnePercentArea1 = nullptr;
    QAction* ContourSettings1 = nullptr;
    QMenu* Projection1 = nullptr; // one of its two items is checked
    QAction* ProjectionEqualArea1 = nullptr;
    QAction* ProjectionEqualAngle1 = nullptr;
    QAction* Results1 = nullptr;

signals:
    void SettingsChanged();
    void ResultsRequested();

private:
    bool RunModal(QDialog& dialog);

    QWidget& window_;
    ModalRunner modalRunner_;
    BeddingSource bedding_ = BeddingSource::None;
    double dipDirection_ = 0.0;
    double dip_ = 0.0;
    std::optional<SiteLocation> site_;
    double contourSigma_ = 3.0;
    std::vector<double> contourLevels_;
};
