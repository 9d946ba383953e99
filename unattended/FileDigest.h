// A file's size and SHA-256, as a production record names the firmware a unit got.
// Windows computes the digest (CNG).
#pragma once

#include <string>

struct FileDigest {
    long long nBytes = -1;   // -1 when the file cannot be read
    std::string strSha256;   // lower-case hex; empty when the file cannot be read
};

FileDigest DigestOfFile(const char* pszPath);
