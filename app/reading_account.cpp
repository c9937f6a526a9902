#include "reading_account.h"

#include <QStringList>

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::size_t kMaxListed = 10;

} // namespace

QString ReadingAccount(int dataCount, const std::vector<int>& rejectedLines) {
    QString account = dataCount == 1 ? QStringLiteral("1 datum read")
                                     : QStringLiteral("%1 data read").arg(dataCount);
    const std::size_t count = rejectedLines.size();
    if (count == 0)
        return account + QStringLiteral("; every data line read");
    if (count == 1)
        return account + QStringLiteral("; 1 line not read (line %1)").arg(rejectedLines[0]);
    QStringList listed;
    for (std::size_t i = 0; i < std::min(count, kMaxListed); ++i)
        listed.append(QString::number(rejectedLines[i]));
    if (count > kMaxListed)
        listed.append(QStringLiteral("..."));
    return account + QStringLiteral("; %1 lines not read (lines %2)")
                         .arg(QString::number(count), listed.join(QStringLiteral(", ")));
}
