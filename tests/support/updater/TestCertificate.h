#pragma once

// The certificate and key of the local test server (LocalHttpServer): a
// self-signed certificate for 127.0.0.1 and localhost, valid from 2000 to
// 2099, that only a test process ever trusts (trustTestCertificate). The
// program itself fetches https only and trusts the system's authorities.
//
// Made with openssl 3 (an `openssl ca` configuration with `copy_extensions`,
// basicConstraints CA:TRUE and subjectAltName IP:127.0.0.1, DNS:localhost):
//   openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes
//     -subj /CN=127.0.0.1 -keyout key.pem -out req.csr
//   openssl ca -batch -selfsign -keyfile key.pem -in req.csr -out cert.pem
//     -startdate 20000101000000Z -enddate 20991231235959Z -extensions ext
// (each command on one line).

#include <QSslCertificate>
#include <QSslKey>

namespace TestCertificate {

QSslCertificate certificate();
QSslKey privateKey();
// Adds the certificate to the authorities of this process's default TLS
// configuration, which every request made afterwards starts from.
void trustTestCertificate();

} // namespace TestCertificate
