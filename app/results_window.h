#pragma once

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
    // Shows the window, the first time just right of beside's frame, and
    // raises it.
    void ShowBeside(const QWidget& beside);
    // What the Copy button does.
    void CopyText() const;

    QPlainTextEdit* View = nullptr;
    QPushButton* CopyButton = nullptr;

private:
    QString text_;
    bool placed_ = false;
};
