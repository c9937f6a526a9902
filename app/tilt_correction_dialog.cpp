#include "tilt_correction_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* MakeAngleBox(QWidget* parent, double maximum) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(0.0, maximum);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral("\u00B0"));
    return box;
}

} // namespace

TiltCorrectionDialog::TiltCorrectionDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tilt correction"));
    NoneItem = new QRadioButton(QStringLiteral("No tilt correction"), this);
    OneForAllItem = new QRadioButton(QStringLiteral("One bedding for all data"), this);
    PerLineItem = new QRadioButton(
        QStringLiteral("A bedding on each line: the two numbers after the datum's own"), this);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* item : {NoneItem, OneForAllItem, PerLineItem})
        group->addButton(item);

    DipDirectionBox = MakeAngleBox(this, 360.0);
    DipBox = MakeAngleBox(this, 90.0);
    auto* bedding = new QFormLayout;
    // The two boxes belong to the one bedding: indented under its item.
    bedding->setContentsMargins(24, 0, 0, 0);
    bedding->addRow(QStringLiteral("Dip direction:"), DipDirectionBox);
    bedding->addRow(QStringLiteral("Dip:"), DipBox);

    auto* note = new QLabel(
        QStringLiteral("Directions are rotated about the strike of the bed (dip direction "
                       "\u2212 90\u00B0) until the bed is horizontal. Only directions are "
                       "corrected: file types 0, 1, 9 and 10 with one bedding, 0 and 1 with a "
                       "bedding on each line."),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(NoneItem);
    column->addWidget(OneForAllItem);
    column->addLayout(bedding);
    column->addWidget(PerLineItem);
    column->addWidget(note);
    column->addWidget(buttons);

    connect(OneForAllItem, &QRadioButton::toggled, this, [this](bool on) {
        DipDirectionBox->setEnabled(on);
        DipBox->setEnabled(on);
    });
    SetBedding(BeddingSource::None, 0.0, 0.0);
}

void TiltCorrectionDialog::SetBedding(BeddingSource source, double dipDirection, double dip) {
    DipDirectionBox->setValue(dipDirection);
    DipBox->setValue(dip);
    QRadioButton* item = source == BeddingSource::OneForAll ? OneForAllItem
                         : source == BeddingSource::PerLine ? PerLineItem
                                                            : NoneItem;
    item->setChecked(true);
    DipDirectionBox->setEnabled(source == BeddingSource::OneForAll);
    DipBox->setEnabled(source == BeddingSource::OneForAll);
}

BeddingSource TiltCorrectionDialog::Source() const {
    if (OneForAllItem->isChecked())
        return BeddingSource::OneForAll;
    if (PerLineItem->isChecked())
        return BeddingSource::PerLine;
    return BeddingSource::None;
}

double TiltCorrectionDialog::DipDirection() const {
    return DipDirectionBox->value();
}

double TiltCorrectionDialog::Dip() const {
    return DipBox->value();
}
