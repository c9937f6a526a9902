#pragma once

#include <QString>

class QTextDocument;
class QWidget;

// Texts of more lines than this are loaded piece by piece with a progress
// dialog: one piece takes a fraction of a second, so the window keeps
// painting between them and a ten-million-line file never freezes it.
inline constexpr int kProgressiveLoadLines = 200000;

// Whether text is long enough to be loaded piece by piece.
bool NeedsProgressiveLoad(const QString& text);

// Replaces the whole text of document (an editor's) by text, in pieces, while
// a window-modal progress dialog over parent shows how far it got and offers
// Cancel; the event loop runs between pieces. The result is the text that
// setPlainText would give, with an empty undo history. False when the user
// cancelled: the document then holds its old text again, unmodified.
bool ReplaceTextInPieces(QTextDocument& document, const QString& text, QWidget* parent);
