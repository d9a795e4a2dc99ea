#pragma once

#include <QByteArray>
#include <QString>

namespace MachineIdentity {

// The operating system's identifier of this installation (systemd's /etc/machine-id on Linux,
// the MachineGuid on Windows); empty when there is none.
QByteArray machineId();

// The pcid the research server knows this computer by: the first 40 hexadecimal digits of
// HMAC-SHA256 keyed with a fixed application text over the machine id. Stable across runs, and
// the machine id cannot be recovered from it nor matched with another program's identifier.
// Empty when the machine id is empty.
QString pcidFor(const QByteArray& machineId);

} // namespace MachineIdentity
