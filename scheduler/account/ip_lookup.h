#pragma once

#include <QString>

namespace torvex {

// The dotted-address rule of host look-ups: a text none of whose characters
// has a code above that of "9" (digits, "." and "-") is taken as an address
// as it stands; anything else is a host name to look up.
[[nodiscard]] bool isDottedAddress(const QString& domain);

// The IPv4 address of the interface that carries the default route, or of
// the first other interface that is up when no route names one; empty when
// no interface is up.
[[nodiscard]] QString activeInterfaceAddress();

// How long a host-name look-up may take, before scaling.
inline constexpr int kLookupTimeoutMs = 30000;

// Host look-ups and the local address. Each call refreshes the program's
// current local address (gLocalIPAddr) the way the routines describe.
class IpLookup {
public:
    explicit IpLookup(QString& gLocalIPAddr) : gLocalIPAddr_(gLocalIPAddr) {}

    // Sets gLocalIPAddr to the active interface's address; never fails
    // towards the caller.
    void CreateSocket();

    // The dotted address for domain, or empty when a host name does not
    // resolve (gLocalIPAddr then stays as it was). A text that already is
    // an address comes back unchanged without a look-up.
    [[nodiscard]] QString ResolveIPAddress(const QString& domain);

private:
    QString& gLocalIPAddr_;
};

// CreateSocket, then ResolveIPAddress(domain): the service's web server
// address from its domain; empty when the name does not resolve.
[[nodiscard]] QString GetIPAddressfromDomain(IpLookup& lookup, const QString& domain);

}  // namespace torvex
