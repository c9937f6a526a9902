#include "error_box.h"

#include <QMessageBox>

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& message) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QStringLiteral("Quorvex"),
                                             ErrorBoxText(message), QMessageBox::Ok, parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    return box;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    MakeErrorBox(parent, message)->exec();
}
