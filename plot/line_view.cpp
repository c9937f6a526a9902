#include "line_view.h"

#include <algorithm>

LineView::LineView(const QString& text) : text_(text) {
    const QChar* chars = text_.constData();
    const qsizetype size = text_.size();
    // One allocation for all lines: every break is a CR or an LF.
    const auto breaks =
        std::count_if(chars, chars + size, [](QChar c) { return c == u'\r' || c == u'\n'; });
    lines_.reserve(static_cast<std::size_t>(breaks) + 1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = chars[i];
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines_.push_back({start, i});
        // CR LF is one break, not two.
        if (c == u'\r' && i + 1 < size && chars[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    lines_.push_back({start, size});
}

int LineView::LineCount() const {
    const auto count = static_cast<int>(lines_.size());
    const Span& last = lines_.back();
    return last.Begin == last.End ? count - 1 : count;
}

QStringView LineView::LineText(int k) const {
    if (k < 1 || k > LineCount()) {
        return {};
    }
    const Span& line = lines_[static_cast<std::size_t>(k - 1)];
    const qsizetype length = std::min<qsizetype>(line.End - line.Begin, kMaxLineLength);
    return QStringView(text_).mid(line.Begin, length);
}

QString LineView::Line(int k) const {
    return LineText(k).toString();
}

QString LineView::WholeText() const {
    QString whole;
    whole.reserve(text_.size() + static_cast<qsizetype>(lines_.size()));
    const QStringView text(text_);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            whole += QStringLiteral("\r\n");
        }
        whole += text.mid(lines_[i].Begin, lines_[i].End - lines_[i].Begin);
    }
    return whole;
}

std::string_view Latin1Line::Of(QStringView line) {
    const auto size = std::min<qsizetype>(line.size(), LineView::kMaxLineLength);
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = line[i].unicode();
        bytes_[static_cast<std::size_t>(i)] = c > 0xFF ? '?' : static_cast<char>(c);
    }
    return {bytes_.data(), static_cast<std::size_t>(size)};
}
