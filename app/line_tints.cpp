#include "line_tints.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

#include "file_type.h"
#include "plot_pass.h"

namespace {

bool IsBlank(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' '; });
}

QTextEdit::ExtraSelection Mark(const QTextBlock& block, const QColor& colour) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(block);
    mark.format.setBackground(colour);
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    return mark;
}

} // namespace

LineTints::LineTints(QPlainTextEdit* editor) : QObject(editor), editor_(editor) {
    connect(editor->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { DropMarksOfEditedLines(position, added); });
    editor->viewport()->installEventFilter(this);
}

void LineTints::Show(int fileType, QChar decimalSeparator, const std::vector<int>& rejectedLines) {
    fileType_ = fileType;
    decimalSeparator_ = decimalSeparator;
    const QTextDocument* document = editor_->document();
    QList<QTextEdit::ExtraSelection> marks;
    for (int line = 1; line < FirstDataLine(fileType); ++line) {
        const QTextBlock block = document->findBlockByNumber(line - 1);
        if (block.isValid() && !IsBlank(block.text()))
            marks.append(Mark(block, kHeader));
    }
    for (const int line : rejectedLines) {
        const QTextBlock block = document->findBlockByNumber(line - 1);
        if (block.isValid())
            marks.append(Mark(block, kNotRead));
    }
    // Tinting nothing over nothing would still repaint the editor.
    if (!marks.isEmpty() || !editor_->extraSelections().isEmpty())
        editor_->setExtraSelections(marks);
}

QString LineTints::ToolTipOfBlock(int block) const {
    for (const QTextEdit::ExtraSelection& mark : editor_->extraSelections()) {
        if (mark.cursor.blockNumber() != block)
            continue;
        if (mark.format.background().color() == kHeader)
            return QStringLiteral("header line, not read");
        const QString reason =
            LineRejectionReason(fileType_, mark.cursor.block().text(), decimalSeparator_);
        return reason.isEmpty() ? QString() : QStringLiteral("not read: ") + reason;
    }
    return {};
}

void LineTints::DropMarksOfEditedLines(int position, int added) {
    QList<QTextEdit::ExtraSelection> marks = editor_->extraSelections();
    if (marks.isEmpty())
        return;
    const QTextDocument* document = editor_->document();
    QTextBlock last = document->findBlock(position + added);
    if (!last.isValid())
        last = document->lastBlock();
    const int from = document->findBlock(position).position();
    const int to = last.position() + last.length();
    const auto edited = [from, to](const QTextEdit::ExtraSelection& mark) {
        return mark.cursor.position() >= from && mark.cursor.position() < to;
    };
    if (marks.removeIf(edited) > 0)
        editor_->setExtraSelections(marks);
}

bool LineTints::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_->viewport() || event->type() != QEvent::ToolTip)
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
