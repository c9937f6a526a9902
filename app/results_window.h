#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The numbers of the last plot pass as selectable text (ResultsText), in a
// window of its own that does not block the main window, with a button that
// copies the whole text to the clipboard.
class ResultsWindow : public QWidget {
    Q_OBJECT

public:
    // A top-level window that closes with parent.
    explicit ResultsWindow(QWidget* parent);

    // Replaces the text, keeping the reader's place when only numbers change.
    void SetText(const QString& text);
    QString Text() const;
    // Shows the window and raises it; the first time just right of beside's
    // frame, or as near as the screen allows.
    void ShowBeside(const QWidget& beside);
    // What the Copy button does.
    void CopyText() const;

    QPlainTextEdit* View = nullptr;
    QPushButton* CopyButton = nullptr;

private:
    QString text_;
    bool placed_ = false;
};

// Where a window of the wanted size goes beside the frame, level with its
// top: on its right, else on its left; else narrowed to the wider of the two
// sides when that leaves it at least narrowest wide; else at the screen's
// right edge, over the frame. Never wider than the screen.
QRect PlaceBeside(const QRect& frame, const QSize& wanted, const QRect& screen, int narrowest);
