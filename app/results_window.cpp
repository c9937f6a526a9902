#include "results_window.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

ResultsWindow::ResultsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(QStringLiteral("Quorvex Results"));
    View = new QPlainTextEdit(this);
    View->setReadOnly(true);
    View->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Columns of numbers line up in a fixed-pitch font.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
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
        const QRect frame = beside.frameGeometry();
        move(frame.right() + 1, frame.top());
        resize(width(), std::max(height(), beside.height()));
        placed_ = true;
    }
    show();
    raise();
}

void ResultsWindow::CopyText() const {
    QGuiApplication::clipboard()->setText(text_);
}
