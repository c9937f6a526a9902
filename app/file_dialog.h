#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

// A file dialog's fixed properties and what it remembers for the run: the
// name and filter entry last accepted in it.
class FileDialog {
public:
    enum class Mode { Open, Save };

    // filter: description and pattern pairs separated by "|"; defaultExtension
    // with its leading dot (".plt") or empty. Save dialogs ask before an
    // existing file is overwritten.
    FileDialog(Mode mode, QString title, QString filter, QString defaultExtension);

    // Whether a typed name without extension gets the extension of the chosen
    // filter entry ("*.png" gives ".png") rather than the default one.
    void SetExtensionFollowsFilter(bool follows) { extensionFollowsFilter_ = follows; }

    Mode GetMode() const { return mode_; }
    const QString& Title() const { return title_; }
    const QString& Filter() const { return filter_; }
    const QString& DefaultExtension() const { return defaultExtension_; }
    // The filter in Qt's syntax: "Description (*.ext)" entries.
    QStringList QtFilters() const;

    // Last accepted full path (empty until one is accepted) and filter entry.
    const QString& FileName() const { return fileName_; }
    int FilterIndex() const { return filterIndex_; }
    void Accept(const QString& path, int filterIndex);

    // A Qt dialog set up with the title, filters, default extension and the
    // remembered name and filter; not shown.
    std::unique_ptr<QFileDialog> CreateQtDialog(QWidget* parent) const;
    // Remembers the path and filter a Qt dialog was accepted with; returns the path.
    QString TakeResult(const QFileDialog& dialog);

    // Shows the real modal dialog; returns the accepted path or an empty text.
    QString ExecuteModal(QWidget* parent);

private:
    Mode mode_;
    QString title_;
    QString filter_;
    QString defaultExtension_;
    QString fileName_;
    int filterIndex_ = 0;
    bool extensionFollowsFilter_ = false;
};
