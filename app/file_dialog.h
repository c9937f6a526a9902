#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "plot_options.h"

class QFileDialog;
class QWidget;

// What the image save dialog asks beside the file's name and type: the parts
// of the header to leave out of the figure, and the scale of a PNG.
struct FigureChoices {
    HeaderOmission Omit;
    int Scale = 1; // 1: the window's 1-bit raster; 2 to 8: the vector drawing that many times

    bool operator==(const FigureChoices&) const = default;
};

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

    // Whether the Qt dialog shows the figure choices beside the file type.
    void SetOffersFigureChoices(bool offers) { offersFigureChoices_ = offers; }
    bool OffersFigureChoices() const { return offersFigureChoices_; }
    // The figure choices last accepted (the defaults until then), remembered
    // for the run as the name is.
    const FigureChoices& Figure() const { return figure_; }
    void SetFigure(const FigureChoices& choices) { figure_ = choices; }

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
    // remembered name and filter (and figure choices where offered); not shown.
    std::unique_ptr<QFileDialog> CreateQtDialog(QWidget* parent) const;
    // Remembers the path, filter and figure choices a Qt dialog was accepted
    // with; returns the path.
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
    bool offersFigureChoices_ = false;
    FigureChoices figure_;
};
