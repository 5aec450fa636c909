#pragma once
// The token a client must present to change anything when the service
// listens beyond loopback. It lives in a file only its owner may read; the
// first start makes one. One implementation per system (posix_token_file.cpp).

#include <string>

#include "platform/result.h"

namespace torvane::service {

// The token in `path` (its first line), or a new random one written there
// with mode 0600 when the file does not exist. A file that others may read,
// or that holds no token, is refused: the token would not be a secret.
Result<std::string> ReadOrCreateToken(const std::string& path);

}  // namespace torvane::service
