#include "file_dialog.h"

#include <QFileDialog>

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
    return dialog;
}

QString FileDialog::TakeResult(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    const int index = static_cast<int>(QtFilters().indexOf(dialog.selectedNameFilter()));
    Accept(files.first(), index < 0 ? 0 : index);
    return fileName_;
}

QString FileDialog::ExecuteModal(QWidget* parent) {
    const std::unique_ptr<QFileDialog> dialog = CreateQtDialog(parent);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return TakeResult(*dialog);
}
