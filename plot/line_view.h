#pragma once

#include <QString>
#include <QStringList>

// The editor's text seen line by line: the count leaves out an empty last
// line, a line is cut at 4,096 characters and a number past the end gives an
// empty text; WholeText joins the lines with CR LF, an empty last line
// included, so a text that ends with a line break keeps it.
class LineView {
public:
    static constexpr int kMaxLineLength = 4096;

    // Any of CR LF, CR or LF separates lines.
    explicit LineView(const QString& text);

    int LineCount() const;
    // k is 1-based.
    QString Line(int k) const;
    QString WholeText() const;

private:
    QStringList lines_;
};
