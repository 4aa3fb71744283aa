#pragma once

#include <QString>
#include <cstring>

namespace quenby::cli {

// The system's words for an error number, as the messages quote it.
inline QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace quenby::cli
