#include "results_window.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

ResultsWindow::ResultsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(QStringLiteral("Quorvex Results"));
    View = new QPlainTextEdit(this);
    View->setReadOnly(true);
    View->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Columns of numbers line up in a fixed-pitch font: the data editor's.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    View->setFont(font);
    CopyButton = new QPushButton(QStringLiteral("Copy"), this);
    CopyButton->setAutoDefault(false);
    connect(CopyButton, &QPushButton::clicked, this, [this] { CopyText(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CopyButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(View);
    column->addLayout(buttons);
    resize(520, 600);
}

void ResultsWindow::SetText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    QScrollBar* scroll = View->verticalScrollBar();
    const int place = scroll->value();
    View->setPlainText(text);
    scroll->setValue(place);
}

QString ResultsWindow::Text() const {
    return text_;
}

void ResultsWindow::ShowBeside(const QWidget& beside) {
    if (!placed_) {
        // Wide enough for the longest lines of the text, and as tall as the
        // window beside it; a little narrower where that keeps it clear of it.
        const int wanted = View->fontMetrics().horizontalAdvance(QString(76, u'0')) + 48;
        const QRect place =
            PlaceBeside(beside.frameGeometry(), QSize(wanted, std::max(height(), beside.height())),
                        beside.screen()->availableGeometry(), wanted * 3 / 4);
        move(place.topLeft());
        resize(place.size());
        placed_ = true;
    }
    show();
    raise();
}

void ResultsWindow::CopyText() const {
    QGuiApplication::clipboard()->setText(text_);
}

QRect PlaceBeside(const QRect& frame, const QSize& wanted, const QRect& screen, int narrowest) {
    const int right = screen.right() - frame.right();
    const int left = frame.left() - screen.left();
    const int width = std::min(wanted.width(), screen.width());
    if (right >= width)
        return {frame.right() + 1, frame.top(), width, wanted.height()};
    if (left >= width)
        return {frame.left() - width, frame.top(), width, wanted.height()};
    const int room = std::max(right, left);
    if (room >= narrowest) {
        const int x = right >= left ? frame.right() + 1 : frame.left() - room;
        return {x, frame.top(), room, wanted.height()};
    }
    return {screen.right() + 1 - width, frame.top(), width, wanted.height()};
}
