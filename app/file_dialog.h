#pragma once

#include <QString>
#include <QStringList>

// A file dialog's fixed properties and what it remembers for the run: the
// name and filter entry last accepted in it.
class FileDialog {
public:
    enum class Mode { Open, Save };

    // filter: description and pattern pairs separated by "|".
    FileDialog(Mode mode, QString title, QString filter, QString defaultExtension);

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

    // Shows the real modal dialog; returns the accepted path or an empty text.
    QString ExecuteModal(QWidget* parent);

private:
    Mode mode_;
    QString title_;
    QString filter_;
    QString defaultExtension_;
    QString fileName_;
    int filterIndex_ = 0;
};
