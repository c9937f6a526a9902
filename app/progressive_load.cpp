#include "progressive_load.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>

namespace {

// About a quarter of a second of work each on this kind of machine.
constexpr int kLinesPerPiece = 50000;
constexpr int kBlocksPerCut = 50000;

// Removes the characters from position from to position to, the last blocks
// first, a slice at a time, letting the event loop run in between: one cut
// of millions of lines would take seconds.
void RemoveRange(QTextDocument& document, int from, int to) {
    while (to > from) {
        const int toBlock = document.findBlock(to).blockNumber();
        const int begin = std::max(
            from, document.findBlockByNumber(std::max(0, toBlock - kBlocksPerCut)).position());
        QTextCursor cut(&document);
        cut.setPosition(begin);
        cut.setPosition(to, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
        to = begin;
        QCoreApplication::processEvents();
    }
}

} // namespace

bool NeedsProgressiveLoad(const QString& text) {
    // Counting stops as soon as the answer is known.
    int lines = 0;
    for (const QChar c : text) {
        if (c == u'\n' && ++lines > kProgressiveLoadLines)
            return true;
    }
    return false;
}

bool ReplaceTextInPieces(QTextDocument& document, const QString& text, QWidget* parent) {
    const auto newLines = static_cast<int>(std::min<qsizetype>(text.count(u'\n'), INT_MAX));
    QProgressDialog progress(QStringLiteral("Loading the data file..."), QStringLiteral("Cancel"),
                             0, newLines, parent);
    progress.setWindowTitle(QStringLiteral("Quorvex"));
    progress.setWindowModality(Qt::WindowModal);
    // Shown at once: the window takes no input while the text is half loaded.
    progress.setMinimumDuration(0);
    progress.setValue(0);

    // A text set at once starts the undo history too.
    document.setUndoRedoEnabled(false);
    // The new text grows in front of the old one, split from it by a line
    // break, so either can be taken out again whole. Pieces added to a live
    // editor's document are laid out as they come, at a third of the memory
    // of one text set at once.
    QTextCursor cursor(&document);
    cursor.insertBlock();
    cursor.setPosition(0);
    int linesDone = 0;
    bool cancelled = false;
    for (qsizetype start = 0; start < text.size() && !cancelled;) {
        qsizetype end = start;
        for (int lines = 0; end < text.size() && lines < kLinesPerPiece; ++end) {
            if (text[end] == u'\n')
                ++lines;
        }
        cursor.insertText(QStringView(text).mid(start, end - start).toString());
        start = end;
        linesDone = std::min(newLines, linesDone + kLinesPerPiece);
        progress.setValue(linesDone);
        QCoreApplication::processEvents();
        cancelled = progress.wasCanceled();
    }
    if (cancelled)
        RemoveRange(document, 0, cursor.position() + 1); // the new lines and the break
    else
        RemoveRange(document, cursor.position(), document.characterCount() - 1);
    document.setUndoRedoEnabled(true);
    document.setModified(false);
    return !cancelled;
}
