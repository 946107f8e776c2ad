#include "platform/core/Paths.h"

#include <QFile>
#include <QString>

std::string HostPathFromDevicePath(LPCTSTR devicePath)
{
    QString path = QString::fromWCharArray(devicePath != nullptr ? devicePath : L"");
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFile::encodeName(path).toStdString();
}

std::wstring DevicePathFromHostPath(const std::string& hostPath)
{
    QString path = QFile::decodeName(QByteArray::fromStdString(hostPath));
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path.toStdWString();
}
