#include "MachineIdentity.h"

#include <QMessageAuthenticationCode>
#include <QSysInfo>

namespace MachineIdentity {

QByteArray machineId()
{
    return QSysInfo::machineUniqueId().trimmed();
}

QString pcidFor(const QByteArray& machineId)
{
    if (machineId.isEmpty()) {
        return QString();
    }
    const QByteArray mac = QMessageAuthenticationCode::hash(
        machineId, QByteArrayLiteral("winkwell research pcid v1"), QCryptographicHash::Sha256);
    return QString::fromLatin1(mac.toHex().left(40));
}

} // namespace MachineIdentity
