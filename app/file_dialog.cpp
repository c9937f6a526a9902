#include "file_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

#include <utility>

namespace {

// The extension of a Qt filter entry with one plain pattern: "PNG image
// (*.png)" gives "png"; wildcards and lists give nothing.
QString FilterExtension(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(QStringLiteral("(*."));
    if (open < 0 || !entry.endsWith(u')'))
        return {};
    const QString extension = entry.mid(open + 3, entry.size() - open - 4);
    const bool plain =
        !extension.isEmpty() && std::all_of(extension.begin(), extension.end(),
                                            [](QChar c) { return c.isLetterOrNumber(); });
    return plain ? extension : QString();
}

// The figure choices' controls, found again by name when the dialog is done.
struct HeaderBox {
    const char* Name;
    const char* Caption;
    bool HeaderOmission::*Part;
};
constexpr HeaderBox kHeaderBoxes[] = {
    {"omitDate", "Date", &HeaderOmission::Date},
    {"omitFile", "File line", &HeaderOmission::File},
    {"omitMode", "Mode line", &HeaderOmission::Mode},
    {"omitTitle", "Title", &HeaderOmission::Title},
};
const QString kScaleName = QStringLiteral("pngScale");

// A row under the file type: "Leave out: [ ] Date [ ] File line [ ] Mode line
// [ ] Title    PNG scale: [1]". The scale counts only for a PNG.
void AddFigureChoices(QFileDialog& dialog, const FigureChoices& choices) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr)
        return;
    auto* row = new QWidget(&dialog);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Leave out:"), row));
    for (const HeaderBox& box : kHeaderBoxes) {
        auto* check = new QCheckBox(QString::fromLatin1(box.Caption), row);
        check->setObjectName(QString::fromLatin1(box.Name));
        check->setChecked(choices.Omit.*box.Part);
        layout->addWidget(check);
    }
    layout->addStretch(1);
    layout->addWidget(new QLabel(QStringLiteral("PNG scale:"), row));
    auto* scale = new QSpinBox(row);
    scale->setObjectName(kScaleName);
    scale->setRange(1, 8);
    scale->setValue(choices.Scale);
    scale->setToolTip(QStringLiteral("1: the window's black-and-white raster; 2 to 8: the "
                                     "antialiased drawing that many times the size"));
    layout->addWidget(scale);
    grid->addWidget(row, grid->rowCount(), 0, 1, grid->columnCount());
}

FigureChoices TakeFigureChoices(const QFileDialog& dialog, FigureChoices choices) {
    for (const HeaderBox& box : kHeaderBoxes) {
        if (const auto* check = dialog.findChild<QCheckBox*>(QString::fromLatin1(box.Name)))
            choices.Omit.*box.Part = check->isChecked();
    }
    if (const auto* scale = dialog.findChild<QSpinBox*>(kScaleName))
        choices.Scale = scale->value();
    return choices;
}

} // namespace

FileDialog::FileDialog(Mode mode, QString title, QString filter, QString defaultExtension)
    : mode_(mode), title_(std::move(title)), filter_(std::move(filter)),
      defaultExtension_(std::move(defaultExtension)) {}

QStringList FileDialog::QtFilters() const {
    // "Description|pattern|Description|pattern" becomes "Description (pattern)";
    // Qt reads the patterns from the last parentheses of an entry.
    const QStringList parts = filter_.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(u';', u' ');
        filters.append(parts[i] + QStringLiteral(" (") + pattern + u')');
    }
    return filters;
}

void FileDialog::Accept(const QString& path, int filterIndex) {
    fileName_ = path;
    filterIndex_ = filterIndex;
}

std::unique_ptr<QFileDialog> FileDialog::CreateQtDialog(QWidget* parent) const {
    auto dialog = std::make_unique<QFileDialog>(parent, title_);
    // Qt's own dialog behaves the same on every desktop, which keeps the
    // default extension and the remembered filter reliable.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setSizeGripEnabled(true);
    const QStringList filters = QtFilters();
    dialog->setNameFilters(filters);
    if (mode_ == Mode::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    }
    QString suffix = defaultExtension_;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog->setDefaultSuffix(suffix);
    if (extensionFollowsFilter_) {
        QFileDialog* qt = dialog.get();
        QObject::connect(qt, &QFileDialog::filterSelected, qt, [qt, suffix](const QString& entry) {
            const QString chosen = FilterExtension(entry);
            qt->setDefaultSuffix(chosen.isEmpty() ? suffix : chosen);
        });
    }
    if (filterIndex_ >= 0 && filterIndex_ < filters.size()) {
        dialog->selectNameFilter(filters[filterIndex_]);
        if (extensionFollowsFilter_ && !FilterExtension(filters[filterIndex_]).isEmpty())
            dialog->setDefaultSuffix(FilterExtension(filters[filterIndex_]));
    }
    if (!fileName_.isEmpty())
        dialog->selectFile(fileName_);
    if (offersFigureChoices_)
        AddFigureChoices(*dialog, figure_);
    return dialog;
}

QString FileDialog::TakeResult(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    const int index = static_cast<int>(QtFilters().indexOf(dialog.selectedNameFilter()));
    Accept(files.first(), index < 0 ? 0 : index);
    if (offersFigureChoices_)
        figure_ = TakeFigureChoices(dialog, figure_);
    return fileName_;
}

QString FileDialog::ExecuteModal(QWidget* parent) {
    const std::unique_ptr<QFileDialog> dialog = CreateQtDialog(parent);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return TakeResult(*dialog);
}
