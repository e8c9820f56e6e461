#pragma once

#include <optional>
#include <string>

// Rules of the network, without the engine: origins, shared by the command and the module it
// gives the page processes so that both decide alike which requests may carry what the command
// line gave, and certificate problems in words.
namespace pagrovix {

// "scheme://host:port" of an http or https address: scheme and host in lower case, the port
// always written (80 and 443 when the address gives none). Nothing for other schemes and for
// texts that are not addresses.
std::optional<std::string> WebOrigin(const std::string& address);

// The same text from an origin's parts; port 0 or below is the scheme's own.
std::optional<std::string> WebOrigin(const std::string& scheme, const std::string& host, int port);

// Whether address names a proxy the engine can use: http, https, socks, socks4 or socks5, with a
// host.
bool IsProxyAddress(const std::string& address);

// What is wrong with a certificate, from GIO's GTlsCertificateFlags, in words:
// "the certificate is not trusted (unknown authority)"; several are joined with "; ".
std::string CertificateProblems(unsigned flags);

}  // namespace pagrovix
