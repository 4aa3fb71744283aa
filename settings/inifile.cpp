#include "settings/inifile.h"

namespace quenby {

FileError::FileError(const QString& path, const QString& reason)
    : std::runtime_error((path + QStringLiteral(": ") + reason).toStdString()), m_path(path),
      m_reason(reason) {}

} // namespace quenby
