// The login password digest: MD5 (RFC 1321) over the password's bytes (UTF-8, this platform's
// code page), written as 32 lowercase hexadecimal digits. Thread-safe; never throws except
// std::bad_alloc.
#pragma once

#include <QString>

namespace lumo::app {

inline constexpr const char* kDefaultPassword = "907531";

QString passwordDigest(const QString& password);

}  // namespace lumo::app
