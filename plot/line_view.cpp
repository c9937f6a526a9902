#include "line_view.h"

LineView::LineView(const QString& text) {
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines_.append(text.mid(start, i - start));
        // CR LF is one break, not two.
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    lines_.append(text.mid(start));
}

int LineView::LineCount() const {
    const auto count = static_cast<int>(lines_.size());
    return lines_.constLast().isEmpty() ? count - 1 : count;
}

QString LineView::Line(int k) const {
    if (k < 1 || k > LineCount()) {
        return QString();
    }
    return lines_.at(k - 1).left(kMaxLineLength);
}

QString LineView::WholeText() const {
    return lines_.join(QStringLiteral("\r\n"));
}
