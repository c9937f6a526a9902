#include "site_location_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* MakeCoordinateBox(QWidget* parent, double limit) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(-limit, limit);
    box->setDecimals(2);
    box->setSuffix(QStringLiteral("\u00B0"));
    return box;
}

} // namespace

SiteLocationDialog::SiteLocationDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Site location"));
    LatitudeBox = MakeCoordinateBox(this, 90.0);
    LongitudeBox = MakeCoordinateBox(this, 360.0);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Latitude (north positive):"), LatitudeBox);
    form->addRow(QStringLiteral("Longitude (east positive):"), LongitudeBox);

    auto* note = new QLabel(
        QStringLiteral("The virtual geomagnetic pole of the mean direction is given in the "
                       "Results window (directions only)."),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    NoSiteButton = buttons->addButton(QStringLiteral("No site"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(NoSiteButton, &QPushButton::clicked, this, &SiteLocationDialog::ClearSite);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(note);
    column->addWidget(buttons);
}

void SiteLocationDialog::SetSite(const std::optional<SiteLocation>& site) {
    cleared_ = false;
    LatitudeBox->setValue(site ? site->Latitude : 0.0);
    LongitudeBox->setValue(site ? site->Longitude : 0.0);
}

std::optional<SiteLocation> SiteLocationDialog::Site() const {
    if (cleared_)
        return std::nullopt;
    return SiteLocation{LatitudeBox->value(), LongitudeBox->value()};
}

void SiteLocationDialog::ClearSite() {
    cleared_ = true;
    accept();
}
