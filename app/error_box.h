#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

// The text the error box shows: the message with a full stop appended when
// its last character sorts after the full stop (code point above U+002E).
QString ErrorBoxText(const QString& message);

// The application's error box, not yet shown: modal, stop icon, one OK
// button, captioned "Quorvex", over parent.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& message);

// Shows the error box; returns when the user has closed it.
void ShowErrorBox(QWidget* parent, const QString& message);
