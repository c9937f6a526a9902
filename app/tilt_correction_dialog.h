#pragma once

#include <QDialog>

#include "plot_options.h"

class QDoubleSpinBox;
class QRadioButton;

// Asks where the bedding of the tilt correction comes from: none, one bedding
// for all data (dip direction 0...360, dip 0...90 degrees; the boxes take no
// other value), or the bedding on each line. Holds typed values; nothing
// changes until the caller reads them after an accepted run.
class TiltCorrectionDialog : public QDialog {
    Q_OBJECT

public:
    explicit TiltCorrectionDialog(QWidget* parent = nullptr);

    void SetBedding(BeddingSource source, double dipDirection, double dip);
    BeddingSource Source() const;
    double DipDirection() const;
    double Dip() const;

    QRadioButton* NoneItem = nullptr;
    QRadioButton* OneForAllItem = nullptr;
    QRadioButton* PerLineItem = nullptr;
    QDoubleSpinBox* DipDirectionBox = nullptr;
    QDoubleSpinBox* DipBox = nullptr;
};
