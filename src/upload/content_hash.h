#pragma once

// Hashes of file content, by any algorithm OpenSSL knows by name ("SHA256", "SHA1",
// "MD5"): fed block by block while a file is sent, or read from part of an open file, to
// compare with what a server says of its copy. One ContentHash belongs to one thread; the
// function keeps no state.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/expected.h"
#include "platform/result.h"

struct evp_md_ctx_st;

class ContentHash {
  public:
    // A hash by the algorithm of that name; Valid() is false for one OpenSSL does not know.
    explicit ContentHash(const std::string& algorithm = "SHA256");
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    bool Valid() const { return valid; }
    void Add(std::string_view bytes);
    // Adds count bytes of the open file fd from byte from on (fewer when the file ends
    // first). Fails, with the system's description as text, when the file cannot be read.
    Result AddFilePart(int fd, std::uint64_t from, std::uint64_t count);
    // The hash of everything added, in lowercase hexadecimal; the hash starts again after.
    std::string Finish();

  private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> context;
    std::string algorithm;
    bool valid = false;
};

// The hash of count bytes of the open file fd from byte from on (fewer when the file ends
// first) into hex. Fails, with the system's description as text, when the file cannot be
// read, or with EINVAL's for an algorithm OpenSSL does not know.
Expected<std::string> HashFilePart(int fd, std::uint64_t from, std::uint64_t count,
                                   const std::string& algorithm);
