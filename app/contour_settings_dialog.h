#pragma once

#include <QDialog>

#include <optional>
#include <vector>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;

// Asks for the sigma of the Kamb contour methods (above 0) and the levels to
// draw: numbers above 0 separated by spaces or commas, or nothing for the
// method's own levels. OK stays off while the levels do not read.
class ContourSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ContourSettingsDialog(QWidget* parent = nullptr);

    void SetSettings(double sigma, const std::vector<double>& levels);
    double Sigma() const;
    // The levels as typed; none when the text does not read (OK is then off).
    std::optional<std::vector<double>> Levels() const;

    QDoubleSpinBox* SigmaBox = nullptr;
    QLineEdit* LevelsEdit = nullptr;
    QLabel* LevelsNote = nullptr;
};

// Levels typed as numbers above 0, separated by spaces or commas, with a
// full stop or decimalSeparator; an empty text gives no levels. None when a
// piece does not read.
std::optional<std::vector<double>> ParseContourLevels(const QString& text, QChar decimalSeparator);
