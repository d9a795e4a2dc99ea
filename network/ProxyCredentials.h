#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The proxy user name and password as the settings file keeps them: scrambled with a key derived
// from the machine id, so that the file read on its own (a glance, a backup, a copy to another
// computer) shows no credential. It is no protection against anyone who can run code as the user
// on this machine: the key is derived from what every program here can read.
//
// Form: "wk1:" + base64(nonce[8] + tag[4] + text XOR keystream). The key is HMAC-SHA256 over
// the machine id with a fixed application text; the keystream is SHA-256(key, nonce, block
// number) block by block; the tag is the start of HMAC-SHA256(key, nonce + scrambled text) and
// tells a text scrambled on another machine (or edited by hand) from a good one.
namespace ProxyCredentials {

// The empty text stays empty.
QString scramble(const QString& clear, const QByteArray& machineId);
// Nothing when the stored text is not in the form above or belongs to another machine.
std::optional<QString> unscramble(const QString& stored, const QByteArray& machineId);

} // namespace ProxyCredentials
