#include "contour_settings_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cmath>

#include "plot_pass.h"

std::optional<std::vector<double>> ParseContourLevels(const QString& text, QChar decimalSeparator) {
    std::vector<double> levels;
    // A comma is a decimal separator where the locale writes one, so it
    // separates levels only elsewhere.
    const QString separators =
        decimalSeparator == u',' ? QStringLiteral("[\\s;]+") : QStringLiteral("[\\s,;]+");
    for (QString piece : text.split(QRegularExpression(separators), Qt::SkipEmptyParts)) {
        piece.replace(decimalSeparator, u'.');
        bool ok = false;
        const double level = piece.toDouble(&ok);
        if (!ok || !std::isfinite(level) || level <= 0.0)
            return std::nullopt;
        levels.push_back(level);
    }
    return levels;
}

ContourSettingsDialog::ContourSettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Contour settings"));
    SigmaBox = new QDoubleSpinBox(this);
    SigmaBox->setRange(0.1, 100.0);
    SigmaBox->setDecimals(2);
    SigmaBox->setSingleStep(0.5);
    LevelsEdit = new QLineEdit(this);
    LevelsEdit->setPlaceholderText(QStringLiteral("the method's own"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Sigma (Kamb methods):"), SigmaBox);
    form->addRow(QStringLiteral("Levels:"), LevelsEdit);
    LevelsNote = new QLabel(
        QStringLiteral("Levels in sigma (Kamb methods) or % (1% area), separated by spaces; "
                       "empty for 2, 4, 6 ... sigma or 1, 2, 4, 8, 16, 32 %."),
        this);
    LevelsNote->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(LevelsEdit, &QLineEdit::textChanged, this, [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(Levels().has_value());
    });
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(LevelsNote);
    column->addWidget(buttons);
}

void ContourSettingsDialog::SetSettings(double sigma, const std::vector<double>& levels) {
    SigmaBox->setValue(sigma);
    QStringList texts;
    for (const double level : levels)
        texts.append(QString::number(level).replace(u'.', LocaleDecimalSeparator()));
    LevelsEdit->setText(texts.join(u' '));
}

double ContourSettingsDialog::Sigma() const {
    return SigmaBox->value();
}

std::optional<std::vector<double>> ContourSettingsDialog::Levels() const {
    return ParseContourLevels(LevelsEdit->text(), LocaleDecimalSeparator());
}
