#pragma once

#include <QByteArray>
#include <QString>

// The bytes of a data file as text: UTF-8 when they are valid UTF-8 (a leading
// byte-order mark dropped), Latin-1 otherwise, so that no byte is lost.
QString DecodeDataText(const QByteArray& bytes);
