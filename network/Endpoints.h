#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QUrl>

// Where the program talks to, stated once. Each address can be replaced through the
// environment, for testing and for organisations that run their own server:
//   WINKWELL_RESEARCH_SERVER      host or host:port of the research server (always https)
//   WINKWELL_RESEARCH_CREDENTIAL  the value of its "Authorization" header
//   WINKWELL_UPDATE_URL           the update definition's address (must be https)
//   WINKWELL_CA_FILE              PEM file of certificate authorities trusted besides the
//                                 system's
// An override that cannot be used gives an empty address (the feature then sends nothing and
// says so in the log), never the built-in one: a mistyped test setting must not reach a real
// server.
namespace Endpoints {

// "https://" host "/api/0.1/stats".
QUrl researchStatsUrl();
QByteArray researchCredential();
QUrl updateDefinitionUrl();
// What every request of the program uses: the system's authorities plus those of
// WINKWELL_CA_FILE, and peer verification on.
QSslConfiguration tlsConfiguration();

} // namespace Endpoints
