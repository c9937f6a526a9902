#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>

#include <set>
#include <vector>

#include "image_view.h"
#include "line_tints.h"
#include "reading_account.h"
#include "window_fixture.h"

namespace {

// Zero-based editor blocks that carry a mark of the given tint.
std::set<int> TintedBlocks(const QPlainTextEdit* editor, const QColor& tint) {
    std::set<int> blocks;
    for (const QTextEdit::ExtraSelection& mark : editor->extraSelections()) {
        if (mark.format.background().color() == tint)
            blocks.insert(mark.cursor.blockNumber());
    }
    return blocks;
}

class WindowReading : public WindowTest {
protected:
    void Refresh() { QTest::mouseClick(form->OpenImageButt, Qt::LeftButton); }
    std::set<int> NotRead() const { return TintedBlocks(form->DataFileMemo, LineTints::kNotRead); }
    std::set<int> Headers() const { return TintedBlocks(form->DataFileMemo, LineTints::kHeader); }
    // Moves the editor's cursor to the start of a 0-based block.
    void PutCursorAt(int block) {
        QTextCursor cursor(form->DataFileMemo->document()->findBlockByNumber(block));
        form->DataFileMemo->setTextCursor(cursor);
    }
};

// Good lines, an impossible inclination, a blank line, a comma decimal, a
// line of spaces and a good last line.
const QString kMixed = QStringLiteral("10 20\n10 95\n\n50,5 20\n   \n30 40\n");

TEST_F(WindowReading, APassTintsExactlyTheLinesItDidNotReadAndChangesNothingElse) {
    form->DataFileMemo->setPlainText(kMixed);
    form->CurrentFileName = QStringLiteral("/data/site.plt");
    const int undoSteps = form->DataFileMemo->document()->availableUndoSteps();
    const int passes = form->PlotPassCount();
    Refresh();
    EXPECT_EQ(NotRead(), (std::set<int>{1, 3}));
    EXPECT_TRUE(Headers().empty());
    // The tint is no edit: text, undo stack and file name stay, and the pass
    // ran once.
    EXPECT_EQ(form->DataFileMemo->toPlainText(), kMixed);
    EXPECT_EQ(form->DataFileMemo->document()->availableUndoSteps(), undoSteps);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("/data/site.plt"));
    EXPECT_EQ(form->PlotPassCount(), passes + 1);
    EXPECT_EQ(form->Image1->toolTip(),
              QStringLiteral("2 data read; 2 lines not read (lines 2, 4)"));

    // Another file type reads every line: the marks go with the next pass.
    form->DataFileMemo->setPlainText(QStringLiteral("10 20\n30 40\n"));
    Refresh();
    EXPECT_TRUE(NotRead().empty());
    EXPECT_EQ(form->Image1->toolTip(), QStringLiteral("2 data read; every data line read"));
}

TEST_F(WindowReading, HeaderLinesOfType4GetTheQuieterTint) {
    const QString data = QString(7, u' ') + QStringLiteral("123.4  45.6") + QString(22, u' ') +
                         QStringLiteral("3.2");
    form->DataFileMemo->setPlainText(QStringLiteral("Site QV-1\n   \n") + data + u'\n' + u'x');
    form->SetItemIndex(form->FileTypeRG, 4);
    // Line 2 is blank, so only line 1 is marked as a header; line 4 is not read.
    EXPECT_EQ(Headers(), std::set<int>{0});
    EXPECT_EQ(NotRead(), std::set<int>{3});
    EXPECT_EQ(form->Tints().ToolTipOfBlock(0), QStringLiteral("header line, not read"));
    EXPECT_EQ(form->Tints().ToolTipOfBlock(1), QString());
    EXPECT_EQ(form->Tints().ToolTipOfBlock(3),
              QStringLiteral("not read: the line is too short (1 character)"));
    EXPECT_EQ(form->Image1->toolTip(), QStringLiteral("1 datum read; 1 line not read (line 4)"));
}

TEST_F(WindowReading, SetLinesGetTheHeaderTintAndAreNotCountedAsUnread) {
    form->DataFileMemo->setPlainText(QStringLiteral("#Site A\n10 20\n  # Site B\n30 40\nx\n"));
    Refresh();
    EXPECT_EQ(Headers(), (std::set<int>{0, 2}));
    EXPECT_EQ(NotRead(), std::set<int>{4});
    EXPECT_EQ(form->Tints().ToolTipOfBlock(2), QStringLiteral("starts a data set"));
    EXPECT_EQ(form->Image1->toolTip(), QStringLiteral("2 data read; 1 line not read (line 5)"));
}

TEST_F(WindowReading, PointingAtARejectedLineShowsItsReason) {
    form->DataFileMemo->setPlainText(kMixed);
    Refresh();
    QPlainTextEdit* editor = form->DataFileMemo;
    const auto pointAt = [editor](int block, int dy) {
        const QTextCursor cursor(editor->document()->findBlockByNumber(block));
        const QPoint at = editor->cursorRect(cursor).center() + QPoint(60, dy);
        QHelpEvent help(QEvent::ToolTip, at, editor->viewport()->mapToGlobal(at));
        QApplication::sendEvent(editor->viewport(), &help);
    };
    pointAt(1, 0);
    EXPECT_EQ(
        QToolTip::text(),
        QStringLiteral("not read: inclination or latitude 95 at column 4 is outside -90...90"));
    pointAt(3, 0);
    EXPECT_EQ(QToolTip::text(),
              QStringLiteral(
                  "not read: '50,5' at column 1 is not a number (the decimal separator is '.')"));
    // A tooltip fades out rather than vanish at once.
    const auto hidden = [] { return QTest::qWaitFor([] { return !QToolTip::isVisible(); }); };
    pointAt(0, 0);
    EXPECT_TRUE(hidden());
    // Below a rejected last line there is no line to explain.
    editor->setPlainText(QStringLiteral("10 20\n10"));
    Refresh();
    pointAt(1, 0);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("not read: the second number is missing"));
    pointAt(1, 4 * editor->fontMetrics().height());
    EXPECT_TRUE(hidden());
}

TEST_F(WindowReading, AnEditedLineLosesItsMarkAtOnceWithoutARedraw) {
    form->DataFileMemo->setPlainText(kMixed);
    Refresh();
    const int passes = form->PlotPassCount();
    PutCursorAt(1);
    QTest::keyClick(form->DataFileMemo, Qt::Key_End);
    QTest::keyClick(form->DataFileMemo, Qt::Key_Backspace);
    EXPECT_EQ(NotRead(), std::set<int>{3});
    EXPECT_EQ(form->Tints().ToolTipOfBlock(1), QString());
    // A new line above moves the remaining mark with its text.
    PutCursorAt(0);
    QTest::keyClicks(form->DataFileMemo, QStringLiteral("5 5"));
    QTest::keyClick(form->DataFileMemo, Qt::Key_Return);
    EXPECT_EQ(NotRead(), std::set<int>{4});
    EXPECT_EQ(form->Tints().ToolTipOfBlock(4),
              QStringLiteral(
                  "not read: '50,5' at column 1 is not a number (the decimal separator is '.')"));
    EXPECT_EQ(form->PlotPassCount(), passes);
    // The account stays that of the last pass until the next one.
    EXPECT_EQ(form->Image1->toolTip(),
              QStringLiteral("2 data read; 2 lines not read (lines 2, 4)"));
}

TEST_F(WindowReading, OnlyTheLinesInViewAreTintedAndScrollingFollows) {
    QStringList lines(300, QStringLiteral("10 20"));
    lines[249] = QStringLiteral("10;20");
    form->DataFileMemo->setPlainText(lines.join(u'\n'));
    PutCursorAt(0);
    Refresh();
    EXPECT_TRUE(NotRead().empty());
    EXPECT_EQ(form->Tints().ToolTipOfBlock(249),
              QStringLiteral("not read: '10;20' at column 1 is not a number; separate numbers "
                             "with spaces"));
    PutCursorAt(249);
    form->DataFileMemo->ensureCursorVisible();
    EXPECT_EQ(NotRead(), std::set<int>{249});
}

TEST(LineTints, ANewPassClearsMarksThatEditsHaveMoved) {
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("1 1\nx\n2 2\ny\n"));
    LineTints tints(&editor);
    tints.Show(0, ReadingOptions{}, {2, 4});
    QTextCursor top(editor.document());
    top.insertText(QStringLiteral("0 0\n"));
    // The marks moved down with their lines.
    EXPECT_EQ(tints.ToolTipOfBlock(4), QStringLiteral("not read: 'y' at column 1 is not a number"));
    tints.Show(0, ReadingOptions{}, {});
    for (int block = 0; block < editor.blockCount(); ++block)
        EXPECT_EQ(tints.ToolTipOfBlock(block), QString()) << block;
}

TEST(ReadingAccount, CountsAndCapsTheList) {
    std::vector<int> twelve;
    for (int line = 1; line <= 12; ++line)
        twelve.push_back(line);
    const struct {
        int data;
        std::vector<int> rejected;
        QString account;
    } cases[] = {
        {0, {}, QStringLiteral("0 data read; every data line read")},
        {1, {3}, QStringLiteral("1 datum read; 1 line not read (line 3)")},
        {12, {3, 17}, QStringLiteral("12 data read; 2 lines not read (lines 3, 17)")},
        {5, twelve,
         QStringLiteral(
             "5 data read; 12 lines not read (lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, ...)")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingAccount(c.data, c.rejected), c.account);
}

} // namespace
