#include "line_tints.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <climits>

#include "file_type.h"
#include "plot_pass.h"

namespace {

// Block user states; -1 is Qt's own "none".
constexpr int kNoMark = -1;
constexpr int kNotReadMark = 1;
constexpr int kHeaderMark = 2;
constexpr int kSetMark = 3;

bool IsBlank(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' '; });
}

bool IsMarked(const QTextBlock& block) {
    return block.userState() == kNotReadMark || block.userState() == kHeaderMark ||
           block.userState() == kSetMark;
}

QTextCharFormat TintOf(const QColor& colour) {
    QTextCharFormat format;
    format.setBackground(colour);
    format.setProperty(QTextFormat::FullWidthSelection, true);
    return format;
}

bool SameTints(const QList<QTextEdit::ExtraSelection>& a,
               const QList<QTextEdit::ExtraSelection>& b) {
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const QTextEdit::ExtraSelection& x, const QTextEdit::ExtraSelection& y) {
                          return x.cursor.position() == y.cursor.position() &&
                                 x.format.background() == y.format.background();
                      });
}

} // namespace

LineTints::LineTints(QPlainTextEdit* editor)
    : QObject(editor), editor_(editor), viewport_(editor->viewport()) {
    connect(editor->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { DropMarksOfEditedLines(position, added); });
    // Scrolling, resizing and edits all ask the editor for a repaint.
    connect(editor, &QPlainTextEdit::updateRequest, this, [this] { TintLinesInView(); });
    viewport_->installEventFilter(this);
}

void LineTints::Show(int fileType, const ReadingOptions& reading,
                     const std::vector<int>& rejectedLines, const std::vector<int>& setLines) {
    fileType_ = fileType;
    reading_ = reading;
    const int headers = FirstDataLine(fileType) - 1;
    // Walk only as far as a mark is to be set or may have to be cleared:
    // after an edit the old marks may have moved anywhere.
    const int stale = edited_ && lastMarkedLine_ > 0 ? INT_MAX : lastMarkedLine_;
    const int reach = std::max({headers, rejectedLines.empty() ? 0 : rejectedLines.back(),
                                setLines.empty() ? 0 : setLines.back(), stale});
    auto next = rejectedLines.cbegin();
    auto nextSet = setLines.cbegin();
    int lastMarked = 0;
    QTextBlock block = editor_->document()->firstBlock();
    for (int line = 1; block.isValid() && line <= reach; ++line, block = block.next()) {
        while (next != rejectedLines.cend() && *next < line)
            ++next;
        while (nextSet != setLines.cend() && *nextSet < line)
            ++nextSet;
        int state = kNoMark;
        if (line <= headers) {
            if (!IsBlank(block.text()))
                state = kHeaderMark;
        } else if (next != rejectedLines.cend() && *next == line) {
            state = kNotReadMark;
        } else if (nextSet != setLines.cend() && *nextSet == line) {
            state = kSetMark;
        }
        block.setUserState(state);
        if (state != kNoMark)
            lastMarked = line;
    }
    lastMarkedLine_ = lastMarked;
    edited_ = false;
    TintLinesInView();
}

QString LineTints::ToolTipOfBlock(int block) const {
    const QTextBlock line = editor_->document()->findBlockByNumber(block);
    if (line.userState() == kHeaderMark)
        return QStringLiteral("header line, not read");
    if (line.userState() == kSetMark)
        return QStringLiteral("starts a data set");
    if (line.userState() != kNotReadMark)
        return {};
    const QString reason = LineRejectionReason(fileType_, line.text(), reading_);
    return reason.isEmpty() ? QString() : QStringLiteral("not read: ") + reason;
}

void LineTints::DropMarksOfEditedLines(int position, int added) {
    edited_ = true;
    if (lastMarkedLine_ == 0)
        return;
    const QTextDocument* document = editor_->document();
    QTextBlock last = document->findBlock(position + added);
    if (!last.isValid())
        last = document->lastBlock();
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        block.setUserState(kNoMark);
        if (block == last)
            break;
    }
    TintLinesInView();
}

void LineTints::TintLinesInView() {
    if (tinting_)
        return;
    static const QTextCharFormat notRead = TintOf(kNotRead);
    static const QTextCharFormat header = TintOf(kHeader);
    QList<QTextEdit::ExtraSelection> tints;
    if (lastMarkedLine_ > 0) {
        const int bottom = editor_->viewport()->height();
        for (QTextBlock block = editor_->cursorForPosition(QPoint(0, 0)).block(); block.isValid();
             block = block.next()) {
            const QTextCursor cursor(block);
            if (editor_->cursorRect(cursor).top() > bottom)
                break;
            if (IsMarked(block))
                tints.append({cursor, block.userState() == kNotReadMark ? notRead : header});
        }
    }
    if (SameTints(tints, editor_->extraSelections()))
        return;
    tinting_ = true;
    editor_->setExtraSelections(tints);
    tinting_ = false;
}

bool LineTints::eventFilter(QObject* watched, QEvent* event) {
    // While the editor is being destroyed its viewport still reports events;
    // the editor must not be asked anything then.
    if (watched != viewport_ || event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QTextCursor at = editor_->cursorForPosition(help->pos());
    // Below the last line the nearest position is still on it; no tooltip there.
    const QRect line = editor_->cursorRect(at);
    QString tip;
    if (help->pos().y() >= line.top() && help->pos().y() <= line.bottom())
        tip = ToolTipOfBlock(at.blockNumber());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, editor_->viewport());
    return true;
}
