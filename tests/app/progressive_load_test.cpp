// Long texts loaded piece by piece: the same text as one set at once, the
// old text back on cancel, and the event loop running meanwhile.
#include <QApplication>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include "progressive_load.h"
#include "qstring_printer.h"

namespace {

QString Lines(int count, bool finalBreak) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("%1 %2\n").arg(i % 360).arg(i % 90);
    if (!finalBreak)
        text.chop(1);
    return text;
}

// More than one piece and more than one slice cut, so joints are crossed.
constexpr int kLongText = 60000;

TEST(ReplaceTextInPieces, GivesTheTextSetAtOnce) {
    const QString oldTexts[] = {QString(), QStringLiteral("old"), QStringLiteral("a\nb\n"),
                                Lines(kLongText, false)};
    const QString newTexts[] = {Lines(kLongText, true),
                                QStringLiteral("\n") + Lines(kLongText, false)};
    for (const QString& oldText : oldTexts) {
        for (const QString& newText : newTexts) {
            QPlainTextEdit editor;
            editor.setPlainText(oldText);
            QPlainTextEdit expected;
            expected.setPlainText(newText);
            ASSERT_TRUE(ReplaceTextInPieces(*editor.document(), newText, &editor));
            EXPECT_EQ(editor.document()->blockCount(), expected.document()->blockCount());
            EXPECT_TRUE(editor.toPlainText() == newText) << oldText.size() << " " << newText.size();
            EXPECT_FALSE(editor.document()->isModified());
            EXPECT_FALSE(editor.document()->isUndoAvailable());
        }
    }
}

TEST(ReplaceTextInPieces, CancelLeavesTheOldTextAndTheLoopRunsMeanwhile) {
    QPlainTextEdit editor;
    const QString oldText = QStringLiteral("10 20\n30 40");
    editor.setPlainText(oldText);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        // The user cancels once the loop has run a few times.
        if (ticks == 3) {
            if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()))
                progress->cancel();
        }
    });
    ticker.start(0);
    EXPECT_FALSE(ReplaceTextInPieces(*editor.document(), Lines(8 * kLongText, true), &editor));
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(editor.toPlainText(), oldText);
    EXPECT_EQ(editor.document()->blockCount(), 2);
    EXPECT_FALSE(editor.document()->isModified());
}

} // namespace
