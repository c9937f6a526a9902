#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <vector>

#include "file_type.h"

class QPlainTextEdit;
class QWidget;

// Marks the editor lines that the last plot pass did not read: a tinted
// background that never touches the text, its undo stack or its change
// signal, and on pointing a tooltip with the reason. Header lines of file
// types 4 to 6 get a quieter tint and "header line, not read"; a line that
// starts a data set ("#NAME") the same tint and "starts a data set".
//
// The marks belong to the last pass and follow their lines' text until the
// next one; typing does not redraw, so a line whose text is edited loses its
// mark at once, since the last pass never saw its new text.
//
// A mark is kept on its line (the block's user state, which moves with the
// block) and only the lines in view are tinted, so that ten thousand marks
// cost a walk over the lines, not ten thousand selections.
class LineTints : public QObject {
    Q_OBJECT

public:
    static inline const QColor kNotRead{255, 214, 196};
    static inline const QColor kHeader{232, 232, 232};

    // Watches editor (which must outlive this) for edits, scrolling and
    // tooltips, and owns its extra selections.
    explicit LineTints(QPlainTextEdit* editor);

    // Replaces every mark with those of a pass over fileType that read its
    // lines as reading says (PassReadingOptions): rejectedLines (1-based,
    // ascending), the non-blank header lines and setLines (1-based, ascending).
    void Show(int fileType, const ReadingOptions& reading, const std::vector<int>& rejectedLines,
              const std::vector<int>& setLines = {});

    // The tooltip of a 0-based editor block: "not read: REASON", "header
    // line, not read", "starts a data set", or empty for a line without a mark.
    QString ToolTipOfBlock(int block) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DropMarksOfEditedLines(int position, int added);
    // Tints the marked lines in view, and no others.
    void TintLinesInView();

    QPlainTextEdit* editor_;
    QWidget* viewport_;
    int fileType_ = 0;
    ReadingOptions reading_;
    // The last line the last pass marked (0 for none) and whether the text
    // has changed since: then its marks may have moved to other lines.
    int lastMarkedLine_ = 0;
    bool edited_ = false;
    bool tinting_ = false; // setting the selections asks for a repaint
};
