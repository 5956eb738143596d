#include "kernel/AppSettings.h"

#include "platform/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace kernel {

namespace {

std::string ReadText(QSettings& profile, const char* key, const std::string& fallback) {
    const QVariant value = profile.value(key);
    return value.isValid() ? platform::ToCp1252(value.toString()) : fallback;
}

// Makes the profile's file readable by its owner alone, creating it (empty) when it does not
// exist yet. The profile replaces its file through a copy that takes the old file's mode, so
// the file stays private through every later write.
void KeepPrivate(QSettings& profile) {
    profile.sync();
    const QString file = profile.fileName();
    QFile owned(file);
    if (!owned.exists() &&
        (!QDir().mkpath(QFileInfo(file).absolutePath()) || !owned.open(QIODevice::WriteOnly)))
        return;
    owned.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

void AppSettings::Load(QSettings& profile) {
    *this = AppSettings();
    profile.beginGroup(kSection);
    kernelPath = ReadText(profile, "Kernel Path", "");
    useLocalKernel = profile.value("Kernel").toString() == QLatin1String("local");
    const std::string host = ReadText(profile, "Server", serverHost);
    if (!host.empty()) serverHost = host;
    bool ok = false;
    const int port = profile.value("Server Port").toInt(&ok);
    if (ok && port > 0 && port <= 65535) loginPort = static_cast<uint16_t>(port);
    userName = ReadText(profile, "User Name", "");
    password = ReadText(profile, "Password", "");
    profile.endGroup();
    // A profile written before its password was kept private is made so now.
    if (!password.empty()) KeepPrivate(profile);
}

void AppSettings::LoadOrCreate(QSettings& profile) {
    if (!profile.allKeys().isEmpty()) return Load(profile);
    *this = AppSettings();
    useLocalKernel = true;
    Save(profile);
}

void AppSettings::Save(QSettings& profile) const {
    if (!password.empty()) KeepPrivate(profile);
    profile.beginGroup(kSection);
    profile.setValue("Kernel Path", platform::FromCp1252(kernelPath));
    profile.setValue("Kernel", useLocalKernel ? "local" : "remote");
    profile.setValue("Server", platform::FromCp1252(serverHost));
    profile.setValue("Server Port", loginPort);
    profile.setValue("User Name", platform::FromCp1252(userName));
    profile.setValue("Password", platform::FromCp1252(password));
    profile.endGroup();
    profile.sync();
}

ConnectionSettings AppSettings::Apply(ConnectionSettings base) const {
    base.useLocalKernel = useLocalKernel;
    base.kernelPath = kernelPath;
    base.serverHost = serverHost;
    base.loginPort = loginPort;
    base.userName = userName;
    base.password = password;
    return base;
}

} // namespace kernel
