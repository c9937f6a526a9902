#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <string_view>
#include <vector>

// The editor's text seen line by line: the count leaves out an empty last
// line, a line is cut at 4,096 characters and a number past the end gives an
// empty text; WholeText joins the lines with CR LF, an empty last line
// included, so a text that ends with a line break keeps it. The view shares
// the text and holds only where each line begins and ends.
class LineView {
public:
    static constexpr int kMaxLineLength = 4096;

    // Any of CR LF, CR or LF separates lines.
    explicit LineView(const QString& text);

    int LineCount() const;
    // k is 1-based.
    QString Line(int k) const;
    // The same text without a copy; valid while the view lives.
    QStringView LineText(int k) const;
    QString WholeText() const;

private:
    struct Span {
        qsizetype Begin;
        qsizetype End; // the line break, or the end of the text
    };
    QString text_;
    std::vector<Span> lines_; // every line, an empty last one included
};

// Latin-1 bytes of one line at a time, in one buffer reused from line to
// line; a character outside Latin-1 becomes '?', as QString::toLatin1 makes it.
class Latin1Line {
public:
    // Valid until the next call; lines longer than the line view's limit are cut.
    std::string_view Of(QStringView line);

private:
    std::array<char, LineView::kMaxLineLength> bytes_{};
};
