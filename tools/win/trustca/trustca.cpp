// Trusts a PEM certificate authority in the current Wine prefix's ROOT store,
// so the monitor's tests can reach their local HTTPS servers.
// Usage: trustca CA.pem    (exit code 0 when the certificate was added)
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trustca CA.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream pem;
    pem << file.rdbuf();
    std::string text = pem.str();
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "trustca: %s is not a PEM certificate\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    if (!CertAddEncodedCertificateToSystemStoreA("ROOT", der.data(), size)) {
        std::fprintf(stderr, "trustca: adding failed, error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
