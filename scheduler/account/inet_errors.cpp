#include "scheduler/account/inet_errors.h"

#include <QHash>

namespace torvex {

QString GetInetErrorMessage(qint32 myErr)
{
    static const QHash<qint32, QString> texts{
        {7, QStringLiteral("Out of memory")},
        // https: the reasons a handshake fails, under the numbers the
        // system's own Internet library gives them.
        {12037, QStringLiteral("The server's certificate has expired.")},
        {12038, QStringLiteral("The server's certificate is for another host.")},
        {12045, QStringLiteral("The server's certificate comes from an unknown issuer.")},
        {12157, QStringLiteral("The secure connection to the server failed.")},
        {10, QStringLiteral("The computer has been disconnected from the network.")},
        {13, QStringLiteral("Type mismatch")},
        {339, QStringLiteral("Missing Library MSINET.OCX")},
        {380, QStringLiteral("Invalid property value")},
        {35750, QStringLiteral("Unable to open internet handle.")},
        {35751, QStringLiteral("Unable to open URL")},
        {35752, QStringLiteral("URL is malformed")},
        {35753, QStringLiteral("Protocol not supported for this method")},
        {35754, QStringLiteral("Unable to connect to remote host")},
        {35755, QStringLiteral("No remote computer is specified")},
        {35756, QStringLiteral("Unable to complete request")},
        {35757, QStringLiteral("You must execute an operation before retrieving data")},
        {35758, QStringLiteral("Unable to retrieve data")},
        {35759, QStringLiteral("FTP command failed")},
        {35760, QStringLiteral("Cannot coerce type")},
        {35761, QStringLiteral("Request timed out")},
        {35762, QStringLiteral("Not a valid or supported command")},
        {35763, QStringLiteral("Invalid operation  argument")},
        {35764, QStringLiteral("Still executing last request")},
        {35765, QStringLiteral("This call is not valid for an FTP connection")},
        {35767, QStringLiteral("Out of handles")},
        {35768, QStringLiteral("Timeout")},
        {35769, QStringLiteral("Extended error.")},
        {35770, QStringLiteral("Internal error.")},
        {35771, QStringLiteral("Invalid URL.")},
        {35772, QStringLiteral("Unrecognized scheme")},
        {35773, QStringLiteral("Name not resolved.")},
        {35774, QStringLiteral("Protocol not found.")},
        {35775, QStringLiteral("Invalid option.")},
        {35776, QStringLiteral("Bad option length.")},
        {35778, QStringLiteral("Shutdown")},
        {35779, QStringLiteral("Incorrect User name.")},
        {35780, QStringLiteral("Incorrect password.")},
        {35781, QStringLiteral("Login failure.")},
        {35782, QStringLiteral("Invalid operation.")},
        {35783, QStringLiteral("Operation cancelled.")},
        {35790, QStringLiteral("No context.")},
        {35791, QStringLiteral("No callback.")},
        {35792, QStringLiteral("Request pending.")},
        {35793, QStringLiteral("Incorrect format.")},
        {35794, QStringLiteral("Item not found.")},
        {35795, QStringLiteral("Cannot connect.")},
        {35796, QStringLiteral("Connection aborted.")},
        {35797, QStringLiteral("Connection reset.")},
        {35816, QStringLiteral("Attempt the operation again.")},
        {35818, QStringLiteral("You must reattempt the operation again because a security zone "
                               "check failed.")},
        {35916, QStringLiteral("HTTP: header not found.")},
        {35918, QStringLiteral("HTTP: invalid server response.")},
        {35919, QStringLiteral("HTTP: invalid header.")},
        {35920, QStringLiteral("HTTP: invalid query request.")},
        {35922, QStringLiteral("HTTP: redirect failed.")},
        {35930, QStringLiteral("Could not connect to the requested server.\r\nThis was determined "
                               "by receipt of a WSAEHOSTUNREACH error from WinSock.")},
        {35931, QStringLiteral("The requested proxy server could not be reached.")},
    };
    return texts.value(myErr);
}

}  // namespace torvex
