#pragma once

#include <QDialog>

#include <optional>

#include "plot_options.h"

class QDoubleSpinBox;
class QPushButton;

// Asks for the site's latitude (-90...90) and longitude (-360...360, east
// positive), in degrees; the boxes take no other value. "No site" clears the
// location and accepts.
class SiteLocationDialog : public QDialog {
    Q_OBJECT

public:
    explicit SiteLocationDialog(QWidget* parent = nullptr);

    // Shows site, or empty boxes' zeros for none.
    void SetSite(const std::optional<SiteLocation>& site);
    // The location the boxes hold, or none after "No site".
    std::optional<SiteLocation> Site() const;
    // What "No site" does: forgets the location and accepts.
    void ClearSite();

    QDoubleSpinBox* LatitudeBox = nullptr;
    QDoubleSpinBox* LongitudeBox = nullptr;
    QPushButton* NoSiteButton = nullptr;

private:
    bool cleared_ = false;
};
